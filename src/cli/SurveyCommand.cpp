#include "cli/SurveyCommand.h"

#include "cli/ExitStatus.h"
#include "formats/CardSortAnalysis.h"
#include "formats/WorkbookReader.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

#include <QIODevice>

namespace sortana {

int runSurvey(const QString &inputPath, const std::optional<TableOptions> &table, Platform &platform,
              std::FILE *out)
{
    AnalysisFileNames names;
    StudySummary summary;
    CardSortAnalysis analysis(names, summary, platform);
    summary.fileName = inputPath;
    analysis.setTableInput(table ? table : isTablePath(inputPath) ? std::optional<TableOptions>(TableOptions{}) : std::nullopt);
    analysis.setWorkbookLoader(readWorkbook);
    const bool identified = analysis.surveyInputFile();
    if (!identified && analysis.columnsRefused())
        return exitUsage;
    tellProposedColumns(analysis.tableReading(), platform);
    std::fprintf(out,
                 "fileType=%d\nhasFitData=%d\nhasSubGroups=%d\nitemCount=%d\nlineCount=%d\n"
                 "groupCount=%d\nparticipantCount=%d\n",
                 summary.fileType, summary.hasFitData ? 1 : 0, summary.hasSubGroups ? 1 : 0,
                 summary.itemCount, summary.lineCount, summary.groupCount, summary.participantCount);
    return identified ? exitSuccess : exitFailed;
}

int runConvert(const QString &tablePath, const QString &outputPath, const TableOptions &table, Platform &platform)
{
    if (!checkInputFile(tablePath, platform) || !checkOutputFile(outputPath, platform))
        return exitFailed;
    if (isSameFile(outputPath, tablePath)) {
        platform.error(QStringLiteral("The raw data file cannot be written over the table"));
        return exitUsage;
    }
    TableRecords records;
    switch (readTableStudy(tablePath, table, readWorkbook, platform, records)) {
    case TableOutcome::Read: break;
    case TableOutcome::FileRefused: return exitFailed;
    case TableOutcome::ColumnsRefused: return exitUsage;
    }
    tellProposedColumns(records.reading, platform);
    const QByteArray raw = rawDataOf(records);
    if (!saveReplacing(outputPath, [&](QIODevice &file) { return file.write(raw) == raw.size(); })) {
        platform.fileFailure(QStringLiteral("Failed to write the raw data file\nMake sure the folder exists and is writable"));
        return exitFailed;
    }
    return exitSuccess;
}

} // namespace sortana
