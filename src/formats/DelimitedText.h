#pragma once

#include "formats/Table.h"

#include <QString>

namespace sortana {

// Reads a CSV or TSV file into a table. Text is UTF-8 (with or without a byte-order mark),
// UTF-16 with a mark, or Windows-1252 on the lines that are not UTF-8; quoting is RFC 4180's
// (quoted separators, doubled quotes, line breaks inside quotes). The separator is a tab for
// a .tsv file; otherwise whichever of tab, semicolon and comma splits the first line into the
// most cells outside quotes. False, with a message for the user in `error`, when the file
// cannot be read.
bool readDelimitedText(const QString &path, Table &table, QString &error);

// The same from bytes already read; `tsv` fixes the separator to a tab.
Table parseDelimitedText(const QByteArray &bytes, bool tsv);
// The same with the separator given, for files whose first line may hold more of another.
Table parseDelimitedText(const QByteArray &bytes, QChar separator);

} // namespace sortana
