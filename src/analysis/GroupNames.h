#pragma once

#include "analysis/Categories.h"
#include "study/ClusterNode.h"

#include <vector>

namespace sortana {

// A category that a dendrogram group's cards were placed in, and its share of all their
// placements in named groups: sum of P(x, c) over the group's cards, over the same sum for
// every category.
struct NameCandidate {
    std::size_t category = 0;
    double share = 0.0;
};

// One band of the dendrogram, cut by the number of groups: its rows in leaf order, and the
// categories with the largest sums of P(x, c) over its cards, at most three, largest first
// (equal sums in category order). Empty when no card of the band was placed in a named group;
// the first is the suggested name.
struct GroupName {
    int firstRow = 0;
    int rowCount = 0;
    std::vector<NameCandidate> candidates;
};

// The bands of the tree cut into `numberOfGroups`, from the top, without candidates: every
// other view of a cut is made from these. Empty for a null root.
std::vector<GroupName> groupBands(const ClusterNode *root, int numberOfGroups);

// The same bands with their names.
std::vector<GroupName> suggestGroupNames(const ClusterNode *root, int numberOfGroups, const CategoryTable &table);

// A band's suggested name: its first candidate's category; empty when it has none.
QString suggestedName(const GroupName &group, const CategoryTable &table);

} // namespace sortana
