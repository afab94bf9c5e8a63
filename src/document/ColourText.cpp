#include "document/ColourText.h"

#include <algorithm>
#include <limits>

namespace sortana {

namespace {

quint32 swapRedAndBlue(quint32 colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

struct HexReading {
    qint32 value = 0;
    qsizetype end = 0;      // where reading stopped
    bool hasDigits = false;
};

// A hexadecimal integer as the C library reads one, clamped to the signed 32-bit range.
HexReading readHexInteger(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    const bool negative = pos < text.size() && text[pos] == u'-';
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        ++pos;
    if (text.mid(pos).startsWith(u"0x", Qt::CaseInsensitive) && pos + 2 < text.size()
        && hexDigitValue(text[pos + 2]) >= 0)
        pos += 2;
    // One past the limit is enough to know the value must be clamped.
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 2;
    qint64 magnitude = 0;
    const qsizetype firstDigit = pos;
    for (; pos < text.size() && hexDigitValue(text[pos]) >= 0; ++pos)
        magnitude = std::min(magnitude * 16 + hexDigitValue(text[pos]), limit);
    const qint32 value = qint32(std::clamp(negative ? -magnitude : magnitude,
                                           qint64(std::numeric_limits<qint32>::min()),
                                           qint64(std::numeric_limits<qint32>::max())));
    return {value, pos, pos > firstDigit};
}

QStringView withoutHash(QStringView text)
{
    return text.startsWith(u'#') ? text.mid(1) : text;
}

} // namespace

QString colourText(quint32 colour)
{
    return QString::asprintf("%06X", swapRedAndBlue(colour));
}

quint32 colourFromText(QStringView text)
{
    return swapRedAndBlue(quint32(readHexInteger(withoutHash(text)).value) & 0xFFFFFF);
}

bool isColourText(QStringView text)
{
    text = withoutHash(text);
    const HexReading reading = readHexInteger(text);
    return reading.hasDigits && text.mid(reading.end).trimmed().isEmpty();
}

} // namespace sortana
