// What the report says of a document: its sections, the groups card by card, and what it
// says instead of a section the document cannot serve.
#include "report/ReportContent.h"
#include "support/DocumentEdits.h"

#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/StudyFacts.h"
#include "drawing/PictureExport.h"
#include "support/ImportedDocument.h"
#include "support/TestFiles.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Five cards, one named as markup would be, in three named groups by three participants.
const QByteArray study = "IApple\nIPear\nICarrot\nILeek\nI<b>&\"'\n"
                         "P1\nGFruit\nI1\nI2\nGVeg\nI3\nI4\nGOther\nI5\n"
                         "P2\nGfruit\nI1\nI2\nGGreens\nI3\nI4\nI5\n"
                         "P3\nGFruit\nI1\nI2\nI5\nGVeg\nI3\nI4\n";

const QDateTime created = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

QStringList titles(const ReportContent &content)
{
    QStringList list;
    for (const ReportSection &section : content.sections)
        list << section.title;
    return list;
}

const ReportSection &section(const ReportContent &content, const QString &title)
{
    for (const ReportSection &each : content.sections) {
        if (each.title == title)
            return each;
    }
    ADD_FAILURE() << "no section " << title.toStdString();
    static const ReportSection none;
    return none;
}

QString paragraphs(const ReportSection &section)
{
    QStringList texts;
    for (const ReportBlock &block : section.blocks) {
        if (block.kind == ReportBlock::Kind::Paragraph)
            texts << block.text;
    }
    return texts.join(u'\n');
}

const ReportTable &firstTable(const ReportSection &section)
{
    for (const ReportBlock &block : section.blocks) {
        if (block.kind == ReportBlock::Kind::Table)
            return block.table;
    }
    ADD_FAILURE() << "no table in " << section.title.toStdString();
    static const ReportTable none;
    return none;
}

class Report : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(importDocument(study, document)); }
    Document document;
};

TEST_F(Report, SaysWhatTheStudyHoldsInItsOrder)
{
    const ReportContent content = buildReport(document, created);
    EXPECT_EQ(content.title, u"Card sort report: study"_s);
    EXPECT_EQ(titles(content),
              (QStringList{u"The study"_s, u"The dendrogram"_s, u"The groups"_s, u"The similarity matrix"_s,
                           u"What participants called their groups"_s, u"Who sorted how"_s,
                           u"How well the tree keeps the pair scores"_s, u"The method"_s}));
    const ReportTable &facts = firstTable(content.sections[0]);
    QStringList values;
    for (const QStringList &row : facts.rows)
        values << row.value(0) + u'=' + row.value(1);
    EXPECT_TRUE(values.contains(u"Participants counted=3"_s)) << values.join(u' ').toStdString();
    EXPECT_TRUE(values.contains(u"Cards=5"_s));
    EXPECT_TRUE(values.contains(u"Report made=2023-11-14T22:13:20Z"_s));
    ASSERT_TRUE(content.placements);
    EXPECT_EQ(content.placements->categories.size(), 4u);
}

TEST_F(Report, NamesEveryCardOnceInTheGroupsOfTheCut)
{
    // More groups than cards cut the tree into one per card.
    for (const int groups : {1, 2, 3, 5, 9}) {
        setSetting(document, &Settings::numberOfGroups, groups);
        const ReportContent content = buildReport(document, created);
        const int cut = std::min(groups, 5);
        EXPECT_TRUE(paragraphs(section(content, u"The groups"_s))
                        .contains(cut == 1 ? u"cut into 1 group,"_s : u"cut into %1 groups,"_s.arg(cut)));
        const ReportTable &table = firstTable(section(content, u"The groups"_s));
        ASSERT_EQ(table.header, (QStringList{u"Card"_s}));
        ASSERT_EQ(table.headings.size(), size_t(cut));
        EXPECT_TRUE(table.headings.contains(0));
        QStringList cards;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            if (table.headings.contains(r)) {
                EXPECT_TRUE(table.rows[r].value(0).startsWith(
                    u"Group %1"_s.arg(std::distance(table.headings.begin(), table.headings.find(r)) + 1)));
                EXPECT_FALSE(table.headings.contains(r + 1)) << "a group with no card";
            } else {
                cards << table.rows[r];
            }
        }
        cards.sort();
        QStringList items = document.study().itemNames;
        items.sort();
        EXPECT_EQ(cards, items) << groups << " groups";
    }
    // The fruit band is named, once, after the category most of its cards were placed in.
    const ReportContent content = buildReport(document, created);
    const ReportTable &table = firstTable(section(content, u"The groups"_s));
    QString heading;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        if (table.headings.contains(r)) {
            heading = table.rows[r].value(0);
        } else if (table.rows[r].value(0) == u"Apple"_s) {
            EXPECT_TRUE(heading.endsWith(u": Fruit"_s)) << heading.toStdString();
        }
    }
}

TEST_F(Report, ResamplingResultsAddTheirSectionAndColumn)
{
    document.setTreeSupport(computeTreeSupport(document.study(), 20, 1, {}));
    document.setAdequacy(computeAdequacy(document.study(), 10, 1, {}));
    ASSERT_TRUE(document.treeSupport() && document.adequacy());
    const ReportContent content = buildReport(document, created);
    EXPECT_EQ(titles(content).mid(5, 3),
              (QStringList{u"Who sorted how"_s, u"How many participants are enough"_s,
                           u"How well the tree keeps the pair scores"_s}));
    const ReportSection &adequacy = section(content, u"How many participants are enough"_s);
    ASSERT_EQ(adequacy.blocks.size(), 2u);
    EXPECT_EQ(adequacy.blocks[1].picture, ReportPicture::AdequacyChart);
    EXPECT_NE(adequacy.blocks[1].text, adequacySentence(*document.adequacy())) << "the chart says it already";
    const ReportTable &groups = firstTable(section(content, u"The groups"_s));
    const std::vector<double> stability =
        groupStability(*document.treeSupport(), document.study(), document.settings().numberOfGroups);
    ASSERT_EQ(groups.headings.size(), stability.size());
    EXPECT_TRUE(groups.rows[*groups.headings.begin()].value(0).endsWith(
        u" (stability %1 %)"_s.arg(QString::asprintf("%.1f", stability.front()))));
    EXPECT_TRUE(groups.rows[*groups.headings.rbegin()].value(0).endsWith(
        u" (stability %1 %)"_s.arg(QString::asprintf("%.1f", stability.back()))));
}

TEST_F(Report, WithoutTheSortsSaysWhichSectionsAreMissingAndWhy)
{
    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    const ReportContent content = buildReport(document, created);
    const QString missing = QString::fromUtf16(sortsMissingMessage);
    EXPECT_FALSE(content.placements);
    for (const QString &title : {u"The groups"_s, u"What participants called their groups"_s, u"Who sorted how"_s})
        EXPECT_TRUE(paragraphs(section(content, title)).contains(missing)) << title.toStdString();
    for (const ReportBlock &block : section(content, u"What participants called their groups"_s).blocks)
        EXPECT_EQ(block.kind, ReportBlock::Kind::Paragraph);
    // What does not need the sorts is all there: the groups, without their names.
    const ReportTable &groups = firstTable(section(content, u"The groups"_s));
    EXPECT_EQ(groups.header, (QStringList{u"Card"_s}));
    EXPECT_EQ(groups.rows.size(), 5u + groups.headings.size());
    for (const size_t heading : groups.headings)
        EXPECT_TRUE(groups.rows[heading].value(0).contains(QRegularExpression(u"^Group \\d+$"_s)));
}

TEST_F(Report, WithoutTheMatrixSaysSo)
{
    editStudy(document, [&](Study &s) { s.similarity.reset(); });
    const ReportContent content = buildReport(document, created);
    const ReportSection &matrix = section(content, u"The similarity matrix"_s);
    ASSERT_EQ(matrix.blocks.size(), 1u);
    EXPECT_EQ(matrix.blocks[0].text, noMatrixMessage);
    // The cophenetic correlation needs the matrix too.
    EXPECT_FALSE(titles(content).contains(u"How well the tree keeps the pair scores"_s));
}

TEST(ReportParticipants, NameWhoIsLeftOutAsWritten)
{
    // An id that looks like a placeholder of a text with more to fill in.
    const QByteArray leftOutStudy = "IA\nIB\nIC\nP1\nGx\nI1\nI2\nGy\nI3\nP%2\nGx\nI1\nI2\nI3\nP3\nGx\nI1\nI2\nGz\nI3\n";
    Document document;
    ASSERT_NO_FATAL_FAILURE(importDocument(leftOutStudy, document));
    editStudy(document, [&](Study &s) { s.leftOut = {1}; });
    const ReportContent content = buildReport(document, created);
    const ReportSection &participants = section(content, u"Who sorted how"_s);
    EXPECT_TRUE(paragraphs(participants).contains(u"Left out of the analysis: 1 of 3: %2 (#2)"_s))
        << paragraphs(participants).toStdString();
    const ReportTable &table = firstTable(participants);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[1].value(1), u"%2"_s);
    EXPECT_TRUE(table.rows[1].value(5).endsWith(u"left out"_s));
    EXPECT_FALSE(table.rows[0].value(5).contains(u"left out"_s));
}

TEST(ReportCategories, ShowsTheFirstThirtyAndCountsTheRest)
{
    QByteArray many = "IA\nIB\nIC\n";
    for (int p = 1; p <= 33; ++p)
        many += "P" + QByteArray::number(p) + "\nGName " + QByteArray::number(p) + "\nI1\nI2\nGRest\nI3\n";
    Document document;
    ASSERT_NO_FATAL_FAILURE(importDocument(many, document));
    const ReportContent content = buildReport(document, created);
    const ReportSection &categories = section(content, u"What participants called their groups"_s);
    ASSERT_TRUE(content.placements);
    EXPECT_EQ(content.placements->categories.size(), 30u);
    EXPECT_EQ(firstTable(categories).rows.size(), 30u);
    // "Rest" leads with every participant; then the names in order of their case-folded text.
    EXPECT_EQ(firstTable(categories).rows[0].value(0), u"Rest"_s);
    EXPECT_EQ(content.placements->categories[0].name, u"Rest"_s);
    EXPECT_EQ(firstTable(categories).note, u"4 more categories are not shown."_s);
}

TEST(ReportTime, ComesFromSourceDateEpochWhenItIsAUsableNumber)
{
    const QByteArray saved = qgetenv("SOURCE_DATE_EPOCH");
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    EXPECT_EQ(creationTime(), created);
    EXPECT_EQ(creationTime().toString(Qt::ISODate), u"2023-11-14T22:13:20Z"_s);
    for (const char *unusable : {"", "soon", "-5", "99999999999999999999"}) {
        qputenv("SOURCE_DATE_EPOCH", unusable);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        EXPECT_LE(std::abs(creationTime().secsTo(now)), 60) << unusable;
    }
    if (saved.isNull())
        qunsetenv("SOURCE_DATE_EPOCH");
    else
        qputenv("SOURCE_DATE_EPOCH", saved);
}

} // namespace
