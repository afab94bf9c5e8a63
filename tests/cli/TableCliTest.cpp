// Tables from other card-sort tools through sortana-cli: each fixture converts to the raw data
// file written by hand beside it, and imports to the same analysis files as that file.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QStringList analysisSuffixes = {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s};

struct Fixture {
    const char *table;
    QStringList options;
    QString survey;   // what survey prints
};

QString fixture(const QString &name)
{
    return QDir(QStringLiteral(SORTANA_TABLES_DIR)).filePath(name);
}

TEST(TableCli, EachFixtureConvertsAndImportsAsItsRawDataFile)
{
    const Fixture fixtures[] = {
        // Ids number the cards ("01" is card 1); labels name them; a participant 12 is P12.
        {"long-ids.csv", {}, u"fileType=2\nhasFitData=0\nhasSubGroups=0\nitemCount=3\nlineCount=7\ngroupCount=3\nparticipantCount=2\n"_s},
        // Semicolons and quotes; a category named 12; a duplicate, an unsorted card, a row
        // without a participant and one without a card.
        {"long-names.csv", {}, u"fileType=2\nhasFitData=0\nhasSubGroups=0\nitemCount=4\nlineCount=9\ngroupCount=2\nparticipantCount=2\n"_s},
        {"headerless.tsv", {u"--no-header"_s, u"--participant"_s, u"3"_s, u"--card"_s, u"1"_s, u"--category"_s, u"2"_s},
         u"fileType=2\nhasFitData=0\nhasSubGroups=0\nitemCount=2\nlineCount=2\ngroupCount=2\nparticipantCount=1\n"_s},
        // A web tool's export: no header; participant, card number, card label, category, then
        // the participant's answers to a questionnaire.
        {"export-headerless.csv",
         {},
         u"fileType=2\nhasFitData=0\nhasSubGroups=0\nitemCount=5\nlineCount=15\ngroupCount=7\nparticipantCount=3\n"_s},
        // One row per participant, a byte-order mark, CR LF and a line break inside a card name.
        {"wide.csv", {}, u"fileType=3\nhasFitData=0\nhasSubGroups=0\nitemCount=3\nlineCount=3\ngroupCount=3\nparticipantCount=2\n"_s},
        // UTF-16 with tabs, and header names with spaces.
        {"utf16.csv", {}, u"fileType=2\nhasFitData=0\nhasSubGroups=0\nitemCount=2\nlineCount=5\ngroupCount=3\nparticipantCount=2\n"_s},
    };
    for (const Fixture &f : fixtures) {
        const QString name = QString::fromLatin1(f.table);
        SCOPED_TRACE(f.table);
        QTemporaryDir dir;
        const QString table = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(fixture(name), table));
        const QString base = QFileInfo(name).completeBaseName();

        const CliRun survey = runCli(QStringList{u"survey"_s, table} + f.options);
        EXPECT_EQ(survey.status, 0) << survey.err.toStdString();
        EXPECT_EQ(survey.out, f.survey);

        const QString raw = dir.filePath(base + u".txt"_s);
        const CliRun convert = runCli(QStringList{u"convert"_s, table, raw} + f.options);
        ASSERT_EQ(convert.status, 0) << convert.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(readBytes(raw)), QString::fromUtf8(readBytes(fixture(base + u".expected.txt"_s))));

        const CliRun fromTable = runCli(QStringList{u"import"_s, table, u"--outdir"_s, dir.filePath(u"table"_s)} + f.options);
        ASSERT_EQ(fromTable.status, 0) << fromTable.err.toStdString();
        const CliRun fromRaw = runCli({u"import"_s, raw, u"--outdir"_s, dir.filePath(u"raw"_s)});
        ASSERT_EQ(fromRaw.status, 0) << fromRaw.err.toStdString();
        for (const QString &suffix : analysisSuffixes) {
            const QString file = base + u'-' + suffix + u".csv"_s;
            EXPECT_EQ(readBytes(dir.filePath(u"table/"_s + file)), readBytes(dir.filePath(u"raw/"_s + file)))
                << file.toStdString();
        }
    }
}

// The library study as a workbook and as a CSV file, the way two tools would export it.
TEST(TableCli, AWorkbookReadsAsTheSameTableInCsv)
{
    QTemporaryDir dir;
    const QDir examples(QStringLiteral(SORTANA_EXAMPLES_DIR));
    const CliRun csv = runCli({u"import"_s, examples.filePath(u"library-website-long.csv"_s), u"--outdir"_s,
                               dir.filePath(u"csv"_s)});
    ASSERT_EQ(csv.status, 0) << csv.err.toStdString();
    const CliRun workbook = runCli({u"import"_s, examples.filePath(u"library-website.xlsx"_s), u"--sheet"_s,
                                    u"Placements"_s, u"--outdir"_s, dir.filePath(u"xlsx"_s)});
    ASSERT_EQ(workbook.status, 0) << workbook.err.toStdString();
    for (const QString &suffix : analysisSuffixes) {
        EXPECT_EQ(readBytes(dir.filePath(u"xlsx/library-website-"_s + suffix + u".csv"_s)),
                  readBytes(dir.filePath(u"csv/library-website-long-"_s + suffix + u".csv"_s)))
            << suffix.toStdString();
    }
    const CliRun noSheet = runCli({u"survey"_s, examples.filePath(u"library-website.xlsx"_s), u"--sheet"_s, u"2"_s});
    EXPECT_EQ(noSheet.status, 1);
    EXPECT_EQ(noSheet.err, u"Sortana: The workbook "_s + examples.filePath(u"library-website.xlsx"_s)
                               + u" has no sheet 2\n"_s);
}

TEST(TableCli, WarningsNameTheTablesRows)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(u"long-names.csv"_s);
    ASSERT_TRUE(QFile::copy(fixture(u"long-names.csv"_s), table));
    const CliRun run = runCli({u"import"_s, table});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              u"Sortana: Warning - 1 rows without a category were left out (unsorted cards)\n"
              u"Sortana: Warning - row 6 has no participant id and was ignored\n"
              u"Sortana: Warning - duplicate item found at line 4 (participant id Anna)\n"
              u"Sortana: Warning - invalid data ignored at line 7 (participant id Bob)\n"_s);

    const CliRun cancelled = runCli({u"import"_s, table, u"--on-warning"_s, u"cancel"_s, u"--outdir"_s, dir.filePath(u"out"_s)});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, u"Sortana: Warning - 1 rows without a category were left out (unsorted cards)\n"_s);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out"_s)));
}

TEST(TableCli, AParticipantColumnHeadedIdIsReadWithoutBeingNamed)
{
    const QString table = fixture(u"id-column.csv"_s);
    const CliRun found = runCli({u"survey"_s, table});
    EXPECT_EQ(found.status, 0) << found.err.toStdString();
    EXPECT_EQ(found.err, QString());
    EXPECT_TRUE(found.out.contains(u"participantCount=3\n"_s)) << found.out.toStdString();
    const CliRun named = runCli({u"survey"_s, table, u"--participant"_s, u"ID"_s});
    EXPECT_EQ(named.out, found.out);
}

TEST(TableCli, ColumnsToldFromTheCellsAreNamedAndUndecidedOnesRefused)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(u"export.csv"_s);
    ASSERT_TRUE(QFile::copy(fixture(u"export-headerless.csv"_s), table));
    const QString used = u"Sortana: Columns used: participant 1, card id 2, card 3, category 4\n"_s;
    for (const QStringList &arguments : {QStringList{u"survey"_s, table}, QStringList{u"import"_s, table},
                                         QStringList{u"convert"_s, table, dir.filePath(u"raw.txt"_s)}}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 0) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, used) << arguments.join(u' ').toStdString();
    }
    // Named columns are the user's: nothing to tell.
    const CliRun named = runCli({u"survey"_s, table, u"--participant"_s, u"1"_s, u"--card-id"_s, u"2"_s,
                                 u"--card"_s, u"3"_s, u"--category"_s, u"4"_s});
    EXPECT_EQ(named.err, QString());

    const QString people = dir.filePath(u"people.csv"_s);
    writeBytes(people, "name,email,score\nAnn,ann@example.org,3\nBob,bob@example.org,5\n");
    for (const QStringList &arguments : {QStringList{u"survey"_s, people}, QStringList{u"import"_s, people},
                                         QStringList{u"convert"_s, people, dir.filePath(u"people.txt"_s)}}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, u"Sortana: The columns of this table could not be told apart. Name them with "
                           u"--participant, --card and --category\n"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"people.txt"_s)));
}

TEST(TableCli, ATableThatCannotBeACardSortIsWarnedOfButARawDataFileIsNot)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(u"alone.csv"_s);
    writeBytes(table, "Participant,Card,Category\nAnn,Apple,Fruit\nAnn,Pear,Fruit\n");
    const QString warning = u"Sortana: This does not look like a card sort: it has fewer than two participants. "
                            u"If the study is a table, its card or category column may be the wrong one. "
                            u"OK shows the result anyway, Cancel stops the import.\n"_s;
    const CliRun shown = runCli({u"import"_s, table, u"--outdir"_s, dir.filePath(u"shown"_s)});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err, warning);
    EXPECT_EQ(filesIn(dir.filePath(u"shown"_s)).size(), 5);
    const CliRun cancelled =
        runCli({u"import"_s, table, u"--outdir"_s, dir.filePath(u"cancelled"_s), u"--on-warning"_s, u"cancel"_s});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, warning);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"cancelled"_s)));

    const QString raw = dir.filePath(u"alone.txt"_s);
    writeBytes(raw, "IApple\nIPear\nPAnn\nGFruit\nI1\nI2\n");
    const CliRun rawRun =
        runCli({u"import"_s, raw, u"--outdir"_s, dir.filePath(u"raw"_s), u"--on-warning"_s, u"cancel"_s});
    EXPECT_EQ(rawRun.status, 0);
    EXPECT_EQ(rawRun.err, QString());
}

TEST(TableCli, ColumnsThatCannotBeFoundAreUsageErrors)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(u"two.csv"_s);
    writeBytes(table, "Participant,Card\nAnna,Apple\n");
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{u"import"_s, table}, u"The table has no category column Its columns are: Participant, Card"_s},
        {{u"survey"_s, table, u"--category"_s, u"Pile"_s},
         u"The table has no column Pile for the category Its columns are: Participant, Card"_s},
        {{u"convert"_s, table, dir.filePath(u"x.txt"_s), u"--category"_s, u"7"_s},
         u"The table has no column 7 for the category Its columns are: Participant, Card"_s},
        {{u"import"_s, table, u"--layout"_s, u"wide"_s, u"--no-header"_s},
         u"A table with one row per participant needs its header row (the card names)"_s},
    };
    for (const auto &c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, u"Sortana: "_s + c.message + u'\n');
    }
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"two.csv"_s});
}

} // namespace
