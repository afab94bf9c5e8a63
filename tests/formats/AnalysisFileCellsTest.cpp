#include "formats/AnalysisFileCells.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

using Rows = std::vector<QStringList>;

// Each kind of line the five files hold: a Cards file's participant with no id (a blank
// line), its group and card lines led by tabs, a Matrix row ending in a tab, an Items cell
// with a leading space, and cells whose quotes are not one enclosing pair.
TEST(AnalysisFileCells, LinesKeepOneCellMoreThanTheyHaveTabs)
{
    const struct {
        const char *name;
        QString text;
        Rows rows;
    } cases[] = {
        {"cards",
         u"P1\r\n\t\"Fruit\"\r\n\t\t\"---\"\r\n\r\n\t\t\"Apple\"\r\n"_s,
         {{u"P1"_s}, {u""_s, u"Fruit"_s}, {u""_s, u""_s, u"---"_s}, {u""_s}, {u""_s, u""_s, u"Apple"_s}}},
        {"matrix",
         u"ItemNo\t\t\"A\"\r\n1\t\"A\"\t0\t\r\n"_s,
         {{u"ItemNo"_s, u""_s, u"A"_s}, {u"1"_s, u"A"_s, u"0"_s, u""_s}}},
        {"spaces and quotes",
         u"2\t\" x \"\t 4\t\"\t\"\"\t\"a\"b\"\t\"\"\"\r\n"_s,
         {{u"2"_s, u" x "_s, u" 4"_s, u"\""_s, u""_s, u"a\"b"_s, u"\""_s}}},
        {"lone CR and LF stay in the cell", u"\"a\rb\nc\"\t1\r\n"_s, {{u"a\rb\nc"_s, u"1"_s}}},
        {"no final line end", u"a\r\nb"_s, {{u"a"_s}, {u"b"_s}}},
        {"empty", u""_s, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(analysisFileRows(c.text), c.rows) << c.name;
}

TEST(AnalysisFileCells, ReadsOnlyUtf16WithItsMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"file.csv"_s);
    writeBytes(path, utf16LeWithMark(u"\"Ärger\"\t1\r\n"_s));
    EXPECT_EQ(readAnalysisFile(path), u"\"Ärger\"\t1\r\n"_s);

    for (const QByteArray &bytes : {QByteArray("plain\r\n"), QByteArray("\xFF\xFE\x41", 3), QByteArray()}) {
        writeBytes(path, bytes);
        EXPECT_FALSE(readAnalysisFile(path)) << bytes.toHex().toStdString();
    }
    EXPECT_FALSE(readAnalysisFile(dir.filePath(u"missing.csv"_s)));
    EXPECT_FALSE(readAnalysisFile(dir.path()));
}

} // namespace
