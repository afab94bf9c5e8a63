#include "study/StudySummary.h"

#include <gtest/gtest.h>

using namespace sortana;

namespace {

// Every scale the options imply, worked out by hand for each combination that differs.
TEST(StudySummary, TheArithmeticOfTheOptions)
{
    const struct {
        bool useFit, useSubGroups, useExpert;
        int copies, participants;
        double weightedScale;
        qint64 maxScorePerItem;
        double similarityScale;
        int counted;
        double cardSets;
        qint64 sameSubGroupPair, otherSubGroupPair; // fits 2 and 3
    } cases[] = {
        {false, false, false, 1, 5, 1, 1, 1, 5, 5, 1, 1},
        {true, false, false, 1, 5, 2, 3, 2, 5, 5, 5, 5},
        {false, true, false, 1, 5, 2, 2, 1, 5, 5, 2, 1},
        {true, true, true, 2, 5, 8, 12, 4, 4, 8, 10, 5},
        {true, true, false, 10, 1, 40, 60, 20, 1, 10, 10, 5},
        // Only a damaged document holds no copies: the similarities stay finite.
        {true, false, true, 0, 0, 0, 0, 2, -1, 0, 5, 5},
    };
    for (const auto &c : cases) {
        StudySummary s;
        s.useFit = c.useFit;
        s.useSubGroups = c.useSubGroups;
        s.useExpert = c.useExpert;
        s.copiesPerParticipant = c.copies;
        s.participantCount = c.participants;
        SCOPED_TRACE(testing::Message() << c.useFit << c.useSubGroups << c.useExpert << " copies " << c.copies);
        EXPECT_EQ(s.weightedScale(), c.weightedScale);
        EXPECT_EQ(s.maxScorePerItem(), c.maxScorePerItem);
        EXPECT_EQ(s.similarityScale(), c.similarityScale);
        EXPECT_EQ(s.countedParticipants(), c.counted);
        EXPECT_EQ(s.cardSets(), c.cardSets);
        EXPECT_EQ(s.pairWeight(2, 3, true), c.sameSubGroupPair);
        EXPECT_EQ(s.pairWeight(2, 3, false), c.otherSubGroupPair);
    }
    EXPECT_EQ(maxFit, 3);
}

} // namespace
