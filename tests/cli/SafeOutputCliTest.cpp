// What sortana-cli promises about the files it writes: a failed or refused run leaves every
// file that was there as it was, and nothing of its own behind.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray study = "IA\nIB\nIC\nP1\nG\nI1\nI3\nG\nI2\nP2\nG\nI1\nI3\nI2\n";
const QStringList analysisFiles = {u"study-Cards.csv"_s, u"study-Items.csv"_s, u"study-Matrix.csv"_s,
                                   u"study-Participants.csv"_s, u"study-WeightedMatrix.csv"_s};

class SafeOutput : public ::testing::Test {
protected:
    SafeOutput() { writeBytes(path(u"study.txt"_s), study); }
    QString path(const QString &name) const { return dir.filePath(name); }
    void makeFifo(const QString &name) const
    {
        ASSERT_EQ(mkfifo(QFile::encodeName(path(name)).constData(), 0600), 0);
    }
    QTemporaryDir dir;
};

TEST_F(SafeOutput, AFullDiskKeepsEveryEarlierFile)
{
    ASSERT_EQ(runCli({u"import"_s, u"study.txt"_s, u"--document"_s, u"study.klus"_s}, dir.path()).status, 0);
    for (const QString &picture : {u"study.svg"_s, u"study.png"_s, u"study.pdf"_s})
        ASSERT_EQ(runCli({u"render"_s, u"study.klus"_s, picture}, dir.path()).status, 0);
    QMap<QString, QByteArray> before;
    for (const QString &name : filesIn(dir.path()))
        before[name] = readBytes(path(name));

    // Each picture is larger than the limit, and smaller than Qt's write buffer or not.
    for (const QString &picture : {u"study.svg"_s, u"study.png"_s, u"study.pdf"_s}) {
        const CliRun render = runCli({u"render"_s, u"study.klus"_s, picture}, dir.path(), 512);
        EXPECT_EQ(render.status, 1) << picture.toStdString();
        EXPECT_EQ(render.err, u"Sortana: Failed to save picture. Make sure the folder exists and is writable\n"_s);
    }
    const CliRun import = runCli({u"import"_s, u"study.txt"_s, u"--document"_s, u"study.klus"_s}, dir.path(), 100);
    EXPECT_EQ(import.status, 1);
    EXPECT_TRUE(import.err.startsWith(u"Sortana: Failed to write "_s)) << import.err.toStdString();

    EXPECT_EQ(filesIn(dir.path()), QStringList(before.keys()));
    for (auto file = before.cbegin(); file != before.cend(); ++file)
        EXPECT_EQ(readBytes(path(file.key())), file.value()) << file.key().toStdString();
}

// The picture is made in memory and fails at our write: no library reports it on its own.
TEST_F(SafeOutput, ALargePictureOnAFullDiskGetsOneMessage)
{
    // A picture larger than Qt's write buffer, which fails part way through.
    const QString example = QDir(QStringLiteral(SORTANA_EXAMPLES_DIR)).filePath(u"library-website.txt"_s);
    ASSERT_EQ(runCli({u"import"_s, example, u"--outdir"_s, dir.path(), u"--document"_s, u"big.klus"_s}, dir.path())
                  .status,
              0);
    const CliRun render = runCli({u"render"_s, u"big.klus"_s, u"big.png"_s}, dir.path(), 64 << 10);
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err, u"Sortana: Failed to save picture. Make sure the folder exists and is writable\n"_s);
    EXPECT_FALSE(QFileInfo::exists(path(u"big.png"_s)));
}

TEST_F(SafeOutput, ARunThatEndsWithoutItsFilesLeavesNoNewFolder)
{
    writeBytes(path(u"warning.txt"_s), "IA\nIB\nP1\nG\nI1\nI2\nI9\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"earlier"_s));
    const struct {
        QStringList arguments;
        int status;
    } cases[] = {
        {{u"study.txt"_s, u"--copies"_s, u"11"_s}, 2},
        {{u"study.txt"_s, u"--fitt"_s}, 2},
        {{u"warning.txt"_s, u"--on-warning"_s, u"cancel"_s}, 1},
        {{u"study.txt"_s, u"--document"_s, u"study.txt"_s}, 2},
    };
    for (const auto &c : cases) {
        for (const QString &folder : {u"new/deeper"_s, u"earlier/new"_s}) {
            const CliRun run = runCli(QStringList{u"import"_s} + c.arguments + QStringList{u"--outdir"_s, folder},
                                      dir.path());
            EXPECT_EQ(run.status, c.status) << c.arguments.join(u' ').toStdString() << run.err.toStdString();
        }
    }
    const auto entries = [](const QString &folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                      QDir::Name);
    };
    EXPECT_EQ(entries(dir.path()), (QStringList{u"earlier"_s, u"study.txt"_s, u"warning.txt"_s}));
    EXPECT_TRUE(entries(path(u"earlier"_s)).isEmpty());

    ASSERT_EQ(runCli({u"import"_s, u"study.txt"_s, u"--outdir"_s, u"new/deeper"_s}, dir.path()).status, 0);
    EXPECT_EQ(filesIn(path(u"new/deeper"_s)), analysisFiles);
}

TEST_F(SafeOutput, AFileGivenAsTheOutputFolderIsRefusedAndKept)
{
    writeBytes(path(u"notes"_s), "kept");
    const CliRun run = runCli({u"import"_s, u"study.txt"_s, u"--outdir"_s, u"notes"_s}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, u"Sortana: notes is a file, not a folder. Choose another folder for the analysis files.\n"_s);
    EXPECT_EQ(readBytes(path(u"notes"_s)), "kept");
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"notes"_s, u"study.txt"_s}));
}

TEST_F(SafeOutput, OutputsThatWouldOverwriteTheRunsOwnFilesAreRefused)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
    ASSERT_TRUE(QFile::link(path(u"study.txt"_s), path(u"link.txt"_s)));
    // A picture name can reach an analysis file only through a link, here to one not yet written.
    ASSERT_TRUE(QFile::link(path(u"study-Cards.csv"_s), path(u"cards.svg"_s)));
    const QStringList cases[] = {
        {u"--document"_s, u"study.txt"_s},
        {u"--document"_s, u"link.txt"_s},
        {u"--document"_s, u"sub/../study-Cards.csv"_s},
        {u"--picture"_s, u"cards.svg"_s},
        {u"--document"_s, path(u"x/study-Items.csv"_s), u"--outdir"_s, u"x/"_s},
    };
    for (const QStringList &arguments : cases) {
        const CliRun run = runCli(QStringList{u"import"_s, u"study.txt"_s} + arguments, dir.path());
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, u"Sortana: The document or picture cannot be written over the input file or an "
                           u"analysis file\n"_s);
    }
    EXPECT_EQ(readBytes(path(u"study.txt"_s)), study);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"cards.svg"_s, u"link.txt"_s, u"study.txt"_s}));
    EXPECT_FALSE(QFileInfo::exists(path(u"x"_s)));
}

TEST_F(SafeOutput, OutputsThatAreNotRegularFilesAreRefusedBeforeAnythingIsWritten)
{
    makeFifo(u"pipe.klus"_s);
    const CliRun document = runCli({u"import"_s, u"study.txt"_s, u"--document"_s, u"pipe.klus"_s}, dir.path());
    EXPECT_EQ(document.status, 1);
    EXPECT_EQ(document.err, u"Sortana: The output file pipe.klus is not a regular file\n"_s);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"pipe.klus"_s, u"study.txt"_s}));

    makeFifo(u"study-Matrix.csv"_s);
    const CliRun analysis = runCli({u"import"_s, u"study.txt"_s}, dir.path());
    EXPECT_EQ(analysis.status, 1);
    EXPECT_EQ(analysis.err, u"Sortana: The output file study-Matrix.csv is not a regular file\n"_s);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"pipe.klus"_s, u"study-Matrix.csv"_s, u"study.txt"_s}));
}

} // namespace
