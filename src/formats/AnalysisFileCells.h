#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace sortana {

// The cells of one line of an analysis file (its CR LF left off): split at every tab, each
// cell without one enclosing pair of double quotes, spaces kept. A line has one cell more
// than it has tabs, so a blank line is one empty cell and a line that ends in a tab ends in
// an empty cell: another format written from these cells keeps the file's columns.
QStringList analysisLineCells(QStringView line);
// The same cells one by one, as views into the line.
template <typename Visit> void forEachAnalysisCell(QStringView line, Visit &&visit)
{
    for (QStringView cell : line.tokenize(u'\t')) {
        if (cell.size() >= 2 && cell.front() == u'"' && cell.back() == u'"')
            cell = cell.sliced(1, cell.size() - 2);
        visit(cell);
    }
}

// Hands `row` the cells of every line of an analysis file's text, in order. Lines end in
// CR LF only: a lone CR or LF belongs to a cell (a name from a table may hold one). The line
// end after the last line starts no further line.
void forEachAnalysisRow(QStringView text, const std::function<void(const QStringList &cells)> &row);
std::vector<QStringList> analysisFileRows(QStringView text);

// The text of an analysis file as the program writes it: UTF-16LE after a byte-order mark.
// Nothing when the file cannot be read or is not such text.
std::optional<QString> readAnalysisFile(const QString &path);

} // namespace sortana
