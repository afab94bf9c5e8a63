// Inputs that once hung sortana-cli, made it fail without a word or broke its output apart:
// each is refused or read with a message of its own.
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class HostileInput : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(HostileInput, InputsThatAreNotRegularFilesAreRefusedAtOnce)
{
    const QString fifo = path(u"pipe.txt"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeBytes(path(u"doc.klus"_s), {});
    for (const QString &input : {fifo, u"/dev/zero"_s, dir.path()}) {
        const QString refusal = u"Sortana: The input file "_s + input + u" is not a regular file\n"_s;
        for (const QStringList &arguments : {QStringList{u"import"_s, input}, QStringList{u"survey"_s, input},
                                             QStringList{u"show"_s, input},
                                             QStringList{u"render"_s, input, path(u"out.svg"_s)}}) {
            const CliRun run = runCli(arguments);
            EXPECT_EQ(run.status, 1) << arguments.join(u' ').toStdString();
            EXPECT_TRUE(run.err.endsWith(refusal)) << run.err.toStdString();
        }
    }
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"doc.klus"_s, u"pipe.txt"_s}));
}

TEST_F(HostileInput, EmptyFilesSaySo)
{
    for (const QByteArray &empty : {QByteArray(), QByteArray(" \r\n\t\n"), QByteArray("\xEF\xBB\xBF"),
                                    QByteArray("\xFF\xFE")}) {
        writeBytes(path(u"empty.txt"_s), empty);
        const CliRun run = runCli({u"import"_s, path(u"empty.txt"_s)});
        EXPECT_EQ(run.status, 1) << empty.toHex().toStdString();
        EXPECT_EQ(run.err, u"Sortana: The input file "_s + path(u"empty.txt"_s) + u" is empty\n"_s);
    }
}

TEST_F(HostileInput, ShowKeepsEveryEntryOnOneLine)
{
    // Names with a line break and a tab, which a spreadsheet can put into any cell.
    writeBytes(path(u"study.txt"_s), "\xEF\xBB\xBFIA\tone\nIB\rtwo\nP1\nG\nI1\nI2\n");
    ASSERT_EQ(runCli({u"import"_s, path(u"study.txt"_s), u"--document"_s, path(u"study.klus"_s)}).status, 0);
    const CliRun shown = runCli({u"show"_s, path(u"study.klus"_s)});
    EXPECT_EQ(shown.status, 0);
    EXPECT_TRUE(shown.out.contains(u"\nitem=1\t1\tA\\tone\nitem=2\t1\tB\\rtwo\n"_s)) << shown.out.toStdString();

    writeBytes(path(u"empty.klus"_s), {});
    const CliRun empty = runCli({u"show"_s, path(u"empty.klus"_s)});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(empty.out.isEmpty());
    EXPECT_EQ(empty.err, u"Sortana: The document "_s + path(u"empty.klus"_s) + u" holds no study\n"_s);
}

} // namespace
