#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "document/Document.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/MatrixTiles.h"
#include "drawing/PictureExport.h"
#include "support/ChainTree.h"
#include "support/DocumentEdits.h"
#include "support/Pixels.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString studyName = u"expert-fit-subgroups"_s;

QString goldenStudy()
{
    return QStringLiteral(SORTANA_GOLDEN_DIR "/") + studyName + u'/' + studyName + u".txt"_s;
}

// Imports the study into the document as the wizard's Finish does, analysis files included.
void import(Document &document, const QString &input, int copies, bool expert)
{
    ScriptedPlatform platform;
    ImportRun run(platform);
    ASSERT_TRUE(run.chooseInput(input));
    run.summary().copiesPerParticipant = copies;
    run.summary().useExpert = expert;
    ASSERT_TRUE(run.checkOptions());
    ASSERT_TRUE(run.finish());
    ASSERT_TRUE(completeImport(document, run));
    ASSERT_TRUE(document.study().similarity.has_value());
}

QImage screenImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.setDotsPerMeterX(3780);   // 96 dots per inch
    image.setDotsPerMeterY(3780);
    image.fill(Qt::transparent);
    return image;
}

TEST(MatrixDrawing, CellsAreTheMatrixFileCountsOverTheirMaximum)
{
    const std::pair<int, bool> cases[] = {{1, false}, {2, false}, {1, true}, {2, true}};
    for (const auto &[copies, expert] : cases) {
        SCOPED_TRACE(testing::Message() << "copies " << copies << ", expert " << expert);
        QTemporaryDir dir;
        const QString input = dir.filePath(studyName + u".txt"_s);
        ASSERT_TRUE(QFile::copy(goldenStudy(), input));
        Document document;
        import(document, input, copies, expert);
        const SimilarityData &similarity = *document.study().similarity;
        EXPECT_EQ(similarity.maxCount(), double((expert ? 5 : 6) * copies * copies));

        QImage device = screenImage(1, 1);
        const MatrixGeometry geometry = layoutMatrix(document, &device);
        // Rows of the file: header, then item number, name and counts, in the dendrogram's order.
        const QStringList lines = readUtf16File(dir.filePath(studyName + u"-Matrix.csv"_s)).split(u"\r\n"_s, Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), geometry.rows() + 1);
        for (int r = 0; r < geometry.rows(); ++r) {
            const QStringList cells = lines[r + 1].split(u'\t');
            const int a = geometry.order[size_t(r)];
            ASSERT_EQ(cells[0].toInt(), a + 1);
            for (int c = 0; c < geometry.rows(); ++c) {
                const int b = geometry.order[size_t(c)];
                if (a == b)
                    continue;
                const int count = cells[c + 2].toInt();
                EXPECT_DOUBLE_EQ(similarity.share(a, b), count / similarity.maxCount());
                EXPECT_LE(similarity.share(a, b), 1.0);
                EXPECT_TRUE(pairDescription(document, a, b).contains(
                    u"together %1 of %2 times"_s.arg(count).arg(similarity.maxCount())));
            }
        }
    }
}

TEST(MatrixDrawing, TheHoverTextNamesThePairWithItsCountShareAndWeightedScore)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.txt"_s);
    // A and B together for both participants, the second time in one sub-group with fits 3 and 1.
    writeBytes(input, "IA\nIB\nIC\nP1\nG\nI1f2\nI2f2\nG\nI3\nP2\nG\nI1f3\nS\nI2f1\nI3f1\n");
    Document document;
    import(document, input, 1, false);
    const int a = 0;
    const int b = 1;
    const double weighted = document.study().similarity->weightedScore(a, b) / document.study().summary.weightedScale();
    EXPECT_EQ(pairDescription(document, a, b),
              u"A and B\nSorted together 2 of 2 times (100 %)\nWeighted score "_s + QString::number(weighted, 'f', 1));
    EXPECT_EQ(pairDescription(document, 2, 0),
              u"C and A\nSorted together 1 of 2 times (50 %)\nWeighted score "_s
                  + QString::number(document.study().similarity->weightedScore(2, 0)
                                        / document.study().summary.weightedScale(),
                                    'f', 1));
    EXPECT_EQ(pairDescription(document, 1, 1), u"B"_s);
    EXPECT_TRUE(pairDescription(document, 0, 3).isEmpty());
}

class MatrixOfChain : public ::testing::Test {
protected:
    // n items, each joined to the cluster before it, ever more loosely; item i and j counted
    // together |i - j| times out of n.
    void chain(int n, const QString &prefix = u"Item "_s)
    {
        std::vector<double> similarities{double(n)};
        for (int item = 2; item < n; ++item)
            similarities.push_back(n - item);
        editStudy(document, [&](Study &s) { s.clusterTree = test::chainTree(similarities); });
        QStringList names;
        for (int item = 0; item < n; ++item)
            names.append(prefix + QString::number(item + 1));
        editStudy(document, [&](Study &s) { s.itemNames = QStringList(names); });
        editStudy(document, [&](Study &s) { s.itemCount = n; });
        editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(size_t(n), 1.0); });
        editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
        editStudy(document, [&](Study &s) { s.participantCount = n; });
        SimilarityData similarity;
        similarity.matrix.allocate(n);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j)
                similarity.matrix.at(i, j) = j - i;
        }
        similarity.countedParticipants = n;
        editStudy(document, [&](Study &s) { s.similarity = std::move(similarity); });
    }

    Document document;
};

TEST_F(MatrixOfChain, GroupsOnTheDiagonalAreTheDendrogramsBands)
{
    chain(7);
    for (const int groups : {0, 1, 2, 3, 6, 7, 12}) {
        SCOPED_TRACE(groups);
        setSetting(document, &Settings::numberOfGroups, groups);
        QImage image = screenImage(1, 1);
        QPainter painter(&image);
        DrawingSurface surface(painter, false, 17);
        const std::optional<DendrogramGeometry> laidOut = layOutDendrogram(document, surface, {});
        ASSERT_TRUE(laidOut);
        const DendrogramGeometry &bands = *laidOut;
        std::vector<int> expected{0};
        for (auto split = bands.groupBoundaries.rbegin(); split != bands.groupBoundaries.rend(); ++split)
            expected.push_back(-*split / bands.rowHeight);
        painter.end();
        const MatrixGeometry matrix = layoutMatrix(document, &image);
        EXPECT_EQ(matrix.groupStarts, expected);
        EXPECT_EQ(matrix.groupStarts.size(), size_t(std::clamp(groups, 1, 7)));
        EXPECT_EQ(matrix.order, bands.leafOrder);
    }
}

TEST_F(MatrixOfChain, PicturesStayWithinTheirBoundAndDropNamesFromTinyCells)
{
    QImage device = screenImage(1, 1);
    const QFontMetricsF metrics(QFont(u"Arial"_s, 12), &device);
    const int rowHeight = pixelsToHimetric(metrics.height(), 96);
    struct Case {
        int items;
        bool fullSize;
        bool names;
    };
    for (const Case &c : {Case{5, true, true}, Case{60, true, true}, Case{150, false, true}, Case{400, false, false}}) {
        SCOPED_TRACE(c.items);
        chain(c.items);
        const MatrixGeometry geometry = layoutMatrix(document, &device, maxMatrixPictureSide);
        EXPECT_LE(geometry.size.width(), maxMatrixPictureSide);
        EXPECT_LE(geometry.size.height(), maxMatrixPictureSide);
        EXPECT_EQ(geometry.cell == rowHeight, c.fullSize);
        EXPECT_EQ(geometry.nameWidth > 0, c.names);
        EXPECT_EQ(geometry.cell >= 200, c.names);
        // On screen there is no bound: the cells keep the font's row height.
        EXPECT_EQ(layoutMatrix(document, &device).cell, rowHeight);
    }
}

TEST_F(MatrixOfChain, OnlyTheVisibleAreaIsPainted)
{
    chain(30);
    QImage image = screenImage(1, 1);
    const MatrixGeometry geometry = layoutMatrix(document, &image);
    image = screenImage(himetricToPixels(geometry.size.width(), 96) + 1, himetricToPixels(geometry.size.height(), 96) + 1);
    const QRect visible(geometry.grid + QPoint(5 * geometry.cell, 5 * geometry.cell), QSize(2000, 1000));
    {
        QPainter painter(&image);
        DrawingSurface surface(painter, false, 17);
        drawMatrix(document, geometry, surface, visible);
    }
    const QRect pixels(QPoint(himetricToPixels(visible.left(), 96), himetricToPixels(visible.top(), 96)),
                       QPoint(himetricToPixels(visible.right(), 96), himetricToPixels(visible.bottom(), 96)));
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool painted = qAlpha(image.pixel(x, y)) != 0;
            if (pixels.adjusted(-1, -1, 1, 1).contains(x, y))
                inside += painted;
            else
                outside += painted;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, pixels.width() * pixels.height() / 2);
}

TEST_F(MatrixOfChain, AWindowsTilesJoinIntoTheWholeDrawing)
{
    const int n = 300;
    chain(n);
    // Counts that change from cell to cell, so that a cell painted out of its place shows.
    editStudy(document, [&](Study &s) {
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j)
                s.similarity->matrix.at(i, j) = (i * 7919 + j * 104729) % (n + 1);
        }
    });
    QImage device = screenImage(1, 1);
    const MatrixGeometry geometry = layoutMatrix(document, &device);
    const QSize window(700, 500);
    // Cells of some 18, 4, 1.3 and 0.6 pixels; the names, a highlighted row, and the middle.
    for (const double zoom : {1.0, 0.23, 0.071, 0.031}) {
        for (const QPoint scroll : {QPoint(0, 0), QPoint(333, 517)}) {
            const MatrixTiles::View view{.zoom = zoom, .highlightedRow = 17, .background = Qt::darkGray};
            // The window's background, and over it the tiles.
            QImage tiled = screenImage(window.width(), window.height());
            tiled.fill(Qt::darkGray);
            {
                QPainter painter(&tiled);
                MatrixTiles().paint(painter, document, geometry, view, scroll, QRect(QPoint(0, 0), window));
            }
            QImage whole = screenImage(window.width(), window.height());
            whole.fill(Qt::darkGray);
            {
                QPainter painter(&whole);
                painter.setRenderHint(QPainter::TextAntialiasing);
                painter.translate(-scroll);
                painter.scale(zoom, zoom);
                DrawingSurface surface(painter, false, 0);
                NameGlyphs glyphs;
                drawMatrix(document, geometry, surface, QRect(QPoint(0, 0), geometry.size), 17, &glyphs);
            }
            EXPECT_LE(largestDifference(tiled, whole), clipShading) << zoom << ' ' << scroll.x();
        }
    }
}

TEST_F(MatrixOfChain, PointsFindTheirCellOrName)
{
    chain(4);
    QImage device = screenImage(1, 1);
    const MatrixGeometry geometry = layoutMatrix(document, &device);
    const int half = geometry.cell / 2;
    const auto cellCentre = [&](int row, int column) {
        return geometry.grid + QPoint(column * geometry.cell + half, row * geometry.cell + half);
    };
    struct Case {
        QPoint point;
        MatrixHit::Part part;
        int row;
        int column;
    };
    const Case cases[] = {
        {cellCentre(0, 0), MatrixHit::Part::Cell, 0, 0},
        {cellCentre(3, 1), MatrixHit::Part::Cell, 3, 1},
        {QPoint(geometry.grid.x() - 10, cellCentre(2, 0).y()), MatrixHit::Part::RowName, 2, -1},
        {QPoint(cellCentre(0, 1).x(), geometry.grid.y() - 10), MatrixHit::Part::ColumnName, -1, 1},
        {QPoint(geometry.grid.x() - 10, geometry.grid.y() - 10), MatrixHit::Part::None, -1, -1},
        {cellCentre(0, 5), MatrixHit::Part::None, -1, -1},
    };
    for (const Case &c : cases) {
        const MatrixHit hit = matrixHitAt(geometry, c.point);
        EXPECT_EQ(hit.part, c.part);
        EXPECT_EQ(hit.row, c.row);
        EXPECT_EQ(hit.column, c.column);
    }
}

TEST(MatrixDrawing, TheScaleStartsWhiteAndDarkensSteadilyInGrey)
{
    EXPECT_EQ(shareColour(0.0), QColor(Qt::white));
    double previous = 256;
    for (int k = 0; k <= 100; ++k) {
        const QColor colour = shareColour(k / 100.0);
        const double grey = 0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue();
        EXPECT_LT(grey, previous) << k;
        previous = grey;
    }
    EXPECT_LT(previous, 80);
}

TEST_F(MatrixOfChain, PicturesOfEveryKindAndTheRefusalWithoutAMatrix)
{
    chain(12);
    QTemporaryDir dir;
    ScriptedPlatform platform;
    for (const QString &name : {u"m.svg"_s, u"m.png"_s, u"m.pdf"_s}) {
        ASSERT_TRUE(saveMatrixPicture(document, dir.filePath(name), platform)) << name.toStdString();
        EXPECT_GT(readBytes(dir.filePath(name)).size(), 500);
    }
    EXPECT_TRUE(platform.messages().isEmpty());
    const QString svg = QString::fromUtf8(readBytes(dir.filePath(u"m.svg"_s)));
    EXPECT_TRUE(svg.contains(u"<desc>Similarity Matrix</desc>"_s));
    EXPECT_TRUE(svg.contains(u"Item 12"_s));

    editStudy(document, [](Study &s) { s.similarity.reset(); });
    EXPECT_FALSE(saveMatrixPicture(document, dir.filePath(u"none.png"_s), platform));
    ASSERT_EQ(platform.messages().size(), 1);
    EXPECT_EQ(platform.messages()[0].text, noMatrixMessage);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"none.png"_s)));
}

} // namespace
