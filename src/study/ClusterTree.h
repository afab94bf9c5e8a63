#pragma once

#include "study/ClusterNode.h"

#include <cstddef>
#include <deque>

namespace sortana {

// The nodes of one cluster tree and its root. The tree owns its nodes and frees them with
// itself; a node never moves while the tree lives, so the children's pointers hold. Once
// built, a tree is shared read-only (std::shared_ptr<const ClusterTree>) by everybody who
// reads or draws it, on any thread, and the last of them frees it.
class ClusterTree {
public:
    ClusterTree() = default;
    ~ClusterTree();
    ClusterTree(const ClusterTree &) = delete;
    ClusterTree &operator=(const ClusterTree &) = delete;

    // A new node of this tree, for the one who builds it.
    ClusterNode &add(const ClusterNode &node);
    void setRoot(const ClusterNode *root) { m_root = root; }

    // Null while nothing is joined.
    const ClusterNode *root() const { return m_root; }
    std::size_t nodeCount() const { return m_nodes.size(); }

    // The nodes of every tree in the process: all that were ever made, and those of the
    // trees still alive. For tests that check that trees are freed and no work is wasted.
    static std::size_t nodesMade();
    static std::size_t liveNodes();

private:
    // A deque never moves its elements when it grows.
    std::deque<ClusterNode> m_nodes;
    const ClusterNode *m_root = nullptr;
};

} // namespace sortana
