#pragma once

#include "study/ClusterNode.h"

#include <vector>

namespace sortana {

// The items of the tree in the order the dendrogram shows them: at every node the left side
// before the right side. Empty for a null root. Trees can be as deep as they have items, so
// the walk keeps its own stack instead of recursing.
std::vector<int> LeafOrder(const ClusterNode *root);

} // namespace sortana
