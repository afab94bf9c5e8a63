#pragma once

#include <QByteArray>
#include <QStringList>

namespace sortana {

// One line of a comma-separated file in UTF-8, quoted as RFC 4180 has it: a cell with a
// comma, a double quote or a line break is put in double quotes, its own quotes doubled.
// The line ends in CR LF.
QByteArray csvLine(const QStringList &cells);

} // namespace sortana
