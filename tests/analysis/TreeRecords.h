#pragma once

#include "study/ClusterNode.h"

#include <bit>
#include <cstdint>
#include <ostream>
#include <vector>

namespace sortana::testing {

// One node as the document file would record it, with the similarity compared bit for bit.
struct NodeRecord {
    double similarity;
    int leftItem;
    int rightItem;
    bool hasLeft;
    bool hasRight;

    friend bool operator==(const NodeRecord &a, const NodeRecord &b)
    {
        return std::bit_cast<std::uint64_t>(a.similarity) == std::bit_cast<std::uint64_t>(b.similarity)
            && a.leftItem == b.leftItem && a.rightItem == b.rightItem && a.hasLeft == b.hasLeft
            && a.hasRight == b.hasRight;
    }
    friend std::ostream &operator<<(std::ostream &out, const NodeRecord &r)
    {
        return out << "{" << std::hexfloat << r.similarity << std::defaultfloat << " (" << r.similarity
                   << "), left " << (r.hasLeft ? "node/" : "item/") << r.leftItem << ", right "
                   << (r.hasRight ? "node/" : "item/") << r.rightItem << "}";
    }
};

// The tree depth first, a node before its left subtree before its right subtree: two trees
// are the same exactly when these lists are equal.
inline std::vector<NodeRecord> preOrder(const ClusterNode *root)
{
    std::vector<NodeRecord> records;
    std::vector<const ClusterNode *> pending;
    if (root != nullptr)
        pending.push_back(root);
    while (!pending.empty()) {
        const ClusterNode *node = pending.back();
        pending.pop_back();
        records.push_back({node->similarity, node->leftItem, node->rightItem, node->left != nullptr,
                           node->right != nullptr});
        if (node->right != nullptr)
            pending.push_back(node->right);
        if (node->left != nullptr)
            pending.push_back(node->left);
    }
    return records;
}

} // namespace sortana::testing
