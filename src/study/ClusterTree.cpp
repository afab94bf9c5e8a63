#include "study/ClusterTree.h"

#include <atomic>

namespace sortana {

namespace {

// Trees are made and freed on several threads at once.
std::atomic<std::size_t> madeCount{0};
std::atomic<std::size_t> freedCount{0};

} // namespace

ClusterTree::~ClusterTree()
{
    freedCount.fetch_add(m_nodes.size(), std::memory_order_release);
}

ClusterNode &ClusterTree::add(const ClusterNode &node)
{
    madeCount.fetch_add(1, std::memory_order_relaxed);
    return m_nodes.emplace_back(node);
}

std::size_t ClusterTree::nodesMade()
{
    return madeCount.load(std::memory_order_relaxed);
}

std::size_t ClusterTree::liveNodes()
{
    // Freed first: whoever sees a node freed also sees it made, so the difference never
    // falls below 0.
    const std::size_t freed = freedCount.load(std::memory_order_acquire);
    return madeCount.load(std::memory_order_relaxed) - freed;
}

} // namespace sortana
