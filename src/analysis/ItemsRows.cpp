// The export run: the participants, the two matrices, then the items in the dendrogram's leaf order.
#include "analysis/AnalysisRows.h"

#include "analysis/AnalysisRow.h"
#include "analysis/CardSortEngine.h"
#include "analysis/MatrixRows.h"

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

void writeItemsHeader(CardSortEngine &a, AnalysisRow &row)
{
    row.header({u"Item No", u"Item Name", u"Count", u"Pairs", u"Weighted", u"AveFit", u"%AveAlign"});
    if (a.summary->useExpert)
        row.tab().quoted(u"%ExpertAlign");
    row.writeLine(a.sink(), AnalysisFile::Items);
}

void writeItemRow(CardSortEngine &a, const ItemScale &scale, int t, qint64 pairTotal, AnalysisRow &row)
{
    const ItemPlacement &placement = a.itemPlacements[static_cast<size_t>(t)];
    row.label(t + 1)
        .tab()
        .quoted(a.itemNames.at(t))
        .tab()
        .integer(placement.placements)
        .tab()
        .integer(pairTotal)
        .tab()
        .padding(u" ")
        .integer(placement.fitSum)
        .tab()
        .quotient(placement.fitSum, scale.cardSets, 1)
        .tab()
        .agreement(a.itemAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    if (a.summary->useExpert)
        row.tab().agreement(a.itemExpertAlignmentSums[static_cast<size_t>(t)], scale.d, scale.maxScore);
    row.writeLine(a.sink(), AnalysisFile::Items);
}

} // namespace

bool writeAnalysisFiles(CardSortEngine &a, const std::vector<int> &leafOrder)
{
    writeParticipantsRows(a);
    return writeTreeOrderedFiles(a, leafOrder);
}

bool writeTreeOrderedFiles(CardSortEngine &a, const std::vector<int> &leafOrder)
{
    const std::vector<qint64> pairTotals = writeMatrixRows(a, leafOrder);
    AnalysisRow row(a.sink().wantsCells());
    writeItemsHeader(a, row);
    const ItemScale scale = itemScale(*a.summary);
    if (!a.itemPlacements.empty()) {
        for (const int t : leafOrder)
            writeItemRow(a, scale, t, pairTotals[size_t(t)], row);
    }
    return a.commitFiles();
}

} // namespace sortana
