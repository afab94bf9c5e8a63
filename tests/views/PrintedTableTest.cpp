// The table windows on paper: a long table printed to PDF and read back by poppler's
// pdftotext, which is part of the test set-up (scripts/install-deps.sh): a missing one fails
// the test rather than letting it pass unchecked.
#include "document/Document.h"
#include "support/ExternalTool.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "views/CategoriesView.h"
#include "views/ParticipantsView.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// 150 participants, each naming their two groups their own way: 300 categories and 150
// participants, many pages of either table.
QByteArray longStudy()
{
    QByteArray study = "IApple\nIPear\nICarrot\nILeek\nIBread\nIRolls\n";
    for (int k = 1; k <= 150; ++k) {
        const QByteArray n = QByteArray::number(k);
        study += "PPerson " + n + "\nGFruit " + n + "\nI1\nI2\nGVegetables " + n + "\nI3\nI4\n";
        if (k % 2 == 0)
            study += "GBakery\nI5\nI6\n";
        else
            study += "GBakery " + n + "\nI5\nI6\n";
    }
    return study;
}

// The text of every page of a PDF, as pdftotext reads it.
QStringList pdfPages(const QString &pdf)
{
    QStringList pages = QString::fromUtf8(runTool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s})).split(u'\f');
    // The text ends with a form feed after the last page.
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

class PrintedTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(importDocument(longStudy(), document));
        document.title = u"Grocery aisles 2026"_s;
    }

    // Prints the window to a PDF and checks every page: the title at its top, the footer
    // "Page N of M" at its bottom, and on every page that holds rows of the table the header
    // row once, above them. `row` matches a row of the table as pdftotext lays it out.
    void expectEveryPageHeaded(DocumentWindow &window, const QStringList &headings, const QRegularExpression &row,
                               qsizetype rows)
    {
        window.resize(900, 500);
        window.show();
        window.initialUpdate();
        const QString pdf = dir.filePath(u"table.pdf"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ASSERT_TRUE(window.printTo(printer));
        const QStringList pages = pdfPages(pdf);
        ASSERT_GE(pages.size(), 3);
        const qsizetype count = pages.size();
        const QString heading = headings.join(u' ');
        qsizetype printedRows = 0;
        for (qsizetype k = 0; k < count; ++k) {
            SCOPED_TRACE(testing::Message() << "page " << k + 1 << ":\n" << pages[k].left(600).toStdString());
            const QStringList lines = pages[k].split(u'\n', Qt::SkipEmptyParts);
            ASSERT_GE(lines.size(), 3);
            EXPECT_EQ(lines.front().trimmed(), document.title);
            EXPECT_EQ(lines.back().trimmed(), u"Page %1 of %2"_s.arg(k + 1).arg(count));
            const auto isRow = [&](const QString &line) { return row.match(line).hasMatch(); };
            const auto firstRow = std::find_if(lines.begin(), lines.end(), isRow);
            if (firstRow == lines.end())
                continue;
            printedRows += std::count_if(lines.begin(), lines.end(), isRow);
            const auto isHeader = [&](const QString &line) { return line.simplified() == heading; };
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(), isHeader), 1) << heading.toStdString();
            EXPECT_TRUE(std::any_of(lines.begin(), firstRow, isHeader));
        }
        EXPECT_EQ(printedRows, rows);
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    Document document;
};

TEST_F(PrintedTables, TheCategoriesRepeatTheirHeaderRowUnderTheTitleOnEveryPage)
{
    CategoriesView view(&document, platform);
    QStringList headings;
    const QAbstractItemModel &categories = *view.categoryList().model();
    for (int column = 0; column < categories.columnCount(); ++column)
        headings << categories.headerData(column, Qt::Horizontal).toString();
    // Fruit 1 to 150, Vegetables 1 to 150, Bakery, Bakery 1, 3, ... 149.
    expectEveryPageHeaded(view, headings, QRegularExpression(u"^(Fruit|Vegetables|Bakery)( \\d+)? +\\d+ "_s), 376);
}

TEST_F(PrintedTables, TheParticipantsRepeatTheirHeaderRowUnderTheTitleOnEveryPage)
{
    ParticipantsView view(&document, platform);
    expectEveryPageHeaded(view, {u"#"_s, u"Participant"_s, u"Groups"_s, u"Cards"_s, u"Mean distance (%)"_s, u"Flags"_s},
                          QRegularExpression(u"^\\d+ +Person \\d+ +3 +6 "_s), 150);
}

} // namespace
