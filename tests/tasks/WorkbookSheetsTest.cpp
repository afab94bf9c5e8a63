// How a cell of an analysis file, and a table of figures, become a worksheet's cells.
#include "tasks/WorkbookSheets.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sortana;
using namespace Qt::StringLiterals;

TEST(WorkbookSheets, AFiguresCellIsANumberOnlyWhenItIsOneAndTextColumnsStayText)
{
    using Kind = SheetCell::Kind;
    const struct {
        QString text;
        bool textColumn;
        Kind kind;
        double number;
        int decimals;
    } cases[] = {
        {u"81%"_s, false, Kind::Percent, 81.0 / 100, 0},
        {u"12.3%"_s, false, Kind::Percent, 12.3 / 100, 1},
        {u"-2.25"_s, false, Kind::Number, -2.25, 2},
        {u"007"_s, false, Kind::Number, 7, 0},
        {u"007"_s, true, Kind::Text, 0, 0},
        {u"12"_s, true, Kind::Text, 0, 0},
        {u"81%"_s, true, Kind::Text, 0, 0},
        {QString(), false, Kind::Empty, 0, 0},
        {QString(), true, Kind::Empty, 0, 0},
        // Not numbers the program writes: kept as they stand.
        {u"1e5"_s, false, Kind::Text, 0, 0},
        {u".5"_s, false, Kind::Text, 0, 0},
        {u"5."_s, false, Kind::Text, 0, 0},
        {u"%"_s, false, Kind::Text, 0, 0},
        {u"-"_s, false, Kind::Text, 0, 0},
        {u"nan"_s, false, Kind::Text, 0, 0},
        {u"1,5"_s, false, Kind::Text, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + (c.textColumn ? " in a text column" : ""));
        const SheetCell cell = sheetCell(c.text, c.textColumn);
        EXPECT_EQ(cell.kind, c.kind);
        EXPECT_EQ(cell.text, c.text);
        if (c.kind == Kind::Number || c.kind == Kind::Percent) {
            EXPECT_EQ(cell.number, c.number);
            EXPECT_EQ(cell.decimals, c.decimals);
        }
    }
}

TEST(WorkbookSheets, AFiguresSheetHoldsEachFigureAsItsColumnShowsIt)
{
    using Kind = FigureColumn::Kind;
    const FigureTable table{{{u" name "_s, Kind::Text, 0},
                             {u"count"_s, Kind::Integer, 0},
                             {u"mean"_s, Kind::Fixed, 2},
                             {u"share"_s, Kind::Percent, 1}},
                            {{textCell(u" two\r\nlines "_s), numberCell(12), numberCell(0.125), numberCell(81.25)},
                             {textCell(QString()), numberCell(-3), FigureCell(), numberCell(std::nan(""))}}};
    const WorkbookSheet sheet = figureSheet(u"Figures"_s, table);
    ASSERT_EQ(sheet.rows.size(), 3u);
    using Cell = SheetCell::Kind;
    const struct {
        std::size_t row, column;
        Cell kind;
        QString text;
        double number;
        int decimals;
    } cases[] = {
        {0, 0, Cell::Text, u"name"_s, 0, 0},
        {1, 0, Cell::Text, u"two lines"_s, 0, 0},
        {1, 1, Cell::Number, u"12"_s, 12, 0},
        // The figure to the decimals shown, not the one behind it.
        {1, 2, Cell::Number, u"0.12"_s, 0.12, 2},
        {1, 3, Cell::Percent, u"81.2%"_s, 81.2 / 100, 1},
        {2, 0, Cell::Empty, QString(), 0, 0},
        {2, 1, Cell::Number, u"-3"_s, -3, 0},
        {2, 2, Cell::Empty, QString(), 0, 0},
        {2, 3, Cell::Text, u"nan%"_s, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        const SheetCell &cell = sheet.rows[c.row][c.column];
        EXPECT_EQ(cell.kind, c.kind);
        EXPECT_EQ(cell.text, c.text);
        if (c.kind == Cell::Number || c.kind == Cell::Percent) {
            EXPECT_EQ(cell.number, c.number);
            EXPECT_EQ(cell.decimals, c.decimals);
        }
    }
}
