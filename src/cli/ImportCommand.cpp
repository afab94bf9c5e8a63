#include "cli/ImportCommand.h"

#include "analysis/LeftOut.h"
#include "analysis/ParticipantChecks.h"
#include "cli/ExitStatus.h"
#include "document/Document.h"
#include "drawing/PictureExport.h"
#include "formats/ImportMessages.h"
#include "formats/StandardisationFile.h"
#include "formats/WorkbookReader.h"
#include "platform/ConsolePlatform.h"
#include "platform/MessageText.h"
#include "platform/SafeFiles.h"
#include "tasks/DocumentFile.h"
#include "tasks/ImportRun.h"
#include "tasks/LeaveOut.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <set>
#include <variant>

namespace sortana {

namespace {

// The run's own inputs and outputs: a document or picture written over one of them would
// destroy the study or the analysis it came from.
bool overwritesRunFile(const QString &output, const ImportRun &run)
{
    const AnalysisFileNames &names = run.fileNames();
    const QStringList paths = analysisFilePaths(names, run.utf8CsvCopies()) << names.inputPath;
    return std::any_of(paths.cbegin(), paths.cend(), [&output](const QString &path) { return isSameFile(output, path); });
}

// The output folder and whichever of its parents were missing, made for one run. A run that
// ends without its analysis files leaves no new empty folder behind: it takes back what it
// made unless kept, and only folders that are still empty, so nothing anybody put there goes.
class NewFolders {
public:
    explicit NewFolders(const QString &folder)
    {
        QStringList missing;
        for (QFileInfo info(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())); !info.exists();
             info.setFile(info.absolutePath()))
            missing.prepend(info.absoluteFilePath());
        // One that cannot be made is refused when the analysis files are written, in words of its own.
        for (const QString &path : std::as_const(missing)) {
            if (!QDir().mkdir(path))
                break;
            m_made.append(path);
        }
    }
    ~NewFolders()
    {
        for (auto path = m_made.crbegin(); path != m_made.crend(); ++path) {
            if (!QDir().rmdir(*path))
                break;
        }
    }
    NewFolders(const NewFolders &) = delete;
    NewFolders &operator=(const NewFolders &) = delete;

    void keep() { m_made.clear(); }

private:
    QStringList m_made;
};

// The participants the entries name, as indexes into the sorts in file order; or why one
// cannot be left out.
std::variant<std::vector<qint32>, QString> namedParticipants(const StudySorts &sorts, const QStringList &entries)
{
    std::set<qint32> named;
    const auto count = qint32(sorts.participants.size());
    for (const QString &entry : entries) {
        if (entry.startsWith(u'#')) {
            const qint32 number = entry.mid(1).toInt();
            if (number > count)
                return QStringLiteral("there is no participant %1 (the study has %2)").arg(entry).arg(count);
            named.insert(number - 1);
            continue;
        }
        bool found = false;
        for (qint32 p = 0; p < count; ++p) {
            if (sorts.participants[size_t(p)].id == entry) {
                named.insert(p);
                found = true;
            }
        }
        if (!found)
            return QStringLiteral("no participant has the id %1").arg(entry);
    }
    return std::vector<qint32>(named.begin(), named.end());
}

// Runs the engine again without the participants the options leave out, on the sorts of the
// study the run has read, into the run's analysis files.
int leaveOut(ImportRun &run, const ImportOptions &options, Document &document, Platform &platform)
{
    // What the sorts need to be analysed again; the new analysis makes the whole study.
    auto read = std::make_shared<Study>();
    read->summary = run.summary();
    read->itemNames = run.analysis().takeItemNames();
    read->sorts = std::move(run.analysis().sorts);
    const StudySorts &sorts = *read->sorts;
    document.setStudy(std::move(read));
    const auto named = namedParticipants(sorts, options.exclude);
    if (const QString *message = std::get_if<QString>(&named)) {
        platform.error(*message);
        return exitUsage;
    }
    std::set<qint32> leftOut;
    for (const qint32 index : std::get<std::vector<qint32>>(named)) {
        if (!sorts.participants[size_t(index)].counted) {
            platform.error(QStringLiteral("the expert cannot be left out"));
            return exitUsage;
        }
        leftOut.insert(index);
    }
    if (options.excludeFlagged) {
        for (const qint32 index : flaggedParticipants(checkParticipants(sorts)))
            leftOut.insert(index);
    }
    const std::vector<qint32> indexes(leftOut.begin(), leftOut.end());
    if (const std::optional<QString> error = leaveOutError(document.study(), indexes)) {
        platform.error(*error);
        return exitUsage;
    }
    const bool checkStudyShape = run.analysis().tableInput().has_value();
    return analyseAgain(document, indexes, run.fileNames(), platform,
                        {.checkStudyShape = checkStudyShape, .utf8CsvCopies = options.utf8CsvCopies})
        ? exitSuccess
        : exitFailed;
}

} // namespace

int runImport(const ImportOptions &options)
{
    ConsolePlatform platform(options.onWarning);
    ImportRun run(platform);
    run.setWorkbookLoader(readWorkbook);
    run.setTableOptions(options.table);
    run.setOutputFolder(options.outputFolder);
    run.setUtf8CsvCopies(options.utf8CsvCopies);
    if (!run.chooseInput(options.input))
        return run.analysis().columnsRefused() ? exitUsage : exitFailed;
    if (const QFileInfo folder(options.outputFolder);
        !options.outputFolder.isEmpty() && folder.exists() && !folder.isDir()) {
        platform.error(formatMessage(messages::folderIsAFile, {options.outputFolder}));
        return exitFailed;
    }
    tellProposedColumns(run.analysis().tableReading(), platform);
    // The messages of raw data files are the reader's alone; a table's columns are the
    // usual cause of a study that is no card sort.
    run.setCheckStudyShape(run.analysis().tableInput().has_value());
    for (const QString &output : {options.documentPath, options.picturePath}) {
        if (output.isEmpty())
            continue;
        if (overwritesRunFile(output, run)) {
            platform.error(QStringLiteral("The document or picture cannot be written over the input file or an "
                                          "analysis file"));
            return exitUsage;
        }
        if (!checkOutputFile(output, platform))
            return exitFailed;
    }

    // A file that cannot be used is refused before the import reads anything.
    std::optional<Standardisation> standardisation;
    if (!options.standardPath.isEmpty()) {
        QString error;
        standardisation = readStandardisationFile(options.standardPath, error);
        if (!standardisation) {
            platform.error(error);
            return exitFailed;
        }
    }

    StudySummary &summary = run.summary();
    summary.useFit = options.useFit.value_or(summary.useFit);
    summary.useSubGroups = options.useSubGroups.value_or(summary.useSubGroups);
    summary.useExpert = options.useExpert;
    summary.copiesPerParticipant = options.copies.value_or(summary.copiesPerParticipant);
    if (!run.checkOptions())
        return exitUsage;

    std::optional<NewFolders> outputFolder;
    if (!options.outputFolder.isEmpty())
        outputFolder.emplace(options.outputFolder);
    // Leaving participants out needs the study's sorts: it is read first, then analysed
    // without them.
    const bool leavingOut = !options.exclude.isEmpty() || options.excludeFlagged;
    if (leavingOut) {
        run.setReadOnly(true);
        run.setCheckStudyShape(false);
    }
    if (!run.finish())
        return exitFailed;
    Document document;
    if (leavingOut) {
        if (const int status = leaveOut(run, options, document, platform); status != exitSuccess)
            return status;
    } else if (!completeImport(document, run)) {
        return exitFailed;
    }
    if (outputFolder)
        outputFolder->keep();
    if (standardisation)
        document.setStandardisation(std::move(*standardisation));
    // The document is saved as the import leaves it, before a drawing sets its height.
    if (!options.documentPath.isEmpty() && !saveDocumentFile(document, options.documentPath, platform))
        return exitFailed;
    if (!options.picturePath.isEmpty() && !savePicture(document, options.picturePath, platform))
        return exitFailed;
    return exitSuccess;
}

} // namespace sortana
