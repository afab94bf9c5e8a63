#pragma once

#include "formats/WorkbookSheet.h"

#include <QString>

#include <memory>
#include <vector>

struct lxw_format;
struct lxw_worksheet;

namespace sortana {

// Writes an XLSX workbook sheet by sheet into a temporary file beside `path`, which is saved as
// `path` (through saveReplacing) only when the whole workbook was written and closed without an
// error: a failure or a writer dropped before commit() leaves the file that was there as it was.
class WorkbookWriter {
public:
    // The cells of the largest sheet to come tell whether the rows are kept in memory.
    WorkbookWriter(const QString &path, qint64 largestSheetCells);
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter &) = delete;
    WorkbookWriter &operator=(const WorkbookWriter &) = delete;

    // False, with a message for the user in error(), when the sheet cannot be written; the
    // workbook is then abandoned.
    bool add(const WorkbookSheet &sheet);
    bool commit();
    const QString &error() const { return m_error; }

private:
    struct Book;
    bool open();
    bool writeCell(lxw_worksheet *worksheet, quint32 row, quint16 column, const SheetCell &cell, lxw_format *format,
                   const QString &sheetName);
    // The widths, the frozen header and the colour scale, once the rows are written.
    bool finishSheet(lxw_worksheet *worksheet, const WorkbookSheet &sheet, const std::vector<qsizetype> &widths);
    // Keeps the first message and abandons the workbook.
    bool fail(const QString &message);

    QString m_path;
    qint64 m_largestSheetCells = 0;
    QString m_error;
    std::unique_ptr<Book> m_book;
};

// Widest a column is made, in characters.
inline constexpr int mostColumnWidth = 60;

} // namespace sortana
