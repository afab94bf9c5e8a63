#include "analysis/LeafOrder.h"
#include "analysis/NodeRegistry.h"

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

using namespace sortana;

namespace {

class LeafOrderTest : public ::testing::Test {
protected:
    void TearDown() override { NodeRegistry::instance().clear(); }
};

// Each item joins the rest one at a time: the tree is as deep as it has items.
ClusterNode *chain(int itemCount, bool growsLeft)
{
    NodeRegistry &registry = NodeRegistry::instance();
    if (growsLeft) {
        ClusterNode *node = registry.create(nullptr, nullptr, 1.0, 0, 1);
        for (int item = 2; item < itemCount; ++item)
            node = registry.create(node, nullptr, 1.0, item - 1, item);
        return node;
    }
    ClusterNode *node = registry.create(nullptr, nullptr, 1.0, itemCount - 2, itemCount - 1);
    for (int item = itemCount - 3; item >= 0; --item)
        node = registry.create(nullptr, node, 1.0, item, item + 1);
    return node;
}

TEST_F(LeafOrderTest, ChainsAsDeepAsTheirItemsDoNotExhaustTheStack)
{
    const int itemCount = 30000;
    std::vector<int> expected(itemCount);
    std::iota(expected.begin(), expected.end(), 0);
    for (bool growsLeft : {true, false}) {
        SCOPED_TRACE(growsLeft ? "left-deep" : "right-deep");
        const ClusterNode *root = chain(itemCount, growsLeft);
        // On a small stack, where a walk that recursed once per level would overflow.
        std::vector<int> order;
        std::unique_ptr<QThread> walker(QThread::create([&] { order = LeafOrder(root); }));
        walker->setStackSize(128 * 1024);
        walker->start();
        ASSERT_TRUE(walker->wait(QDeadlineTimer(60000)));
        EXPECT_EQ(order, expected);
    }
}

TEST_F(LeafOrderTest, LeftSideBeforeRightSideAtEveryNode)
{
    // Built as a loader would: nodes first, children attached afterwards.
    NodeRegistry &registry = NodeRegistry::instance();
    ClusterNode *root = registry.create();
    ClusterNode *left = registry.create(nullptr, nullptr, 2.0, 4, 1);
    ClusterNode *right = registry.create(nullptr, nullptr, 3.0, 0, 3);
    *root = ClusterNode{left, right, 0.5, 1, 0};
    ClusterNode *top = registry.create(nullptr, root, 0.0, 2, 4);

    EXPECT_EQ(LeafOrder(top), (std::vector<int>{2, 4, 1, 0, 3}));
    EXPECT_EQ(LeafOrder(root), (std::vector<int>{4, 1, 0, 3}));
    EXPECT_TRUE(LeafOrder(nullptr).empty());
}

} // namespace
