// The roles of a table's columns told from its cells when nothing names them.
#include "formats/ColumnProposal.h"
#include "formats/TableStudy.h"

#include <gtest/gtest.h>

#include <array>

using namespace Qt::StringLiterals;

namespace sortana {
namespace {

Table tableOf(const char *text)
{
    Table table;
    for (const QString &line : QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts))
        table.rows.push_back(line.split(u','));
    return table;
}

TEST(ColumnProposal, TellsTheRolesFromTheCellsOrDeclines)
{
    const struct {
        const char *what;
        const char *table;
        int firstRow;
        std::optional<ProposedColumns> expected;
    } cases[] = {
        {"an export: participant, card number, card label, category",
         "a,1,Apple,Fruit\na,2,Pear,Fruit\na,3,Leek,Veg\nb,2,Pear,Sweet\nb,1,Apple,Sweet\nb,3,Leek,Green\n", 0,
         ProposedColumns{0, 1, 2, 3}},
        {"the same with questionnaire answers after the category (constant per participant)",
         "a,1,Apple,Fruit,34,Staff\na,2,Pear,Fruit,34,Staff\na,3,Leek,Veg,34,Staff\n"
         "b,2,Pear,Sweet,51,Student\nb,1,Apple,Sweet,51,Student\nb,3,Leek,Green,51,Student\n",
         0, ProposedColumns{0, 1, 2, 3}},
        {"the id after the label; a header row left out",
         "who,label,number,pile\na,Apple,1,Fruit\na,Pear,2,Fruit\nb,Apple,1,Red\nb,Pear,2,Green\n", 1,
         ProposedColumns{0, 2, 1, 3}},
        {"no card id: the card varies the most, whatever its place",
         "a,Fruit,Apple\na,Fruit,Pear\na,Veg,Leek\nb,Food,Apple\nb,Food,Pear\nb,Food,Leek\n", 0,
         ProposedColumns{0, -1, 2, 1}},
        {"a questionnaire column before the category is passed over",
         "a,Apple,yes,Fruit\na,Pear,yes,Fruit\na,Leek,yes,Veg\nb,Apple,no,Food\nb,Pear,no,Sweet\n", 0,
         ProposedColumns{0, -1, 1, 3}},
        {"a category varying for half the participants is enough",
         "a,Apple,Fruit\na,Pear,Veg\nb,Apple,Food\nb,Pear,Food\n", 0, ProposedColumns{0, -1, 1, 2}},
        {"a participant column of rows not kept together is no participant column",
         "a,Apple,Fruit\nb,Apple,Food\na,Pear,Veg\nb,Pear,Food\n", 0, ProposedColumns{1, -1, 0, 2}},
        {"name,email,score: one row per person, nothing varies within one",
         "name,email,score\nAnn,ann@example.org,3\nBob,bob@example.org,5\nCy,cy@example.org,3\n", 0, std::nullopt},
        {"a wide table: one row per participant, the cards its columns", "P1,Fruit,Fruit,Veg\nP2,Food,Veg,Veg\n", 0,
         std::nullopt},
        {"participant and card only: no category", "a,Apple\na,Pear\nb,Apple\nb,Pear\n", 0, std::nullopt},
        {"categories that vary for too few participants",
         "a,Apple,Fruit\na,Pear,Veg\nb,Apple,Food\nb,Pear,Food\nc,Apple,All\nc,Pear,All\n", 0, std::nullopt},
        {"nothing but a header", "who,label,pile\n", 1, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(proposeColumns(tableOf(c.table), c.firstRow), c.expected) << c.what;
}

// The reader proposes only where nothing names the columns, and takes a first row of unknown
// names over card ids for the header it is.
TEST(ColumnProposal, TheReaderProposesWhereNothingNamesTheColumns)
{
    const char *rows =
        "a,1,Apple,Fruit\na,2,Pear,Fruit\na,3,Leek,Veg\nb,2,Pear,Sweet\nb,1,Apple,Sweet\nb,3,Leek,Green\n";
    const struct {
        const char *what;
        QByteArray table;
        TableOptions options;
        TableReading expected;
    } cases[] = {
        {"no header", rows, {}, {false, false, 0, 2, 1, 3, -1, true}},
        {"a header of other names",
         QByteArray("Who,Number,Label,Topic\n") + rows,
         {},
         {true, false, 0, 2, 1, 3, -1, true}},
        {"said to have no header: the first row is a participant's, and spoils the ids",
         QByteArray("Who,Number,Label,Topic\n") + rows,
         [] {
             TableOptions options;
             options.header = TableOptions::Header::Absent;
             return options;
         }(),
         {false, false, 0, 1, -1, 3, -1, true}},
        {"a header that names the roles is read as it says",
         QByteArray("user,card_id,card,category\n") + rows,
         {},
         {true, false, 0, 2, 1, 3, -1, false}},
        {"a column named by an option",
         rows,
         [] {
             TableOptions options;
             options.participant = QStringLiteral("1");
             options.card = QStringLiteral("3");
             options.category = QStringLiteral("4");
             return options;
         }(),
         {false, false, 0, 2, -1, 3, -1, false}},
    };
    for (const auto &c : cases) {
        QString error;
        const auto reading = readingOf(tableOf(c.table.constData()), c.options, error);
        ASSERT_TRUE(reading) << c.what << ": " << error.toStdString();
        EXPECT_EQ(reading->header, c.expected.header) << c.what;
        EXPECT_EQ(reading->participant, c.expected.participant) << c.what;
        EXPECT_EQ(reading->card, c.expected.card) << c.what;
        EXPECT_EQ(reading->cardId, c.expected.cardId) << c.what;
        EXPECT_EQ(reading->category, c.expected.category) << c.what;
        EXPECT_EQ(reading->proposed, c.expected.proposed) << c.what;
    }
}

// Headings name the roles in any case, a run of white space as one space; a bare "ID" is the
// participant's only when no other heading is.
TEST(ColumnProposal, HeadingsNameTheParticipant)
{
    const char *rows = "1,Apple,10,Fruit,p1,x\n2,Pear,10,Fruit,p1,x\n1,Apple,20,Sweet,p2,y\n2,Pear,21,Green,p2,y\n";
    const struct {
        const char *header;
        int participant;
        int cardId;
    } cases[] = {
        {"Card_id,Card,Group_id,Group_name,ID,Group_tag", 4, 0},
        {"Card_id,Card,Group_id,Group_name,id,Group_tag", 4, 0},
        {"Card_id,Card,Group_id,Group_name,Respondent ID,Group_tag", 4, 0},
        {"Card_id,Card,Group_id,Group_name,respondent \t  id,Group_tag", 4, 0},
        {"Card_id,Card,Group_id,Group_name,RESPONDENT-ID,Group_tag", 4, 0},
        {"ID,Card,Group_id,Group_name,Participant,Group_tag", 4, -1},
        {"Card ID,Card,Group_id,Group_name,ID,Group_tag", 4, 0},
    };
    for (const auto &c : cases) {
        QString error;
        const auto reading = readingOf(tableOf((QByteArray(c.header) + '\n' + rows).constData()), {}, error);
        ASSERT_TRUE(reading) << c.header << ": " << error.toStdString();
        EXPECT_TRUE(reading->header) << c.header;
        EXPECT_EQ(reading->participant, c.participant) << c.header;
        EXPECT_EQ(reading->cardId, c.cardId) << c.header;
        EXPECT_EQ(reading->card, 1) << c.header;
        EXPECT_EQ(reading->categoryId, 2) << c.header;
        EXPECT_EQ(reading->category, 3) << c.header;
    }
}

// Where the header or the cells leave a role open, every role gets a column to start from: the
// header's, then the cells' proposal, then the first one free.
TEST(ColumnProposal, ColumnsLeftOpenAreSuggested)
{
    const char *rows = "1,Apple,10,Fruit,p1,x\n2,Pear,10,Fruit,p1,x\n1,Apple,20,Sweet,p2,y\n2,Pear,21,Green,p2,y\n";
    const auto table = [&](const char *header) { return tableOf((QByteArray(header) + '\n' + rows).constData()); };
    const struct {
        const char *what;
        Table table;
        std::optional<std::array<QString, 5>> expected; // participant, card, card id, category, category id
    } cases[] = {
        {"a participant heading nobody knows", table("Card_id,Card,Group_id,Group_name,Person,Group_tag"),
         std::array<QString, 5>{u"5"_s, u"2"_s, u"1"_s, u"4"_s, u"3"_s}},
        {"a header with the card and the category alone, the cells telling nothing: the first column free",
         table("Who,Card,Pile number,Pile,Person,Tag"),
         std::array<QString, 5>{u"1"_s, u"2"_s, QString(), u"4"_s, QString()}},
        {"nothing the cells tell", tableOf("name,email,score\nAnn,ann@example.org,3\nBob,bob@example.org,5\n"),
         std::array<QString, 5>{u"1"_s, u"2"_s, QString(), u"3"_s, QString()}},
        {"too few columns", tableOf("Participant,Card\np1,Apple\n"), std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<TableOptions> suggested = suggestedColumns(c.table);
        ASSERT_EQ(suggested.has_value(), c.expected.has_value()) << c.what;
        if (!suggested)
            continue;
        EXPECT_EQ((std::array<QString, 5>{suggested->participant, suggested->card, suggested->cardId,
                                          suggested->category, suggested->categoryId}),
                  *c.expected)
            << c.what;
        EXPECT_EQ(suggested->layout, TableOptions::Layout::Long) << c.what;
        QString error;
        EXPECT_TRUE(readingOf(c.table, *suggested, error)) << c.what << ": " << error.toStdString();
    }
}

} // namespace
} // namespace sortana
