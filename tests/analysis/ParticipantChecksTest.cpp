// Each participant's figures and flags, worked out by hand on small studies.
#include "analysis/ParticipantChecks.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

struct Group {
    QString name;
    std::vector<int> cards;
};

ParticipantSort sortOf(const QString &id, const std::vector<Group> &groups, bool counted = true)
{
    ParticipantSort sort{id, counted, {}};
    for (const Group &group : groups) {
        SortGroup kept{group.name, false, {}};
        for (const int card : group.cards)
            kept.cards.push_back({card, 1, 0});
        sort.groups.push_back(kept);
    }
    return sort;
}

TEST(ParticipantChecks, FlagsOnATableOfSorts)
{
    const QString surrogatePair = QString::fromUcs4(U"\U0001F34E");
    const struct {
        const char *what;
        std::vector<Group> groups;
        unsigned flags;
    } cases[] = {
        {"an ordinary sort", {{u"Fruit"_s, {0, 1}}, {u"Veg"_s, {2, 3}}}, 0},
        {"one group", {{u"All"_s, {0, 1, 2, 3}}}, OneGroup},
        {"one group holding every card, another some again", {{u"All"_s, {0, 1, 2}}, {u"Too"_s, {1}}}, OneGroup},
        {"one group, and an empty one", {{u"All"_s, {0, 1, 2, 3}}, {u"Nothing"_s, {}}}, OneGroup},
        {"each card alone",
         {{u"w"_s, {0}}, {u"x"_s, {1}}, {u"y"_s, {2}}, {u"zz"_s, {3}}},
         EachCardAlone | OneLetterNames},
        {"each card alone, one placed twice in its group", {{u"Apple"_s, {0, 0}}, {u"Pear"_s, {1}}}, EachCardAlone},
        {"a single card", {{u"Fruit"_s, {0}}}, OneGroup | EachCardAlone},
        {"three one-letter names", {{u"a"_s, {0, 1}}, {u"b"_s, {2, 3}}, {u"c"_s, {4, 5}}}, OneLetterNames},
        {"two of three, one in spaces and one beyond UTF-16's plane",
         {{u" a "_s, {0, 1}}, {surrogatePair, {2, 3}}, {u"Fruit"_s, {4, 5}}},
         OneLetterNames},
        {"half, not more", {{u"a"_s, {0, 1}}, {u"b"_s, {2, 3}}, {u"Fruit"_s, {4, 5}}, {u"Veg"_s, {6}}}, 0},
        {"two named groups only", {{u"a"_s, {0, 1}}, {u"b"_s, {2, 3}}, {u"-----"_s, {4, 5}}}, 0},
        {"empty groups are not named groups",
         {{u"a"_s, {0, 1}}, {u"b"_s, {2, 3}}, {u"c"_s, {}}, {u"Long"_s, {4}}, {u"Veg"_s, {5}}},
         0},
    };
    for (const auto &c : cases) {
        StudySorts sorts;
        sorts.participants.push_back(sortOf(u"P1"_s, c.groups));
        const ParticipantChecks checks = checkParticipants(sorts);
        ASSERT_EQ(checks.rows.size(), 1u);
        EXPECT_EQ(checks.rows[0].flags, c.flags) << c.what;
    }
    EXPECT_EQ(flagTexts(OneGroup | EachCardAlone | OneLetterNames | FarFromOthers),
              (QStringList{u"one group"_s, u"each card alone"_s, u"one-letter names"_s, u"far from the others"_s}));
    EXPECT_EQ(flagTexts(FarFromOthers | OneGroup), (QStringList{u"one group"_s, u"far from the others"_s}));
}

// Five like sorts and one far from them: d = 4 between the two kinds either way, 0 among the
// like ones, so the like ones' means are 4 / (6 x 5) and the other's 20 / (6 x 5); the
// quartiles of the means are both 4/30, and only 20/30 lies beyond the fence.
TEST(ParticipantChecks, MeansQuartilesAndTheMostRepresentative)
{
    StudySorts sorts;
    sorts.participants.push_back(sortOf(u"Expert"_s, {{u"All"_s, {0, 1, 2, 3, 4, 5}}}, false));
    const std::vector<Group> like = {{u"A"_s, {0, 1, 2}}, {u"B"_s, {3, 4, 5}}};
    sorts.participants.push_back(sortOf(u"P1"_s, like));
    sorts.participants.push_back(sortOf(u"Odd"_s, {{u"Xs"_s, {0, 3}}, {u"Ys"_s, {1, 4}}, {u"Zs"_s, {2, 5}}}));
    sorts.participants.push_back(sortOf(u"P2"_s, like));
    sorts.participants.push_back(sortOf(u"Nobody"_s, {{u"Empty"_s, {}}}));
    for (const char *id : {"P3", "P4", "P5"})
        sorts.participants.push_back(sortOf(QString::fromLatin1(id), like));

    const ParticipantChecks checks = checkParticipants(sorts);
    ASSERT_EQ(checks.rows.size(), 8u);
    EXPECT_EQ(checks.checkedIndexes, (std::vector<int>{1, 2, 3, 5, 6, 7}));
    for (const int unchecked : {0, 4}) {
        EXPECT_FALSE(checks.rows[size_t(unchecked)].checked);
        EXPECT_EQ(checks.rows[size_t(unchecked)].flags, 0u);
        EXPECT_EQ(meanDistanceText(checks.rows[size_t(unchecked)]), QString());
    }
    EXPECT_EQ(checks.rows[0].groups, 1);
    EXPECT_EQ(checks.rows[0].cards, 6);
    EXPECT_EQ(checks.rows[4].groups, 0);
    EXPECT_EQ(checks.rows[2].groups, 3);
    EXPECT_EQ(checks.rows[2].cards, 6);
    EXPECT_DOUBLE_EQ(checks.rows[1].meanDistance, 4.0 / 30);
    EXPECT_EQ(meanDistanceText(checks.rows[1]), u"13.3"_s);
    EXPECT_EQ(meanDistanceText(checks.rows[2]), u"66.7"_s);
    EXPECT_EQ(checks.rows[2].flags, unsigned(FarFromOthers));
    EXPECT_EQ(checks.rows[1].flags, 0u);
    EXPECT_EQ(checks.representative, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(flaggedParticipants(checks), std::vector<qint32>{2});
    ASSERT_EQ(checks.distances.size(), 36u);
    EXPECT_EQ(checks.distance(0, 1), 4);
    EXPECT_EQ(checks.distance(1, 0), 4);
    EXPECT_EQ(checks.distance(0, 2), 0);
    EXPECT_EQ(checks.distance(1, 1), 0);
}

TEST(ParticipantChecks, OneCheckedParticipantHasNobodyToBeFarFrom)
{
    StudySorts sorts;
    sorts.participants.push_back(sortOf(u"P1"_s, {{u"A"_s, {0, 1}}}));
    const ParticipantChecks checks = checkParticipants(sorts);
    EXPECT_TRUE(checks.rows[0].checked);
    EXPECT_EQ(meanDistanceText(checks.rows[0]), u"0.0"_s);
    EXPECT_EQ(checks.representative, std::vector<int>{0});
    EXPECT_TRUE(checkParticipants(StudySorts{}).rows.empty());
}

} // namespace
