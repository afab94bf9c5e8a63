#include "document/DocumentText.h"
#include "support/DocumentEdits.h"

#include "document/Document.h"
#include "study/ClusterTree.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

// Five cards: ((Tea, Coffee), Juice) with (Bread, Cheese\tSlices), the loosest join at the
// root, and the tightest pair listed right side first so that the dendrogram's order is not
// the order of the names.
class DocumentText : public ::testing::Test {
protected:
    DocumentText()
    {
        auto tree = std::make_shared<ClusterTree>();
        const ClusterNode *drinks = &tree->add({nullptr, nullptr, 5.0, 1, 0});   // Coffee, Tea
        const ClusterNode *withJuice = &tree->add({drinks, nullptr, 3.0, 0, 2});
        const ClusterNode *food = &tree->add({nullptr, nullptr, 4.0, 3, 4});
        tree->setRoot(&tree->add({withJuice, food, 1.0, 0, 0}));
        editStudy(document, [&](Study &s) { s.clusterTree = tree; });
        editStudy(document, [&](Study &s) {
            s.itemNames =
                QStringList(QStringList{u"Tea"_s, u"Coffee"_s, u"Juice\r\nfresh"_s, u"Bread"_s, u"Cheese\tSlices\n"_s});
        });
        editStudy(document, [&](Study &s) {
            PairMatrix &matrix = s.similarity.emplace().matrix;
            EXPECT_TRUE(matrix.allocate(5));
            for (int a = 0; a < 5; ++a) {
                for (int b = a + 1; b < 5; ++b) {
                    matrix.at(a, b) = 10 * a + b; // counts above the diagonal
                    matrix.at(b, a) = 999; // weighted scores below it
                }
            }
        });
    }

    Document document;
};

TEST_F(DocumentText, GroupsAreNumberedFromTheTopWithTheCardsInTheDendrogramsOrder)
{
    const struct {
        int groups;
        QString text;
    } cases[] = {
        {1, u"1\tCoffee\n1\tTea\n1\tJuice fresh\n1\tBread\n1\tCheese Slices \n"_s},
        {2, u"1\tCoffee\n1\tTea\n1\tJuice fresh\n2\tBread\n2\tCheese Slices \n"_s},
        {3, u"1\tCoffee\n1\tTea\n2\tJuice fresh\n3\tBread\n3\tCheese Slices \n"_s},
        {4, u"1\tCoffee\n1\tTea\n2\tJuice fresh\n3\tBread\n4\tCheese Slices \n"_s},
        {9, u"1\tCoffee\n2\tTea\n3\tJuice fresh\n4\tBread\n5\tCheese Slices \n"_s},
    };
    for (const auto &c : cases) {
        setSetting(document, &Settings::numberOfGroups, c.groups);
        EXPECT_EQ(groupsText(document), c.text) << c.groups;
    }
    Document empty;
    EXPECT_EQ(groupsText(empty), QString());
}

TEST_F(DocumentText, TheMatrixHasTheNamesAroundTheCountsInTheDendrogramsOrder)
{
    EXPECT_EQ(matrixText(document), u"\tCoffee\tTea\tJuice fresh\tBread\tCheese Slices \n"
                                    "Coffee\t0\t1\t12\t13\t14\n"
                                    "Tea\t1\t0\t2\t3\t4\n"
                                    "Juice fresh\t12\t2\t0\t23\t24\n"
                                    "Bread\t13\t3\t23\t0\t34\n"
                                    "Cheese Slices \t14\t4\t24\t34\t0\n"_s);
    editStudy(document, [](Study &s) { s.similarity.reset(); });
    EXPECT_EQ(matrixText(document), QString());
}

TEST(FindRow, FindsAPartOfANameWhateverItsCaseAndGoesRound)
{
    const QStringList names{u"Soup ladle"_s, u"Whisk"_s, u"Tongs"_s, u"Ladle rest"_s};
    const std::vector<int> order{2, 0, 3, 1};   // Tongs, Soup ladle, Ladle rest, Whisk
    const struct {
        QString text;
        std::optional<int> after;
        std::optional<int> row;
    } cases[] = {
        {u"LADLE"_s, std::nullopt, 1},
        {u"ladle"_s, 1, 2},
        {u"ladle"_s, 2, 1},                 // past the last match, round to the first
        {u"isk"_s, 3, 3},                   // the only match is the row found last
        {u"tongs"_s, 3, 0},
        {u"spoon"_s, std::nullopt, std::nullopt},
        {QString(), std::nullopt, std::nullopt},
        {u"whisk"_s, 17, 3},                // a row that is no longer there: from the top
    };
    for (const auto &c : cases)
        EXPECT_EQ(findRow(names, order, c.text, c.after), c.row) << c.text.toStdString();
    EXPECT_EQ(findRow(names, {}, u"a"_s, std::nullopt), std::nullopt);
}

} // namespace
