// The Categories and Placements windows on an imported study: the standardisation changed
// from the window, its file, and a document saved without the sorts.
#include "views/CategoriesView.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "drawing/DendrogramLayout.h"
#include "support/DocumentEdits.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "views/CategoriesViewDialogs.h"
#include "views/DendrogramView.h"
#include "views/ParticipantsModel.h"
#include "views/PlacementView.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray study = "IApple\nIPear\nICarrot\nILeek\n"
                         "P1\nGFruit\nI1\nI2\nGVeg\nI3\nI4\n"
                         "P2\nGfruit\nI1\nI2\nGGreens\nI3\nI4\n"
                         "P3\nGFruit\nI1\nI2\nI3\nGVeg\nI4\n";

QStringList column(const QTreeView &list, int index)
{
    QStringList texts;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        texts << list.model()->index(row, index).data().toString();
    return texts;
}

class CategoriesWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(importDocument(study, document));
        document.setModified(false);
        view = std::make_unique<CategoriesView>(&document, platform);
        view->setNameChooser([this](const QString &, const QString &) { return chosenName; });
        view->setSaveFileChooser([this](const QString &, const QString &) { return chosenFile; });
        view->setOpenFileChooser([this](const QString &, const QString &) { return chosenFile; });
        view->resize(700, 400);
        view->show();
        view->initialUpdate();
        for (const QTreeView *list : {&view->categoryList(), &view->cardList(), &view->spellingList()})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    void TearDown() override
    {
        testers.clear();
        view.reset();
    }

    ScriptedPlatform platform;
    Document document;
    std::unique_ptr<CategoriesView> view;
    // Every change the window makes to its lists' models is checked as it happens.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    QString chosenName;
    QString chosenFile;
};

TEST_F(CategoriesWindow, MergeAndSplitChangeTheFiguresAtOnce)
{
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Veg"_s, u"Greens"_s}));
    EXPECT_EQ(column(view->categoryList(), 1), (QStringList{u"3"_s, u"2"_s, u"1"_s}));

    view->selectCategories({u"Veg"_s, u"Greens"_s});
    chosenName = u"Vegetables"_s;
    view->mergeSelected();
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Vegetables"_s}));
    EXPECT_EQ(column(view->categoryList(), 1), (QStringList{u"3"_s, u"3"_s}));
    // The merged category stays selected, with its cards and every original spelling.
    EXPECT_EQ(view->selectedNames(), QStringList{u"Vegetables"_s});
    EXPECT_EQ(column(view->cardList(), 0), (QStringList{u"Carrot"_s, u"Leek"_s}));
    EXPECT_EQ(column(view->cardList(), 1), (QStringList{u"2"_s, u"3"_s}));
    EXPECT_EQ(column(view->spellingList(), 0), (QStringList{u"Veg"_s, u"Greens"_s}));

    chosenName = u"Produce"_s;
    view->renameSelected();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Produce"_s}));

    view->splitSelected();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Veg"_s, u"Greens"_s}));
    EXPECT_EQ(view->selectedNames(), (QStringList{u"Veg"_s, u"Greens"_s}));

    // Find selects the next category whose name holds the text, going round.
    EXPECT_TRUE(view->findNext(u"E"_s));
    EXPECT_EQ(view->selectedNames(), QStringList{u"Greens"_s});
    EXPECT_TRUE(view->findNext(u"E"_s));
    EXPECT_EQ(view->selectedNames(), QStringList{u"Veg"_s});
    EXPECT_FALSE(view->findNext(u"Kale"_s));

    // A cancelled name changes nothing.
    chosenName.clear();
    document.setModified(false);
    view->mergeSelected();
    EXPECT_FALSE(document.isModified());
}

TEST_F(CategoriesWindow, TheStandardisationGoesOutAndComesBackThroughItsFile)
{
    QTemporaryDir dir;
    view->selectCategories({u"Veg"_s, u"Greens"_s});
    chosenName = u"Vegetables"_s;
    view->mergeSelected();
    chosenFile = dir.filePath(u"map.csv"_s);
    view->exportStandardisation();
    EXPECT_EQ(readBytes(chosenFile), QByteArray("original,standard\r\nFruit,Fruit\r\nfruit,Fruit\r\nVeg,Vegetables\r\n"
                                                "Greens,Vegetables\r\n"));

    setStandardisation(document, {});
    ASSERT_EQ(view->categoryList().model()->rowCount(), 3);
    view->importStandardisation();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Vegetables"_s}));

    // One original given two standards is refused, naming both lines, and nothing changes.
    writeBytes(chosenFile, "original,standard\nVeg,Vegetables\nveg,Greens\n");
    view->importStandardisation();
    ASSERT_EQ(platform.texts().size(), 1);
    EXPECT_TRUE(platform.texts().front().contains(u"lines 2 and 3"_s)) << platform.texts().front().toStdString();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Vegetables"_s}));
}

// The selection stays with the categories it held, whatever rows they move to, and goes when
// they are gone: a merge offered afterwards is one of categories the user chose.
TEST_F(CategoriesWindow, TheSelectionFollowsItsCategoriesThroughAChangeOfOrder)
{
    QTemporaryDir dir;
    chosenFile = dir.filePath(u"map.csv"_s);
    writeBytes(chosenFile, "original,standard\nFruit,Zest\nVeg,Zest\n");

    view->selectCategories({u"Greens"_s});
    view->importStandardisation();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Zest"_s, u"Greens"_s}));
    EXPECT_EQ(view->selectedNames(), QStringList{u"Greens"_s});

    setStandardisation(document, {});
    view->selectCategories({u"Fruit"_s, u"Veg"_s});
    view->importStandardisation();
    EXPECT_TRUE(view->selectedNames().isEmpty());

    // Leaving P1 out puts Greens before Veg; Include All puts them back.
    setStandardisation(document, {});
    view->selectCategories({u"Veg"_s});
    editStudy(document, [&](Study &s) { s.leftOut = {0}; });
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"fruit"_s, u"Greens"_s, u"Veg"_s}));
    EXPECT_EQ(view->selectedNames(), QStringList{u"Veg"_s});
    editStudy(document, [&](Study &s) { s.leftOut.clear(); });
    EXPECT_EQ(view->selectedNames(), QStringList{u"Veg"_s});
}

// Export Standardisation writes every spelling under its category's name, then what the
// standardisation says of spellings the study leaves out; reading it back changes nothing,
// with the participant left out and with everybody included again.
TEST_F(CategoriesWindow, TheExportedStandardisationReadsBackToTheSameCategories)
{
    Document leaving;
    ASSERT_NO_FATAL_FAILURE(importDocument(study + "P4\nGLeafy\nI3\nI4\nGfruit\nI1\n", leaving));
    CategoriesView window(&leaving, platform);
    window.setNameChooser([](const QString &, const QString &) { return u"Vegetables"_s; });
    QTemporaryDir dir;
    window.setSaveFileChooser([&](const QString &, const QString &initial) {
        EXPECT_EQ(QFileInfo(initial).fileName(), u"study-standardisation.csv"_s);
        return dir.filePath(u"map.csv"_s);
    });
    window.setOpenFileChooser([&](const QString &, const QString &) { return dir.filePath(u"map.csv"_s); });
    window.initialUpdate();
    window.selectCategories({u"Veg"_s, u"Greens"_s, u"Leafy"_s});
    window.mergeSelected();
    editStudy(leaving, [&](Study &s) { s.leftOut = {3}; });

    const auto shown = [&] {
        QStringList rows;
        const QAbstractItemModel &categories = *window.categoryList().model();
        for (int row = 0; row < categories.rowCount(); ++row) {
            window.selectCategories({categories.index(row, 0).data().toString()});
            QStringList cells;
            for (int c = 0; c < categories.columnCount(); ++c)
                cells << categories.index(row, c).data().toString();
            rows << cells.join(u',') + u" | "_s + column(window.cardList(), 1).join(u',') + u" | "_s
                    + column(window.spellingList(), 0).join(u',');
        }
        return rows;
    };
    const QStringList leftOut = shown();
    editStudy(leaving, [&](Study &s) { s.leftOut.clear(); });
    const QStringList everybody = shown();
    editStudy(leaving, [&](Study &s) { s.leftOut = {3}; });

    window.exportStandardisation();
    EXPECT_EQ(readBytes(dir.filePath(u"map.csv"_s)),
              QByteArray("original,standard\r\nFruit,Fruit\r\nfruit,Fruit\r\nVeg,Vegetables\r\n"
                         "Greens,Vegetables\r\nLeafy,Vegetables\r\n"));
    setStandardisation(leaving, {});
    window.importStandardisation();
    EXPECT_EQ(shown(), leftOut);
    editStudy(leaving, [&](Study &s) { s.leftOut.clear(); });
    EXPECT_EQ(shown(), everybody);
}

// Categories apart only in accents are offered as sets; only the sets the user ticks are
// merged, each under the name of its member with the most groups, as a merge by hand.
TEST_F(CategoriesWindow, SuggestMergesMergesTheTickedSetsOnly)
{
    Document greek;
    ASSERT_NO_FATAL_FAILURE(importDocument("IA\nIB\nIC\nID\n"
                                           "P1\nG\xce\xa0\xce\xa1\xce\x9f\xce\x93\xce\xa1\xce\x91\xce\x9c\xce\x9c\xce\x91\nI1\nI2\nGCaf\xc3\xa9\nI3\nI4\n"
                                           "P2\nG\xce\xa0\xcf\x81\xcf\x8c\xce\xb3\xcf\x81\xce\xb1\xce\xbc\xce\xbc\xce\xb1\nI1\nI2\nGcafe\nI3\nI4\n"
                                           "P3\nG\xce\xa0\xcf\x81\xcf\x8c\xce\xb3\xcf\x81\xce\xb1\xce\xbc\xce\xbc\xce\xb1\nI1\nGcafe\nI2\nI3\nI4\n",
                                           greek));
    greek.setModified(false);
    CategoriesView window(&greek, platform);
    std::vector<SuggestedMerge> offered;
    std::size_t tick = 1;
    window.setMergeChooser([&](const CategoryTable &table, const std::vector<SuggestedMerge> &suggestions) {
        offered = suggestions;
        SuggestMergesDialog dialog(table, suggestions);
        EXPECT_EQ(dialog.list().topLevelItemCount(), int(suggestions.size()));
        EXPECT_TRUE(dialog.ticked().empty());
        if (tick < suggestions.size())
            dialog.list().topLevelItem(int(tick))->setCheckState(0, Qt::Checked);
        return dialog.ticked();
    });
    window.initialUpdate();
    const QString programma = u"\u03a0\u03c1\u03cc\u03b3\u03c1\u03b1\u03bc\u03bc\u03b1"_s;
    EXPECT_EQ(column(window.categoryList(), 0),
              (QStringList{u"cafe"_s, programma, u"Caf\u00e9"_s, u"\u03a0\u03a1\u039f\u0393\u03a1\u0391\u039c\u039c\u0391"_s}));

    // Nothing ticked: nothing changes.
    tick = 9;
    window.suggestMerges();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].standard, u"cafe"_s);
    EXPECT_EQ(offered[0].members, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(offered[1].standard, programma);
    EXPECT_EQ(offered[1].members, (std::vector<std::size_t>{1, 3}));
    EXPECT_FALSE(greek.isModified());

    tick = 1;
    window.suggestMerges();
    EXPECT_TRUE(greek.isModified());
    EXPECT_EQ(column(window.categoryList(), 0), (QStringList{programma, u"cafe"_s, u"Caf\u00e9"_s}));
    EXPECT_EQ(column(window.categoryList(), 2), (QStringList{u"3"_s, u"2"_s, u"1"_s}));
    EXPECT_EQ(window.selectedNames(), QStringList{programma});

    // What is left to offer is the other set; with none left, a message says so.
    tick = 0;
    window.suggestMerges();
    EXPECT_EQ(column(window.categoryList(), 0), (QStringList{u"cafe"_s, programma}));
    window.suggestMerges();
    EXPECT_EQ(platform.texts(), QStringList{u"No categories differ only in their accents."_s});
}

// The name dialogs are wide enough for their title in the title bar and the whole name.
TEST_F(CategoriesWindow, TheNameDialogShowsItsWholeTitleAndName)
{
    for (const QString &title : {u"Merge Categories"_s, u"Rename Category"_s}) {
        for (const QString &name : {u"Veg"_s, u"Customer loyalty and reward programme for members"_s}) {
            const std::unique_ptr<QInputDialog> dialog = newNameDialog(view.get(), title, name);
            const QFontMetrics metrics = dialog->fontMetrics();
            const QSize hint = dialog->sizeHint();
            // The title bar's icon and buttons take some lines' height beside the title.
            EXPECT_GE(hint.width(), metrics.horizontalAdvance(title) + 4 * metrics.height()) << title.toStdString();
            dialog->resize(hint);
            dialog->show();
            QCoreApplication::processEvents();
            const auto *field = dialog->findChild<QLineEdit *>();
            ASSERT_TRUE(field);
            EXPECT_GE(field->contentsRect().width(), metrics.horizontalAdvance(name)) << name.toStdString();
            EXPECT_EQ(field->text(), name);
        }
    }
}

// A translation reaches the table windows' texts without a change to the code: every text
// comes to them through the translator installed, in the context of the class that shows it.
TEST_F(CategoriesWindow, ATranslatorGivesTheTableWindowsTheirTexts)
{
    class Marking final : public QTranslator {
    public:
        bool isEmpty() const override { return false; }
        QString translate(const char *context, const char *source, const char *, int) const override
        {
            return QString::fromUtf8(context) + u':' + QString::fromUtf8(source);
        }
    } marking;
    QCoreApplication::installTranslator(&marking);
    CategoriesView window(&document, platform);
    window.initialUpdate();
    const QStringList participantsHeadings = ParticipantsModel::headings();
    QCoreApplication::removeTranslator(&marking);

    EXPECT_EQ(window.categoryList().model()->headerData(4, Qt::Horizontal).toString(), u"CategoriesView:Agreement %"_s);
    EXPECT_EQ(window.cardList().model()->headerData(1, Qt::Horizontal).toString(), u"CategoriesView:Placed by"_s);
    EXPECT_EQ(window.findChildren<QPushButton *>().front()->text(), u"CategoriesView:&Merge..."_s);
    EXPECT_EQ(participantsHeadings.back(), u"ParticipantsModel:Flags"_s);
}

TEST_F(CategoriesWindow, BothWindowsSayWhenTheDocumentHasNoSorts)
{
    PlacementView placements(&document, platform);
    placements.resize(400, 300);
    placements.initialUpdate();
    EXPECT_TRUE(placements.canCopy());
    EXPECT_TRUE(view->messageLine().isHidden());

    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    emit document.presentationChanged();
    EXPECT_FALSE(view->messageLine().isHidden());
    EXPECT_EQ(view->messageLine().text(),
              u"This document was saved without the participants' sorts. Import the study again to add them."_s);
    EXPECT_EQ(view->categoryList().model()->rowCount(), 0);
    EXPECT_FALSE(placements.canCopy());
    EXPECT_FALSE(placements.table());
    EXPECT_FALSE(placements.exportPicture(u"/nonexistent/p.svg"_s, 96));
}

TEST_F(CategoriesWindow, ThePlacementsWindowNamesTheCellUnderTheMouse)
{
    PlacementView placements(&document, platform);
    placements.resize(600, 400);
    placements.show();
    placements.initialUpdate();
    const PlacementGeometry &g = placements.geometry();
    ASSERT_EQ(g.columns, 3);
    const double dpi = placements.viewport()->logicalDpiX();
    const auto pixel = [dpi](int himetric) { return int(himetric * dpi / 2540.0); };
    const int row = 0;
    const QPoint cell(pixel(g.grid.x() + g.cellWidth / 2), pixel(g.grid.y() + row * g.cellHeight + g.cellHeight / 2));
    const QString name = (document.study().itemNames)[g.order[row]];
    EXPECT_TRUE(placements.hoverText(cell).startsWith(name + u"\nFruit\nPlaced there by "_s))
        << placements.hoverText(cell).toStdString();
    EXPECT_TRUE(placements.hoverText({1, 1}).isEmpty());
}

TEST_F(CategoriesWindow, TheDendrogramsGroupNameTellsTheTopThreeInItsTooltip)
{
    setSetting(document, &Settings::numberOfGroups, 2);
    setSetting(document, &Settings::showGroupNames, true);
    DendrogramView dendrogram(&document, platform);
    dendrogram.resize(800, 400);
    dendrogram.show();
    QCoreApplication::processEvents();
    dendrogram.initialUpdate();
    const DendrogramGeometry *laidOut = dendrogram.screenGeometry();
    ASSERT_TRUE(laidOut);
    const DendrogramGeometry &g = *laidOut;
    ASSERT_EQ(g.groupNames.size(), 2u);
    const double dpi = dendrogram.viewport()->logicalDpiX();
    const auto pixel = [dpi](int himetric) { return int(std::abs(himetric) * dpi / 2540.0); };
    const BandLabel &second = g.groupNames[1];
    const QPoint onName(pixel(g.groupNameRight) - 3,
                        pixel(g.rowsTop - second.firstRow * g.rowHeight - g.rowHeight / 2));
    // Fruit takes all of the fruit's placements; the vegetables' band shares them out.
    const QString fruitBand = g.groupNames[0].text == u"Fruit"_s ? g.groupNames[0].detail : second.detail;
    EXPECT_EQ(fruitBand, u"Fruit: 100 %"_s);
    EXPECT_EQ(dendrogram.groupNameTip(onName), second.detail);
    EXPECT_TRUE(dendrogram.groupNameTip({2, onName.y()}).isEmpty());
}

} // namespace
