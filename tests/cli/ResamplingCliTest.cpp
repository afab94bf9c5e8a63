// sortana-cli export's resampling figures: the files byte for byte where every figure is
// known by hand, the seed, and the options it refuses.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class ResamplingCli : public ::testing::Test {
protected:
    void import(const QByteArray &study, const QString &name)
    {
        writeBytes(path(name + u".txt"_s), study);
        const CliRun imported = run({u"import"_s, name + u".txt"_s, u"--document"_s, name + u".klus"_s});
        ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    CliRun run(const QStringList &arguments) const { return runCli(arguments, dir.path()); }

    QTemporaryDir dir;
};

TEST_F(ResamplingCli, IdenticalSortsByteForByte)
{
    // Three participants sort alike: every replicate is the study itself, and every
    // sub-sample its scaled copy.
    import("IApple, red\nIBanana\nICarrot\nIDate\n"
           "P1\nG\nI1\nI2\nG\nI3\nI4\nP2\nG\nI1\nI2\nG\nI3\nI4\nP3\nG\nI2\nI1\nG\nI4\nI3\n",
           u"alike"_s);
    const CliRun exported = run({u"export"_s, u"alike.klus"_s, u"--support"_s, u"s.csv"_s, u"--stability"_s,
                                 u"st.csv"_s, u"--adequacy"_s, u"a.csv"_s, u"--subsets"_s, u"10"_s, u"--cophenetic"_s});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, u"1.0000\n"_s);
    // Progress is for terminals only.
    EXPECT_TRUE(exported.err.isEmpty()) << exported.err.toStdString();
    EXPECT_EQ(readBytes(path(u"s.csv"_s)),
              "join,similarity,support,items\r\n"
              "1,3.000000,100.0,\"Apple, red|Banana\"\r\n"
              "2,3.000000,100.0,Carrot|Date\r\n"
              "3,0.000000,100.0,\"Apple, red|Banana|Carrot|Date\"\r\n");
    EXPECT_EQ(readBytes(path(u"st.csv"_s)),
              "group,cards,stability\r\n"
              "1,2,100.0\r\n"
              "2,2,100.0\r\n");
    EXPECT_EQ(readBytes(path(u"a.csv"_s)),
              "participants,mean,p05,p95,kept\r\n"
              "2,1.0000,1.0000,1.0000,10\r\n"
              "3,1.0000,1.0000,1.0000,10\r\n");
    ASSERT_EQ(run({u"export"_s, u"alike.klus"_s, u"--stability"_s, u"one.csv"_s, u"--group-count"_s, u"1"_s}).status,
              0);
    EXPECT_EQ(readBytes(path(u"one.csv"_s)), "group,cards,stability\r\n1,4,100.0\r\n");
}

TEST_F(ResamplingCli, ConstantPairCountsLeaveTheFiguresEmpty)
{
    // Every pair of cards is sorted together exactly once: the whole study's counts are
    // constant, so no sub-sample is kept, and the tree cannot follow the pair scores.
    import("IA\nIB\nIC\nID\nP1\nG\nI1\nI2\nG\nI3\nI4\nP2\nG\nI1\nI3\nG\nI2\nI4\nP3\nG\nI1\nI4\nG\nI2\nI3\n", u"even"_s);
    ASSERT_EQ(run({u"export"_s, u"even.klus"_s, u"--adequacy"_s, u"a.csv"_s}).status, 0);
    EXPECT_EQ(readBytes(path(u"a.csv"_s)),
              "participants,mean,p05,p95,kept\r\n"
              "2,,,,0\r\n"
              "3,,,,0\r\n");
    const CliRun cophenetic = run({u"export"_s, u"even.klus"_s, u"--cophenetic"_s});
    EXPECT_EQ(cophenetic.status, 1);
    EXPECT_TRUE(cophenetic.out.isEmpty());
    EXPECT_TRUE(cophenetic.err.startsWith(u"Sortana: The cophenetic correlation is not defined"_s));
}

TEST_F(ResamplingCli, TheSeedDecides)
{
    writeBytes(path(u"medium.txt"_s), readBytes(QStringLiteral(SORTANA_GOLDEN_DIR "/medium/medium.txt")));
    ASSERT_EQ(run({u"import"_s, u"medium.txt"_s, u"--document"_s, u"medium.klus"_s}).status, 0);
    const auto figures = [&](const QString &seed, const QString &name) {
        QStringList arguments{
            u"export"_s,        u"medium.klus"_s,  u"--support"_s, name + u"-s.csv"_s, u"--adequacy"_s,
            name + u"-a.csv"_s, u"--replicates"_s, u"50"_s,        u"--subsets"_s,     u"20"_s};
        if (!seed.isEmpty())
            arguments << u"--seed"_s << seed;
        EXPECT_EQ(run(arguments).status, 0);
        return readBytes(path(name + u"-s.csv"_s)) + readBytes(path(name + u"-a.csv"_s));
    };
    const QByteArray first = figures(u"1"_s, u"first"_s);
    EXPECT_EQ(figures({}, u"unsaid"_s), first);
    EXPECT_NE(figures(u"18446744073709551615"_s, u"other"_s), first);
}

TEST_F(ResamplingCli, RefusesWhatItCannotUse)
{
    import("IA\nIB\nIC\nP1\nG\nI1\nI2\nG\nI3\nP2\nG\nI1\nI2\nI3\n", u"study"_s);
    const QString usage = u"Sortana: Usage: sortana-cli export DOC.klus"_s;
    const struct {
        QStringList options;
        int status;
        QString message;
    } cases[] = {
        {{},
         2,
         u"Sortana: export needs --categories, --placements, --groups, --participants, --distances, --workbook, "
         u"--support, --stability, --adequacy or --cophenetic\n"_s
             + usage},
        {{u"--support"_s, u"s.csv"_s, u"--replicates"_s, u"9"_s},
         2,
         u"Sortana: --replicates needs a number from 10 to 10000\n"_s},
        {{u"--support"_s, u"s.csv"_s, u"--replicates"_s, u"10001"_s},
         2,
         u"Sortana: --replicates needs a number from 10 to 10000\n"_s},
        {{u"--adequacy"_s, u"a.csv"_s, u"--subsets"_s, u"many"_s},
         2,
         u"Sortana: --subsets needs a number from 10 to 10000\n"_s},
        {{u"--adequacy"_s, u"a.csv"_s, u"--seed"_s, u"-1"_s},
         2,
         u"Sortana: --seed needs a whole number from 0 to 18446744073709551615\n"_s},
        {{u"--adequacy"_s, u"a.csv"_s, u"--seed"_s, u"18446744073709551616"_s},
         2,
         u"Sortana: --seed needs a whole number from 0 to 18446744073709551615\n"_s},
        {{u"--adequacy"_s, u"a.csv"_s, u"--seed"_s, u" 7"_s},
         2,
         u"Sortana: --seed needs a whole number from 0 to 18446744073709551615\n"_s},
        {{u"--adequacy"_s, u"a.csv"_s, u"--replicates"_s, u"100"_s},
         2,
         u"Sortana: --replicates is for --support and --stability\n"_s},
        {{u"--support"_s, u"s.csv"_s, u"--subsets"_s, u"100"_s}, 2, u"Sortana: --subsets is for --adequacy\n"_s},
        {{u"--cophenetic"_s, u"--seed"_s, u"3"_s},
         2,
         u"Sortana: --seed is for --support, --stability and --adequacy\n"_s},
        {{u"--support"_s, u"study.klus"_s},
         2,
         u"Sortana: study.klus cannot be written over the document or another output\n"_s},
    };
    for (const auto &c : cases) {
        const CliRun refused = run(QStringList{u"export"_s, u"study.klus"_s} + c.options);
        EXPECT_EQ(refused.status, c.status) << c.message.toStdString();
        EXPECT_TRUE(refused.err.startsWith(c.message)) << refused.err.toStdString();
    }

    const CliRun withoutSorts =
        run({u"export"_s, QStringLiteral(SORTANA_GOLDEN_DIR "/worked-example/expected/worked-example.klus"),
             u"--support"_s, u"s.csv"_s});
    EXPECT_EQ(withoutSorts.status, 1);
    EXPECT_EQ(withoutSorts.err,
              u"Sortana: This document was saved without the participants' sorts. Import the "
              u"study again to add them.\n"_s);
    EXPECT_FALSE(QFile::exists(path(u"s.csv"_s)));
    EXPECT_FALSE(QFile::exists(path(u"a.csv"_s)));
}

} // namespace
