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

// A hexadecimal integer as the C library reads one, clamped to the signed 32-bit range.
qint32 readHexInteger(QStringView text)
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
    for (; pos < text.size() && hexDigitValue(text[pos]) >= 0; ++pos)
        magnitude = std::min(magnitude * 16 + hexDigitValue(text[pos]), limit);
    return qint32(std::clamp(negative ? -magnitude : magnitude,
                             qint64(std::numeric_limits<qint32>::min()),
                             qint64(std::numeric_limits<qint32>::max())));
}

} // namespace

QString colourText(quint32 colour)
{
    return QString::asprintf("%06X", swapRedAndBlue(colour));
}

quint32 colourFromText(QStringView text)
{
    if (text.startsWith(u'#'))
        text = text.mid(1);
    return swapRedAndBlue(quint32(readHexInteger(text)) & 0xFFFFFF);
}

} // namespace sortana
