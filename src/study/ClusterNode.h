#pragma once

#include <cstdint>

namespace sortana {

// One join of the cluster tree. Each side is either a child node or, when that child is
// null, the single item named by leftItem or rightItem. When a side is a node, its item
// field still names the item of the joining pair that lies on that side, so the dendrogram
// and the document file can tell which pair caused the join.
struct ClusterNode {
    const ClusterNode *left = nullptr;
    const ClusterNode *right = nullptr;
    double similarity = 0.0;
    std::int32_t leftItem = 0;
    std::int32_t rightItem = 0;
};

} // namespace sortana
