#include "analysis/StudyRecords.h"

#include <algorithm>
#include <limits>

namespace sortana {

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
