#include "cli/CliRunner.h"
#include "formats/AnalysisFileCells.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class ImportCli : public ::testing::Test {
protected:
    QString write(const QByteArray &study, const QString &name = u"study.txt"_s)
    {
        writeBytes(dir.filePath(name), study);
        return dir.filePath(name);
    }
    QString analysisFile(const QString &suffix) const { return readUtf16File(dir.filePath(u"study-"_s + suffix + u".csv"_s)); }
    QTemporaryDir dir;
};

// Three cards, an expert and two participants, worked out by hand: B and C are paired most,
// so the tree joins them first and the rows run B, C, A.
TEST_F(ImportCli, SmallStudyWithExpertWorkedOutByHand)
{
    const QString input = write("IA\nIB\nIC\nPExp\nG\nI1\nI2\nG\nI3\nP1\nG\nI1\nI2\nI3\nP2\nG\nI1\nG\nI2\nI3\n");
    const CliRun run = runCli({u"import"_s, input, u"--expert"_s});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());

    EXPECT_EQ(analysisFile(u"Cards"_s),
              u"Exp\r\n\t\"-----\"\r\n\t\t\"A\"\r\n\t\t\"B\"\r\n\t\"-----\"\r\n\t\t\"C\"\r\n"
              u"P1\r\n\t\"-----\"\r\n\t\t\"A\"\r\n\t\t\"B\"\r\n\t\t\"C\"\r\n"
              u"P2\r\n\t\"-----\"\r\n\t\t\"A\"\r\n\t\"-----\"\r\n\t\t\"B\"\r\n\t\t\"C\"\r\n"_s);
    EXPECT_EQ(analysisFile(u"Participants"_s),
              u"\"ID\"\t\"Groups\"\t\"Items\"\t\"Pairs\"\t\"AveSize\"\t\"AveFit\"\t\"%AveAlign\"\t\"%ExpertAlign\"\r\n"
              u"Exp\t2\t3\t1\t1.5\t1.0\t29%\t100%\r\n"
              u"P1\t1\t3\t3\t3.0\t1.0\t59%\t18%\r\n"
              u"P2\t2\t3\t1\t1.5\t1.0\t59%\t18%\r\n"_s);
    EXPECT_EQ(analysisFile(u"Matrix"_s),
              u"ItemNo\t\t\"B\"\t\"C\"\t\"A\"\r\n"
              u"2\t\"B\"\t0\t2\t1\t\r\n"
              u"3\t\"C\"\t2\t0\t1\t\r\n"
              u"1\t\"A\"\t1\t1\t0\t\r\n"_s);
    EXPECT_EQ(analysisFile(u"WeightedMatrix"_s),
              u"ItemNo\t\t\"B\"\t\"C\"\t\"A\"\r\n"
              u"2\t\"B\"\t0\t2.0\t1.0\t\r\n"
              u"3\t\"C\"\t2.0\t0\t1.0\t\r\n"
              u"1\t\"A\"\t1.0\t1.0\t0\t\r\n"_s);
    EXPECT_EQ(analysisFile(u"Items"_s),
              u"\"Item No\"\t\"Item Name\"\t\"Count\"\t\"Pairs\"\t\"Weighted\"\t\"AveFit\"\t\"%AveAlign\"\t\"%ExpertAlign\"\r\n"
              u"2\t\"B\"\t2\t3\t 2\t1.0\t6%\t0%\r\n"
              u"3\t\"C\"\t2\t3\t 2\t1.0\t6%\t0%\r\n"
              u"1\t\"A\"\t1\t2\t 1\t0.5\t13%\t0%\r\n"_s);
}

// Quotients whose divisor is zero leave their cell empty instead of printing nan or inf.
TEST_F(ImportCli, ZeroDivisorsGiveEmptyCells)
{
    // P2 has no groups and no cards; with one counted participant and two items D is 0.
    const CliRun run = runCli({u"import"_s, write("IA\nIB\nP1\nG\nI1\nI2\nP2\n")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(analysisFile(u"Participants"_s).split(u"\r\n"_s).value(2), u"P2\t0\t0\t0\t\t\t50%"_s);

    const CliRun single = runCli({u"import"_s, write("IA\nIB\nP1\nG\nI1\nI2\n")});
    ASSERT_EQ(single.status, 0) << single.err.toStdString();
    EXPECT_EQ(analysisFile(u"Items"_s).split(u"\r\n"_s).value(1), u"1\t\"A\"\t1\t1\t 1\t1.0\t"_s);
    EXPECT_EQ(analysisFile(u"Participants"_s).split(u"\r\n"_s).value(1), u"P1\t1\t2\t1\t2.0\t1.0\t100%"_s);
}

TEST_F(ImportCli, RefusalsAndUsage)
{
    const QString importUsage =
        u"Sortana: Usage: sortana-cli import INPUT [--fit|--no-fit] [--sub-groups|--no-sub-groups] [--expert] "
        u"[--copies N] [--on-warning continue|cancel] [--outdir DIR] [--document OUT.klus] "
        u"[--picture OUT.svg|OUT.png|OUT.pdf]\n"
        u"Sortana:        sortana-cli import TABLE [--layout long|wide] [--header|--no-header] [--sheet NAME|N] "
        u"[--participant COL] [--card COL] [--card-id COL] [--category COL] [--category-id COL]  "
        u"(+ the options above)\n"_s;
    const QString study = write("IA\nIB\nP1\nG\nI1\nI2\n");
    const struct {
        QStringList arguments;
        int status;
        QString err;
    } cases[] = {
        {{u"--copies"_s, u"11"_s}, 2, u"Sortana: Please provide a value for the number of copies between 1 and 10\n"_s},
        {{u"--copies"_s, u"0"_s}, 2, u"Sortana: Please provide a value for the number of copies between 1 and 10\n"_s},
        {{u"--expert"_s}, 2,
         u"Sortana: The expert option needs at least two participants (the first participant is the expert)\n"_s},
        {{u"--copies"_s, u"x"_s}, 2, u"Sortana: --copies needs a number\n"_s + importUsage},
        {{u"--frobnicate"_s}, 2, u"Sortana: unknown option --frobnicate\n"_s + importUsage},
        {{u"--on-warning"_s, u"maybe"_s}, 2, u"Sortana: --on-warning needs continue or cancel\n"_s + importUsage},
    };
    for (const auto &c : cases) {
        const CliRun run = runCli(QStringList{u"import"_s, study} + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, c.err);
    }

    const CliRun insufficient = runCli({u"import"_s, write("IA\nIB\nP1\n", u"nogroups.txt"_s)});
    EXPECT_EQ(insufficient.status, 1);
    EXPECT_EQ(insufficient.err, u"Sortana: There is insufficient data in this file "
                                u"(the number of groups, items or participants is 0)\n"_s);
    const CliRun missing = runCli({u"import"_s, dir.filePath(u"missing.txt"_s)});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, u"Sortana: Failed to open input file Make sure it is not in use in other applications\n"_s);
    EXPECT_EQ(runCli({u"import"_s, u""_s}).status, 1);
}

TEST_F(ImportCli, DocumentIsSavedAndShownBack)
{
    const QString input = write("IA\nIB\nIC\nP1\nG\nI1f2\nI3\nG\nI2\nP2\nG\nI1f1\nI3f3\nI2f1\n");
    const QString document = dir.filePath(u"study.klus"_s);
    const CliRun run = runCli({u"import"_s, input, u"--document"_s, document, u"--copies"_s, u"2"_s});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    const CliRun shown = runCli({u"show"_s, document});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, u"fileName="_s + input + u"\nfileType=1\nhasFitData=1\nhasSubGroups=0\nuseExpert=0\n"
                         u"useSubGroups=0\nuseFit=1\ncopiesPerParticipant=2\nitemCount=3\nlineCount=15\n"
                         u"groupCount=3\nparticipantCount=2\nfontName=Arial\nfontSize=12\nnumberOfGroups=2\n"
                         u"colour1=FFFFFF\ncolour2=FFFFFF\ndrawingSize=15000x10000\n"
                         u"item=1\t0.75\tA\nitem=2\t0.25\tB\nitem=3\t1.5\tC\nleafOrder=1 3 2\n"_s);

    writeBytes(document, readBytes(document).left(100));
    const CliRun damaged = runCli({u"show"_s, document});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.err, u"Sortana: Unexpected file format.\n"_s);
    EXPECT_TRUE(damaged.out.isEmpty());
}

TEST_F(ImportCli, PicturesAtTheirRealSize)
{
    const QString input = write("IA\nIB\nIC\nP1\nG\nI1f2\nI3\nG\nI2\nP2\nG\nI1f1\nI3f3\nI2f1\n");
    const QString document = dir.filePath(u"study.klus"_s);
    const QString svg = dir.filePath(u"study.svg"_s);
    const CliRun run = runCli({u"import"_s, input, u"--document"_s, document, u"--picture"_s, svg});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QString picture = QString::fromUtf8(readBytes(svg));
    EXPECT_TRUE(picture.contains(u"<title>Sortana</title>"_s));
    EXPECT_TRUE(picture.contains(u"<desc>Dendogram</desc>"_s));
    EXPECT_TRUE(picture.contains(u"width=\"150"_s)) << picture.left(300).toStdString();

    for (const QString &name : {u"study.png"_s, u"study.pdf"_s}) {
        const CliRun render = runCli({u"render"_s, document, dir.filePath(name)});
        EXPECT_EQ(render.status, 0) << render.err.toStdString();
        EXPECT_GT(readBytes(dir.filePath(name)).size(), 100);
    }
    // The PNG is 150 mm wide at 150 dots per inch.
    EXPECT_EQ(QImage(dir.filePath(u"study.png"_s)).width(), 886);

    EXPECT_EQ(runCli({u"render"_s, document, dir.filePath(u"study.bmp"_s)}).status, 2);
    writeBytes(document, "KLUS");
    const CliRun damaged = runCli({u"render"_s, document, dir.filePath(u"again.svg"_s)});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.err, u"Sortana: Unexpected file format.\n"_s);
}

TEST_F(ImportCli, AMatrixPictureNeedsADocumentThatKeptItsMatrix)
{
    // Written before documents kept their matrix.
    const QString document = QStringLiteral(SORTANA_GOLDEN_DIR "/medium/expected/medium.klus");
    const CliRun run = runCli({u"render"_s, document, dir.filePath(u"matrix.png"_s), u"--matrix"_s});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, u"Sortana: This document was saved without its similarity matrix. Import the study again to "
                       u"add it.\n"_s);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"matrix.png"_s)));
    EXPECT_EQ(runCli({u"render"_s, document, dir.filePath(u"tree.png"_s)}).status, 0);
}

TEST_F(ImportCli, EveryExampleGivesFiveFiles)
{
    const QDir examples(QStringLiteral(SORTANA_EXAMPLES_DIR));
    for (const QString &study : examples.entryList({u"*.txt"_s}, QDir::Files)) {
        const CliRun run = runCli({u"import"_s, examples.filePath(study), u"--outdir"_s, dir.path()});
        EXPECT_EQ(run.status, 0) << study.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        const QString base = QFileInfo(study).completeBaseName();
        for (const QString &suffix : {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s})
            EXPECT_GT(readUtf16File(dir.filePath(base + u'-' + suffix + u".csv"_s)).count(u"\r\n"_s), 1);
    }
}

// Names a spreadsheet needs quoted and one beyond ASCII, in the copies beside the five files;
// leaving participants out writes the copies too.
TEST_F(ImportCli, Utf8CopiesBesideTheFiveFiles)
{
    const QString input =
        write("Ia,b\nIsay \"hi\"\nI\xC3\x84rger\nP1\nG\nI1\nI2\nI3\nP2\nG\nI1\nI2\nG\nI3\nP3\nG\nI3\nI1\nG\nI2\n");
    const QStringList suffixes = {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s};
    for (const QStringList &extra : {QStringList{}, QStringList{u"--exclude"_s, u"P3"_s}}) {
        SCOPED_TRACE(extra.join(u' ').toStdString());
        const CliRun run = runCli(QStringList{u"import"_s, input, u"--csv-utf8"_s} + extra);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        for (const QString &suffix : suffixes) {
            const QString copy = dir.filePath(u"study-"_s + suffix + u"-utf8.csv"_s);
            EXPECT_EQ(readUtf8CsvFile(copy), sortana::analysisFileRows(analysisFile(suffix))) << suffix.toStdString();
        }
        const QByteArray cards = readBytes(dir.filePath(u"study-Cards-utf8.csv"_s));
        EXPECT_TRUE(cards.startsWith("\xEF\xBB\xBFP1\r\n,")) << cards.toStdString();
        for (const QByteArray line : {",,\"a,b\"\r\n", ",,\"say \"\"hi\"\"\"\r\n", ",,\xC3\x84rger\r\n"})
            EXPECT_TRUE(cards.contains(line)) << line.toStdString();
        EXPECT_EQ(cards.contains("P3\r\n"), extra.isEmpty());
    }
    EXPECT_TRUE(runCli({u"help"_s, u"import"_s}).out.contains(u"\n  --csv-utf8 "_s));
}

} // namespace
