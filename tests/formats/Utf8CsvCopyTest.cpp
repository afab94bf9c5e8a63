#include "formats/Utf8CsvCopy.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Pieces as the writers hand them over, a line end split between two of them: the cells
// lose their enclosing quotes and are quoted again where a spreadsheet needs it.
TEST(Utf8CsvCopy, WritesTheCellsAsRfc4180Utf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"study-Items-utf8.csv"_s);
    Utf8CsvCopy copy;
    ASSERT_TRUE(copy.open(path));
    for (const QString &piece :
         {u"1\t\"a,b\"\t\"say \"hi\"\"\t\"Ärger\"\r"_s, u"\n\t\" x \"\t"_s, u"\"two\nlines\"\t\"\r\n"_s, u"\r\n"_s})
        copy.write(piece);
    ASSERT_TRUE(copy.commit());
    EXPECT_EQ(readBytes(path),
              "\xEF\xBB\xBF"
              "1,\"a,b\",\"say \"\"hi\"\"\",\xC3\x84rger\r\n"
              ", x ,\"two\nlines\",\"\"\"\"\r\n"
              "\r\n");
}

TEST(Utf8CsvCopy, OnlyACommitReplacesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"study-Cards-utf8.csv"_s);
    writeBytes(path, "earlier");
    {
        Utf8CsvCopy copy;
        ASSERT_TRUE(copy.open(path));
        copy.write(u"P1\r\n"_s);
        EXPECT_TRUE(copy.flush());
    }
    EXPECT_EQ(readBytes(path), "earlier");
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"study-Cards-utf8.csv"_s});
}

TEST(Utf8CsvCopy, IsNamedBesideItsFile)
{
    EXPECT_EQ(utf8CsvPath(u"/data/study-Cards.csv"_s), u"/data/study-Cards-utf8.csv"_s);
    EXPECT_EQ(utf8CsvPath(u"dir.csv/study-Matrix.CSV"_s), u"dir.csv/study-Matrix-utf8.csv"_s);
}

} // namespace
