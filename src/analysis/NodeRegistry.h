#pragma once

#include "analysis/ClusterNode.h"

#include <cstddef>
#include <cstdint>
#include <deque>

namespace sortana {

// The one owner of every ClusterNode in the process. Trees are shared by the clustering, the
// documents and their views, and a document may drop a tree while a view or a saved copy
// still points into it, so no tree frees its own nodes: they all live until the program
// ends (or a test clears them). Nodes of abandoned clustering passes simply stay here.
// Used from the user-interface thread only.
class NodeRegistry {
public:
    static NodeRegistry &instance();

    // A new node owned by the registry. Its address stays valid until clear().
    ClusterNode *create(ClusterNode *left, ClusterNode *right, double similarity,
                        std::int32_t leftItem, std::int32_t rightItem);
    // For readers that learn the children after the node itself (the document loader).
    ClusterNode *create() { return create(nullptr, nullptr, 0.0, 0, 0); }

    std::size_t size() const { return m_nodes.size(); }

    // Frees every node at once; every pointer to a node dangles afterwards.
    void clear();

    NodeRegistry(const NodeRegistry &) = delete;
    NodeRegistry &operator=(const NodeRegistry &) = delete;

private:
    NodeRegistry() = default;

    // A deque never moves its elements when it grows, and frees them in large blocks.
    std::deque<ClusterNode> m_nodes;
};

} // namespace sortana
