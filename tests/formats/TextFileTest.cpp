#include "formats/TextFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;
using namespace sortana::test;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray &bytes)
    {
        QString path = dir.filePath(QStringLiteral("input.txt"));
        writeBytes(path, bytes);
        return path;
    }
    QStringList readAll(const QByteArray &bytes)
    {
        TextFile file;
        EXPECT_TRUE(file.Open(write(bytes), TextFile::modeRead | TextFile::shareDenyWrite));
        QStringList lines;
        QString line;
        while (file.readString(line))
            lines.append(line);
        EXPECT_EQ(file.failure(), TextFile::Failure::None);
        return lines;
    }
    QTemporaryDir dir;
};

TEST_F(TextFileTest, LineEndsAndNulsInEightBitText)
{
    const char bytes[] = "a\r\nb\r\r\nc\n\nd\0tail\nlast";
    EXPECT_EQ(readAll(QByteArray(bytes, sizeof bytes - 1)),
              (QStringList{u"a"_s, u"b\r"_s, u"c"_s, u""_s, u"d"_s, u"last"_s}));
}

TEST_F(TextFileTest, EncodingIsDetectedByTheUtf16Mark)
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

TEST_F(TextFileTest, EightBitLinesAreUtf8WhenValidElseWindows1252ThenComposed)
{
    const QByteArray bytes = "Caf\xC3\xA9\n" // UTF-8
                             "Caf\xE9\n" // Windows-1252
                             "Cafe\xCC\x81\n" // decomposed UTF-8
                             "\x80 \x81 \x9C\x8E\n" // Windows-1252 specials and an undefined byte
                             "\xF0\x9F\x8D\x8E\n" // outside the basic plane
                             "\xC0\xAF\xED\xA0\x80\n"; // overlong and surrogate: not UTF-8
    EXPECT_EQ(readAll(bytes),
              (QStringList{u"Café"_s, u"Café"_s, u"Café"_s, u"€ \u0081 œŽ"_s, u"🍎"_s, u"À¯í\u00A0€"_s}));
}

TEST_F(TextFileTest, SeekToStartSkipsTheMarkAgain)
{
    TextFile file;
    ASSERT_TRUE(file.Open(write(utf16LeWithMark(u"one\ntwo\n"_s)), TextFile::modeRead));
    EXPECT_TRUE(file.isUnicode());
    EXPECT_EQ(file.openFlags() & TextFile::typeBinary, TextFile::typeBinary);
    QString line;
    ASSERT_TRUE(file.readString(line));
    ASSERT_TRUE(file.readString(line));
    EXPECT_FALSE(file.readString(line));
    EXPECT_TRUE(line.isEmpty());
    file.Seek(0, TextFile::begin);
    ASSERT_TRUE(file.readString(line));
    EXPECT_EQ(line, u"one"_s);
}

TEST_F(TextFileTest, LongLinesAreReadWhole)
{
    const QString longLine(300'000, u'x');
    EXPECT_EQ(readAll(longLine.toLatin1() + "\nshort"), (QStringList{longLine, u"short"_s}));
    EXPECT_EQ(readAll(utf16LeWithMark(u"a\n"_s + longLine + u"\nb"_s)), (QStringList{u"a"_s, longLine, u"b"_s}));
}

TEST_F(TextFileTest, OverlongLineIsRefusedNotSwallowed)
{
    TextFile file;
    ASSERT_TRUE(file.Open(write("first\n" + QByteArray(TextFile::maxLineLength + 1, 'x')), TextFile::modeRead));
    QString line;
    ASSERT_TRUE(file.readString(line));
    EXPECT_FALSE(file.readString(line));
    EXPECT_EQ(file.failure(), TextFile::Failure::LineTooLong);
    EXPECT_FALSE(file.readString(line));
}

TEST_F(TextFileTest, EmptyFileIsEightBitAndEndsAtOnce)
{
    TextFile file;
    ASSERT_TRUE(file.Open(write({}), TextFile::modeRead));
    EXPECT_FALSE(file.isUnicode());
    QString line = u"stale"_s;
    EXPECT_FALSE(file.readString(line));
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(file.failure(), TextFile::Failure::None);
}

TEST_F(TextFileTest, WritingGivesOneMarkThenTheUnitsAsTheyAre)
{
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    writeBytes(path, "previous content that must go");
    TextFile file;
    ASSERT_TRUE(
        file.Open(path, TextFile::modeCreate | TextFile::modeWrite | TextFile::shareExclusive | TextFile::modeUnicode));
    file.writeString(u"A\t\"é\"\r\n");
    file.writeString(u"🍎\n");
    EXPECT_EQ(readBytes(path), "previous content that must go");
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(readBytes(path),
              QByteArray("\xFF\xFE"
                         "A\0\t\0\"\0\xE9\0\"\0\r\0\n\0"
                         "\x3C\xD8\x4E\xDF\n\0",
                         22));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.csv")});
}

// Closed without a commit, or failing to write, the file leaves the old one as it was and
// no temporary file behind.
TEST_F(TextFileTest, AnUncommittedOrFailedWriteKeepsThePreviousFile)
{
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const QByteArray previous = "previous content that must stay";
    const quint32 flags = TextFile::modeCreate | TextFile::modeWrite | TextFile::modeUnicode;
    for (const bool fullDisk : {false, true}) {
        writeBytes(path, previous);
        TextFile file;
        ASSERT_TRUE(file.Open(path, flags));
        // Far less than any write buffer: the failure only shows at the last flush.
        file.writeString(u"new text");
        if (fullDisk) {
            const FileSizeLimit full(4);
            EXPECT_FALSE(file.Commit());
            EXPECT_EQ(file.failure(), TextFile::Failure::WriteError);
        } else {
            file.Close();
        }
        EXPECT_EQ(readBytes(path), previous);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.csv")});
    }
}

TEST_F(TextFileTest, OpenFailsForMissingFilesAndFolders)
{
    TextFile file;
    EXPECT_FALSE(file.Open(dir.filePath(QStringLiteral("missing.txt")), TextFile::modeRead));
    EXPECT_FALSE(file.Open(dir.path(), TextFile::modeRead));
    EXPECT_FALSE(file.Open(dir.path(), TextFile::modeCreate | TextFile::modeWrite));
    EXPECT_FALSE(
        file.Open(dir.filePath(QStringLiteral("no/such/folder.csv")), TextFile::modeCreate | TextFile::modeWrite));
}

} // namespace
