#include "analysis/NodeRegistry.h"

namespace sortana {

NodeRegistry &NodeRegistry::instance()
{
    static NodeRegistry registry;
    return registry;
}

ClusterNode *NodeRegistry::create(ClusterNode *left, ClusterNode *right, double similarity,
                                  std::int32_t leftItem, std::int32_t rightItem)
{
    return &m_nodes.emplace_back(ClusterNode{left, right, similarity, leftItem, rightItem});
}

void NodeRegistry::clear()
{
    // Swapping with an empty deque returns the memory, which clear() alone may keep.
    std::deque<ClusterNode>().swap(m_nodes);
}

} // namespace sortana
