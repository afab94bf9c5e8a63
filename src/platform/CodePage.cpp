#include "platform/CodePage.h"

#include <array>
#include <cstring>

namespace sortana {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes that code page leaves
// undefined map to the C1 control of the same value, as Windows itself converts them.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Below U+0300 every character is already in NFC and composes with nothing before it.
constexpr char16_t firstNonTrivialForNfc = 0x0300;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes valid UTF-8 into `out`, which has room for `length` code units (UTF-8 never
// needs more UTF-16 units than bytes). Returns the units written, or -1 when invalid.
qsizetype decodeUtf8(const unsigned char *p, qsizetype length, char16_t *out)
{
    qsizetype written = 0;
    qsizetype i = 0;
    while (i < length) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            out[written++] = lead;
            ++i;
            continue;
        }
        int extra;
        char32_t code;
        char32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1; code = lead & 0x1F; minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2; code = lead & 0x0F; minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3; code = lead & 0x07; minimum = 0x10000;
        } else {
            return -1;
        }
        if (length - i <= extra)
            return -1;
        for (int k = 1; k <= extra; ++k) {
            if (!isContinuation(p[i + k]))
                return -1;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return -1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (code >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[written++] = static_cast<char16_t>(code);
        }
        i += extra + 1;
    }
    return written;
}

void decodeWindows1252(const unsigned char *p, qsizetype length, char16_t *out)
{
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char byte = p[i];
        out[i] = byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
    }
}

} // namespace

void decodeAnsiLine(const char *bytes, qsizetype length, QString &out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    out.resize(length);
    auto *units = reinterpret_cast<char16_t *>(out.data());

    qsizetype ascii = 0;
    while (ascii < length && p[ascii] < 0x80) {
        units[ascii] = p[ascii];
        ++ascii;
    }
    if (ascii == length)
        return;

    qsizetype written = decodeUtf8(p + ascii, length - ascii, units + ascii);
    if (written < 0) {
        decodeWindows1252(p + ascii, length - ascii, units + ascii);
        written = length - ascii;
    }
    out.truncate(ascii + written);

    for (qsizetype i = ascii; i < out.size(); ++i) {
        if (units[i] >= firstNonTrivialForNfc) {
            out = out.normalized(QString::NormalizationForm_C);
            return;
        }
    }
}

} // namespace sortana
