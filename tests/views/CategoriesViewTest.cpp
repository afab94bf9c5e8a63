// The Categories and Placements windows on an imported study: the standardisation changed
// from the window, its file, and a document saved without the sorts.
#include "views/CategoriesView.h"
#include "analysis/NodeRegistry.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentCategories.h"
#include "drawing/DendrogramLayout.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "views/CSortanaMdiView.h"
#include "views/PlacementView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>
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

QStringList column(const QTreeWidget &list, int index)
{
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts << list.topLevelItem(row)->text(index);
    return texts;
}

class CategoriesWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(importDocument(study, document));
        document.SetModifiedFlag(false);
        view = std::make_unique<CategoriesView>(&document, platform);
        view->setNameChooser([this](const QString &, const QString &) { return chosenName; });
        view->setSaveFileChooser([this](const QString &, const QString &) { return chosenFile; });
        view->setOpenFileChooser([this](const QString &, const QString &) { return chosenFile; });
        view->resize(700, 400);
        view->show();
        view->OnInitialUpdate();
    }
    void TearDown() override
    {
        view.reset();
        NodeRegistry::instance().clear();
    }

    ScriptedPlatform platform;
    CSortanaMdiDoc document;
    std::unique_ptr<CategoriesView> view;
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
    EXPECT_TRUE(document.IsModified());
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
    document.SetModifiedFlag(false);
    view->mergeSelected();
    EXPECT_FALSE(document.IsModified());
}

TEST_F(CategoriesWindow, TheStandardisationGoesOutAndComesBackThroughItsFile)
{
    QTemporaryDir dir;
    view->selectCategories({u"Veg"_s, u"Greens"_s});
    chosenName = u"Vegetables"_s;
    view->mergeSelected();
    chosenFile = dir.filePath(u"map.csv"_s);
    view->exportStandardisation();
    EXPECT_EQ(readBytes(chosenFile), QByteArray("original,standard\r\nVeg,Vegetables\r\nGreens,Vegetables\r\n"));

    setStandardisation(document, {});
    ASSERT_EQ(view->categoryList().topLevelItemCount(), 3);
    view->importStandardisation();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Vegetables"_s}));

    // One original given two standards is refused, naming both lines, and nothing changes.
    writeBytes(chosenFile, "original,standard\nVeg,Vegetables\nveg,Greens\n");
    view->importStandardisation();
    ASSERT_EQ(platform.texts().size(), 1);
    EXPECT_TRUE(platform.texts().front().contains(u"lines 2 and 3"_s)) << platform.texts().front().toStdString();
    EXPECT_EQ(column(view->categoryList(), 0), (QStringList{u"Fruit"_s, u"Vegetables"_s}));
}

TEST_F(CategoriesWindow, BothWindowsSayWhenTheDocumentHasNoSorts)
{
    PlacementView placements(&document, platform);
    placements.resize(400, 300);
    placements.OnInitialUpdate();
    EXPECT_TRUE(placements.canCopy());
    EXPECT_TRUE(view->messageLine().isHidden());

    document.sorts.reset();
    document.UpdateAllViews(UpdateHint::Redraw);
    EXPECT_FALSE(view->messageLine().isHidden());
    EXPECT_EQ(view->messageLine().text(),
              u"This document was saved without the participants' sorts. Import the study again to add them."_s);
    EXPECT_EQ(view->categoryList().topLevelItemCount(), 0);
    EXPECT_FALSE(placements.canCopy());
    EXPECT_FALSE(placements.table());
    EXPECT_FALSE(placements.exportPicture(u"/nonexistent/p.svg"_s, 96));
}

TEST_F(CategoriesWindow, ThePlacementsWindowNamesTheCellUnderTheMouse)
{
    PlacementView placements(&document, platform);
    placements.resize(600, 400);
    placements.show();
    placements.OnInitialUpdate();
    const PlacementGeometry &g = placements.geometry();
    ASSERT_EQ(g.columns, 3);
    const double dpi = placements.viewport()->logicalDpiX();
    const auto pixel = [dpi](int himetric) { return int(himetric * dpi / 2540.0); };
    const int row = 0;
    const QPoint cell(pixel(g.grid.x() + g.cellWidth / 2), pixel(g.grid.y() + row * g.cellHeight + g.cellHeight / 2));
    const QString name = (*document.itemNames)[g.order[row]];
    EXPECT_TRUE(placements.hoverText(cell).startsWith(name + u"\nFruit\nPlaced there by "_s))
        << placements.hoverText(cell).toStdString();
    EXPECT_TRUE(placements.hoverText({1, 1}).isEmpty());
}

TEST_F(CategoriesWindow, TheDendrogramsGroupNameTellsTheTopThreeInItsTooltip)
{
    document.numberOfGroups = 2;
    document.showGroupNames = true;
    CSortanaMdiView dendrogram(&document, platform);
    dendrogram.resize(800, 400);
    dendrogram.show();
    QCoreApplication::processEvents();
    dendrogram.OnInitialUpdate();
    const auto *layout = dynamic_cast<const DendrogramLayout *>(document.layout.get());
    ASSERT_TRUE(layout);
    const DendrogramGeometry &g = layout->geometry();
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
