#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

TEST(SurveyCli, PrintsTheCountsOfEveryExample)
{
    const QDir examples(QStringLiteral(SORTANA_EXAMPLES_DIR));
    const QStringList studies = examples.entryList({u"*.txt"_s}, QDir::Files);
    ASSERT_GE(studies.size(), 2);
    for (const QString &study : studies) {
        const CliRun run = runCli({u"survey"_s, examples.filePath(study)});
        EXPECT_EQ(run.status, 0) << study.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(u"fileType=1\nhasFitData="_s)) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(u"\nparticipantCount="_s));
    }
}

TEST(SurveyCli, WorkedExampleCountsAndRefusals)
{
    const QString worked = QDir(QStringLiteral(SORTANA_GOLDEN_DIR)).filePath(u"worked-example/worked-example.txt"_s);
    const CliRun run = runCli({u"survey"_s, worked});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, u"fileType=1\nhasFitData=1\nhasSubGroups=1\nitemCount=3\nlineCount=17\n"
                       u"groupCount=3\nparticipantCount=2\n"_s);

    QTemporaryDir dir;
    const QString other = dir.filePath(u"other.txt"_s);
    writeBytes(other, "P1\nIA\n");
    const CliRun refused = runCli({u"survey"_s, other});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, u"Sortana: Unidentified file type Please provide an input file in Sortana format\n"_s);

    EXPECT_EQ(runCli({u"survey"_s}).status, 2);
    EXPECT_EQ(runCli({u"frobnicate"_s, worked}).status, 2);
}

} // namespace
