#pragma once

#include <optional>

namespace sortana {

struct Study;

// How well the tree keeps the pair scores: the Pearson correlation, over every pair of
// cards, of the pair's similarity with that of the join where the two first meet. Nullopt
// when it is undefined (fewer than two pairs, or one side constant) or the document holds
// no matrix.
std::optional<double> copheneticCorrelation(const Study &study);

} // namespace sortana
