#include "study/ClusterTree.h"

#include <gtest/gtest.h>

using namespace sortana;

namespace {

TEST(ClusterTree, NodesStayInPlaceAndGoWithTheTree)
{
    const std::size_t liveBefore = ClusterTree::liveNodes();
    {
        ClusterTree tree;
        const ClusterNode *first = &tree.add({nullptr, nullptr, 1.5, 0, 1});
        const ClusterNode *second = &tree.add({first, nullptr, 0.5, 0, 2});
        for (int i = 0; i < 100000; ++i)
            tree.add({});
        tree.setRoot(second);

        EXPECT_EQ(first->similarity, 1.5);
        EXPECT_EQ(tree.root()->left, first);
        EXPECT_EQ(tree.root()->rightItem, 2);
        EXPECT_EQ(tree.nodeCount(), 100002u);
        EXPECT_EQ(ClusterTree::liveNodes() - liveBefore, 100002u);
    }
    EXPECT_EQ(ClusterTree::liveNodes(), liveBefore);
}

} // namespace
