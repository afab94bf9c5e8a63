#pragma once

#include "study/ClusterTree.h"

#include <memory>
#include <vector>

namespace sortana::test {

// A tree over one item more than there are similarities, each item from item 1 on joined to
// the cluster of the items before it at the next similarity given: its leaves are the
// items in order.
inline std::shared_ptr<const ClusterTree> chainTree(const std::vector<double> &similarities)
{
    auto tree = std::make_shared<ClusterTree>();
    const ClusterNode *node = nullptr;
    for (std::size_t join = 0; join < similarities.size(); ++join)
        node = &tree->add(ClusterNode{node, nullptr, similarities[join], 0, std::int32_t(join + 1)});
    tree->setRoot(node);
    return tree;
}

} // namespace sortana::test
