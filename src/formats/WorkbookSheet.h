#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace sortana {

// One cell of a worksheet. `text` is the cell as the analysis file or CSV file wrote it,
// trimmed: the value of a text cell, and what a number's column is made wide enough for.
struct SheetCell {
    enum class Kind : quint8 { Empty, Text, Number, Percent };
    Kind kind = Kind::Empty;
    // A percent as a fraction: "81%" is 0.81.
    double number = 0;
    // The decimals a percent was written with, kept when it is shown.
    int decimals = 0;
    QString text;
};

// A block of cells by 0-based row and column of the sheet, the header row being row 0.
struct SheetRange {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// A worksheet: its rows, the first of them a header that stays in view unless the sheet
// has none, and perhaps a range shaded white to blue by value.
struct WorkbookSheet {
    QString name;
    std::vector<std::vector<SheetCell>> rows;
    bool hasHeader = true;
    std::optional<SheetRange> colourScale;
};

} // namespace sortana
