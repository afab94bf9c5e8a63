#pragma once

#include "formats/Table.h"

#include <QString>

namespace sortana {

// Reads one worksheet of an XLSX workbook into a table: the first sheet when `sheet` is
// empty, else the sheet of that name, or the N-th (1-based) when it is a number that names
// no sheet. False, with a message for the user in `error`, when it cannot be read.
bool readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error);

} // namespace sortana
