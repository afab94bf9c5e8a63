#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;

namespace sortana {

// A table window's table as it is printed.
struct PrintedTable {
    QStringList headings;
    std::vector<QStringList> rows;
    // The columns set flush right (figures); the others are flush left.
    std::vector<bool> flushRight;
};

// The table as HTML, its headings a header row that every page it runs onto repeats.
QString tableHtml(const PrintedTable &table);

// Prints rich text with a painter begun on the printer's device, on as many pages as it
// takes: the study's title at the top of every page, the header row of a table repeated on
// every page the table runs onto, and the footer "Page N of M". `newPage` starts the next
// page; false when that or the painter failed.
bool printTextPages(QPainter &painter, const std::function<bool()> &newPage, const QString &title, const QString &html);

} // namespace sortana
