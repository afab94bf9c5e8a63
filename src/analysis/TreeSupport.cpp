#include "analysis/TreeSupport.h"

#include "document/CSortanaMdiDoc.h"

namespace sortana {

std::vector<const ClusterNode *> joinsInPostOrder(const ClusterNode *root)
{
    std::vector<const ClusterNode *> joins;
    if (!root)
        return joins;
    // A tree can be as deep as it has items: the walk keeps its own stack.
    struct Frame {
        const ClusterNode *node;
        bool sidesDone;
    };
    std::vector<Frame> stack{{root, false}};
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.sidesDone) {
            joins.push_back(top.node);
            stack.pop_back();
            continue;
        }
        top.sidesDone = true;
        const ClusterNode *node = top.node;
        // Pushed right first, so the left side is walked first.
        if (node->right)
            stack.push_back({node->right, false});
        if (node->left)
            stack.push_back({node->left, false});
    }
    return joins;
}

std::optional<TreeSupport> computeTreeSupport(const CSortanaMdiDoc &, int, quint64, const ResamplingProgress &)
{
    return std::nullopt;
}

std::vector<double> groupStability(const TreeSupport &, const CSortanaMdiDoc &, int)
{
    return {};
}

} // namespace sortana
