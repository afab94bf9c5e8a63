// The export run: the participants, the two matrices, then the items in the dendrogram's leaf order.
#include "formats/AnalysisExport.h"

#include "formats/CardSortAnalysis.h"
#include "formats/MatrixFiles.h"
#include "formats/TableRow.h"

namespace sortana {

namespace {

struct ItemScale {
    double cardSets; // S: the counted card sets
    double maxScore;
    double d;
};

ItemScale itemScale(const StudySummary &s)
{
    return {s.cardSets(), double(s.maxScorePerItem()), s.itemAgreementCount()};
}

void writeItemsHeader(CardSortAnalysis &a, TableRow &row)
{
    row.text(u"\"Item No\"\t\"Item Name\"\t\"Count\"\t\"Pairs\"\t\"Weighted\"\t\"AveFit\"\t\"%AveAlign\"");
    if (a.summary->useExpert)
        row.text(u"\t\"%ExpertAlign\"");
    row.writeLine(a.sink(), AnalysisFile::Items);
}

void writeItemRow(CardSortAnalysis &a, const ItemScale &scale, int t, qint64 pairTotal, TableRow &row)
{
    const ItemPlacement &placement = a.itemPlacements[static_cast<size_t>(t)];
    row.integer(t + 1)
        .text(u"\t")
        .quoted(a.itemNames.at(t))
        .text(u"\t")
        .integer(placement.placements)
        .text(u"\t")
        .integer(pairTotal)
        .text(u"\t ")
        .integer(placement.fitSum)
        .text(u"\t")
        .quotient(placement.fitSum, scale.cardSets, 1)
        .text(u"\t")
        .agreement(a.itemAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    if (a.summary->useExpert)
        row.text(u"\t").agreement(a.itemExpertAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    row.writeLine(a.sink(), AnalysisFile::Items);
}

} // namespace

bool writeAnalysisFiles(CardSortAnalysis &a, const std::vector<int> &leafOrder)
{
    writeParticipantsFile(a);
    return writeTreeOrderedFiles(a, leafOrder);
}

bool writeTreeOrderedFiles(CardSortAnalysis &a, const std::vector<int> &leafOrder)
{
    const std::vector<qint64> pairTotals = writeMatrixFiles(a, leafOrder);
    TableRow row;
    writeItemsHeader(a, row);
    const ItemScale scale = itemScale(*a.summary);
    if (!a.itemPlacements.empty()) {
        for (const int t : leafOrder)
            writeItemRow(a, scale, t, pairTotals[size_t(t)], row);
    }
    return a.commitFiles();
}

} // namespace sortana
