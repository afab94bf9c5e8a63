#pragma once

#include <vector>

namespace sortana {

class CardSortAnalysis;

// The export run after a successful read and clustering: the participants file (from a
// second pass over the input's records), then the matrix, weighted matrix and items rows in leaf
// order; every file is closed at the end. Returns false, after telling the user, when an
// analysis file could not be written completely (a full disk, say).
bool writeAnalysisFiles(CardSortAnalysis &analysis, const std::vector<int> &leafOrder);
// The same after writeParticipantsFile has been run, which needs no tree and so can run while
// the clustering does.
bool writeTreeOrderedFiles(CardSortAnalysis &analysis, const std::vector<int> &leafOrder);

// How the agreement sums are worked out: exactly, going back to adding them up pair by pair
// only where the exact sum could print otherwise; or always pair by pair, which is slower
// and the reference the exact way is checked against.
enum class AgreementSums { Exact, PairByPair };

// Rebuilds each participant's own pair scores from the input's records, writes one line per
// participant and fills the per-item agreement sums that the items file reports.
void writeParticipantsFile(CardSortAnalysis &analysis, AgreementSums sums = AgreementSums::Exact);

} // namespace sortana
