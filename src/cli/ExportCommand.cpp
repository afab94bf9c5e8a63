#include "cli/ExportCommand.h"

#include "analysis/CategoryExport.h"
#include "analysis/LeafOrder.h"
#include "analysis/ParticipantChecksCsv.h"
#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentCategories.h"
#include "platform/Platform.h"

#include <functional>
#include <vector>

namespace sortana {

int runExport(const ExportOptions &options, Platform &platform)
{
    const std::vector<const QString *> outputs = {&options.categoriesPath, &options.placementsPath,
                                                  &options.groupsPath, &options.participantsPath,
                                                  &options.distancesPath};
    std::vector<QString> given;
    for (const QString *path : outputs) {
        if (!path->isEmpty())
            given.push_back(*path);
    }
    if (const int refused = refuseOutputs(given, options.documentPath, platform); refused != exitSuccess)
        return refused;

    CSortanaMdiDoc document;
    if (!openStudyDocument(document, options.documentPath, platform))
        return exitFailed;
    const std::optional<CategoryTable> table = documentCategories(document);
    if (!table) {
        platform.error(QString::fromUtf16(sortsMissingMessage));
        return exitFailed;
    }
    const std::vector<int> order = LeafOrder(document.clusterRoot);
    const QStringList &names = *document.itemNames;
    const std::pair<const QString *, std::function<QByteArray()>> files[] = {
        {&options.categoriesPath, [&] { return categoriesCsv(*table); }},
        {&options.placementsPath, [&] { return placementsCsv(*table, names, order); }},
        {&options.groupsPath,
         [&] { return groupsCsv(documentGroupNames(document, *table, options.groupCount), *table, names, order); }},
        {&options.participantsPath, [&] { return participantsCsv(checkParticipants(*document.sorts)); }},
        {&options.distancesPath, [&] { return distancesCsv(*document.sorts); }},
    };
    for (const auto &[path, contents] : files) {
        if (!path->isEmpty() && !writeOutputFile(*path, contents(), platform))
            return exitFailed;
    }
    return exitSuccess;
}

} // namespace sortana
