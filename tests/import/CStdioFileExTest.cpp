#include "import/CStdioFileEx.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;
using namespace sortana::test;

namespace {

class CStdioFileExTest : public ::testing::Test {
protected:
    QString write(const QByteArray &bytes)
    {
        QString path = dir.filePath(QStringLiteral("input.txt"));
        writeBytes(path, bytes);
        return path;
    }
    QStringList readAll(const QByteArray &bytes)
    {
        CStdioFileEx file;
        EXPECT_TRUE(file.Open(write(bytes), CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite));
        QStringList lines;
        QString line;
        while (file.ReadString(line))
            lines.append(line);
        EXPECT_EQ(file.failure(), CStdioFileEx::Failure::None);
        return lines;
    }
    QTemporaryDir dir;
};

TEST_F(CStdioFileExTest, LineEndsAndNulsInEightBitText)
{
    const char bytes[] = "a\r\nb\r\r\nc\n\nd\0tail\nlast";
    EXPECT_EQ(readAll(QByteArray(bytes, sizeof bytes - 1)),
              (QStringList{u"a"_s, u"b\r"_s, u"c"_s, u""_s, u"d"_s, u"last"_s}));
}

TEST_F(CStdioFileExTest, EncodingIsDetectedByTheUtf16Mark)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"UTF-16LE with mark", utf16LeWithMark(u"Ärger\r\nx\r\r\ny"_s), {u"Ärger"_s, u"x\r"_s, u"y"_s}},
        {"UTF-8 mark is skipped once", QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFIApple\n"), {u"\uFEFFIApple"_s}},
        {"UTF-8 mark alone", QByteArray("\xEF\xBB\xBF"), {}},
        {"UTF-16BE is 8-bit text", QByteArray("\xFE\xFF\0I", 4), {QString::fromUtf16(u"\u00FE\u00FF")}},
        {"single byte", QByteArray("\xFF"), {u"\u00FF"_s}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readAll(c.bytes), c.lines) << c.name;
}

TEST_F(CStdioFileExTest, EightBitLinesAreUtf8WhenValidElseWindows1252ThenComposed)
{
    const QByteArray bytes = "Caf\xC3\xA9\n"          // UTF-8
                             "Caf\xE9\n"              // Windows-1252
                             "Cafe\xCC\x81\n"         // decomposed UTF-8
                             "\x80 \x81 \x9C\x8E\n"   // Windows-1252 specials and an undefined byte
                             "\xF0\x9F\x8D\x8E\n"     // outside the basic plane
                             "\xC0\xAF\xED\xA0\x80\n"; // overlong and surrogate: not UTF-8
    EXPECT_EQ(readAll(bytes), (QStringList{u"Café"_s, u"Café"_s, u"Café"_s, u"€ \u0081 œŽ"_s,
                                           u"🍎"_s, u"À¯í\u00A0€"_s}));
}

TEST_F(CStdioFileExTest, SeekToStartSkipsTheMarkAgain)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(write(utf16LeWithMark(u"one\ntwo\n"_s)), CStdioFileEx::modeRead));
    EXPECT_TRUE(file.isUnicode());
    EXPECT_EQ(file.openFlags() & CStdioFileEx::typeBinary, CStdioFileEx::typeBinary);
    QString line;
    ASSERT_TRUE(file.ReadString(line));
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.isEmpty());
    file.Seek(0, CStdioFileEx::begin);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, u"one"_s);
}

TEST_F(CStdioFileExTest, LongLinesAreReadWhole)
{
    const QString longLine(300'000, u'x');
    EXPECT_EQ(readAll(longLine.toLatin1() + "\nshort"), (QStringList{longLine, u"short"_s}));
    EXPECT_EQ(readAll(utf16LeWithMark(u"a\n"_s + longLine + u"\nb"_s)), (QStringList{u"a"_s, longLine, u"b"_s}));
}

TEST_F(CStdioFileExTest, OverlongLineIsRefusedNotSwallowed)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(write("first\n" + QByteArray(CStdioFileEx::maxLineLength + 1, 'x')), CStdioFileEx::modeRead));
    QString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_EQ(file.failure(), CStdioFileEx::Failure::LineTooLong);
    EXPECT_FALSE(file.ReadString(line));
}

TEST_F(CStdioFileExTest, EmptyFileIsEightBitAndEndsAtOnce)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(write({}), CStdioFileEx::modeRead));
    EXPECT_FALSE(file.isUnicode());
    QString line = u"stale"_s;
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(file.failure(), CStdioFileEx::Failure::None);
}

TEST_F(CStdioFileExTest, WritingGivesOneMarkThenTheUnitsAsTheyAre)
{
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    writeBytes(path, "previous content that must go");
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::shareExclusive
                                    | CStdioFileEx::modeUnicode));
    file.WriteString(u"A\t\"é\"\r\n");
    file.WriteString(u"🍎\n");
    EXPECT_EQ(readBytes(path), "previous content that must go");
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(readBytes(path), QByteArray("\xFF\xFE" "A\0\t\0\"\0\xE9\0\"\0\r\0\n\0" "\x3C\xD8\x4E\xDF\n\0", 22));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.csv")});
}

// Closed without a commit, or failing to write, the file leaves the old one as it was and
// no temporary file behind.
TEST_F(CStdioFileExTest, AnUncommittedOrFailedWriteKeepsThePreviousFile)
{
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const QByteArray previous = "previous content that must stay";
    const quint32 flags = CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeUnicode;
    for (const bool fullDisk : {false, true}) {
        writeBytes(path, previous);
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, flags));
        // Far less than any write buffer: the failure only shows at the last flush.
        file.WriteString(u"new text");
        if (fullDisk) {
            const FileSizeLimit full(4);
            EXPECT_FALSE(file.Commit());
            EXPECT_EQ(file.failure(), CStdioFileEx::Failure::WriteError);
        } else {
            file.Close();
        }
        EXPECT_EQ(readBytes(path), previous);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.csv")});
    }
}

TEST_F(CStdioFileExTest, OpenFailsForMissingFilesAndFolders)
{
    CStdioFileEx file;
    EXPECT_FALSE(file.Open(dir.filePath(QStringLiteral("missing.txt")), CStdioFileEx::modeRead));
    EXPECT_FALSE(file.Open(dir.path(), CStdioFileEx::modeRead));
    EXPECT_FALSE(file.Open(dir.path(), CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    EXPECT_FALSE(file.Open(dir.filePath(QStringLiteral("no/such/folder.csv")), CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
}

} // namespace
