#include "analysis/NodeRegistry.h"

#include <gtest/gtest.h>

using namespace sortana;

namespace {

TEST(NodeRegistry, NodesStayInPlaceUntilCleared)
{
    NodeRegistry &registry = NodeRegistry::instance();
    registry.clear();
    ClusterNode *first = registry.create(nullptr, nullptr, 1.5, 0, 1);
    ClusterNode *second = registry.create(first, nullptr, 0.5, 0, 2);
    for (int i = 0; i < 100000; ++i)
        registry.create();

    EXPECT_EQ(first->similarity, 1.5);
    EXPECT_EQ(second->left, first);
    EXPECT_EQ(second->rightItem, 2);
    EXPECT_EQ(registry.size(), 100002u);
    registry.clear();
    EXPECT_EQ(registry.size(), 0u);
}

} // namespace
