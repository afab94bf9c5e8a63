#pragma once

#include "study/ClusterNode.h"

#include <set>
#include <vector>

namespace sortana {

// A join as the cut into groups sees it: how loose it is, and where its two sides meet
// along the rows (a position in any unit that grows or shrinks with the rows).
struct JoinSplit {
    double similarity = 0.0;
    int split = 0;
};

// A join of a tree along its rows in leaf order: its left side holds the rows first to
// split - 1, its right side split to end - 1.
struct TreeJoin {
    const ClusterNode *node = nullptr;
    int first = 0;
    int split = 0;
    int end = 0;
};

// Every join of the tree, left side before right and each after its two sides, so the root
// comes last. Empty for a null root. The walk keeps its own stack, as a tree can be as deep
// as it has items.
std::vector<TreeJoin> treeJoins(const ClusterNode *root);

// The splits in the order the cut into groups takes them: loosest join first, equal
// similarities in the order given.
std::vector<int> splitsLoosestFirst(std::vector<JoinSplit> joins);

// The splits that cut the rows into the number of groups asked for: the joins taken
// loosest first (equal similarities in the order given), each split counted once, until
// there are enough. One group, or fewer, has no split.
std::set<int> loosestSplits(std::vector<JoinSplit> joins, int numberOfGroups);

// The same cut for the tree's leaf order, as row indexes: the first row of every group,
// row 0 included. Empty for a null root.
std::vector<int> groupStarts(const ClusterNode *root, int numberOfGroups);

} // namespace sortana
