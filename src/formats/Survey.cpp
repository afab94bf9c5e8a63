// The quick pass that identifies and counts a study, raw data file or table, and the analysis
// file names.
#include "formats/CardSortAnalysis.h"

#include "formats/ImportMessages.h"
#include "formats/RawRecord.h"
#include "formats/TableStudy.h"
#include "platform/MessageText.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

namespace sortana {

bool CardSortAnalysis::surveyInputFile()
{
    m_tableReading = TableReading();
    if (!checkInputFile(summary->fileName, platform()))
        return false;
    if (m_tableOptions) {
        TableRecords table;
        if (!loadTable(summary->fileName, table))
            return false;
        if (!surveyRecords(table))
            return false;
        summary->fileType = table.fileType;
        summary->lineCount = table.rowCount;
        return true;
    }
    TextFile file;
    if (!file.Open(summary->fileName, TextFile::modeRead | TextFile::shareDenyWrite)) {
        platform().fileFailure(QString::fromUtf16(messages::inputOpenFailed));
        return false;
    }
    RawTextRecords records(file);
    return surveyRecords(records);
}

bool CardSortAnalysis::loadTable(const QString &path, TableRecords &records)
{
    const TableOutcome outcome = readTableStudy(path, *m_tableOptions, m_workbooks, platform(), records);
    m_columnsRefused = outcome == TableOutcome::ColumnsRefused;
    m_tableReading = records.reading;
    return outcome == TableOutcome::Read;
}

AnalysisFileNames analysisFileNames(const QString &inputPath)
{
    // The analysis files carry the letter case of the input file as it is stored.
    const PathParts parts = splitPathAsStored(inputPath);
    const auto analysisPath = [&](QStringView suffix) {
        return parts.folder + parts.baseName + suffix.toString() + QStringLiteral(".csv");
    };
    return {inputPath,
            analysisPath(u"-Cards"),
            analysisPath(u"-Items"),
            analysisPath(u"-Participants"),
            analysisPath(u"-Matrix"),
            analysisPath(u"-WeightedMatrix")};
}

void CardSortAnalysis::setInputFileName(const QString &path)
{
    *fileNames = analysisFileNames(path);
}

} // namespace sortana
