#pragma once

#include <QString>

namespace sortana {

// Turns one line of 8-bit text into UTF-16: UTF-8 when the bytes are valid UTF-8, otherwise
// Windows-1252, then composed to NFC. Files from Windows and from Linux editors both read
// right this way. `out` keeps its capacity, so ordinary lines cost no allocation.
void decodeAnsiLine(const char *bytes, qsizetype length, QString &out);

} // namespace sortana
