// The report as one web page: study text escaped wherever it stands, nothing fetched from
// elsewhere, and written safely.
#include "formats/ReportWriters.h"
#include "report/ReportContent.h"
#include "support/DocumentEdits.h"

#include "document/Document.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString markup = u"<b>&\"'"_s;
const QByteArray study = "IApple\nIPear\nICarrot\nILeek\nI<b>&\"'\n"
                         "P1\nG<b>&\"'\nI1\nI2\nGVeg\nI3\nI4\nGOther\nI5\n"
                         "P<b>&\"'\nG<b>&\"'\nI1\nI2\nGGreens\nI3\nI4\nI5\n"
                         "P3\nGFruit\nI1\nI2\nI5\nGVeg\nI3\nI4\n";
const QDateTime created = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

// The inline SVG pictures of a page, each parsed as XML: the text they show, or a failure
// when one is not well-formed.
QStringList svgTexts(const QString &html)
{
    QStringList texts;
    qsizetype from = 0;
    while ((from = html.indexOf(u"<svg"_s, from)) >= 0) {
        const qsizetype end = html.indexOf(u"</svg>"_s, from);
        if (end < 0) {
            ADD_FAILURE() << "an svg element is not closed";
            break;
        }
        QXmlStreamReader xml(html.mid(from, end + 6 - from));
        QString text;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::Characters)
                text += xml.text();
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        texts << text;
        from = end;
    }
    return texts;
}

class HtmlReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(importDocument(study, document));
        setSetting(document, &Settings::showGroupNames, true);
    }
    QString html() { return QString::fromUtf8(reportHtml(buildReport(document, created), document)); }
    Document document;
};

TEST_F(HtmlReport, ShowsStudyTextAsWrittenWhereverItStands)
{
    setSetting(document, &Settings::fontName, markup);
    const QString page = html();
    // The page uses no bold markup of its own: any "<b>" would be the card's name as markup.
    EXPECT_FALSE(page.contains(u"<b>"_s));
    EXPECT_FALSE(page.contains(markup));
    // As a table cell, as a group's name, as a participant, in the font's name.
    EXPECT_GE(page.count(u"&lt;b&gt;&amp;&quot;'"_s), 4);
    EXPECT_TRUE(page.contains(u"font-family:\"\\3c b\\3e \\26 \\22 \\27 \",sans-serif"_s));
    // Drawn into the dendrogram, the matrix and the placements, as the pictures' text.
    const QStringList pictures = svgTexts(page);
    ASSERT_EQ(pictures.size(), 3);
    for (const QString &text : pictures)
        EXPECT_TRUE(text.contains(markup)) << text.toStdString();
}

TEST_F(HtmlReport, TheGroupsTableHeadsEachGroupOnce)
{
    const QString page = html();
    const qsizetype from = page.indexOf(u"<h2>The groups</h2>"_s);
    const QString groups = page.mid(from, page.indexOf(u"</table>"_s, from) - from);
    ASSERT_GE(from, 0);
    static const QRegularExpression heading(uR"(<tr><th colspan="1" scope="rowgroup">Group (\d+)[^<]*</th></tr>)"_s);
    QStringList numbers;
    for (auto match = heading.globalMatch(groups); match.hasNext();)
        numbers << match.next().captured(1);
    ASSERT_TRUE(groups.contains(u"cut into %1 groups"_s.arg(numbers.size())));
    for (qsizetype k = 0; k < numbers.size(); ++k)
        EXPECT_EQ(numbers[k], QString::number(k + 1));
    EXPECT_EQ(groups.count(u"<td>"_s), 5) << "a card a row, nothing more";
}

TEST_F(HtmlReport, NeedsNoOtherFile)
{
    const QString page = html();
    EXPECT_TRUE(page.startsWith(u"<!DOCTYPE html>"_s));
    EXPECT_TRUE(page.contains(u"<meta charset=\"utf-8\">"_s));
    static const QRegularExpression reference(uR"((?:src|href)\s*=\s*["']?([^"'\s>]*))"_s,
                                              QRegularExpression::CaseInsensitiveOption);
    for (auto match = reference.globalMatch(page); match.hasNext();) {
        const QString target = match.next().captured(1);
        EXPECT_TRUE(target.startsWith(u"data:"_s) || target.startsWith(u'#')) << target.toStdString();
    }
    EXPECT_FALSE(page.contains(u"@import"_s));
    static const QRegularExpression url(uR"(url\(\s*["']?(?!#|data:))"_s);
    EXPECT_FALSE(url.match(page).hasMatch());
}

TEST(HtmlReportPictures, LargeMatricesAreImages)
{
    for (const int cards : {300, 301}) {
        QByteArray many;
        for (int i = 1; i <= cards; ++i)
            many += "ICard " + QByteArray::number(i) + '\n';
        for (int p = 1; p <= 2; ++p) {
            many += "P" + QByteArray::number(p) + "\nGFirst\n";
            for (int i = 1; i <= cards; ++i)
                many += (i == cards / 2 + 1 ? "GSecond\nI" : "I") + QByteArray::number(i) + '\n';
        }
        Document document;
        ASSERT_NO_FATAL_FAILURE(importDocument(many, document));
        const QString page = QString::fromUtf8(reportHtml(buildReport(document, created), document));
        // The dendrogram is always drawn as SVG; the matrix and the placements by their size.
        EXPECT_EQ(page.count(u"<svg"_s), cards > 300 ? 1 : 3) << cards;
        EXPECT_EQ(page.count(u"src=\"data:image/png;base64,"_s), cards > 300 ? 2 : 0) << cards;
    }
}

TEST_F(HtmlReport, IsSavedWholeOrNotAtAll)
{
    QTemporaryDir dir;
    ScriptedPlatform platform;
    const QString path = dir.filePath(u"report.html"_s);
    writeBytes(path, "before");
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    // A stop asked for leaves the old file, and no temporary one.
    EXPECT_FALSE(saveReport(document, path, platform, [](qint64, qint64) { return false; }));
    EXPECT_EQ(readBytes(path), QByteArray("before"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"report.html"_s});
    ASSERT_TRUE(saveReport(document, path, platform));
    const QByteArray first = readBytes(path);
    EXPECT_TRUE(first.contains("2023-11-14T22:13:20Z"));
    ASSERT_TRUE(saveReport(document, path, platform));
    EXPECT_EQ(readBytes(path), first);
    qunsetenv("SOURCE_DATE_EPOCH");
    // A folder that is not there is told of, and nothing is written.
    EXPECT_FALSE(saveReport(document, dir.filePath(u"missing/report.htm"_s), platform));
    EXPECT_TRUE(platform.messages().constLast().text.startsWith(u"Failed to save report."_s));
    EXPECT_FALSE(isReportPath(u"report.txt"_s));
    EXPECT_TRUE(isReportPath(u"Report.HTM"_s));
}

} // namespace
