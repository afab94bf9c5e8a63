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
    if (!checkInputFile(summary->fileName, m_platform))
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
        m_platform.fileFailure(QString::fromUtf16(messages::inputOpenFailed));
        return false;
    }
    RawTextRecords records(file);
    return surveyRecords(records);
}

bool CardSortAnalysis::surveyRecords(RecordSource &records)
{
    StudySummary &s = *summary;
    s.hasFitData = s.hasSubGroups = false;
    s.itemCount = s.groupCount = s.participantCount = s.fileType = 0;
    participantCounter = 0;

    bool anyRecord = false;
    StudyRecord record;
    while (records.next(record)) {
        if (!anyRecord) {
            anyRecord = true;
            if (record.kind != RecordKind::Group && record.kind != RecordKind::Item) {
                m_platform.fileFailure(
                    QStringLiteral("Unidentified file type\nPlease provide an input file in Sortana format"));
                break;
            }
            s.fileType = 1;
        }
        switch (record.kind) {
        case RecordKind::Group:
            if (participantCounter > 0)
                ++s.groupCount;
            break;
        case RecordKind::Item:
            if (participantCounter == 0)
                ++s.itemCount;
            else if (!s.hasFitData && record.value.contains(QLatin1Char('f'), Qt::CaseInsensitive))
                s.hasFitData = true;
            break;
        case RecordKind::Participant: ++participantCounter; break;
        case RecordKind::SubGroup: s.hasSubGroups = true; break;
        case RecordKind::Other:
        case RecordKind::Invalid: break;
        }
    }
    if (records.failed()) {
        records.reportFailure(m_platform);
        s.fileType = 0;
    } else if (!anyRecord) {
        m_platform.error(formatMessage(u"The input file %s is empty", {summary->fileName}));
        return false;
    }
    s.lineCount = records.position();
    s.participantCount = participantCounter;
    if (s.fileType != 0 && s.itemCount > PairMatrix::maxItems) {
        m_platform.error(formatMessage(messages::tooManyItems, {QString::number(s.itemCount)}));
        return false;
    }
    return s.fileType != 0;
}

bool CardSortAnalysis::loadTable(const QString &path, TableRecords &records)
{
    const TableOutcome outcome = readTableStudy(path, *m_tableOptions, m_platform, records);
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
