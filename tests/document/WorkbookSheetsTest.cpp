// How a cell of an analysis or CSV file becomes a worksheet's cell.
#include "document/WorkbookSheets.h"

#include <gtest/gtest.h>

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
