// The report drawn into a PDF, read back with poppler's tools as a reader would see it.
#include "formats/ReportWriters.h"

#include "analysis/Adequacy.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "report/ReportContent.h"
#include "support/ExternalTool.h"
#include "support/ImportedDocument.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString hostile = u"<b>&\"'"_s;

class ReportPdf : public ::testing::Test {
protected:
    // Prints the report into report.pdf on A4 as the program sets the writer up.
    bool print(const ReportContent &content, const Progress &progress = {})
    {
        QPdfWriter writer(pdfPath());
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 10),
                                         QPageLayout::Millimeter));
        return printReport(content, document, writer, progress);
    }

    QString pdfPath() const { return dir.filePath(u"report.pdf"_s); }

    // The text of every page, as pdftotext reads it: laid out as on the page, or in reading
    // order.
    QStringList pageTexts(bool layout = true) const
    {
        QStringList arguments{pdfPath(), u"-"_s};
        if (layout)
            arguments.prepend(u"-layout"_s);
        QStringList pages = QString::fromUtf8(runTool(u"pdftotext"_s, arguments)).split(u'\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    static void expectFooters(const QStringList &pages)
    {
        for (qsizetype k = 0; k < pages.size(); ++k)
            EXPECT_TRUE(pages[k].contains(u"Page %1 of %2"_s.arg(k + 1).arg(pages.size()))) << "page " << k + 1;
    }

    QTemporaryDir dir;
    Document document;
};

ReportBlock paragraph(const QString &text)
{
    return {ReportBlock::Kind::Paragraph, text, {}, {}};
}

ReportBlock picture(ReportPicture which, const QString &caption)
{
    return {ReportBlock::Kind::Picture, caption, {}, which};
}

QString rowName(int row)
{
    return u"Row %1"_s.arg(row, 3, 10, QChar(u'0'));
}

TEST_F(ReportPdf, SectionsTablesAndPicturesComeOutWholeOnNumberedPages)
{
    ASSERT_NO_FATAL_FAILURE(importDocument(readBytes(u"" SORTANA_EXAMPLES_DIR "/library-website.txt"_s), document));
    document.setAdequacy(computeAdequacy(document.study(), 20, 1, {}));
    ASSERT_TRUE(document.adequacy());

    ReportContent content;
    content.title = u"Card sort of "_s + hostile;
    content.placements = documentCategories(document);
    ASSERT_TRUE(content.placements);
    ReportSection study{u"The study"_s,
                        {paragraph(u"A card named "_s + hostile + u" shows as written. "_s
                                   + u"This sentence runs on long enough to wrap. "_s.repeated(12))}};
    ReportBlock table{ReportBlock::Kind::Table, {}, {}, {}};
    table.table.header = {u"Card name"_s, u"Times sorted"_s, u"Notes"_s};
    table.table.numeric = {false, true, false};
    for (int row = 1; row <= 150; ++row)
        table.table.rows.push_back(
            {rowName(row), QString::number(row * 7), row == 40 ? u"word "_s.repeated(400) : u""_s});
    ReportSection cards{u"Cards"_s, {table}};
    ReportSection pictures{u"Pictures"_s,
                           {picture(ReportPicture::SimilarityMatrix, u"Similarity"_s),
                            picture(ReportPicture::PlacementMatrix, u"Placements"_s),
                            picture(ReportPicture::AdequacyChart, u"Enough participants"_s),
                            picture(ReportPicture::Dendrogram, u"The tree"_s)}};
    content.sections = {study, cards, pictures};

    std::vector<std::pair<qint64, qint64>> told;
    ASSERT_TRUE(print(content, [&](qint64 done, qint64 total) {
        told.emplace_back(done, total);
        return true;
    }));

    const QStringList pages = pageTexts();
    ASSERT_GE(pages.size(), 5);
    expectFooters(pages);
    ASSERT_EQ(told.size(), size_t(pages.size())) << "told once per page";
    for (size_t k = 0; k < told.size(); ++k)
        EXPECT_EQ(told[k], std::make_pair(qint64(k + 1), qint64(pages.size())));

    const QString all = pages.join(u'\f');
    EXPECT_GE(all.count(hostile), 2) << "drawn as written in the title and the text";
    int pagesWithRows = 0;
    for (const QString &page : pages) {
        if (!page.contains(u"Row "_s))
            continue;
        ++pagesWithRows;
        EXPECT_TRUE(page.contains(u"Card name"_s) && page.contains(u"Times sorted"_s)) << page.toStdString();
    }
    EXPECT_GE(pagesWithRows, 2);
    for (int row = 1; row <= 150; ++row) {
        const QRegularExpression once(QRegularExpression::escape(rowName(row)) + u"\\s+"_s + QString::number(row * 7)
                                      + u"\\b"_s);
        EXPECT_EQ(all.count(once), 1) << rowName(row).toStdString();
    }
    EXPECT_EQ(all.count(u"word"_s), 400) << "the long cell keeps every word";
    EXPECT_FALSE(all.contains(QChar(0x2026)));

    runTool(u"pdftoppm"_s, {u"-r"_s, u"20"_s, u"-png"_s, pdfPath(), dir.filePath(u"page"_s)});
    const QStringList images = QDir(dir.path()).entryList({u"page*.png"_s}, QDir::Files, QDir::Name);
    ASSERT_EQ(images.size(), pages.size());
    for (const QString &image : images)
        EXPECT_FALSE(QImage(dir.filePath(image)).isNull()) << image.toStdString();
}

// Cards in tens: three participants sort them in groups of ten, each a different way round.
QByteArray longStudy(int cards = 120)
{
    QByteArray study;
    for (int card = 1; card <= cards; ++card)
        study += "ICard " + QByteArray::number(card).rightJustified(3, '0') + '\n';
    for (int participant = 1; participant <= 3; ++participant) {
        study += "P" + QByteArray::number(participant) + '\n';
        for (int group = 0; group < cards / 10; ++group) {
            study += "GGroup " + QByteArray::number(group) + '\n';
            for (int k = 0; k < 10; ++k)
                study += 'I' + QByteArray::number((group * 10 + k + participant * 3) % cards + 1) + '\n';
        }
    }
    return study;
}

// Lines enough to leave room at the foot of page 1 for a heading and a caption, but not
// for the picture they introduce.
QString filler(int lines)
{
    QStringList text;
    for (int line = 1; line <= lines; ++line)
        text << u"Filler line %1"_s.arg(line);
    return text.join(u'\n');
}

TEST_F(ReportPdf, AHeadingAndCaptionStandOnThePageWhereTheirPictureStarts)
{
    ASSERT_NO_FATAL_FAILURE(importDocument(longStudy(), document));
    struct Case {
        int fillerLines;
        ReportPicture picture;
        QString drawn; // text the picture itself draws
    };
    for (const Case &c :
         {Case{0, ReportPicture::Dendrogram, u"Card 0"_s}, Case{48, ReportPicture::Dendrogram, u"Card 0"_s},
          Case{56, ReportPicture::Dendrogram, u"Card 0"_s}, Case{40, ReportPicture::SimilarityMatrix, u"50 %"_s}}) {
        SCOPED_TRACE(c.fillerLines);
        ReportContent content;
        content.title = u"Pictures"_s;
        content.sections = {
            {u"Filler"_s, {paragraph(filler(c.fillerLines))}},
            {u"The picture"_s,
             {paragraph(u"Before the picture."_s),
              picture(c.picture,
                      u"A caption long enough to wrap onto a second line. "_s.repeated(3) + u"Its last words."_s)}},
            {u"Afterwards"_s, {paragraph(u"After the picture."_s)}}};
        ASSERT_TRUE(print(content));

        const QStringList pages = pageTexts();
        expectFooters(pages);
        const auto pageOf = [&](const QString &text) {
            for (qsizetype k = 0; k < pages.size(); ++k) {
                if (pages[k].contains(text))
                    return k;
            }
            return qsizetype(-1);
        };
        const qsizetype heading = pageOf(u"The picture"_s);
        ASSERT_GE(heading, 0);
        EXPECT_TRUE(pages[heading].contains(u"Before the picture."_s) && pages[heading].contains(u"Its last words."_s)
                    && pages[heading].contains(c.drawn))
            << pages[heading].toStdString();
        if (c.picture != ReportPicture::Dendrogram)
            continue;

        const QString all = pages.join(u'\f');
        for (int card = 1; card <= 120; ++card) {
            const QString name = u"Card %1"_s.arg(card, 3, 10, QChar(u'0'));
            EXPECT_EQ(all.count(name), 1) << name.toStdString();
        }
        const qsizetype after = pageOf(u"After the picture."_s);
        ASSERT_GE(after, heading);
        for (qsizetype k = heading; k < pages.size(); ++k) {
            const qsizetype cards = pages[k].count(u"Card "_s);
            if (k < after) {
                EXPECT_GE(cards, 10) << "page " << k + 1 << " of the tree holds a handful of rows";
            } else if (k > after) {
                EXPECT_EQ(cards, 0) << "page " << k + 1;
            }
        }
        EXPECT_GT(pages[after].indexOf(u"After the picture."_s), pages[after].lastIndexOf(u"Card "_s))
            << "what follows the tree stands under it";
    }
}

TEST_F(ReportPdf, APageBreakLeavesNoLoneLineOrTableRow)
{
    // The page break moves through every line and row as the filler grows.
    for (int fillerLines = 40; fillerLines <= 68; ++fillerLines) {
        SCOPED_TRACE(fillerLines);
        ReportBlock table{ReportBlock::Kind::Table, {}, {}, {}};
        table.table.header = {u"Name"_s};
        for (int row = 1; row <= 6; ++row)
            table.table.rows.push_back({u"Table row %1"_s.arg(row)});
        ReportContent content;
        content.title = u"Breaks"_s;
        content.sections = {{u"Filler"_s,
                             {paragraph(filler(fillerLines)), paragraph(u"Short line\nShort line\nShort line"_s),
                              paragraph(u"Long line\nLong line\nLong line\nLong line\nLong line"_s), table}}};
        ASSERT_TRUE(print(content));
        for (const QString &page : pageTexts()) {
            EXPECT_NE(page.count(u"Short line"_s) % 3, 1) << page.toStdString();
            EXPECT_NE(page.count(u"Short line"_s) % 3, 2) << page.toStdString();
            EXPECT_NE(page.count(u"Long line"_s), 1) << page.toStdString();
            EXPECT_NE(page.count(u"Table row"_s), 1) << page.toStdString();
        }
    }
}

// The text with every run of spaces, line and page breaks as one space.
QString simplified(const QStringList &pages)
{
    return pages.join(u' ').simplified();
}

TEST_F(ReportPdf, ACellLongerThanAPageGoesOnOverPagesUnderTheHeaderAgain)
{
    QStringList lines;
    for (int line = 1; line <= 150; ++line)
        lines << u"Cell line %1"_s.arg(line, 3, 10, QChar(u'0'));
    ReportBlock table{ReportBlock::Kind::Table, {}, {}, {}};
    table.table.header = {u"Group heading"_s, u"Cards heading"_s};
    table.table.numeric = {false, false};
    table.table.rows = {{u"First"_s, u"Short"_s}, {u"Tall"_s, lines.join(u'\n')}, {u"Last"_s, u"Short"_s}};
    ReportContent content;
    content.title = u"Tall rows"_s;
    content.sections = {{u"Rows"_s, {paragraph(filler(20)), table}}};
    ASSERT_TRUE(print(content));

    const QStringList pages = pageTexts();
    ASSERT_GE(pages.size(), 3);
    expectFooters(pages);
    const QString all = pages.join(u'\f');
    for (const QString &line : lines)
        EXPECT_EQ(all.count(line), 1) << line.toStdString();
    for (const QString &page : pages) {
        if (page.contains(u"Cell line"_s)) {
            EXPECT_TRUE(page.contains(u"Cards heading"_s)) << page.toStdString();
        }
    }
    EXPECT_GT(all.indexOf(u"Last"_s), all.indexOf(u"Cell line 150"_s));
}

TEST_F(ReportPdf, ARepresentativeSortShowsEveryCardOfALargeGroup)
{
    // Two participants put 40 cards with long names into one group, a third splits them.
    QStringList names;
    QByteArray study;
    for (int card = 1; card <= 40; ++card) {
        names << u"Card %1 about renewing borrowed books and journals online"_s.arg(card, 2, 10, QChar(u'0'));
        study += "I" + names.last().toUtf8() + '\n';
    }
    for (int participant = 1; participant <= 3; ++participant) {
        study += "P" + QByteArray::number(participant) + "\nGEverything\n";
        for (int card = 1; card <= 40; ++card) {
            if (participant == 3 && card == 21)
                study += "GThe rest\n";
            study += 'I' + QByteArray::number(card) + '\n';
        }
    }
    ASSERT_NO_FATAL_FAILURE(importDocument(study, document));
    ASSERT_TRUE(print(buildReport(document, QDateTime::fromSecsSinceEpoch(0, Qt::UTC))));

    QStringList pages = pageTexts(false);
    const qsizetype sorts = pages.join(u'\f').indexOf(u"most representative sorts"_s);
    ASSERT_GE(sorts, 0);
    const QString text = simplified({pages.join(u'\f').mid(sorts)});
    for (const QString &name : names)
        EXPECT_GE(text.count(name), 2) << "in both participants' group: " << name.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x2026)));
}

TEST_F(ReportPdf, TheTreeStartsOnPageOneUnderTheStudy)
{
    // A tree that fits a page of its own, but not what is left of page 1.
    ASSERT_NO_FATAL_FAILURE(importDocument(longStudy(40), document));
    ASSERT_TRUE(print(buildReport(document, QDateTime::fromSecsSinceEpoch(0, Qt::UTC))));
    const QStringList pages = pageTexts();
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(u"The dendrogram"_s));
    EXPECT_GE(pages[0].count(u"Card 0"_s), 10) << pages[0].toStdString();
}

TEST_F(ReportPdf, TheGroupsTableNamesEachGroupOnceAndTheChartsSentenceStandsOnce)
{
    ASSERT_NO_FATAL_FAILURE(importDocument(readBytes(u"" SORTANA_EXAMPLES_DIR "/library-website.txt"_s), document));
    document.setAdequacy(computeAdequacy(document.study(), 20, 1, {}));
    ASSERT_TRUE(document.adequacy());
    const ReportContent content = buildReport(document, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    ASSERT_TRUE(print(content));
    const QString all = simplified(pageTexts(false));
    EXPECT_EQ(all.count(adequacySentence(*document.adequacy())), 1);

    const qsizetype from = all.indexOf(u"The groups"_s);
    const QString groups = all.mid(from, all.indexOf(u"The similarity matrix"_s, from) - from);
    ASSERT_FALSE(groups.isEmpty());
    const std::vector<GroupName> names = documentGroupNames(document, *documentCategories(document));
    ASSERT_EQ(names.size(), 6u);
    for (size_t g = 0; g < names.size(); ++g) {
        const QString name = content.placements->categories[names[g].candidates.front().category].name;
        EXPECT_EQ(groups.count(u"Group %1: %2"_s.arg(g + 1).arg(name)), 1) << name.toStdString();
    }
}

TEST_F(ReportPdf, TheNoteOfCategoriesNotShownStaysWithTheTablesLastRow)
{
    QByteArray many = "IA\nIB\nIC\n";
    for (int p = 1; p <= 33; ++p)
        many += "P" + QByteArray::number(p) + "\nGName " + QByteArray::number(p) + "\nI1\nI2\nGRest\nI3\n";
    ASSERT_NO_FATAL_FAILURE(importDocument(many, document));
    ReportContent report = buildReport(document, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    const auto categories = std::find_if(report.sections.begin(), report.sections.end(), [](const ReportSection &s) {
        return s.title == u"What participants called their groups"_s;
    });
    ASSERT_NE(categories, report.sections.end());
    const QString last = report.placements->categories.back().name;
    // The page break moves through the table's last rows as the filler grows.
    for (int fillerLines = 0; fillerLines <= 30; fillerLines += 2) {
        SCOPED_TRACE(fillerLines);
        ReportContent content;
        content.placements = report.placements;
        content.sections = {{u"Filler"_s, {paragraph(filler(fillerLines))}}, *categories};
        ASSERT_TRUE(print(content));
        const QStringList pages = pageTexts();
        const auto note = std::find_if(pages.begin(), pages.end(), [](const QString &page) {
            return page.contains(u"4 more categories are not shown."_s);
        });
        ASSERT_NE(note, pages.end());
        EXPECT_TRUE(note->contains(QRegularExpression(QRegularExpression::escape(last) + u"\\s+1\\s+1\\s+2"_s)))
            << note->toStdString();
    }
}

TEST_F(ReportPdf, ATreeRightAfterAnotherStartsOnAPageOfItsOwn)
{
    // Each tree draws its own pages' footers: the second may not start on the half-empty last
    // page of the first.
    ASSERT_NO_FATAL_FAILURE(importDocument(readBytes(u"" SORTANA_EXAMPLES_DIR "/library-website.txt"_s), document));
    ReportContent content;
    content.sections = {{u"Trees"_s, {picture(ReportPicture::Dendrogram, u"One"_s)}},
                        {u"Again"_s, {picture(ReportPicture::Dendrogram, u"Two"_s)}}};
    ASSERT_TRUE(print(content));
    const QStringList pages = pageTexts();
    expectFooters(pages);
    const QString all = pages.join(u'\f');
    for (const QString &name : {u"Book clubs"_s, u"Jobs at the library"_s, u"Fines and fees"_s})
        EXPECT_EQ(all.count(name), 2) << name.toStdString();
    EXPECT_EQ(all.count(u"Page "_s), pages.size()) << "one footer a page";
}

TEST_F(ReportPdf, APageWithNoRoomAboveItsFooterIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(importDocument(longStudy(), document));
    ReportContent content;
    content.sections = {{u"Dendrogram"_s, {picture(ReportPicture::Dendrogram, u"It"_s)}}};
    QPdfWriter writer(pdfPath());
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(40, 12), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(1, 1, 1, 1), QPageLayout::Millimeter));
    EXPECT_FALSE(printReport(content, document, writer));
}

TEST_F(ReportPdf, AStopSaidBetweenPagesFailsThePrint)
{
    ASSERT_NO_FATAL_FAILURE(importDocument(longStudy(), document));
    ReportContent content;
    content.sections = {{u"Dendrogram"_s, {picture(ReportPicture::Dendrogram, u"It"_s)}}};
    int calls = 0;
    EXPECT_FALSE(print(content, [&](qint64, qint64) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

} // namespace
