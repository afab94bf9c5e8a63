#include "analysis/GroupCut.h"

#include <algorithm>

namespace sortana {

std::vector<TreeJoin> treeJoins(const ClusterNode *root)
{
    std::vector<TreeJoin> joins;
    if (!root)
        return joins;
    struct Frame {
        TreeJoin join;
        int stage = 0;   // 0: left side next, 1: right side next, 2: the node itself
    };
    std::vector<Frame> stack{Frame{TreeJoin{root}}};
    int rows = 0;
    while (!stack.empty()) {
        Frame &top = stack.back();
        const ClusterNode *node = top.join.node;
        const int stage = top.stage++;
        if (stage == 2) {
            top.join.end = rows;
            joins.push_back(top.join);
            stack.pop_back();
            continue;
        }
        if (stage == 0)
            top.join.first = rows;
        else
            top.join.split = rows;
        const ClusterNode *child = stage == 0 ? node->left : node->right;
        if (child)
            stack.push_back(Frame{TreeJoin{child}});
        else
            ++rows;
    }
    return joins;
}

std::vector<int> splitsLoosestFirst(std::vector<JoinSplit> joins)
{
    std::stable_sort(joins.begin(), joins.end(),
                     [](const JoinSplit &a, const JoinSplit &b) { return a.similarity < b.similarity; });
    std::vector<int> splits(joins.size());
    std::transform(joins.begin(), joins.end(), splits.begin(), [](const JoinSplit &join) { return join.split; });
    return splits;
}

std::set<int> loosestSplits(std::vector<JoinSplit> joins, int numberOfGroups)
{
    std::set<int> splits;
    if (numberOfGroups <= 1)
        return splits;
    int count = 1;
    for (const int split : splitsLoosestFirst(std::move(joins))) {
        if (count >= numberOfGroups)
            break;
        if (splits.insert(split).second)
            ++count;
    }
    return splits;
}

std::vector<int> groupStarts(const ClusterNode *root, int numberOfGroups)
{
    if (!root)
        return {};
    std::vector<JoinSplit> joins;
    for (const TreeJoin &join : treeJoins(root))
        joins.push_back({join.node->similarity, join.split});
    const std::set<int> splits = loosestSplits(std::move(joins), numberOfGroups);
    std::vector<int> starts{0};
    starts.insert(starts.end(), splits.begin(), splits.end());
    return starts;
}

} // namespace sortana
