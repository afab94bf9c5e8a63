#pragma once

#include <vector>

namespace sortana {

class CardSortEngine;

// The export run after a successful read and clustering: the participants rows (from a
// second pass over the input's records), then the matrix, weighted matrix and items rows in
// leaf order, all to the engine's sink; then the outputs are committed. Returns false, after
// telling the user, when an output could not be written completely (a full disk, say).
bool writeAnalysisFiles(CardSortEngine &analysis, const std::vector<int> &leafOrder);
// The same after writeParticipantsRows has been run, which needs no tree and so can run while
// the clustering does.
bool writeTreeOrderedFiles(CardSortEngine &analysis, const std::vector<int> &leafOrder);

// How the agreement sums are worked out: exactly, going back to adding them up pair by pair
// only where the exact sum could print otherwise; or always pair by pair, which is slower
// and the reference the exact way is checked against.
enum class AgreementSums { Exact, PairByPair };

// Rebuilds each participant's own pair scores from the input's records, hands the sink one
// row per participant and fills the per-item agreement sums that the items rows report.
void writeParticipantsRows(CardSortEngine &analysis, AgreementSums sums = AgreementSums::Exact);

} // namespace sortana
