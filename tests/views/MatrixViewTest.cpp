#include "views/MatrixView.h"
#include "document/Document.h"
#include "drawing/DrawingSurface.h"
#include "support/DocumentEdits.h"
#include "support/Pixels.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <functional>

#include <set>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class MatrixViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString input = dir.filePath(u"library.txt"_s);
        writeBytes(input, readBytes(u"" SORTANA_EXAMPLES_DIR "/library-website.txt"_s));
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        ASSERT_TRUE(run.checkOptions());
        ASSERT_TRUE(run.finish());
        ASSERT_TRUE(completeImport(document, run));
        view = std::make_unique<MatrixView>(&document, platform);
        view->resize(500, 400);
        view->show();
        view->initialUpdate();
    }
    void TearDown() override { view.reset(); }
    // The viewport pixel at the centre of a cell, or of a row's name, at the current zoom.
    QPoint pixelAt(QPoint drawing) const
    {
        const double dpi = view->viewport()->logicalDpiX();
        return QPoint(int(drawing.x() * dpi / himetricPerInch * view->zoom()) - view->horizontalScrollBar()->value(),
                      int(drawing.y() * dpi / himetricPerInch * view->zoom()) - view->verticalScrollBar()->value());
    }
    QPoint cellCentre(int row, int column)
    {
        const MatrixGeometry &g = view->geometry();
        return pixelAt(g.grid + QPoint(column * g.cell + g.cell / 2, row * g.cell + g.cell / 2));
    }
    // The window's part within `exposed` as it paints it, on a background it would cover.
    QImage painted(const QRect &exposed) const
    {
        QImage image(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        view->viewport()->render(&image, exposed.topLeft(), QRegion(exposed));
        return image.copy(exposed);
    }
    // The whole matrix drawn in one go, as for a window, where the window shows it.
    QImage fullDrawing(const QRect &exposed)
    {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        const int dotsPerMeter = qRound(view->viewport()->logicalDpiX() / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(view->palette().color(QPalette::Dark));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(-QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()));
        painter.scale(view->zoom(), view->zoom());
        DrawingSurface surface(painter, false, 0);
        NameGlyphs glyphs;
        const MatrixGeometry &g = view->geometry();
        drawMatrix(document, g, surface, QRect(QPoint(0, 0), g.size), view->highlightedRow(), &glyphs);
        painter.end();
        return image.copy(exposed).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // The names' strips in the window's pixels, at the left and at the top.
    QSize namesStrip() const
    {
        const QPoint grid = pixelAt(view->geometry().grid)
                          + QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
        return {grid.x() + 1, grid.y() + 1};
    }
    void click(QPoint point)
    {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, point, view->viewport()->mapToGlobal(point), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &event);
        }
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    Document document;
    std::unique_ptr<MatrixView> view;
};

TEST_F(MatrixViewTest, HoveringACellNamesThePair)
{
    const std::vector<int> &order = view->geometry().order;
    for (const auto &[row, column] : {std::pair{0, 1}, std::pair{3, 7}, std::pair{5, 5}}) {
        EXPECT_EQ(view->hoverText(cellCentre(row, column)),
                  pairDescription(document, order[size_t(row)], order[size_t(column)]));
    }
    EXPECT_TRUE(view->hoverText(cellCentre(0, 1)).contains(u"Sorted together"_s));
    // Names, the legend and the margins have no pair.
    EXPECT_TRUE(view->hoverText(pixelAt(view->geometry().grid) - QPoint(3, 3)).isEmpty());
}

TEST_F(MatrixViewTest, ClickingANameHighlightsItsRowAndColumnUntilClickedAgain)
{
    const MatrixGeometry &g = view->geometry();
    const QPoint rowName = pixelAt(QPoint(g.grid.x() - g.nameWidth / 2, g.grid.y() + 2 * g.cell + g.cell / 2));
    const QPoint columnName = pixelAt(QPoint(g.grid.x() + 4 * g.cell + g.cell / 2, g.grid.y() - g.nameWidth / 2));
    click(rowName);
    EXPECT_EQ(view->highlightedRow(), 2);
    click(columnName);
    EXPECT_EQ(view->highlightedRow(), 4);
    click(columnName);
    EXPECT_EQ(view->highlightedRow(), std::nullopt);
    // A cell highlights nothing.
    click(cellCentre(1, 1));
    EXPECT_EQ(view->highlightedRow(), std::nullopt);
}

TEST_F(MatrixViewTest, TheNamesStayAtTheWindowsEdgesWhenItScrollsOrZooms)
{
    const MatrixGeometry &g = view->geometry();
    const QRect window = view->viewport()->rect();
    const auto dark = [&](const QRect &part) {
        const QImage names = painted(part);
        int count = 0;
        for (int y = 0; y < names.height(); ++y)
            for (int x = 0; x < names.width(); ++x)
                count += qGray(names.pixel(x, y)) < 80;
        return count;
    };
    for (const double zoom : {1.0, 2.5}) {
        view->setZoom(zoom);
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum() / 2);
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
        // A strip takes a third of the window at most.
        const QSize strip = namesStrip().boundedTo(window.size() / 3);
        // A row whose cells are on view is named at the window's left edge, and the name
        // answers a click there as in its own place; the same for a column at the top.
        const QPoint cells = (QPoint(strip.width(), strip.height()) + window.bottomRight()) / 2;
        const MatrixHit cell = matrixHitAt(g, QPoint(pixelsToHimetric((cells.x() + view->horizontalScrollBar()->value()) / zoom,
                                                                       view->viewport()->logicalDpiX()),
                                                     pixelsToHimetric((cells.y() + view->verticalScrollBar()->value()) / zoom,
                                                                      view->viewport()->logicalDpiY())));
        ASSERT_EQ(cell.part, MatrixHit::Part::Cell) << zoom;
        ASSERT_NE(cell.row, cell.column) << zoom;
        click(QPoint(strip.width() - 3, cells.y()));
        EXPECT_EQ(view->highlightedRow(), cell.row) << zoom;
        click(QPoint(cells.x(), strip.height() - 3));
        EXPECT_EQ(view->highlightedRow(), cell.column) << zoom;
        painted(window).save(QStringLiteral("/tmp/pinned-%1.png").arg(zoom));
        // Names are drawn there: dark pixels on the strips.
        const QRect left(0, strip.height(), strip.width(), window.height() - strip.height());
        const QRect top(strip.width(), 0, window.width() - strip.width(), strip.height());
        EXPECT_GT(dark(left), 50) << zoom;
        EXPECT_GT(dark(top), 50) << zoom;
    }
    // Scrolled one way only, the names of that way stay; at real size the cells start inside
    // the window, so the other way's names are in their own place.
    view->setZoom(1.0);
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const QSize strip = namesStrip().boundedTo(window.size() / 3);
    EXPECT_GT(dark(QRect(namesStrip().width(), 0, window.width() - namesStrip().width(), strip.height())), 50);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum() / 2);
    view->verticalScrollBar()->setValue(0);
    EXPECT_GT(dark(QRect(0, namesStrip().height(), strip.width(), window.height() - namesStrip().height())), 50);
}

TEST_F(MatrixViewTest, FindHighlightsTheNextCardWhoseNameHoldsTheText)
{
    const QStringList &names = document.study().itemNames;
    const std::vector<int> &order = view->geometry().order;
    ASSERT_TRUE(view->findNext(u"CATALOGUE"_s));
    ASSERT_TRUE(view->highlightedRow().has_value());
    EXPECT_TRUE(names[order[size_t(*view->highlightedRow())]].contains(u"catalogue"_s, Qt::CaseInsensitive));
    // The found cell on the diagonal is in the window.
    EXPECT_TRUE(view->viewport()->rect().contains(cellCentre(*view->highlightedRow(), *view->highlightedRow())));
    const std::optional<int> first = view->highlightedRow();
    // Round the whole list and back to the same card.
    std::set<int> seen{*first};
    while (view->findNext(u"catalogue"_s) && view->highlightedRow() != first)
        seen.insert(*view->highlightedRow());
    EXPECT_EQ(view->highlightedRow(), first);
    EXPECT_EQ(seen.size(), size_t(std::count_if(names.begin(), names.end(), [](const QString &name) {
                  return name.contains(u"catalogue"_s, Qt::CaseInsensitive);
              })));
    EXPECT_FALSE(view->findNext(u"no such card here"_s));
    EXPECT_EQ(view->highlightedRow(), first);
}

TEST_F(MatrixViewTest, CtrlWheelZoomsAndCtrlZeroFitsTheWholeMatrix)
{
    EXPECT_EQ(view->zoom(), 1.0);
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    const QPoint middle = view->viewport()->rect().center();
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_DOUBLE_EQ(view->zoom(), 1.25);

    QKeyEvent fit(QEvent::KeyPress, Qt::Key_0, Qt::ControlModifier);
    QApplication::sendEvent(view.get(), &fit);
    EXPECT_LT(view->zoom(), 1.0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    // The hover still finds its cell at the new size.
    const std::vector<int> &order = view->geometry().order;
    EXPECT_EQ(view->hoverText(cellCentre(2, 3)), pairDescription(document, order[2], order[3]));
}

TEST_F(MatrixViewTest, TheBarsSettingsApplyAtTheNextUpdate)
{
    for (const int groups : {2, 5, 1}) {
        setSetting(document, &Settings::numberOfGroups, groups);
        EXPECT_EQ(view->geometry().groupStarts.size(), size_t(groups));
    }
    const int cell = view->geometry().cell;
    setSetting(document, &Settings::fontSize, document.settings().fontSize * 2);
    EXPECT_GT(view->geometry().cell, cell * 3 / 2);
    EXPECT_FALSE(view->grab().isNull());
}

TEST_F(MatrixViewTest, RepaintingAPartOfTheWindowShowsWhatAWholeDrawingShowsThere)
{
    const QRect window = view->viewport()->rect();
    // Across the tiles' edges, within one, and one pixel.
    const QRect parts[] = {
        window, {0, 100, window.width(), 60}, {250, 250, 13, 90}, {40, 30, 20, 20}, {255, 256, 1, 1}};
    // Real size, bigger, cells of about two pixels, and smaller than a pixel.
    for (const double zoom : {1.0, 1.7, 0.11, 0.03}) {
        view->setZoom(zoom);
        for (const int share : {0, 50, 100}) {
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum() * share / 100);
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * share / 100);
            // Scrolled, the names stay at the window's edges, over what a whole drawing has there.
            const QSize names = share > 0 ? namesStrip() : QSize();
            const QRect unpinned(names.width(), names.height(), window.width(), window.height());
            for (const QRect &part : parts) {
                const QRect compared = part & unpinned;
                if (!compared.isEmpty()) {
                    EXPECT_LE(largestDifference(painted(compared), fullDrawing(compared)), clipShading)
                        << zoom << ' ' << share << ' ' << part.x() << ',' << part.y();
                }
            }
        }
    }
}

TEST_F(MatrixViewTest, TheWindowPaintsAfreshWhenTheMatrixOrHowItIsShownChanges)
{
    view->setZoom(0.5);
    const QRect window = view->viewport()->rect();
    const QImage before = painted(window);
    const MatrixGeometry &g = view->geometry();
    const std::function<void()> changes[] = {
        [&] { setSetting(document, &Settings::colour1, 0xE0F0FF); },
        [&] { setSetting(document, &Settings::numberOfGroups, 4); },
        [&] { click(pixelAt(QPoint(g.grid.x() - g.nameWidth / 2, g.grid.y() + 3 * g.cell))); },
        [&] { view->setZoom(0.45); },
        [&] { setSetting(document, &Settings::fontSize, 10); },
        [&] {
            editStudy(document, [&](Study &s) { s.similarity->matrix.at(0, 1) = 0; });
            editStudy(document, [&](Study &s) { s.similarity->countedParticipants *= 2; });
        },
    };
    for (size_t k = 0; k < std::size(changes); ++k) {
        changes[k]();
        EXPECT_LE(largestDifference(painted(window), fullDrawing(window)), clipShading) << k;
    }
    EXPECT_NE(painted(window), before);
}

TEST_F(MatrixViewTest, CopyOffersTheMatrixAsSvgAndPngAndNeedsTheMatrix)
{
    ASSERT_TRUE(view->canCopy());
    view->copyToClipboard();
    EXPECT_TRUE(platform.messages().isEmpty());
    const QMimeData *offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    EXPECT_TRUE(QString::fromUtf8(offered->data(u"image/svg+xml"_s)).contains(u"<desc>Similarity Matrix</desc>"_s));
    EXPECT_TRUE(offered->hasFormat(u"image/png"_s));

    editStudy(document, [&](Study &s) { s.similarity.reset(); });
    emit document.presentationChanged();
    EXPECT_FALSE(view->canCopy());
    EXPECT_TRUE(view->hoverText(cellCentre(0, 1)).isEmpty());
    // The window says why it is empty.
    EXPECT_FALSE(view->grab().isNull());
}

} // namespace
