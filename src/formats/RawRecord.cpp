#include "formats/RawRecord.h"

#include "formats/ImportMessages.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <algorithm>
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

namespace {

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads the run of decimal digits at `pos`. Returns its length; `value` is only meaningful
// when `fits` stays true.
qsizetype digitRun(QStringView text, qsizetype pos, int &value, bool &fits)
{
    qint64 accumulated = 0;
    qsizetype end = pos;
    while (end < text.size() && isDecimalDigit(text[end])) {
        if (fits) {
            accumulated = accumulated * 10 + (text[end].unicode() - u'0');
            if (accumulated > std::numeric_limits<int>::max())
                fits = false;
        }
        ++end;
    }
    value = fits ? static_cast<int>(accumulated) : 0;
    return end - pos;
}

// Like the C library's string-to-int: leading white space, a sign, digits; no digits give 0.
// Out-of-range values stop at the nearest representable one, which keeps their sign.
int leadingInteger(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; pos < text.size() && isDecimalDigit(text[pos]); ++pos)
        value = std::min(limit, value * 10 + (text[pos].unicode() - u'0'));
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

} // namespace

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

QString participantIdFrom(QStringView value)
{
    if (!value.isEmpty() && isDecimalDigit(value.front()))
        return QLatin1Char('P') + value.toString();
    return value.toString();
}

QString groupNameFrom(QStringView value, const QStringList &declaredNames)
{
    const int number = leadingInteger(value);
    if (number >= 1 && number <= declaredNames.size())
        return declaredNames[number - 1];
    if (number >= 1)
        return QLatin1Char('G') + value.toString();
    if (!value.isEmpty())
        return value.toString();
    return QStringLiteral("-----");
}

Placement parsePlacement(QStringView value)
{
    Placement placement;
    const qsizetype itemDigits = digitRun(value, 0, placement.item, placement.numbersFit);
    // The one character after the item number is the separator, whatever it is.
    const qsizetype fitStart = itemDigits + 1;
    if (value.size() > itemDigits && fitStart < value.size()) {
        const qsizetype fitDigits = digitRun(value, fitStart, placement.fit, placement.numbersFit);
        placement.fitGiven = fitDigits > 0;
    }
    return placement;
}

} // namespace sortana
