// The placement matrix as a picture, and the groups' suggested names in the dendrogram's
// pictures.
#include "drawing/PlacementDrawing.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/PictureExport.h"
#include "drawing/PrintedPages.h"
#include "support/DocumentEdits.h"
#include "support/ImportedDocument.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

constexpr ReferenceScreen screen{17, 96};

// Two participants who agree on the fruit and name the rest two ways; C was put in Greens
// by one participant only.
const QByteArray study = "IApple\nIPear\nICarrot\nILeek\n"
                         "P1\nGFruit\nI1\nI2\nGVeg\nI3\nI4\n"
                         "P2\nGfruit\nI1\nI2\nGGreens\nI3\nI4\n";

class Placements : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(importDocument(study, document)); }
    Document document;
};

TEST_F(Placements, EachCellIsColouredByItsShareOnTheMatrixScale)
{
    const CategoryTable table = *documentCategories(document);
    constexpr int dpi = 96;
    const QImage image = placementPictureImage(document, table, screen, dpi);
    ASSERT_FALSE(image.isNull());
    QImage scratch(1, 1, QImage::Format_ARGB32);
    scratch.setDotsPerMeterX(qRound(dpi / 0.0254));
    scratch.setDotsPerMeterY(qRound(dpi / 0.0254));
    const PlacementGeometry g = layoutPlacements(document, table, &scratch);
    ASSERT_EQ(g.rows(), 4);
    ASSERT_EQ(g.columns, 3);
    for (int row = 0; row < g.rows(); ++row) {
        for (int column = 0; column < g.columns; ++column) {
            const int item = g.order[size_t(row)];
            // A corner of the cell, away from the count written in its middle.
            const QPoint corner =
                g.grid + QPoint(column * g.cellWidth + g.cellWidth / 8, row * g.cellHeight + g.cellHeight / 6);
            const QRgb pixel = image.pixel(himetricToPixels(corner.x(), dpi), himetricToPixels(corner.y(), dpi));
            const QColor expected = shareColour(table.share(item, size_t(column)));
            EXPECT_NEAR(qRed(pixel), expected.red(), 2) << row << ',' << column;
            EXPECT_NEAR(qBlue(pixel), expected.blue(), 2) << row << ',' << column;
        }
    }
    // Fruit: both placed the apple there; Veg: one of the two placed the carrot there.
    const int apple = 0;
    const int carrot = 2;
    EXPECT_EQ(placementDescription(document, table, apple, 0),
              u"Apple\nFruit\nPlaced there by 2 of 2 participants (100 %)"_s);
    EXPECT_EQ(placementDescription(document, table, carrot, 2),
              u"Carrot\nVeg\nPlaced there by 1 of 2 participants (50 %)"_s);
}

TEST_F(Placements, ASvgHoldsEveryCategoryAndFollowsTheStandardisation)
{
    mergeCategories(document, {u"Veg"_s, u"Greens"_s}, u"Vegetables"_s);
    const QByteArray svg = placementSvgPicture(document, *documentCategories(document), screen, u"Placements"_s);
    ASSERT_FALSE(svg.isEmpty());
    for (const char *name : {"Fruit", "Vegetables", "Apple", "Leek", "100 %"})
        EXPECT_TRUE(svg.contains(name)) << name;
    EXPECT_FALSE(svg.contains(">Greens<"));
}

// Printed at real size on a page too small for it, the matrix goes over several pages; fitted
// to one page, onto one.
TEST_F(Placements, PrintedPagesFollowTheScaling)
{
    const CategoryTable table = *documentCategories(document);
    const auto pagesPrinted = [&](PrintScaling scaling) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QSizeF(20, 30), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        int pages = 1;
        EXPECT_TRUE(printPlacementPages(
            document, table, painter, [&] { return writer.newPage() && ++pages; }, scaling));
        return pages;
    };
    EXPECT_EQ(pagesPrinted(PrintScaling::FitToOnePage), 1);
    EXPECT_GT(pagesPrinted(PrintScaling::RealSize), 1);
}

TEST_F(Placements, GroupNamesStandRightOfTheCardsOnlyWhenShown)
{
    setSetting(document, &Settings::numberOfGroups, 2);
    const QByteArray without = svgPicture(document, screen, u"Dendogram"_s);
    const QSize plainExtent = extentOnScreen(document, screen);
    EXPECT_FALSE(without.contains(">Fruit<"));

    setSetting(document, &Settings::showGroupNames, true);
    const QByteArray with = svgPicture(document, screen, u"Dendogram"_s);
    EXPECT_TRUE(with.contains(">Fruit<"));
    const QSize namedExtent = extentOnScreen(document, screen);
    EXPECT_GT(namedExtent.width(), plainExtent.width());
    EXPECT_EQ(namedExtent.height(), plainExtent.height());

    const std::optional<DendrogramGeometry> layout = pictureLayout(document, screen, int(screen.dpi));
    ASSERT_TRUE(layout);
    const std::vector<BandLabel> &labels = layout->groupNames;
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].firstRow, 0);
    EXPECT_EQ(labels[1].firstRow, 2);
    // The top three and their shares, for the tooltip.
    for (const BandLabel &label : labels)
        EXPECT_TRUE(label.detail.startsWith(label.text + u": "_s)) << label.detail.toStdString();

    // A document saved without the sorts draws as before.
    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    EXPECT_EQ(svgPicture(document, screen, u"Dendogram"_s), without);
}

} // namespace
