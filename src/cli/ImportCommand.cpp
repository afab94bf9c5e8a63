#include "cli/ImportCommand.h"

#include "analysis/StandardisationFile.h"
#include "cli/CliPlatform.h"
#include "cli/ExitStatus.h"
#include "drawing/PictureExport.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentFile.h"
#include "document/ImportRun.h"
#include "platform/ConsolePlatform.h"
#include "platform/SafeFiles.h"

#include <QDir>
#include <QFileInfo>

namespace sortana {

namespace {

// The run's own inputs and outputs: a document or picture written over one of them would
// destroy the study or the analysis it came from.
bool overwritesRunFile(const QString &output, const AnalysisFileNames &names)
{
    for (const QString *path : {&names.inputPath, &names.cardsPath, &names.itemsPath, &names.participantsPath,
                                &names.matrixPath, &names.weightedMatrixPath}) {
        if (isSameFile(output, *path))
            return true;
    }
    return false;
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

} // namespace

int runImport(const ImportOptions &options)
{
    CliPlatform platform(options.onWarning);
    ImportRun run(platform);
    run.setTableOptions(options.table);
    run.setOutputFolder(options.outputFolder);
    if (!run.chooseInput(options.input))
        return run.analysis().columnsRefused() ? exitUsage : exitFailed;
    tellProposedColumns(run.analysis().tableReading(), platform);
    // The messages of raw data files are the reader's alone; a table's columns are the
    // usual cause of a study that is no card sort.
    run.setCheckStudyShape(run.analysis().tableInput().has_value());
    for (const QString &output : {options.documentPath, options.picturePath}) {
        if (output.isEmpty())
            continue;
        if (overwritesRunFile(output, run.fileNames())) {
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
    if (!run.finish())
        return exitFailed;
    CSortanaMdiDoc document;
    if (!document.CompleteImport(run))
        return exitFailed;
    if (outputFolder)
        outputFolder->keep();
    if (standardisation)
        document.standardisation = std::move(*standardisation);
    // The document is saved as the import leaves it, before a drawing sets its height.
    if (!options.documentPath.isEmpty() && !saveDocumentFile(document, options.documentPath, platform))
        return exitFailed;
    if (!options.picturePath.isEmpty() && !savePicture(document, options.picturePath, platform))
        return exitFailed;
    return exitSuccess;
}

} // namespace sortana
