// sortana-cli export, standardise and import --standard: the CSV files byte for byte on a study
// worked out by hand, the standardisation kept in the document, and what is refused.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Apple and Banana go together twice, Carrot and Date three times. "Fruit" is spelt three
// ways, once each (the first met is shown); P2's second group has no name.
constexpr char study[] = "IApple\nIBanana\nICarrot\nIDate \"Medjool\"\n"
                         "P1\nGFruit\nI1\nI2\nGVeg, roots\nI3\nI4\n"
                         "P2\nGfruit\nI1\nI2\nG\nI3\nI4\n"
                         "P3\nGFRUIT\nI1\nGVeg, roots\nI2\nI3\nI4\n";

class ExportCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBytes(path(u"study.txt"_s), study);
        ASSERT_EQ(runCli({u"import"_s, u"study.txt"_s, u"--document"_s, u"study.klus"_s}, dir.path()).status, 0);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    CliRun run(const QStringList &arguments) const { return runCli(arguments, dir.path()); }

    QTemporaryDir dir;
};

TEST_F(ExportCli, WritesTheCategoriesPlacementsAndGroupsByteForByte)
{
    const CliRun exported = run({u"export"_s, u"study.klus"_s, u"--categories"_s, u"c.csv"_s, u"--placements"_s,
                                 u"p.csv"_s, u"--groups"_s, u"g.csv"_s});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.isEmpty());
    // Fruit: Apple in 3 groups of 3, Banana in 2, (3/3 + 2/3) / 2; "Veg, roots": Banana in 1
    // of 2, Carrot and Date in both, (1/2 + 1 + 1) / 3.
    EXPECT_EQ(readBytes(path(u"c.csv"_s)),
              "category,participants,groups,cards,agreement\r\n"
              "Fruit,3,3,2,83.3\r\n"
              "\"Veg, roots\",2,2,3,83.3\r\n");
    // Cards in the dendrogram's order: Carrot and Date joined first, drawn at the top.
    EXPECT_EQ(readBytes(path(u"p.csv"_s)),
              "card,Fruit,\"Veg, roots\"\r\n"
              "Carrot,0,2\r\n"
              "\"Date \"\"Medjool\"\"\",0,2\r\n"
              "Apple,3,0\r\n"
              "Banana,2,1\r\n");
    EXPECT_EQ(readBytes(path(u"g.csv"_s)),
              "group,name,card\r\n"
              "1,\"Veg, roots\",Carrot\r\n"
              "1,\"Veg, roots\",\"Date \"\"Medjool\"\"\"\r\n"
              "2,Fruit,Apple\r\n"
              "2,Fruit,Banana\r\n");
    // One group: Fruit 3 + 2 and Veg 1 + 2 + 2 tie, and the category order decides.
    ASSERT_EQ(run({u"export"_s, u"study.klus"_s, u"--groups"_s, u"one.csv"_s, u"--group-count"_s, u"1"_s}).status, 0);
    EXPECT_TRUE(readBytes(path(u"one.csv"_s)).endsWith("1,Fruit,Apple\r\n1,Fruit,Banana\r\n"));
}

TEST_F(ExportCli, TheStandardisationIsKeptInTheDocumentOrRefused)
{
    writeBytes(path(u"map.csv"_s), "original,standard\nfruit,Produce\n\" veg,  ROOTS \",Produce\n");
    const CliRun standardised = run({u"standardise"_s, u"study.klus"_s, u"map.csv"_s});
    ASSERT_EQ(standardised.status, 0) << standardised.err.toStdString();
    ASSERT_EQ(run({u"export"_s, u"study.klus"_s, u"--categories"_s, u"c.csv"_s}).status, 0);
    // Apple 3 of 5 groups, Banana 3, Carrot 2, Date 2.
    EXPECT_EQ(readBytes(path(u"c.csv"_s)),
              "category,participants,groups,cards,agreement\r\n"
              "Produce,3,5,4,50.0\r\n");

    // The same at import.
    ASSERT_EQ(
        run({u"import"_s, u"study.txt"_s, u"--document"_s, u"again.klus"_s, u"--standard"_s, u"map.csv"_s}).status, 0);
    ASSERT_EQ(run({u"export"_s, u"again.klus"_s, u"--categories"_s, u"again.csv"_s}).status, 0);
    EXPECT_EQ(readBytes(path(u"again.csv"_s)), readBytes(path(u"c.csv"_s)));

    writeBytes(path(u"two.csv"_s), "original,standard\nFruit,Produce\nFRUIT,Sweet\n");
    const QByteArray before = readBytes(path(u"study.klus"_s));
    const CliRun refused = run({u"standardise"_s, u"study.klus"_s, u"two.csv"_s});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              u"Sortana: Error - lines 2 and 3 of two.csv give \"FRUIT\" two standards, "
              u"\"Produce\" and \"Sweet\"\n"_s);
    EXPECT_EQ(readBytes(path(u"study.klus"_s)), before);
    const CliRun refusedAtImport =
        run({u"import"_s, u"study.txt"_s, u"--document"_s, u"third.klus"_s, u"--standard"_s, u"two.csv"_s});
    EXPECT_EQ(refusedAtImport.status, 1);
    EXPECT_FALSE(QFile::exists(path(u"third.klus"_s)));
}

TEST_F(ExportCli, RefusesWhatItCannotUse)
{
    const struct {
        QStringList arguments;
        int status;
        const char *message;
    } cases[] = {
        {{u"export"_s, u"study.klus"_s},
         2,
         "Sortana: export needs --categories, --placements, --groups, --participants, --distances, --workbook, "
         "--support, --stability, --adequacy or --cophenetic\n"},
        {{u"export"_s, u"study.klus"_s, u"--groups"_s, u"g.csv"_s, u"--group-count"_s, u"0"_s},
         2,
         "Sortana: --group-count needs a number of 1 or more\n"},
        {{u"export"_s, u"study.klus"_s, u"--categories"_s, u"study.klus"_s},
         2,
         "Sortana: study.klus cannot be written over the document or another output\n"},
        {{u"export"_s, u"study.klus"_s, u"--categories"_s, u"x.csv"_s, u"--groups"_s, u"./x.csv"_s},
         2,
         "Sortana: ./x.csv cannot be written over the document or another output\n"},
        {{u"export"_s, QStringLiteral(SORTANA_GOLDEN_DIR "/worked-example/expected/worked-example.klus"),
          u"--categories"_s, u"c.csv"_s},
         1,
         "Sortana: This document was saved without the participants' sorts. Import the study again to add "
         "them.\n"},
        {{u"export"_s, QStringLiteral(SORTANA_GOLDEN_DIR "/worked-example/expected/worked-example.klus"),
          u"--workbook"_s, u"w.xlsx"_s},
         1,
         "Sortana: This document was saved without the participants' sorts. Import the study again to add "
         "them.\n"},
    };
    for (const auto &c : cases) {
        const CliRun refused = run(c.arguments);
        EXPECT_EQ(refused.status, c.status) << c.message;
        EXPECT_TRUE(refused.err.startsWith(QString::fromUtf8(c.message))) << refused.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path(u"c.csv"_s)));
    EXPECT_FALSE(QFile::exists(path(u"x.csv"_s)));
    EXPECT_FALSE(QFile::exists(path(u"w.xlsx"_s)));
}

// --suggest prints the sets that differ only in accents (the header alone when there are
// none); --export writes every spelling and the entries for spellings nobody counted uses,
// and storing that file again changes no figure.
TEST_F(ExportCli, StandardiseSuggestsMergesAndExportsTheWholeStandardisation)
{
    const CliRun none = run({u"standardise"_s, u"study.klus"_s, u"--suggest"_s});
    EXPECT_EQ(none.status, 0) << none.err.toStdString();
    EXPECT_EQ(none.out, u"original,standard\r\n"_s);

    writeBytes(path(u"accents.txt"_s), "IA\nIB\nIC\nID\n"
                                       "P1\nGCaf\xc3\xa9\nI1\nI2\nGVeg\nI3\nI4\n"
                                       "P2\nGcafe\nI1\nI2\nGVeg\nI3\nI4\n"
                                       "P3\nGCAFE\nI1\nGV\xc3\xa9g\nI2\nI3\nI4\n");
    ASSERT_EQ(run({u"import"_s, u"accents.txt"_s, u"--document"_s, u"accents.klus"_s}).status, 0);
    const CliRun suggested = run({u"standardise"_s, u"accents.klus"_s, u"--suggest"_s});
    EXPECT_EQ(suggested.status, 0) << suggested.err.toStdString();
    EXPECT_EQ(suggested.out, u"original,standard\r\ncafe,cafe\r\nCaf\u00e9,cafe\r\nVeg,Veg\r\nV\u00e9g,Veg\r\n"_s);

    writeBytes(path(u"map.csv"_s), "original,standard\nfruit,Produce\n\" veg,  ROOTS \",Produce\nKale,Produce\n");
    ASSERT_EQ(run({u"standardise"_s, u"study.klus"_s, u"map.csv"_s}).status, 0);
    ASSERT_EQ(run({u"export"_s, u"study.klus"_s, u"--categories"_s, u"before.csv"_s}).status, 0);
    const CliRun exported = run({u"standardise"_s, u"study.klus"_s, u"--export"_s, u"whole.csv"_s});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(readBytes(path(u"whole.csv"_s)), "original,standard\r\nFruit,Produce\r\n\"Veg, roots\",Produce\r\n"
                                                "fruit,Produce\r\nFRUIT,Produce\r\nKale,Produce\r\n");
    ASSERT_EQ(run({u"standardise"_s, u"study.klus"_s, u"whole.csv"_s}).status, 0);
    ASSERT_EQ(run({u"export"_s, u"study.klus"_s, u"--categories"_s, u"after.csv"_s}).status, 0);
    EXPECT_EQ(readBytes(path(u"after.csv"_s)), readBytes(path(u"before.csv"_s)));

    const struct {
        QStringList arguments;
        int status;
        QString message;
    } refused[] = {
        {{u"standardise"_s, u"study.klus"_s}, 2, u"Sortana: standardise takes one of MAP.csv, --suggest and --export"_s},
        {{u"standardise"_s, u"study.klus"_s, u"map.csv"_s, u"--suggest"_s},
         2,
         u"Sortana: standardise takes one of MAP.csv, --suggest and --export"_s},
        {{u"standardise"_s, u"study.klus"_s, u"--export"_s, u"study.klus"_s},
         2,
         u"Sortana: study.klus cannot be written over the document or another output"_s},
    };
    for (const auto &c : refused) {
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(c.message)) << result.err.toStdString();
    }
}

} // namespace
