// The distance between two sorts: the fewest cards to move to turn one into the other.
#include "analysis/SortDistance.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

#include <gtest/gtest.h>

using namespace sortana;

namespace {

// A sort of the given groups of item indexes, each card in sub-group 0.
ParticipantSort sortOf(const std::vector<std::vector<int>> &groups)
{
    ParticipantSort sort{QStringLiteral("P"), true, {}};
    for (const std::vector<int> &cards : groups) {
        SortGroup group;
        for (const int card : cards)
            group.cards.push_back({card, 1, 0});
        sort.groups.push_back(group);
    }
    return sort;
}

TEST(SortDistance, HandWorkedCases)
{
    const struct {
        const char *what;
        std::vector<std::vector<int>> a;
        std::vector<std::vector<int>> b;
        int ab;
        int ba;
    } cases[] = {
        {"identical sorts", {{0, 1, 2}, {3, 4}}, {{0, 1, 2}, {3, 4}}, 0, 0},
        {"one card moved", {{0, 1, 2}, {3, 4}}, {{0, 1}, {2, 3, 4}}, 1, 1},
        {"the groups in another order", {{0, 1}, {2, 3}, {4}}, {{4}, {2, 3}, {0, 1}}, 0, 0},
        {"a group split in two", {{0, 1, 2, 3}}, {{0, 1}, {2, 3}}, 2, 2},
        {"sorts of different cards", {{0, 1, 2}}, {{0}, {5}}, 2, 1},
        {"no card in common", {{0, 1}}, {{2, 3}}, 2, 2},
        // The best pair (3 cards) is not in the best matching (2 + 2).
        {"a greedy match falls short", {{0, 1, 2, 3, 4}, {5, 6}}, {{0, 1, 2, 5, 6}, {3, 4}}, 3, 3},
        {"empty groups dropped, a card twice in a group once", {{0, 0, 1}, {}, {2}}, {{0, 1, 2}}, 1, 1},
        {"a card in two groups is two placements", {{0, 1}, {1, 2}}, {{0, 1, 2}}, 2, 1},
        {"every card alone against one group", {{0}, {1}, {2}, {3}}, {{0, 1, 2, 3}}, 3, 3},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(sortDistance(sortOf(c.a), sortOf(c.b)), c.ab) << c.what;
        EXPECT_EQ(sortDistance(sortOf(c.b), sortOf(c.a)), c.ba) << c.what;
    }
    EXPECT_EQ(distinctCardsPlaced(sortOf({{0, 1}, {1, 2}, {}})), 3);
    EXPECT_EQ(distinctCardsPlaced(sortOf({})), 0);
    EXPECT_EQ(sortDistance(sortOf({}), sortOf({{0, 1}})), 0);
}

// Past a million pairs of groups the overlaps are counted by sorting rather than in a table.
TEST(SortDistance, SortsOfVeryManyGroups)
{
    std::vector<std::vector<int>> alone;
    std::vector<std::vector<int>> oneBigGroup(1);
    for (int card = 0; card < 1100; ++card) {
        alone.push_back({card});
        if (card < 76)
            oneBigGroup[0].push_back(card);
        else
            oneBigGroup.push_back({card});
    }
    EXPECT_EQ(sortDistance(sortOf(alone), sortOf(oneBigGroup)), 75);
    EXPECT_EQ(sortDistance(sortOf(oneBigGroup), sortOf(alone)), 75);
}

TEST(SortDistance, SubGroupsAreIgnored)
{
    ParticipantSort a = sortOf({{0, 1, 2, 3}});
    a.groups[0].cards[2].subGroup = a.groups[0].cards[3].subGroup = 1;
    EXPECT_EQ(sortDistance(a, sortOf({{0, 1, 2, 3}})), 0);
}

// Every one-to-one matching of a's groups with b's tried, on small random sorts that share
// some cards, place some twice and leave others out: the exact matching must find the best.
TEST(SortDistance, TheMatchingIsTheBestOfAllMatchings)
{
    QRandomGenerator random(26);
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<std::vector<int>> groups[2];
        for (auto &sort : groups) {
            sort.resize(size_t(random.bounded(1, 7)));
            for (int card = 0; card < 10; ++card) {
                for (int copy = 0; copy < random.bounded(0, 3); ++copy)
                    sort[size_t(random.bounded(int(sort.size())))].push_back(card);
            }
        }
        const CardSets a(sortOf(groups[0]));
        const CardSets b(sortOf(groups[1]));
        const auto overlap = [&](size_t i, size_t j) {
            std::vector<int> x = groups[0][i];
            std::vector<int> y = groups[1][j];
            std::sort(x.begin(), x.end());
            std::sort(y.begin(), y.end());
            x.erase(std::unique(x.begin(), x.end()), x.end());
            y.erase(std::unique(y.begin(), y.end()), y.end());
            std::vector<int> both;
            std::set_intersection(x.begin(), x.end(), y.begin(), y.end(), std::back_inserter(both));
            return int(both.size());
        };
        // Padded with groups that hold nothing, b's groups in every order against a's.
        const size_t size = std::max(groups[0].size(), groups[1].size());
        std::vector<size_t> order(size);
        std::iota(order.begin(), order.end(), 0);
        int best = 0;
        do {
            int total = 0;
            for (size_t i = 0; i < groups[0].size(); ++i) {
                if (order[i] < groups[1].size())
                    total += overlap(i, order[i]);
            }
            best = std::max(best, total);
        } while (std::next_permutation(order.begin(), order.end()));
        ASSERT_EQ(largestOverlap(a, b), best) << trial;
        ASSERT_EQ(largestOverlap(b, a), best) << trial;
        ASSERT_EQ(sortDistance(a, b), a.placements() - best) << trial;
    }
}

} // namespace
