#include "formats/DelimitedText.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

TEST(DelimitedText, CellsAsTheQuotingAndTheSeparatorSay)
{
    const struct {
        const char *what;
        QByteArray bytes;
        bool tsv;
        std::vector<QStringList> rows;
    } cases[] = {
        {"commas", "a,b\n1,2\n", false, {{u"a"_s, u"b"_s}, {u"1"_s, u"2"_s}}},
        {"a tie goes to the semicolon", "a;b,c\n", false, {{u"a"_s, u"b,c"_s}}},
        {"the separator that makes the most cells", "a,b;c,d\n", false, {{u"a"_s, u"b;c"_s, u"d"_s}}},
        {"quoted separators and doubled quotes",
         "\"x, y\",\"say \"\"hi\"\"\"\n",
         false,
         {{u"x, y"_s, u"say \"hi\""_s}}},
        {"a line break inside quotes is one space", "\"two\r\nlines\",b\n", false, {{u"two lines"_s, u"b"_s}}},
        {"CR LF", "a,b\r\nc,d\r\n", false, {{u"a"_s, u"b"_s}, {u"c"_s, u"d"_s}}},
        {"cells are trimmed", " a , b \n", false, {{u"a"_s, u"b"_s}}},
        {"Windows-1252 on the lines that are not UTF-8", "Caf\xE9\nCaf\xC3\xA9\n", false, {{u"Café"_s}, {u"Café"_s}}},
        {"a .tsv has tabs", "a,b\tc\n", true, {{u"a,b"_s, u"c"_s}}},
        {"blank lines keep the rows' numbers", "a\n\nb\n\n\n", false, {{u"a"_s}, {QString()}, {u"b"_s}}},
        {"an unclosed quote runs to the end", "\"abc\nd,e", false, {{u"abc d,e"_s}}},
        {"UTF-8 mark", "\xEF\xBB\xBFx,y", false, {{u"x"_s, u"y"_s}}},
        {"UTF-16 little-endian", sortana::test::utf16LeWithMark(u"é;z\r\n"_s), false, {{u"é"_s, u"z"_s}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseDelimitedText(c.bytes, c.tsv).rows, c.rows) << c.what;
}

} // namespace
