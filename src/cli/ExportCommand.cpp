#include "cli/ExportCommand.h"

#include "analysis/CategoryExport.h"
#include "analysis/ParticipantChecksCsv.h"
#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "cli/ResamplingOutputs.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "platform/Platform.h"
#include "tasks/WorkbookFile.h"

#include <functional>
#include <vector>

namespace sortana {

int runExport(const ExportOptions &options, Platform &platform, std::FILE *out, std::FILE *err)
{
    const std::vector<const QString *> outputs = {&options.categoriesPath, &options.placementsPath,
                                                  &options.groupsPath,     &options.supportPath,
                                                  &options.stabilityPath,  &options.adequacyPath,
                                                  &options.participantsPath, &options.distancesPath,
                                                  &options.workbookPath};
    std::vector<QString> given;
    for (const QString *path : outputs) {
        if (!path->isEmpty())
            given.push_back(*path);
    }
    if (const int refused = refuseOutputs(given, options.documentPath, platform); refused != exitSuccess)
        return refused;

    Document document;
    if (!openStudyDocument(document, options.documentPath, platform))
        return exitFailed;
    // Every file but the resampling figures is read from the participants' sorts.
    const bool fromSorts = !options.categoriesPath.isEmpty() || !options.placementsPath.isEmpty()
        || !options.groupsPath.isEmpty() || !options.participantsPath.isEmpty() || !options.distancesPath.isEmpty()
        || !options.workbookPath.isEmpty();
    if (!fromSorts)
        return writeResamplingOutputs(options, document, platform, out, err);
    const std::optional<CategoryTable> &table = documentCategories(document);
    if (!table) {
        platform.error(QString::fromUtf16(sortsMissingMessage));
        return exitFailed;
    }
    const std::vector<int> &order = document.leafOrder();
    const QStringList &names = document.study().itemNames;
    const std::pair<const QString *, std::function<FigureTable()>> files[] = {
        {&options.categoriesPath, [&] { return categoriesTable(*table); }},
        {&options.placementsPath, [&] { return placementsTable(*table, names, order); }},
        {&options.groupsPath,
         [&] { return groupsTable(documentGroupNames(document, *table, options.groupCount), &*table, names, order); }},
        {&options.participantsPath, [&] { return participantChecksTable(*document.figures().participantChecks()); }},
        {&options.distancesPath, [&] { return distancesTable(*document.study().sorts); }},
    };
    for (const auto &[path, contents] : files) {
        if (!path->isEmpty() && !writeOutputFile(*path, csvText(contents()), platform))
            return exitFailed;
    }
    if (!options.workbookPath.isEmpty()) {
        QString error;
        if (!saveWorkbook(document, options.workbookPath, {}, error)) {
            platform.fileFailure(error);
            return exitFailed;
        }
    }
    return wantsResampling(options) ? writeResamplingOutputs(options, document, platform, out, err) : exitSuccess;
}

} // namespace sortana
