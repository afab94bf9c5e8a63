// A row's typed cells must line up with the tabs of its text: the workbook's sheets are made
// from the cells and the analysis files from the text.
#include "analysis/AnalysisRow.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

using Kind = AnalysisCell::Kind;

struct Kept final : AnalysisSink {
    bool wantsCells() const override { return true; }
    void write(AnalysisFile, const AnalysisRow &row) override
    {
        line = row.line().toString();
        cells.clear();
        for (const AnalysisCell &cell : row.cells())
            cells.push_back({cell.kind, row.text(cell).toString(), cell.decimals});
    }
    struct Cell {
        Kind kind;
        QString text;
        int decimals;
        bool operator==(const Cell &) const = default;
    };
    QString line;
    std::vector<Cell> cells;
};

} // namespace

TEST(AnalysisRow, EveryTabEndsACellAndAnEmptyOneIsKept)
{
    Kept sink;
    AnalysisRow row(true);
    // A matrix row: an item's number, its name, the diagonal, a figure, then the trailing tab.
    row.label(12).tab().quoted(u"a \"b\"\tc").tab().integer(0).tab().fixed(2.25, 1).tab();
    row.writeLine(sink, AnalysisFile::WeightedMatrix);
    EXPECT_EQ(sink.line, u"12\t\"a \"b\"\tc\"\t0\t2.2\t\r\n"_s);
    const std::vector<Kept::Cell> matrix{{Kind::Label, u"12"_s, 0},
                                         {Kind::Text, u"a \"b\"\tc"_s, 0},
                                         {Kind::Integer, u"0"_s, 0},
                                         {Kind::Fixed, u"2.2"_s, 1},
                                         {Kind::Empty, QString(), 0}};
    EXPECT_EQ(sink.cells, matrix);

    // An items row: padding is no part of its cell, and a quotient or agreement without a
    // denominator leaves an empty cell between two tabs.
    row.plain(u"P1"_s).tab().padding(u" ").integer(34).tab().quotient(1, 0, 1).tab().agreement(0, 4, 3);
    row.tab().agreement(1, 0, 3);
    row.writeLine(sink, AnalysisFile::Items);
    EXPECT_EQ(sink.line, u"P1\t 34\t\t100%\t\r\n"_s);
    const std::vector<Kept::Cell> items{{Kind::Text, u"P1"_s, 0},
                                        {Kind::Integer, u"34"_s, 0},
                                        {Kind::Empty, QString(), 0},
                                        {Kind::Percent, u"100%"_s, 0},
                                        {Kind::Empty, QString(), 0}};
    EXPECT_EQ(sink.cells, items);

    // A cards row of a card: two empty cells before the name.
    row.tab().tab().quoted(u"Card"_s).writeLine(sink, AnalysisFile::Cards);
    EXPECT_EQ(sink.line, u"\t\t\"Card\"\r\n"_s);
    EXPECT_EQ(sink.cells,
              (std::vector<Kept::Cell>{
                  {Kind::Empty, QString(), 0}, {Kind::Empty, QString(), 0}, {Kind::Text, u"Card"_s, 0}}));
}

TEST(AnalysisRow, ARowThatKeepsNoCellsWritesTheSameText)
{
    Kept sink;
    AnalysisRow row;
    row.header({u"ID", u"Groups"}).tab().fixed(1.25, 1);
    row.writeLine(sink, AnalysisFile::Participants);
    EXPECT_EQ(sink.line, u"\"ID\"\t\"Groups\"\t1.2\r\n"_s);
    EXPECT_TRUE(sink.cells.empty());
}
