#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace sortana {

// One line of a comma-separated file in UTF-8, quoted as RFC 4180 has it: a cell with a
// comma, a double quote or a line break is put in double quotes, its own quotes doubled.
// The line ends in CR LF.
QByteArray csvLine(const QStringList &cells);
// One cell of such a line appended to it, quoted where it needs to be.
void appendCsvCell(QString &line, QStringView cell);

// A number with that many decimals, as printf's "%.Nf" writes it in the C locale (ties of
// the exact binary value to even), whatever locale the program runs in: printf itself
// would write a decimal comma where the user's locale has one.
QString fixedText(double value, int decimals);

} // namespace sortana
