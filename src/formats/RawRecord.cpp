#include "formats/RawRecord.h"

#include "formats/ImportMessages.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <limits>

namespace sortana {

bool RawTextRecords::next(StudyRecord &record)
{
    for (;;) {
        // Line numbers are 32 bits in every message.
        if (m_lineNumber == std::numeric_limits<int>::max() - 1) {
            m_failure = Failure::TooManyLines;
            return false;
        }
        const bool gotLine = m_file.readString(m_line);
        ++m_lineNumber;
        if (!gotLine) {
            switch (m_file.failure()) {
            case TextFile::Failure::None: break;
            case TextFile::Failure::LineTooLong: m_failure = Failure::LineTooLong; break;
            default: m_failure = Failure::ReadError; break;
            }
            return false;
        }
        trimTrailingWhiteSpace(m_line);
        if (m_line.isEmpty())
            continue;
        record.kind = recordKind(m_line.front());
        record.value = QStringView(m_line).sliced(1);
        record.position = m_lineNumber;
        return true;
    }
}

void RawTextRecords::rewind()
{
    m_file.Seek(0, TextFile::begin);
    m_lineNumber = 0;
    m_failure = Failure::None;
}

void RawTextRecords::reportFailure(Platform &platform) const
{
    switch (m_failure) {
    case Failure::None: break;
    case Failure::TooManyLines: platform.error(QString::fromUtf16(messages::tooManyLines)); break;
    case Failure::LineTooLong:
        platform.error(formatMessage(messages::lineTooLong, {QString::number(m_lineNumber)}));
        break;
    case Failure::ReadError: platform.fileFailure(QString::fromUtf16(messages::inputReadFailed)); break;
    }
}

void trimTrailingWhiteSpace(QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].isSpace())
        --end;
    line.truncate(end);
}

RecordKind recordKind(QChar first)
{
    switch (first.unicode()) {
    case u'I':
    case u'i': return RecordKind::Item;
    case u'G':
    case u'g': return RecordKind::Group;
    case u'P':
    case u'p': return RecordKind::Participant;
    case u'S':
    case u's': return RecordKind::SubGroup;
    default: return RecordKind::Other;
    }
}

} // namespace sortana
