#include "analysis/ClusterAnalysis.h"
#include "TreeRecords.h"
#include "analysis/LeafOrder.h"
#include "study/ClusterTree.h"
#include "study/PairMatrix.h"
#include "study/StudySummary.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace sortana;
using sortana::testing::NodeRecord;
using sortana::testing::preOrder;

namespace {

struct Score {
    int row;
    int column;
    int weight;
};

PairMatrix matrixOf(int itemCount, const std::vector<Score> &scores)
{
    PairMatrix matrix;
    matrix.allocate(itemCount);
    for (const Score &s : scores)
        matrix.at(s.row, s.column) = s.weight;
    return matrix;
}

TEST(ClusterAnalysisTest, WorkedStudies)
{
    // Trees are listed depth first (node, left subtree, right subtree); hasLeft and hasRight
    // say whether a side is a node or the single item named beside it.
    struct Case {
        std::string name;
        int itemCount;
        std::vector<Score> scores;
        std::vector<NodeRecord> tree;
        std::vector<int> leafOrder;
        int passes;
        // Including those of abandoned passes, which are freed again; unset where it depends
        // on how a round trip is found.
        std::optional<std::size_t> nodesMade;
    };
    const Case cases[] = {
        {"two items that met", 2, {{1, 0, 3}},
         {{3.0, 0, 1, false, false}}, {0, 1}, 1, 1},
        {"two items that never met", 2, {},
         {{0.0, 0, 1, false, false}}, {0, 1}, 1, 1},
        {"an item left for the final join", 3, {{2, 0, 3}},
         {{0.0, 0, 1, true, false}, {3.0, 0, 2, false, false}}, {0, 2, 1}, 1, 2},
        {"re-evaluated pairs moved out of the scan's way", 4,
         {{1, 0, 3}, {2, 0, 4}, {2, 1, 3}, {3, 0, 3}, {3, 1, 4}, {3, 2, 4}},
         {{0.0, 0, 1, true, true}, {4.0, 0, 2, false, false}, {4.0, 1, 3, false, false}},
         {0, 2, 1, 3}, 1, 3},
        {"a rising similarity forces a second pass", 4,
         {{2, 0, 1}, {2, 1, 1}, {3, 1, 4}, {3, 2, 4}},
         {{0.0, 1, 0, true, false}, {2.5, 3, 2, true, false}, {4.0, 1, 3, false, false}},
         {1, 3, 2, 0}, 2, 5},
        // Pass 3 moves (6, 5) and (5, 1) from 2.75 down to 8/3; after the merge of (3, 2) they
        // come back at 2.75, above that merge, so a re-run is due although the list is as the
        // pass found it. Pass 4 would do the same for ever: it is the last pass instead, and
        // its merges (6, 1), (6, 3), (3, 2), (5, 4), (4, 1), (1, 0) make the tree.
        {"a list that comes round ends the passes", 7,
         {{1, 0, 1}, {2, 1, 4}, {3, 1, 4}, {3, 2, 4}, {4, 1, 1}, {4, 2, 2}, {4, 3, 1}, {5, 1, 3},
          {5, 2, 3}, {5, 3, 1}, {5, 4, 2}, {6, 0, 3}, {6, 1, 6}, {6, 3, 6}, {6, 5, 4}},
         {{4.0 / 6.0, 1, 0, true, false}, {1.875, 1, 4, true, true}, {8.0 / 3.0, 3, 2, true, false},
          {5.0, 6, 3, true, false}, {6.0, 1, 6, false, false}, {2.0, 4, 5, false, false}},
         {1, 6, 3, 2, 4, 5, 0}, 5, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const PairMatrix matrix = matrixOf(c.itemCount, c.scores);
        const std::size_t madeBefore = ClusterTree::nodesMade();
        const std::size_t liveBefore = ClusterTree::liveNodes();
        ClusterAnalysis analysis;
        EXPECT_EQ(analysis.Run(c.itemCount, matrix, StudySummary{}), 1);
        EXPECT_EQ(preOrder(analysis.root()), c.tree);
        EXPECT_EQ(LeafOrder(analysis.root()), c.leafOrder);
        EXPECT_EQ(analysis.passCount(), c.passes);
        if (c.nodesMade) {
            EXPECT_EQ(ClusterTree::nodesMade() - madeBefore, *c.nodesMade);
        }
        EXPECT_EQ(ClusterTree::liveNodes() - liveBefore, c.tree.size());
    }
}

TEST(ClusterAnalysisTest, SimilaritiesArePerMostAPairCanScore)
{
    StudySummary summary;
    summary.useFit = true;
    summary.copiesPerParticipant = 2;
    summary.useSubGroups = true;   // not part of the scale
    const PairMatrix matrix = matrixOf(2, {{1, 0, 10}});

    ClusterAnalysis analysis;
    analysis.Run(2, matrix, summary);

    ASSERT_NE(analysis.root(), nullptr);
    EXPECT_EQ(analysis.root()->similarity, 2.5);
}

TEST(ClusterAnalysisTest, TakenTreeOutlivesTheAnalysis)
{
    const PairMatrix matrix = matrixOf(3, {{1, 0, 2}, {2, 1, 1}});
    const std::size_t liveBefore = ClusterTree::liveNodes();
    std::shared_ptr<const ClusterTree> tree;
    {
        ClusterAnalysis analysis;
        analysis.Run(3, matrix, StudySummary{});
        tree = analysis.takeTree();
        EXPECT_EQ(analysis.root(), nullptr);
    }
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(LeafOrder(tree->root()), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ClusterTree::liveNodes() - liveBefore, 2u);
    tree.reset();
    EXPECT_EQ(ClusterTree::liveNodes(), liveBefore);
}

TEST(ClusterAnalysisTest, FewerThanTwoItemsGiveNoTree)
{
    for (int itemCount : {0, 1}) {
        const PairMatrix matrix = matrixOf(itemCount, {});
        ClusterAnalysis analysis;
        EXPECT_EQ(analysis.Run(itemCount, matrix, StudySummary{}), 1);
        EXPECT_EQ(analysis.root(), nullptr);
        EXPECT_TRUE(LeafOrder(analysis.root()).empty());
        EXPECT_EQ(analysis.takeTree(), nullptr);
    }
}

} // namespace
