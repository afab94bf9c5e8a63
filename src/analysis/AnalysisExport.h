#pragma once

#include <vector>

namespace sortana {

class CardSortAnalysis;

// The export run after a successful read and clustering: the participants file (from a
// second pass over the input's records), then the matrix, weighted matrix and items rows in leaf
// order; every file is closed at the end. Returns false, after telling the user, when an
// analysis file could not be written completely (a full disk, say).
bool WriteAnalysisFiles(CardSortAnalysis &analysis, const std::vector<int> &leafOrder);
// The same after WriteParticipantsFile has been run, which needs no tree and so can run while
// the clustering does.
bool WriteTreeOrderedFiles(CardSortAnalysis &analysis, const std::vector<int> &leafOrder);

// Rebuilds each participant's own pair scores from the input's records, writes one line per
// participant and fills the per-item agreement sums that the items file reports.
void WriteParticipantsFile(CardSortAnalysis &analysis);

} // namespace sortana
