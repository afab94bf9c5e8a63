#pragma once

#include <QString>
#include <QStringView>

namespace sortana {

// Colours are held as 0x00BBGGRR and shown to the user as RRGGBB in upper-case hexadecimal.
QString colourText(quint32 colour);
// Reads a colour leniently, as a C hexadecimal conversion would: leading blanks, a sign and
// "0x" pass, reading stops at the first non-digit, no digits give black. One leading '#' is
// skipped, since that is how colours are commonly written.
quint32 colourFromText(QStringView text);
// Whether the whole text reads as a colour: digits, and nothing after them but blanks. Other
// text still reads as colourFromText says (often black), but the user should hear of it.
bool isColourText(QStringView text);

} // namespace sortana
