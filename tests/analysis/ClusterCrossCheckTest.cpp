#include "ReferenceClustering.h"
#include "TreeRecords.h"
#include "analysis/ClusterAnalysis.h"
#include "study/ClusterTree.h"
#include "study/PairMatrix.h"
#include "study/StudySummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace sortana;
using sortana::testing::preOrder;
using sortana::testing::ReferenceClustering;

namespace {

std::string describe(const PairMatrix &matrix, const StudySummary &summary)
{
    std::ostringstream out;
    out << "useFit " << summary.useFit << ", copies " << summary.copiesPerParticipant << ", scores:";
    for (int i = 1; i < matrix.size(); ++i) {
        out << "\n ";
        for (int j = 0; j < i; ++j)
            out << ' ' << matrix.at(i, j);
    }
    return out.str();
}

struct StudyShape {
    const char *name;
    int rounds;
    int minItems;
    int maxItems;
    bool grouped;   // items fall into a few groups, scored higher within them
    int maxScore;
};

PairMatrix randomScores(std::mt19937 &random, int itemCount, bool grouped, int scoreLimit)
{
    PairMatrix matrix;
    matrix.allocate(itemCount);
    const double density = std::uniform_real_distribution(0.2, 1.0)(random);
    const int maxScore = std::uniform_int_distribution(1, scoreLimit)(random);
    std::vector<int> groupOf(itemCount);
    std::uniform_int_distribution group(0, std::max(1, itemCount / 4));
    for (int &g : groupOf)
        g = group(random);
    for (int i = 1; i < itemCount; ++i) {
        for (int j = 0; j < i; ++j) {
            int high = maxScore;
            if (grouped && groupOf[i] != groupOf[j])
                high = std::max(1, maxScore / 3);
            if (std::bernoulli_distribution(density)(random))
                matrix.at(i, j) = std::uniform_int_distribution(grouped ? 0 : 1, high)(random);
        }
    }
    return matrix;
}

// The fast clustering must build the very tree of the literal one, similarity for
// similarity to the last bit, in the same number of passes and with the same nodes made.
TEST(ClusterCrossCheck, MatchesTheLiteralAlgorithmOnRandomStudies)
{
    const StudyShape shapes[] = {
        {"small, scattered scores", 20000, 2, 12, false, 6},
        {"small, grouped", 10000, 4, 12, true, 6},
        {"larger, grouped", 400, 20, 60, true, 6},
        // Sums beyond 32 bits, and too few equal scores to count scores into place.
        {"larger, grouped, wide scores", 400, 20, 60, true, 200000000},
    };
    std::mt19937 random(7151);
    for (const StudyShape &shape : shapes) {
        SCOPED_TRACE(shape.name);
        int rerun = 0;
        int rerunTwice = 0;
        for (int round = 0; round < shape.rounds; ++round) {
            const int itemCount = std::uniform_int_distribution(shape.minItems, shape.maxItems)(random);
            const PairMatrix matrix = randomScores(random, itemCount, shape.grouped, shape.maxScore);
            StudySummary summary;
            summary.useFit = std::bernoulli_distribution(0.5)(random);
            summary.copiesPerParticipant = std::uniform_int_distribution(1, 3)(random);
            const double maxPerCell = summary.similarityScale();

            ReferenceClustering reference(matrix, itemCount, maxPerCell);
            ASSERT_TRUE(reference.run(10000)) << describe(matrix, summary);
            const std::size_t nodesBefore = ClusterTree::nodesMade();
            ClusterAnalysis analysis;
            analysis.Run(itemCount, matrix, summary);

            ASSERT_EQ(preOrder(analysis.root()), preOrder(reference.root)) << describe(matrix, summary);
            ASSERT_EQ(analysis.passCount(), reference.passes) << describe(matrix, summary);
            // Finding a round trip takes the real one extra passes, and their abandoned nodes.
            if (!reference.roundTrip) {
                ASSERT_EQ(ClusterTree::nodesMade() - nodesBefore, reference.nodesMade()) << describe(matrix, summary);
            }
            rerun += reference.passes > 1;
            rerunTwice += reference.passes > 2;
        }
        // Without re-runs the comparison would prove little about the list carried between passes.
        EXPECT_GT(rerun, shape.rounds / 20);
        EXPECT_GT(rerunTwice, 0);
    }
}

} // namespace
