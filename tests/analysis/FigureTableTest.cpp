// One table of figures written as CSV text and as clipboard text.
#include "analysis/FigureTable.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

using Kind = FigureColumn::Kind;

FigureTable sample()
{
    return {{{u"name"_s, Kind::Text, 0},
             {u"count"_s, Kind::Integer, 0},
             {u"mean"_s, Kind::Fixed, 2},
             {u"share"_s, Kind::Percent, 1}},
            {{textCell(u"a, \"b\""_s), numberCell(12), numberCell(0.125), numberCell(81.25)},
             {textCell(u"tab\there\r\nand"_s), numberCell(-3), FigureCell(), numberCell(0)}}};
}

} // namespace

TEST(FigureTable, EveryColumnIsWrittenAsItsKindSays)
{
    const FigureTable table = sample();
    const struct {
        std::size_t row, column;
        QString text;
    } cases[] = {
        {0, 0, u"a, \"b\""_s}, {0, 1, u"12"_s}, {0, 2, u"0.12"_s}, // ties to even, as printf
        {0, 3, u"81.2%"_s},    {1, 1, u"-3"_s}, {1, 2, QString()}, {1, 3, u"0.0%"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(figureText(table.columns[c.column], table.rows[c.row][c.column]), c.text) << c.row << "," << c.column;
}

TEST(FigureTable, CsvQuotesWhatNeedsItAndTheClipboardKeepsEachNameOnOneLine)
{
    const FigureTable table = sample();
    EXPECT_EQ(csvText(table),
              QByteArray("name,count,mean,share\r\n"
                         "\"a, \"\"b\"\"\",12,0.12,81.2%\r\n"
                         "\"tab\there\r\nand\",-3,,0.0%\r\n"));
    EXPECT_EQ(clipboardText(table, {1, 0}), u"12\ta, \"b\"\n-3\ttab here and\n"_s);
    EXPECT_EQ(clipboardText(FigureTable{table.columns, {}}, {0}), QString());
}
