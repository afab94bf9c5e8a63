#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace sortana {

// A table as another card-sort tool exports it: rows of cells, the first row perhaps a header
// that names the columns. Rows are numbered from 1, header included, in messages.
struct Table {
    std::vector<QStringList> rows;
};

// A cell as the study reads it: trimmed of white space at both ends, and every line break
// inside it one space, since names in a study are one line.
QString normalisedCell(QStringView text);

// A row with no text in any cell, as a blank line gives.
bool isBlankRow(const QStringList &row);

} // namespace sortana
