#pragma once

#include "platform/Progress.h"
#include "study/ClusterNode.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace sortana {

struct Study;

// How often the study's joins come back when the participants are drawn again with
// replacement, and what the replicate trees are kept as to tell how stable any cut is.
struct TreeSupport {
    quint64 seed = 1;
    qint32 replicates = 0;
    // Per join of the study's tree, in post-order: the percentage of replicates with a join
    // of exactly the same cards, rounded to one decimal.
    std::vector<double> joinSupport;
    // Every replicate's tree, kept as what cutting it into any number of groups needs (the
    // way the bands are cut), so that no replicate is clustered again: its cards in leaf
    // order (itemCount per replicate), and the rows where its joins split those, loosest
    // join first (itemCount - 1 per replicate).
    std::vector<qint32> replicateLeaves;
    std::vector<qint32> replicateSplits;
    bool operator==(const TreeSupport &) const = default;
};

// Runs the replicates on every core; nullopt when cancelled or when the document has no
// tree or no sorts.
std::optional<TreeSupport> computeTreeSupport(const Study &study, int replicates, quint64 seed,
                                              const Progress &progress);

// The stability of each group of the study's tree cut into that many groups, top to
// bottom, as a percentage with one decimal; empty when the support does not fit the
// document's tree.
std::vector<double> groupStability(const TreeSupport &support, const Study &study, int numberOfGroups);

} // namespace sortana
