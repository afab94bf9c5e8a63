// sortana-cli on the participants: their figures and distances byte for byte on a study worked
// out by hand, and import leaving some of them out.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// P1 is the expert; P3 puts every card alone in groups named with one letter, P5 all of them
// in one group without a name.
const QByteArray items = "IApple\nIBanana\nICarrot\nIDate\n";
const QByteArray participants[] = {
    "P1\nGAll\nI1\nI2\nI3\nI4\n",
    "P2\nGFruit\nI1\nI2\nGVeg\nI3\nI4\n",
    "P3\nGa\nI1\nGb\nI2\nGc\nI3\nGd\nI4\n",
    "P4\nGFruit\nI1\nI2\nGVeg, roots\nI3\nI4\n",
    "P5\nG\nI1\nI2\nI3\nI4\n",
};

QByteArray studyWithout(std::initializer_list<int> leftOut)
{
    QByteArray text = items;
    for (int p = 0; p < 5; ++p) {
        if (std::find(leftOut.begin(), leftOut.end(), p) == leftOut.end())
            text += participants[p];
    }
    return text;
}

class ParticipantsCli : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(path(u"study.txt"_s), studyWithout({})); }
    QString path(const QString &name) const { return dir.filePath(name); }
    CliRun run(const QStringList &arguments) const { return runCli(arguments, dir.path()); }
    // The five analysis files of an input, in the order the import names them.
    QList<QByteArray> analysisFiles(const QString &folder, const QString &base) const
    {
        QList<QByteArray> files;
        for (const char *kind : {"Cards", "Items", "Participants", "Matrix", "WeightedMatrix"})
            files << readBytes(path(folder + u'/' + base + u'-' + QString::fromLatin1(kind) + u".csv"_s));
        return files;
    }

    QTemporaryDir dir;
};

// d(P2, P3) = 4 - 2: only one of each pair of P2's cards can stay with a lone card of P3's.
// The means divide the sums of a row by 4 cards x 3 others.
TEST_F(ParticipantsCli, TheParticipantsAndTheirDistancesByteForByte)
{
    ASSERT_EQ(run({u"import"_s, u"study.txt"_s, u"--expert"_s, u"--document"_s, u"study.klus"_s}).status, 0);
    const CliRun exported =
        run({u"export"_s, u"study.klus"_s, u"--participants"_s, u"p.csv"_s, u"--distances"_s, u"d.csv"_s});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(readBytes(path(u"p.csv"_s)),
              "participant,groups,cards,mean_distance,flags\r\n"
              "P1,1,4,,\r\n"
              "P2,2,4,33.3,\r\n"
              "P3,4,4,58.3,each card alone;one-letter names\r\n"
              "P4,2,4,33.3,\r\n"
              "P5,1,4,58.3,one group\r\n");
    EXPECT_EQ(readBytes(path(u"d.csv"_s)),
              "participant,P2,P3,P4,P5\r\n"
              "P2,0,2,0,2\r\n"
              "P3,2,0,2,3\r\n"
              "P4,0,2,0,2\r\n"
              "P5,2,3,2,0\r\n");
}

TEST_F(ParticipantsCli, ImportLeavesParticipantsOutAsIfTheirLinesWereNotThere)
{
    const struct {
        QStringList options;
        std::initializer_list<int> leftOut;
    } cases[] = {
        {{u"--expert"_s, u"--exclude-flagged"_s}, {2, 4}},
        {{u"--expert"_s, u"--exclude"_s, u"#2,P4"_s}, {1, 3}},
        {{u"--exclude"_s, u"P1,P3"_s, u"--exclude-flagged"_s}, {0, 2, 4}},
    };
    int runNumber = 0;
    for (const auto &c : cases) {
        const QString folder = u"run%1"_s.arg(++runNumber);
        const CliRun leaving = run(QStringList{u"import"_s, u"study.txt"_s, u"--outdir"_s, folder} + c.options);
        ASSERT_EQ(leaving.status, 0) << leaving.err.toStdString();
        writeBytes(path(folder + u"/by-hand.txt"_s), studyWithout(c.leftOut));
        QStringList byHand{u"import"_s, folder + u"/by-hand.txt"_s};
        if (c.options.contains(u"--expert"_s))
            byHand << u"--expert"_s;
        ASSERT_EQ(run(byHand).status, 0);
        EXPECT_EQ(analysisFiles(folder, u"study"_s), analysisFiles(folder, u"by-hand"_s)) << folder.toStdString();
    }
}

// The document of an import that left participants out keeps every sort: its participants'
// figures are the whole study's, while its categories leave them out.
TEST_F(ParticipantsCli, TheDocumentKeepsEverySortAndWhoWasLeftOut)
{
    ASSERT_EQ(run({u"import"_s, u"study.txt"_s, u"--document"_s, u"all.klus"_s}).status, 0);
    ASSERT_EQ(run({u"import"_s, u"study.txt"_s, u"--exclude-flagged"_s, u"--document"_s, u"some.klus"_s}).status, 0);
    for (const char *document : {"all", "some"}) {
        const QString name = QString::fromLatin1(document);
        ASSERT_EQ(run({u"export"_s, name + u".klus"_s, u"--participants"_s, name + u"-p.csv"_s, u"--categories"_s,
                       name + u"-c.csv"_s})
                      .status,
                  0);
    }
    EXPECT_EQ(readBytes(path(u"some-p.csv"_s)), readBytes(path(u"all-p.csv"_s)));
    // P1's, P3's and P5's groups are gone: Fruit and Veg are P2's and P4's.
    EXPECT_EQ(readBytes(path(u"some-c.csv"_s)),
              "category,participants,groups,cards,agreement\r\n"
              "Fruit,2,2,2,100.0\r\n"
              "Veg,1,1,2,100.0\r\n"
              "\"Veg, roots\",1,1,2,100.0\r\n");
}

TEST_F(ParticipantsCli, WhatCannotBeLeftOutIsAUsageError)
{
    const struct {
        QStringList arguments;
        QString err;
    } cases[] = {
        {{u"--expert"_s, u"--exclude"_s, u"P1"_s}, u"Sortana: the expert cannot be left out\n"_s},
        {{u"--expert"_s, u"--exclude"_s, u"#1"_s}, u"Sortana: the expert cannot be left out\n"_s},
        {{u"--exclude"_s, u"P9"_s}, u"Sortana: no participant has the id P9\n"_s},
        {{u"--exclude"_s, u"#6"_s}, u"Sortana: there is no participant #6 (the study has 5)\n"_s},
        {{u"--exclude"_s, u"P1,P2,P3,P4,P5"_s}, u"Sortana: Nobody would be left to analyse.\n"_s},
    };
    for (const auto &c : cases) {
        const CliRun refused = run(QStringList{u"import"_s, u"study.txt"_s} + c.arguments);
        EXPECT_EQ(refused.status, 2) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(refused.err, c.err);
    }
    for (const QString &list : {u"#0"_s, u"P1,,P2"_s, u"#x"_s}) {
        const CliRun refused = run({u"import"_s, u"study.txt"_s, u"--exclude"_s, list});
        EXPECT_EQ(refused.status, 2) << list.toStdString();
        EXPECT_TRUE(refused.err.startsWith(u"Sortana: --exclude needs participant ids or #N, separated by commas\n"_s));
    }
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"study.txt"_s});
}

// The distances between every two sorts need memory by the square of the participants: 20,000
// of them need 1.6 GB, more than a process limited to 512 MB can have. Every command that
// checks the participants says so and fails, where memory running out on the way (on one of
// the checks' threads, say) used to abort the program.
TEST_F(ParticipantsCli, RunningOutOfMemoryForTheChecksIsToldNotFatal)
{
#ifdef SORTANA_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit in a small address space";
#endif
    QByteArray many = items;
    for (int p = 0; p < 20'000; ++p)
        many += "P" + QByteArray::number(p) + (p % 2 ? "\nGA\nI1\nI2\nGB\nI3\nI4\n" : "\nGA\nI1\nI3\nGB\nI2\nI4\n");
    writeBytes(path(u"many.txt"_s), many);
    ASSERT_EQ(run({u"import"_s, u"many.txt"_s, u"--outdir"_s, u"files"_s, u"--document"_s, u"many.klus"_s}).status, 0);
    const QStringList before = filesIn(dir.path());
    const QStringList commands[] = {
        {u"export"_s, u"many.klus"_s, u"--participants"_s, u"p.csv"_s},
        {u"export"_s, u"many.klus"_s, u"--distances"_s, u"d.csv"_s},
        {u"export"_s, u"many.klus"_s, u"--workbook"_s, u"many.xlsx"_s},
        {u"report"_s, u"many.klus"_s, u"many.html"_s},
        {u"import"_s, u"many.txt"_s, u"--exclude-flagged"_s, u"--outdir"_s, u"kept"_s},
    };
    for (const QStringList &command : commands) {
        const CliRun failed = runCliInMemory(command, dir.path(), qint64(512) << 20);
        EXPECT_EQ(failed.status, 1) << command.join(u' ').toStdString();
        EXPECT_EQ(failed.err, u"Sortana: Error - not enough memory for this study\n"_s);
    }
    EXPECT_EQ(filesIn(dir.path()), before);
}

} // namespace
