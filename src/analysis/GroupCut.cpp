#include "analysis/GroupCut.h"

#include <algorithm>

namespace sortana {

std::set<int> loosestSplits(std::vector<JoinSplit> joins, int numberOfGroups)
{
    std::set<int> splits;
    if (numberOfGroups <= 1)
        return splits;
    std::stable_sort(joins.begin(), joins.end(),
                     [](const JoinSplit &a, const JoinSplit &b) { return a.similarity < b.similarity; });
    int count = 1;
    for (const JoinSplit &join : joins) {
        if (count >= numberOfGroups)
            break;
        if (splits.insert(join.split).second)
            ++count;
    }
    return splits;
}

std::vector<int> groupStarts(const ClusterNode *root, int numberOfGroups)
{
    if (!root)
        return {};
    // The joins in the order the dendrogram places them: a node after everything below it.
    struct Frame {
        const ClusterNode *node;
        int stage = 0;   // 0: left side next, 1: right side next, 2: the node itself
        int split = 0;
    };
    std::vector<JoinSplit> joins;
    std::vector<Frame> stack{Frame{root}};
    int rows = 0;
    while (!stack.empty()) {
        const size_t top = stack.size() - 1;
        const ClusterNode *node = stack[top].node;
        const int stage = stack[top].stage++;
        if (stage == 2) {
            joins.push_back({node->similarity, stack[top].split});
            stack.pop_back();
            continue;
        }
        if (stage == 1)
            stack[top].split = rows;
        const ClusterNode *child = stage == 0 ? node->left : node->right;
        if (child)
            stack.push_back(Frame{child});
        else
            ++rows;
    }
    const std::set<int> splits = loosestSplits(std::move(joins), numberOfGroups);
    std::vector<int> starts{0};
    starts.insert(starts.end(), splits.begin(), splits.end());
    return starts;
}

} // namespace sortana
