#include "cli/ImportCommand.h"

#include "cli/ExitStatus.h"
#include "dendrogram/PictureExport.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentFile.h"
#include "document/ImportRun.h"
#include "platform/ConsolePlatform.h"
#include "platform/SafeFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace sortana {

namespace {

struct ImportOptions {
    std::optional<QString> input;
    std::optional<bool> useFit;
    std::optional<bool> useSubGroups;
    bool useExpert = false;
    std::optional<int> copies;
    ConsolePlatform::WarningPolicy onWarning = ConsolePlatform::WarningPolicy::Continue;
    QString outputFolder;
    QString documentPath;
    QString picturePath;
};

std::optional<ImportOptions> parseOptions(const QStringList &arguments)
{
    ImportOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (argument == u"--fit" || argument == u"--no-fit") {
            options.useFit = argument == u"--fit";
        } else if (argument == u"--sub-groups" || argument == u"--no-sub-groups") {
            options.useSubGroups = argument == u"--sub-groups";
        } else if (argument == u"--expert") {
            options.useExpert = true;
        } else if (argument == u"--copies") {
            bool isNumber = false;
            const std::optional<QString> text = value();
            const int copies = text ? text->toInt(&isNumber) : 0;
            if (!isNumber)
                return std::nullopt;
            options.copies = copies;
        } else if (argument == u"--on-warning") {
            const std::optional<QString> policy = value();
            if (policy == u"continue")
                options.onWarning = ConsolePlatform::WarningPolicy::Continue;
            else if (policy == u"cancel")
                options.onWarning = ConsolePlatform::WarningPolicy::Cancel;
            else
                return std::nullopt;
        } else if (argument == u"--outdir") {
            const std::optional<QString> folder = value();
            if (!folder || folder->isEmpty())
                return std::nullopt;
            options.outputFolder = *folder;
        } else if (argument == u"--document") {
            const std::optional<QString> path = value();
            if (!path || path->isEmpty())
                return std::nullopt;
            options.documentPath = *path;
        } else if (argument == u"--picture") {
            const std::optional<QString> path = value();
            if (!path || !isPicturePath(*path))
                return std::nullopt;
            options.picturePath = *path;
        } else if (argument.startsWith(u"--") || options.input) {
            return std::nullopt;
        } else {
            options.input = argument;
        }
    }
    if (!options.input)
        return std::nullopt;
    return options;
}

// The analysis files keep their names but go into the given folder.
void moveAnalysisFiles(AnalysisFileNames &names, const QString &folder)
{
    const QDir target(folder);
    for (QString *path : {&names.cardsPath, &names.itemsPath, &names.participantsPath, &names.matrixPath,
                          &names.weightedMatrixPath})
        *path = target.filePath(QFileInfo(*path).fileName());
}

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

} // namespace

int runImport(const QStringList &arguments)
{
    const std::optional<ImportOptions> options = parseOptions(arguments);
    if (!options)
        return usage();

    ConsolePlatform platform(options->onWarning);
    ImportRun run(platform);
    if (!run.chooseInput(*options->input))
        return exitFailed;
    if (!options->outputFolder.isEmpty())
        moveAnalysisFiles(run.fileNames(), options->outputFolder);
    for (const QString &output : {options->documentPath, options->picturePath}) {
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

    StudySummary &summary = run.summary();
    summary.useFit = options->useFit.value_or(summary.useFit);
    summary.useSubGroups = options->useSubGroups.value_or(summary.useSubGroups);
    summary.useExpert = options->useExpert;
    summary.copiesPerParticipant = options->copies.value_or(summary.copiesPerParticipant);
    if (!run.checkOptions())
        return exitUsage;
    if (!options->outputFolder.isEmpty())
        QDir().mkpath(options->outputFolder);

    if (!run.finish())
        return exitFailed;
    CSortanaMdiDoc document;
    if (!document.CompleteImport(run))
        return exitFailed;
    // The document is saved as the import leaves it, before a drawing sets its height.
    if (!options->documentPath.isEmpty() && !saveDocumentFile(document, options->documentPath, platform))
        return exitFailed;
    if (!options->picturePath.isEmpty() && !savePicture(document, options->picturePath, platform))
        return exitFailed;
    return exitSuccess;
}

} // namespace sortana
