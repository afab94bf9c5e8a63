#include "analysis/LeafOrder.h"
#include "study/ClusterTree.h"

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

using namespace sortana;

namespace {

// Each item joins the rest one at a time: the tree is as deep as it has items.
const ClusterNode *chain(ClusterTree &tree, int itemCount, bool growsLeft)
{
    if (growsLeft) {
        const ClusterNode *node = &tree.add({nullptr, nullptr, 1.0, 0, 1});
        for (int item = 2; item < itemCount; ++item)
            node = &tree.add({node, nullptr, 1.0, item - 1, item});
        return node;
    }
    const ClusterNode *node = &tree.add({nullptr, nullptr, 1.0, itemCount - 2, itemCount - 1});
    for (int item = itemCount - 3; item >= 0; --item)
        node = &tree.add({nullptr, node, 1.0, item, item + 1});
    return node;
}

TEST(LeafOrderTest, ChainsAsDeepAsTheirItemsDoNotExhaustTheStack)
{
    const int itemCount = 30000;
    std::vector<int> expected(itemCount);
    std::iota(expected.begin(), expected.end(), 0);
    for (bool growsLeft : {true, false}) {
        SCOPED_TRACE(growsLeft ? "left-deep" : "right-deep");
        ClusterTree tree;
        const ClusterNode *root = chain(tree, itemCount, growsLeft);
        // On a small stack, where a walk that recursed once per level would overflow.
        std::vector<int> order;
        std::unique_ptr<QThread> walker(QThread::create([&] { order = LeafOrder(root); }));
        walker->setStackSize(128 * 1024);
        walker->start();
        ASSERT_TRUE(walker->wait(QDeadlineTimer(60000)));
        EXPECT_EQ(order, expected);
    }
}

TEST(LeafOrderTest, LeftSideBeforeRightSideAtEveryNode)
{
    // Built as a loader would: nodes first, children attached afterwards.
    ClusterTree tree;
    ClusterNode *root = &tree.add({});
    const ClusterNode *left = &tree.add({nullptr, nullptr, 2.0, 4, 1});
    const ClusterNode *right = &tree.add({nullptr, nullptr, 3.0, 0, 3});
    *root = ClusterNode{left, right, 0.5, 1, 0};
    const ClusterNode *top = &tree.add({nullptr, root, 0.0, 2, 4});

    EXPECT_EQ(LeafOrder(top), (std::vector<int>{2, 4, 1, 0, 3}));
    EXPECT_EQ(LeafOrder(root), (std::vector<int>{4, 1, 0, 3}));
    EXPECT_TRUE(LeafOrder(nullptr).empty());
}

} // namespace
