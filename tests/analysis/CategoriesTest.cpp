// What participants called their groups, on small studies worked out by hand: the sorts the
// reader keeps, the categories with their figures and order, the placements, the
// standardisation and the suggested names of the dendrogram's groups.
#include "analysis/Categories.h"
#include "analysis/GroupNames.h"
#include "analysis/StandardisationSuggestions.h"
#include "formats/StandardisationFile.h"
#include "study/CategoryKey.h"
#include "study/ClusterTree.h"
#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Apple, Banana, Carrot, Date. P1 is the expert when the option is on. "fruit" is spelt three
// ways and twice by P4, "Root veg" two ways; P2's third group has no name, P3 places Apple
// twice in one group, and P5's last group holds no card.
constexpr char openSort[] = "IApple\nIBanana\nICarrot\nIDate\n"
                            "P1\nGVeg\nI1\nI2\nI3\nI4\n"
                            "P2\nGFruit\nI1\nI2\nGRoot veg\nI3\nG\nI4\n"
                            "P3\nGFRUIT\nI1\nI1\nI4\nGroot  veg\nI3\n"
                            "P4\nGfruit\nI2\nGfruit\nI1\nGRoot veg\nI3\nI4\n"
                            "P5\nGfruit\nI1\nI2\nI3\nGEmpty\n";

class Categories : public StudyFixture {
protected:
    StudySorts readSorts(const QByteArray &study, bool expert, const QString &name = u"study.txt"_s)
    {
        EXPECT_TRUE(surveyText(study, name));
        summary.useExpert = expert;
        EXPECT_GE(read(), 2);
        analysis.closeFiles();
        return analysis.sorts;
    }
    static std::vector<std::pair<int, int>> placed(const Category &category) { return category.placements; }
};

TEST_F(Categories, TheReaderKeepsEverySortAsTheCardsFileWritesIt)
{
    const StudySorts sorts = readSorts(openSort, true);
    ASSERT_EQ(sorts.participants.size(), 5u);
    EXPECT_FALSE(sorts.participants[0].counted);
    EXPECT_TRUE(sorts.participants[1].counted);
    const ParticipantSort &p3 = sorts.participants[2];
    EXPECT_EQ(p3.id, u"P3"_s);
    ASSERT_EQ(p3.groups.size(), 2u);
    EXPECT_EQ(p3.groups[0].name, u"FRUIT"_s);
    // The card placed twice stays twice; items are indexes from 0.
    EXPECT_EQ(p3.groups[0].cards, (std::vector<SortedCard>{{0, 1, 1}, {0, 1, 1}, {3, 1, 1}}));
    EXPECT_EQ(sorts.participants[1].groups[2].name, u"-----"_s);
    EXPECT_TRUE(sorts.participants[4].groups[1].cards.empty());
}

// A card before the participant's first group line (the warning answered OK) stands in a group
// without a name; a sub-group line starts a new sub-group number within the group.
TEST_F(Categories, CardsWithoutAGroupLineAndSubGroupsAreKept)
{
    const StudySorts sorts = readSorts("IA\nIB\nIC\nP1\nI1\nGFruit\nI2\nS\nI3f2\n", false);
    ASSERT_EQ(sorts.participants.size(), 1u);
    const std::vector<SortGroup> &groups = sorts.participants[0].groups;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (SortGroup{QString(), false, {{0, 3, 0}}}));
    EXPECT_EQ(groups[1], (SortGroup{u"Fruit"_s, false, {{1, 3, 1}, {2, 2, 2}}}));
    EXPECT_EQ(computeCategories(sorts, 3, {}).categories.size(), 1u);
}

TEST_F(Categories, AnOpenSortGivesTheFiguresWorkedOutByHand)
{
    const CategoryTable table = computeCategories(readSorts(openSort, true), 4, {});
    ASSERT_EQ(table.categories.size(), 2u);
    const Category &fruit = table.categories[0];
    EXPECT_EQ(fruit.name, u"fruit"_s); // three groups against one each
    EXPECT_EQ(fruit.participants, 4);
    EXPECT_EQ(fruit.groups, 5);
    EXPECT_EQ(fruit.cards, 4);
    // (4/5 + 3/5 + 1/5 + 1/5) / 4
    EXPECT_EQ(formatAgreement(fruit.agreement), u"45.0"_s);
    EXPECT_EQ(placed(fruit), (std::vector<std::pair<int, int>>{{0, 4}, {1, 3}, {2, 1}, {3, 1}}));
    EXPECT_EQ(fruit.spellingTexts(), (QStringList{u"Fruit"_s, u"FRUIT"_s, u"fruit"_s}));

    const Category &veg = table.categories[1];
    EXPECT_EQ(veg.name, u"Root veg"_s);
    EXPECT_EQ(veg.participants, 3);
    EXPECT_EQ(veg.groups, 3);
    EXPECT_EQ(veg.cards, 2);
    EXPECT_EQ(formatAgreement(veg.agreement), u"66.7"_s); // (3/3 + 1/3) / 2
    EXPECT_EQ(placed(veg), (std::vector<std::pair<int, int>>{{2, 3}, {3, 1}}));
    EXPECT_EQ(veg.placed(0), 0);

    // n(x) counts the unnamed group too, and each participant once.
    EXPECT_EQ(table.placedAnywhere, (std::vector<int>{4, 3, 4, 3}));
    EXPECT_DOUBLE_EQ(table.share(3, 1), 1.0 / 3.0);

    // Without the expert option P1 is counted and brings a category of its own.
    analysis.sorts.participants[0].counted = true;
    const CategoryTable allCounted = computeCategories(analysis.sorts, 4, {});
    ASSERT_EQ(allCounted.categories.size(), 3u);
    EXPECT_EQ(allCounted.categories[2].name, u"Veg"_s);
    EXPECT_EQ(allCounted.placedAnywhere, (std::vector<int>{5, 4, 5, 4}));
}

// Declared groups named by number, equal participants ordered by name.
TEST_F(Categories, AClosedSortUsesTheDeclaredNames)
{
    const CategoryTable table = computeCategories(
        readSorts("IA\nIB\nIC\nGVeg\nGFruit\nP1\nG2\nI1\nI2\nG1\nI3\nP2\nG2\nI1\nG1\nI2\nI3\n", false), 3, {});
    ASSERT_EQ(table.categories.size(), 2u);
    EXPECT_EQ(table.categories[0].name, u"Fruit"_s);
    EXPECT_EQ(table.categories[1].name, u"Veg"_s);
    for (const Category &category : table.categories) {
        EXPECT_EQ(category.participants, 2);
        EXPECT_EQ(category.groups, 2);
        EXPECT_EQ(category.cards, 2);
        EXPECT_EQ(formatAgreement(category.agreement), u"75.0"_s);
    }
}

// A category id without a label is a group without a name; equal counts of two spellings go
// to the one met first.
TEST_F(Categories, ATablesGroupKnownOnlyByItsIdHasNoCategory)
{
    analysis.setTableInput(TableOptions{});
    const StudySorts sorts = readSorts("user_id,card_label,category_id,category_label\n"
                                       "P1,A,c1,Fruit\nP1,B,c1,\nP1,C,c2,\nP2,A,7,fruit\nP2,C,8,Veg\n",
                                       false, u"study.csv"_s);
    EXPECT_TRUE(sorts.participants[0].groups[1].idOnly);
    EXPECT_EQ(sorts.participants[0].groups[1].name, u"c2"_s);
    const CategoryTable table = computeCategories(sorts, 3, {});
    ASSERT_EQ(table.categories.size(), 2u);
    EXPECT_EQ(table.categories[0].name, u"Fruit"_s);
    EXPECT_EQ(table.categories[0].participants, 2);
    EXPECT_EQ(formatAgreement(table.categories[0].agreement), u"75.0"_s);
    EXPECT_EQ(table.categories[1].name, u"Veg"_s);
    EXPECT_EQ(formatAgreement(table.categories[1].agreement), u"100.0"_s);
    EXPECT_DOUBLE_EQ(table.share(2, 1), 0.5);
}

TEST(CategoryKey, NamesAreOneCategoryWhenTheirKeysAreEqual)
{
    const struct {
        const char16_t *a;
        const char16_t *b;
        bool same;
    } cases[] = {
        {u"Fruit", u"fRUIT", true},
        {u"  root \t veg ", u"root veg", true},
        {u"ﬁsh", u"FISH", true}, // NFKC takes the ligature apart
        {u"Straße", u"STRASSE", false}, // Qt's folding keeps the sharp s
        {u"\u00A0tea\u2003time", u"tea time", true},
        {u"root veg", u"rootveg", false},
        {u"café", u"cafe", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(categoryKey(c.a) == categoryKey(c.b), c.same) << QString::fromUtf16(c.a).toStdString();

    EXPECT_TRUE(isUnnamedGroup(u"-----", false));
    EXPECT_TRUE(isUnnamedGroup(u" \t ", false));
    EXPECT_TRUE(isUnnamedGroup(u"", false));
    EXPECT_TRUE(isUnnamedGroup(u"c2", true));
    EXPECT_FALSE(isUnnamedGroup(u"------", false));
    EXPECT_FALSE(isUnnamedGroup(u" ----- ", false));
}

TEST_F(Categories, MergesRenamesAndSplitsFollowTheStandardisation)
{
    const StudySorts sorts = readSorts(openSort, true);
    const CategoryTable table = computeCategories(sorts, 4, {});
    Standardisation standardisation;
    standardisation.merge(table.categories[0].spellingTexts() + table.categories[1].spellingTexts(), u"Produce"_s);
    const CategoryTable merged = computeCategories(sorts, 4, standardisation);
    ASSERT_EQ(merged.categories.size(), 1u);
    const Category &produce = merged.categories[0];
    EXPECT_EQ(produce.name, u"Produce"_s);
    EXPECT_EQ(produce.participants, 4);
    EXPECT_EQ(produce.groups, 8);
    EXPECT_EQ(produce.placed(2), 4); // Carrot: in P2's, P3's, P4's and P5's

    // A standard matched by its key: the category whose key it has joins it, shown as written.
    Standardisation joining;
    joining.merge(table.categories[1].spellingTexts(), u"FRUIT"_s);
    const CategoryTable joined = computeCategories(sorts, 4, joining);
    ASSERT_EQ(joined.categories.size(), 1u);
    EXPECT_EQ(joined.categories[0].name, u"FRUIT"_s);
    EXPECT_EQ(joined.categories[0].groups, 8);

    // A rename is a merge of one; a split takes the merge back.
    standardisation.merge({u"fruit"_s}, u"Sweet"_s);
    const CategoryTable renamed = computeCategories(sorts, 4, standardisation);
    ASSERT_EQ(renamed.categories.size(), 2u);
    EXPECT_EQ(renamed.categories[0].name, u"Sweet"_s);
    EXPECT_EQ(renamed.categories[1].name, u"Produce"_s);
    standardisation.split(u"PRODUCE");
    standardisation.split(u"sweet");
    EXPECT_TRUE(standardisation.isEmpty());
    const CategoryTable split = computeCategories(sorts, 4, standardisation);
    ASSERT_EQ(split.categories.size(), 2u);
    EXPECT_EQ(split.categories[1].name, u"Root veg"_s);
    EXPECT_EQ(split.categories[1].groups, 3);
}

TEST_F(Categories, TheStandardisationFileRoundTripsAndRefusesTwoStandardsForOneOriginal)
{
    Standardisation standardisation;
    standardisation.merge({u"Fruit"_s, u"Root veg"_s}, u"Food, \"fresh\""_s);
    standardisation.merge({u"Tea"_s}, u"Drinks"_s);
    const QByteArray csv = standardisationCsv(standardisation.entries());
    EXPECT_EQ(csv,
              "original,standard\r\nFruit,\"Food, \"\"fresh\"\"\"\r\nRoot veg,\"Food, \"\"fresh\"\"\"\r\n"
              "Tea,Drinks\r\n");
    writeBytes(path(u"map.csv"_s), csv);
    QString error;
    const std::optional<Standardisation> read = readStandardisationFile(path(u"map.csv"_s), error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(*read, standardisation);

    // The same original by its key, once with a standard that differs only in case: kept.
    writeBytes(path(u"same.csv"_s), "original,standard\nFruit,Food\nFRUIT ,food\n");
    ASSERT_TRUE(readStandardisationFile(path(u"same.csv"_s), error));

    writeBytes(path(u"two.csv"_s), "original,standard\nFruit,Food\nTea,Drinks\n fruit,Produce\n");
    EXPECT_FALSE(readStandardisationFile(path(u"two.csv"_s), error));
    EXPECT_EQ(error,
              u"Error - lines 2 and 4 of "_s + path(u"two.csv"_s)
                  + u" give \"fruit\" two standards, \"Food\" and \"Produce\""_s);

    writeBytes(path(u"headless.csv"_s), "Fruit,Food\n");
    EXPECT_FALSE(readStandardisationFile(path(u"headless.csv"_s), error));
    EXPECT_TRUE(error.contains(u"original,standard"_s));
}

// Three cards in two bands: Apple and Banana together, Carrot apart.
TEST_F(Categories, EachBandIsNamedByItsLargestSumOfPlacements)
{
    const StudySorts sorts = readSorts("IApple\nIBanana\nICarrot\nP1\nGFruit\nI1\nI2\nGRoot\nI3\n"
                                       "P2\nGFruit\nI1\nI2\nG\nI3\nP3\nGSweet\nI1\nI2\nGFruit\nI3\n",
                                       false);
    ClusterTree tree;
    const ClusterNode *root = &tree.add({&tree.add({nullptr, nullptr, 0.9, 0, 1}), nullptr, 0.1, 0, 2});
    const CategoryTable table = computeCategories(sorts, 3, {});
    const std::vector<GroupName> names = suggestGroupNames(root, 2, table);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].firstRow, 0);
    EXPECT_EQ(names[0].rowCount, 2);
    // Fruit: 2 + 2 over the pair, Sweet 1 + 1: shares 4/6 and 2/6.
    ASSERT_EQ(names[0].candidates.size(), 2u);
    EXPECT_EQ(table.categories[names[0].candidates[0].category].name, u"Fruit"_s);
    EXPECT_DOUBLE_EQ(names[0].candidates[0].share, 4.0 / 6.0);
    EXPECT_DOUBLE_EQ(names[0].candidates[1].share, 2.0 / 6.0);
    // Carrot: Fruit and Root once each, a tie that goes to the category order (Fruit first).
    ASSERT_EQ(names[1].candidates.size(), 2u);
    EXPECT_EQ(table.categories[names[1].candidates[0].category].name, u"Fruit"_s);
    EXPECT_DOUBLE_EQ(names[1].candidates[0].share, 0.5);

    // A band whose cards were never placed in a named group has no name.
    StudySorts unnamed = sorts;
    for (ParticipantSort &participant : unnamed.participants)
        for (SortGroup &group : participant.groups)
            group.name = u"-----"_s;
    EXPECT_TRUE(suggestGroupNames(root, 2, computeCategories(unnamed, 3, {}))[1].candidates.empty());
}

} // namespace

namespace {

// Spellings that differ only in accents meet; letters of their own stay apart.
TEST(SuggestionKeys, AccentsMeetAndLettersOfTheirOwnStayApart)
{
    const struct {
        const char16_t *a;
        const char16_t *b;
        bool together;
    } cases[] = {
        // Greek: accents, dialytika and a final sigma.
        {u"ΠΡΟΓΡΑΜΜΑ ΕΠΙΒΡΑΒΕΥΣΗΣ", u"Πρόγραμμα επιβράβευσης", true},
        {u"Προϊόντα", u"ΠΡΟΙΟΝΤΑ", true},
        {u"Πρόγραμμα", u"Programma", false},
        // French: accents and cedillas; the ligature is a letter.
        {u"Café", u"CAFE", true},
        {u"Élève", u"eleve", true},
        {u"Français", u"francais", true},
        {u"Œuvre", u"oeuvre", false},
        // German: umlauts meet their vowels, not their spelled-out forms; ß is no ss.
        {u"Müller", u"MULLER", true},
        {u"Müller", u"Mueller", false},
        {u"Straße", u"Strasse", false},
        {u"STRAẞE", u"straße", true},
        // Turkish: the dotted capital İ is an I with a dot; the dotless ı is a letter.
        {u"İstanbul", u"istanbul", true},
        {u"İstanbul", u"ISTANBUL", true},
        {u"ıstanbul", u"istanbul", false},
        {u"Işık", u"ışık", false},
        {u"Şeker", u"seker", true},
        {u"Çay", u"cay", true},
        {u"Göz", u"goz", true},
    };
    for (const auto &c : cases) {
        const QString a = QString::fromUtf16(c.a);
        const QString b = QString::fromUtf16(c.b);
        EXPECT_EQ(suggestionKey(a) == suggestionKey(b), c.together) << a.toStdString() << " / " << b.toStdString();
    }
}

Category named(const char16_t *name, int groups)
{
    Category category;
    category.name = QString::fromUtf16(name);
    category.groups = groups;
    category.spellings = {{category.name, groups}};
    return category;
}

// Sets come in the order of their first members; the member with the most groups gives the
// name, the first of equals in the category order; a category alone is no set.
TEST(SuggestedMerges, SetsTheirOrderAndTheirStandards)
{
    CategoryTable table;
    table.categories = {named(u"ΠΡΟΓΡΑΜΜΑ ΕΠΙΒΡΑΒΕΥΣΗΣ", 12), named(u"Café", 3),       named(u"Straße", 5),
                        named(u"Πρόγραμμα επιβράβευσης", 56), named(u"cafe", 3),       named(u"Strasse", 4),
                        named(u"Cafè", 3),                    named(u"ıstanbul", 2),   named(u"İstanbul", 1),
                        named(u"Istanbul", 1)};
    const std::vector<SuggestedMerge> suggestions = suggestMerges(table);
    ASSERT_EQ(suggestions.size(), 3u);
    EXPECT_EQ(suggestions[0].standard, u"Πρόγραμμα επιβράβευσης"_s);
    EXPECT_EQ(suggestions[0].members, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(suggestions[1].standard, u"Café"_s);
    EXPECT_EQ(suggestions[1].members, (std::vector<std::size_t>{1, 4, 6}));
    // "Istanbul" and "istanbul" are one category already; "İstanbul" joins them, "ıstanbul" not.
    EXPECT_EQ(suggestions[2].standard, u"İstanbul"_s);
    EXPECT_EQ(suggestions[2].members, (std::vector<std::size_t>{8, 9}));
    EXPECT_EQ(standardisationCsv(suggestionRows(table, suggestions)),
              QByteArray("original,standard\r\n"
                         "ΠΡΟΓΡΑΜΜΑ ΕΠΙΒΡΑΒΕΥΣΗΣ,Πρόγραμμα επιβράβευσης\r\n"
                         "Πρόγραμμα επιβράβευσης,Πρόγραμμα επιβράβευσης\r\n"
                         "Café,Café\r\ncafe,Café\r\nCafè,Café\r\n"
                         "İstanbul,İstanbul\r\nIstanbul,İstanbul\r\n"));
    EXPECT_TRUE(suggestMerges(CategoryTable{{named(u"Straße", 1), named(u"Strasse", 1)}, {}}).empty());
}

} // namespace
