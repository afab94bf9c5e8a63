#pragma once

#include "formats/Table.h"

#include <QString>
#include <QtGlobal>

namespace sortana {

// What a workbook may cost to read. A workbook is a zip of XML parts, and a few kilobytes of
// deflated data can stand for gigabytes of XML or for a sheet of millions of cells, so every
// part is inflated against these bounds instead of trusting the sizes the archive declares.
struct WorkbookLimits {
    // Uncompressed bytes of one XML part.
    qint64 maxPartBytes = qint64(256) << 20;
    // Beyond the first `ratioFreeBytes` of a part, its uncompressed bytes may be at most this
    // many times its compressed size. Sheets written by spreadsheet programs stay near 10 to 1;
    // deflate cannot go beyond about 1030 to 1.
    qint64 maxCompressionRatio = 200;
    qint64 ratioFreeBytes = qint64(1) << 20;
    // Cells of the table, empty ones that pad a row or stand for a missing row included, and
    // strings of the shared string table: each costs memory whatever the XML spent on it.
    qint64 maxCells = qint64(1) << 23;
};

// readWorkbook with bounds of the caller's choosing, for tests that reach them cheaply.
bool readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error,
                  const WorkbookLimits &limits);

} // namespace sortana
