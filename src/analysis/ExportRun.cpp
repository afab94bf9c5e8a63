// The export run: matrix, weighted matrix and items rows in the dendrogram's leaf order.
#include "analysis/AnalysisExport.h"

#include "analysis/TableRow.h"
#include "import/CardSortAnalysis.h"

namespace sortana {

namespace {

void writeMatrixHeaders(CardSortAnalysis &a, const std::vector<int> &leafOrder, TableRow &row)
{
    for (CStdioFileEx *file : {&a.matrixFile, &a.weightedMatrixFile}) {
        row.text(u"ItemNo\t");
        for (const int u : leafOrder)
            row.text(u"\t").quoted(a.itemNames.at(u));
        row.writeLine(*file);
    }
}

// Writes item t's row of both matrix files; returns t's pair total, the sum of its counts.
qint64 writeMatrixRows(CardSortAnalysis &a, const std::vector<int> &leafOrder, int t, TableRow &counts,
                       TableRow &weighted)
{
    const int n = a.summary->itemCount;
    const double weightedScale = a.summary->weightedScale();
    const qint32 *cells = a.pairMatrix.data();
    const auto cell = [&](int row, int col) { return cells[static_cast<size_t>(row) * static_cast<size_t>(n) + static_cast<size_t>(col)]; };
    qint64 pairTotal = 0;
    for (TableRow *row : {&counts, &weighted})
        row->integer(t + 1).text(u"\t").quoted(a.itemNames.at(t)).text(u"\t");
    for (const int u : leafOrder) {
        if (u == t) {
            counts.text(u"0\t");
            weighted.text(u"0\t");
            continue;
        }
        const int lo = std::min(t, u);
        const int hi = std::max(t, u);
        const qint32 count = cell(lo, hi);
        pairTotal += count;
        counts.integer(count).text(u"\t");
        weighted.fixed(cell(hi, lo) / weightedScale, 1).text(u"\t");
    }
    counts.writeLine(a.matrixFile);
    weighted.writeLine(a.weightedMatrixFile);
    return pairTotal;
}

struct ItemScale {
    double cardSets;  // S: the counted card sets
    double maxScore;
    double d;
};

ItemScale itemScale(const StudySummary &s)
{
    return {s.cardSets(), double(s.maxScorePerItem()), s.itemCount * s.cardSets() * 0.5 - 1};
}

void writeItemsHeader(CardSortAnalysis &a, TableRow &row)
{
    row.text(u"\"Item No\"\t\"Item Name\"\t\"Count\"\t\"Pairs\"\t\"Weighted\"\t\"AveFit\"\t\"%AveAlign\"");
    if (a.summary->useExpert)
        row.text(u"\t\"%ExpertAlign\"");
    row.writeLine(a.itemsFile);
}

void writeItemRow(CardSortAnalysis &a, const ItemScale &scale, int t, qint64 pairTotal, TableRow &row)
{
    const ItemPlacement &placement = a.itemPlacements[static_cast<size_t>(t)];
    row.integer(t + 1).text(u"\t").quoted(a.itemNames.at(t)).text(u"\t")
        .integer(placement.placements).text(u"\t").integer(pairTotal).text(u"\t ")
        .integer(placement.fitSum).text(u"\t")
        .quotient(placement.fitSum, scale.cardSets, 1).text(u"\t")
        .agreement(a.itemAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    if (a.summary->useExpert)
        row.text(u"\t").agreement(a.itemExpertAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    row.writeLine(a.itemsFile);
}

} // namespace

bool WriteAnalysisFiles(CardSortAnalysis &a, const std::vector<int> &leafOrder)
{
    WriteParticipantsFile(a);

    TableRow counts;
    TableRow weighted;
    writeMatrixHeaders(a, leafOrder, counts);
    writeItemsHeader(a, counts);
    const ItemScale scale = itemScale(*a.summary);
    for (const int t : leafOrder) {
        const qint64 pairTotal = writeMatrixRows(a, leafOrder, t, counts, weighted);
        if (!a.itemPlacements.empty())
            writeItemRow(a, scale, t, pairTotal, counts);
    }
    return a.CommitFiles();
}

} // namespace sortana
