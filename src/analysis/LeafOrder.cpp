#include "analysis/LeafOrder.h"

namespace sortana {

namespace {

// A side still to be emitted: a subtree, or a single item when node is null.
struct Side {
    const ClusterNode *node;
    int item;
};

} // namespace

std::vector<int> LeafOrder(const ClusterNode *root)
{
    std::vector<int> order;
    if (root == nullptr)
        return order;

    std::vector<Side> pending;
    pending.push_back({root, 0});
    while (!pending.empty()) {
        const Side side = pending.back();
        pending.pop_back();
        if (side.node == nullptr) {
            order.push_back(side.item);
            continue;
        }
        // Pushed right first so that the left side comes off the stack first.
        pending.push_back({side.node->right, side.node->rightItem});
        pending.push_back({side.node->left, side.node->leftItem});
    }
    return order;
}

} // namespace sortana
