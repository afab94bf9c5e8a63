// The quick pass that identifies and counts a raw data file, and the analysis file names.
#include "import/CardSortAnalysis.h"

#include "import/ImportMessages.h"
#include "import/RawRecord.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "platform/PathParts.h"
#include "platform/SafeFiles.h"

#include <limits>

namespace sortana {

bool CardSortAnalysis::SurveyInputFile()
{
    if (!checkInputFile(summary->fileName, m_platform))
        return false;
    CStdioFileEx file;
    if (!file.Open(summary->fileName, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) {
        m_platform.fileFailure(QString::fromUtf16(messages::inputOpenFailed));
        return false;
    }
    StudySummary &s = *summary;
    s.hasFitData = s.hasSubGroups = false;
    s.itemCount = s.groupCount = s.participantCount = s.fileType = 0;
    participantCounter = 0;

    int readAttempts = 0;
    bool anyLine = false;
    QString line;
    for (;;) {
        if (readAttempts == std::numeric_limits<int>::max() - 1) {
            m_platform.error(QString::fromUtf16(messages::tooManyLines));
            s.fileType = 0;
            break;
        }
        const bool gotLine = file.ReadString(line);
        ++readAttempts;
        if (!gotLine) {
            if (file.failure() == CStdioFileEx::Failure::LineTooLong)
                m_platform.error(formatMessage(messages::lineTooLong, {QString::number(readAttempts)}));
            else if (file.failure() != CStdioFileEx::Failure::None)
                m_platform.fileFailure(QString::fromUtf16(messages::inputReadFailed));
            else if (!anyLine) {
                m_platform.error(formatMessage(u"The input file %s is empty", {summary->fileName}));
                return false;
            }
            if (file.failure() != CStdioFileEx::Failure::None)
                s.fileType = 0;
            break;
        }
        trimTrailingWhiteSpace(line);
        if (line.isEmpty())
            continue;
        const RecordKind kind = recordKind(line.front());
        if (!anyLine) {
            anyLine = true;
            if (kind != RecordKind::Group && kind != RecordKind::Item) {
                m_platform.fileFailure(
                    QStringLiteral("Unidentified file type\nPlease provide an input file in Sortana format"));
                break;
            }
            s.fileType = 1;
        }
        switch (kind) {
        case RecordKind::Group:
            if (participantCounter > 0)
                ++s.groupCount;
            break;
        case RecordKind::Item:
            if (participantCounter == 0)
                ++s.itemCount;
            else if (!s.hasFitData && line.indexOf(QLatin1Char('f'), 1, Qt::CaseInsensitive) >= 0)
                s.hasFitData = true;
            break;
        case RecordKind::Participant: ++participantCounter; break;
        case RecordKind::SubGroup: s.hasSubGroups = true; break;
        case RecordKind::Other: break;
        }
    }
    file.Close();
    s.lineCount = readAttempts;
    s.participantCount = participantCounter;
    if (s.fileType != 0 && s.itemCount > PairMatrix::maxItems) {
        m_platform.error(formatMessage(messages::tooManyItems, {QString::number(s.itemCount)}));
        return false;
    }
    return s.fileType != 0;
}

void CardSortAnalysis::SetInputFileName(const QString &path)
{
    fileNames->inputPath = path;
    // The analysis files carry the letter case of the input file as it is stored.
    const PathParts parts = splitPathAsStored(path);
    const auto analysisPath = [&](QStringView suffix) {
        return parts.folder + parts.baseName + suffix.toString() + QStringLiteral(".csv");
    };
    fileNames->cardsPath = analysisPath(u"-Cards");
    fileNames->itemsPath = analysisPath(u"-Items");
    fileNames->participantsPath = analysisPath(u"-Participants");
    fileNames->matrixPath = analysisPath(u"-Matrix");
    fileNames->weightedMatrixPath = analysisPath(u"-WeightedMatrix");
}

} // namespace sortana
