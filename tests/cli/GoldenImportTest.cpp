// sortana-cli import against studies whose output was produced independently: every
// analysis file and the document byte for byte, every message, and the exit status.
#include "cli/CliRunner.h"
#include "formats/AnalysisFileCells.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class GoldenImport : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override { ASSERT_TRUE(QFile::copy(golden(input), dir.filePath(input))); }
    QString golden(const QString &file) const
    {
        return QDir(QStringLiteral(SORTANA_GOLDEN_DIR)).filePath(name + u'/' + file);
    }
    // The study's options, as its folder gives them.
    QStringList flags() const
    {
        return QString::fromUtf8(readBytes(golden(u"flags"_s))).simplified().split(u' ', Qt::SkipEmptyParts);
    }

    const QString name = QString::fromLatin1(GetParam());
    const QString input = name + u".txt"_s;
    // The study's input is copied here.
    QTemporaryDir dir;
};

TEST_P(GoldenImport, AnalysisFilesMessagesAndStatus)
{
    QStringList analysisFiles;
    for (const QString &suffix : {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s})
        analysisFiles.append(u"expected/"_s + name + u'-' + suffix + u".csv"_s);

    // A run that ends without its files must leave an earlier run's files as they were.
    const bool completes = QFileInfo::exists(golden(u"expected"_s));
    const QByteArray earlier = "an earlier run's file";
    if (!completes) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(u"expected"_s));
        for (const QString &file : analysisFiles)
            writeBytes(dir.filePath(file), earlier);
    }

    const QString document = u"expected/"_s + name + u".klus"_s;
    const CliRun run = runCli(QStringList{u"import"_s, input, u"--outdir"_s, u"expected"_s, u"--document"_s, document}
                                  + flags(),
                              dir.path());
    EXPECT_EQ(run.status, QString::fromUtf8(readBytes(golden(u"exit-status"_s))).trimmed().toInt());
    EXPECT_EQ(run.err, QString::fromUtf8(readBytes(golden(u"messages"_s))));
    EXPECT_TRUE(run.out.isEmpty());
    if (completes) {
        for (const QString &file : analysisFiles)
            EXPECT_EQ(readBytes(dir.filePath(file)), readBytes(golden(file))) << file.toStdString();
        // The format's fields as the golden document has them; the program's block follows.
        const QByteArray written = readBytes(dir.filePath(document));
        const QByteArray expected = readBytes(golden(document));
        EXPECT_EQ(written.left(expected.size()).toHex(' '), expected.toHex(' '));
        EXPECT_GT(written.size(), expected.size());
    } else {
        for (const QString &file : analysisFiles)
            EXPECT_EQ(readBytes(dir.filePath(file)), earlier) << file.toStdString();
    }
    // Nothing else: no document after a cancel, no temporary or lock file after any run.
    QStringList written = QDir(dir.filePath(u"expected"_s)).entryList(QDir::Files | QDir::Hidden);
    QStringList wanted = QStringList{name + u".klus"_s}.mid(completes ? 0 : 1);
    for (const QString &file : analysisFiles)
        wanted.append(QFileInfo(file).fileName());
    written.sort();
    wanted.sort();
    EXPECT_EQ(written, wanted);
}

// With --csv-utf8 the five files stay byte for byte, and each copy holds its file's cells; a
// run that ends without its files keeps an earlier run's ten.
TEST_P(GoldenImport, Utf8CopiesHoldTheCellsOfTheFiles)
{
    const bool completes = QFileInfo::exists(golden(u"expected"_s));
    const QByteArray earlier = "an earlier run's file";
    QStringList files;
    for (const QString &suffix : {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s}) {
        files.append(name + u'-' + suffix + u".csv"_s);
        files.append(name + u'-' + suffix + u"-utf8.csv"_s);
    }
    if (!completes) {
        for (const QString &file : files)
            writeBytes(dir.filePath(file), earlier);
    }

    const CliRun run = runCli(QStringList{u"import"_s, input, u"--csv-utf8"_s} + flags(), dir.path());
    EXPECT_EQ(run.err, QString::fromUtf8(readBytes(golden(u"messages"_s))));
    for (qsizetype i = 0; i < files.size(); i += 2) {
        const QString file = files[i];
        const QString copy = files[i + 1];
        if (!completes) {
            EXPECT_EQ(readBytes(dir.filePath(file)), earlier) << file.toStdString();
            EXPECT_EQ(readBytes(dir.filePath(copy)), earlier) << copy.toStdString();
            continue;
        }
        const QString expected = golden(u"expected/"_s + file);
        EXPECT_EQ(readBytes(dir.filePath(file)), readBytes(expected)) << file.toStdString();
        const std::vector<QStringList> rows = sortana::analysisFileRows(readUtf16File(expected));
        EXPECT_GT(rows.size(), 1u);
        EXPECT_EQ(readUtf8CsvFile(dir.filePath(copy)), rows) << copy.toStdString();
    }
    QStringList written = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    written.removeOne(input);
    written.sort();
    files.sort();
    EXPECT_EQ(written, files);
}

INSTANTIATE_TEST_SUITE_P(Studies, GoldenImport,
                         ::testing::Values("worked-example", "cancelled", "copies-two", "cp1252-warnings",
                                           "expert-fit-subgroups", "medium", "utf16-warnings"),
                         [](const auto &info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
