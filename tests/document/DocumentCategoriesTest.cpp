// The categories of an imported document, and its standardisation changed as the windows
// change it: the figures follow and the document is modified.
#include "document/DocumentCategories.h"
#include "document/Document.h"
#include "support/DocumentEdits.h"
#include "support/ImportedDocument.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

TEST(DocumentCategories, FollowTheStandardisationAndNeedTheSorts)
{
    Document document;
    ASSERT_NO_FATAL_FAILURE(importDocument(
        "IA\nIB\nIC\nID\nP1\nGFruit\nI1\nI2\nGVeg\nI3\nI4\nP2\nGfruit\nI1\nI2\nGGreens\nI3\nI4\n", document));
    document.setModified(false);

    std::optional<CategoryTable> table = documentCategories(document);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->categories.size(), 3u);
    EXPECT_EQ(table->categories[0].name, u"Fruit"_s);
    const std::vector<GroupName> names = documentGroupNames(document, *table);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(table->categories[names[0].candidates.at(0).category].name, u"Fruit"_s);

    mergeCategories(document, {u"Veg"_s, u"Greens"_s}, u"Vegetables"_s);
    EXPECT_TRUE(document.isModified());
    table = documentCategories(document);
    ASSERT_EQ(table->categories.size(), 2u);
    EXPECT_EQ(table->categories[1].name, u"Vegetables"_s);
    EXPECT_EQ(table->categories[1].participants, 2);

    splitCategory(document, u"vegetables"_s);
    EXPECT_EQ(documentCategories(document)->categories.size(), 3u);

    // A participant left out takes their groups along.
    editStudy(document, [&](Study &s) { s.leftOut = {1}; });
    table = documentCategories(document);
    ASSERT_EQ(table->categories.size(), 2u);
    EXPECT_EQ(table->categories[0].participants, 1);
    editStudy(document, [&](Study &s) { s.leftOut.clear(); });

    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    EXPECT_FALSE(documentCategories(document));
}

// The figures are worked out once per study and standardisation: a change of how the study
// is shown keeps them, a new study or new standard names make them again.
TEST(DocumentCategories, TheFiguresAreKeptUntilTheStudyOrTheStandardNamesChange)
{
    Document document;
    ASSERT_NO_FATAL_FAILURE(importDocument(
        "IA\nIB\nIC\nID\nP1\nGFruit\nI1\nI2\nGVeg\nI3\nI4\nP2\nGfruit\nI1\nI2\nGGreens\nI3\nI4\n", document));
    const CategoryTable *table = &*documentCategories(document);
    const StudyFigures *figures = &document.figures();
    EXPECT_EQ(figures->cut(2).size(), 2u);
    EXPECT_EQ(figures->cut(2)[0].candidates.size(), documentGroupNames(document, *table)[0].candidates.size());
    EXPECT_EQ(figures->groupStarts(2), (std::vector<int>{0, 2}));
    ASSERT_TRUE(figures->participantChecks());
    EXPECT_EQ(figures->participantChecks()->rows.size(), 2u);

    setSetting(document, &Settings::numberOfGroups, 3);
    setSetting(document, &Settings::showGroupNames, true);
    EXPECT_EQ(&document.figures(), figures);
    EXPECT_EQ(&*documentCategories(document), table);

    mergeCategories(document, {u"Veg"_s, u"Greens"_s}, u"Vegetables"_s);
    EXPECT_EQ(documentCategories(document)->categories.size(), 2u);
    editStudy(document, [](Study &s) { s.leftOut = {1}; });
    EXPECT_EQ(documentCategories(document)->categories[0].participants, 1);
}

} // namespace
