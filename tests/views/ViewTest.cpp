#include "analysis/TreeSupport.h"
#include "support/DocumentEdits.h"
#include "views/DendrogramView.h"

#include "document/Document.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "support/Pixels.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Eight kitchen tools sorted by three participants, with fit scores.
const QByteArray kitchenStudy = "IWhisk\nISpatula\nIChef's knife\nIVegetable peeler\nISoup ladle\n"
                                "ICutting board\nITongs\nIMeasuring cups\n"
                                "P1\nG\nI3f3\nI4f3\nI6f2\nG\nI1f2\nI2f3\nI5f3\nI7f3\nG\nI8f3\n"
                                "P2\nG\nI3f2\nI4f3\nI6f3\nG\nI2f3\nI5f2\nI7f3\nG\nI1f3\nI8f3\n"
                                "P3\nG\nI3f3\nI6f3\nG\nI4f1\nI1f2\nI8f2\nG\nI2f3\nI5f3\nI7f2\n";

class View : public ::testing::Test {
protected:
    View()
    {
        view.resize(900, 700);
        view.show();
        QCoreApplication::processEvents();
    }

    // The study goes into the document as the import command leaves it, which updates
    // every view with hint 1.
    void import()
    {
        const QString input = dir.filePath(u"kitchen.txt"_s);
        writeBytes(input, kitchenStudy);
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        ASSERT_TRUE(run.checkOptions());
        ASSERT_TRUE(run.finish());
        ASSERT_TRUE(completeImport(document, run));
        document.setModified(false);
        ASSERT_NE(view.screenGeometry(), nullptr) << "the view did not draw";
    }
    // The window's layout; a picture just made leaves the window to lay out again.
    const DendrogramGeometry &layout()
    {
        if (!view.screenGeometry())
            view.viewport()->repaint();
        return *view.screenGeometry();
    }
    double dpiX() const { return view.viewport()->logicalDpiX(); }
    double dpiY() const { return view.viewport()->logicalDpiY(); }
    // Where the middle of the separator strip is drawn in the viewport.
    QPoint separatorCentre()
    {
        const HimetricRect &strip = layout().separatorRect;
        const QPoint scroll(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
        return QPoint(himetricToPixels((strip.left + strip.right) / 2.0, dpiX()),
                      himetricToPixels(-(strip.top + strip.bottom) / 2.0, dpiY()))
            - scroll;
    }
    void mouse(QEvent::Type type, QPoint point, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, point, view.viewport()->mapToGlobal(point), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }
    Qt::CursorShape cursorAt(QPoint point)
    {
        mouse(QEvent::MouseMove, point, Qt::NoButton);
        return view.viewport()->cursor().shape();
    }
    // The window's part within `exposed` as it paints it, over a background it should cover.
    QImage painted(const QRect &exposed, const QColor &under = Qt::magenta) const
    {
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(under);
        view.viewport()->render(&image, exposed.topLeft(), QRegion(exposed));
        return image.copy(exposed);
    }
    // The whole dendrogram laid out and drawn as pictures are, where the window shows it.
    QImage fullDrawing(const QRect &exposed)
    {
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        const QPoint scroll(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
        DrawingSurface surface(painter, false, view.style()->pixelMetric(QStyle::PM_ScrollBarExtent), -QPointF(scroll));
        Draw(document, surface,
             {surface.toHimetricX(image.width() + scroll.x()), surface.toHimetricY(image.height() + scroll.y())});
        return image.copy(exposed);
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    Document document;
    DendrogramView view{&document, platform};
};

TEST_F(View, AnImportResetsTheScrollRangeAndAFontChangeFollowsAfterPainting)
{
    view.resize(300, 120);
    QCoreApplication::processEvents();
    import();
    // Hint 1: the range is the new drawing's at once, with the similarity scale below it.
    const int height = himetricToPixels(view.drawnExtent().height(), dpiY());
    EXPECT_NE(document.drawingSize.cy, 10000);
    EXPECT_GT(view.drawnExtent().height(), document.drawingSize.cy);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), height - view.viewport()->height());
    EXPECT_EQ(view.horizontalScrollBar()->maximum(),
              himetricToPixels(document.drawingSize.cx, dpiX()) - view.viewport()->width());

    // Hint 0 repaints, which makes the drawing taller; the range follows once painting is over.
    setSetting(document, &Settings::fontSize, 24);
    const int taller = himetricToPixels(view.drawnExtent().height(), dpiY());
    EXPECT_GT(taller, height);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.verticalScrollBar()->maximum(), taller - view.viewport()->height());

    // So does turning the scale off.
    setSetting(document, &Settings::showSimilarityScale, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.verticalScrollBar()->maximum(),
              himetricToPixels(document.drawingSize.cy, dpiY()) - view.viewport()->height());
}

TEST_F(View, RepaintingAPartOfTheWindowShowsWhatAWholeDrawingShowsThere)
{
    view.resize(420, 110);
    QCoreApplication::processEvents();
    import();
    setSetting(document, &Settings::numberOfGroups, 3);
    setSetting(document, &Settings::colour1, 0xE0F0FF);
    // The window keeps the scale in view, where a whole drawing has it under the rows.
    setSetting(document, &Settings::showSimilarityScale, false);
    const QRect window = view.viewport()->rect();
    // Across rows, through the tree only, over the names, and one pixel.
    const QRect parts[] = {window, {0, 37, window.width(), 16}, {20, 5, 60, 30}, {window.width() - 90, 60, 90, 40},
                           {150, 50, 1, 1}};
    const QScrollBar &down = *view.verticalScrollBar();
    ASSERT_GT(down.maximum(), 40) << "the drawing fits the window";
    for (const int scroll : {0, down.maximum() / 2, down.maximum()}) {
        view.verticalScrollBar()->setValue(scroll);
        // Down to the similarity scale at the bottom, every pixel is painted.
        EXPECT_EQ(largestDifference(painted(window), painted(window, Qt::cyan)), 0) << scroll;
        for (const QRect &part : parts)
            EXPECT_LE(largestDifference(painted(part), fullDrawing(part)), clipShading)
                << scroll << ' ' << part.x() << ',' << part.y();
    }
}

TEST_F(View, TheWindowLaysTheDrawingOutAgainWhenASettingItDependsOnChanges)
{
    view.resize(420, 160);
    QCoreApplication::processEvents();
    import();
    setSetting(document, &Settings::showSimilarityScale, false);
    const QRect window = view.viewport()->rect();
    const QImage before = painted(window);
    // The settings, as the settings bar and the separator change them, and the study, as
    // loading a document changes it.
    const std::function<void()> changes[] = {
        [&] { setSetting(document, &Settings::colour2, 0x80FF80); },
        [&] { setSetting(document, &Settings::numberOfGroups, 4); },
        [&] { setSetting(document, &Settings::fontSize, 9); },
        [&] { setSetting(document, &Settings::fontName, u"Liberation Serif"_s); },
        [&] { document.setDrawingWidth(document.drawingSize.cx + 1500); },
        [&] { editStudy(document, [](Study &s) { s.summary.useFit = false; }); },
        [&] { editStudy(document, [](Study &s) { s.itemNames[2] = u"Paring knife"_s; }); },
    };
    for (size_t k = 0; k < std::size(changes); ++k) {
        changes[k]();
        EXPECT_LE(largestDifference(painted(window), fullDrawing(window)), clipShading) << k;
    }
    EXPECT_NE(painted(window), before);
}

// The similarity scale stays at the window's bottom, on a plain background, while the rows
// scroll under it, and stands under the last row once the window reaches it.
TEST_F(View, TheScaleStaysInViewAtTheWindowsBottom)
{
    view.resize(420, 150);
    QCoreApplication::processEvents();
    import();
    setSetting(document, &Settings::colour1, 0xE0F0FF);
    setSetting(document, &Settings::colour2, 0xE0F0FF);
    const QRect window = view.viewport()->rect();
    QScrollBar &down = *view.verticalScrollBar();
    ASSERT_GT(down.maximum(), 40) << "the drawing fits the window";
    const int strip = himetricToPixels(layout().scale->height, dpiY());
    const QRect bottom(0, window.height() - strip, window.width(), strip);
    down.setValue(down.maximum());
    EXPECT_LE(largestDifference(painted(window), fullDrawing(window)), clipShading);
    const QImage underRows = painted(bottom);
    for (const int scroll : {0, down.maximum() / 2}) {
        down.setValue(scroll);
        EXPECT_EQ(painted(bottom), underRows) << scroll;
    }
    // Plain white under the scale, not the last band's colour.
    EXPECT_EQ(underRows.pixelColor(2, strip - 2), QColor(Qt::white));
}

TEST_F(View, FindGoesToTheNextNameThatHoldsTheTextAndRoundAgain)
{
    view.resize(420, 90);
    QCoreApplication::processEvents();
    import();
    const QStringList &names = document.study().itemNames;
    const auto foundName = [&] { return names[layout().leafOrder[size_t(*view.foundRow())]]; };
    ASSERT_TRUE(view.findNext(u"KNIFE"_s));
    EXPECT_EQ(foundName(), u"Chef's knife"_s);
    // Two names hold "ing": each in turn, then the first again.
    QStringList found;
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(view.findNext(u"ing"_s));
        found << foundName();
    }
    EXPECT_EQ(found.size(), 3);
    EXPECT_NE(found[0], found[1]);
    EXPECT_EQ(found[2], found[0]);
    EXPECT_EQ(QSet<QString>(found.begin(), found.end()), (QSet<QString>{u"Cutting board"_s, u"Measuring cups"_s}));
    // The found row is in view, clear of the scale.
    const QScrollBar &down = *view.verticalScrollBar();
    const int rowTop = himetricToPixels(-layout().rowsTop + *view.foundRow() * layout().rowHeight, dpiY()) - down.value();
    const int strip = himetricToPixels(layout().scale->height, dpiY());
    EXPECT_GE(rowTop, 0);
    EXPECT_LE(rowTop + himetricToPixels(layout().rowHeight, dpiY()), view.viewport()->height() - strip);
    // No match leaves the last one found.
    const std::optional<int> last = view.foundRow();
    EXPECT_FALSE(view.findNext(u"spoon"_s));
    EXPECT_EQ(view.foundRow(), last);
}

TEST_F(View, NamesPastTheDrawingsEdgeCanBeScrolledTo)
{
    view.resize(400, 300);
    QCoreApplication::processEvents();
    import();
    setSetting(document, &Settings::fontSize, 48);
    QCoreApplication::processEvents();
    const DendrogramGeometry &drawn = layout();
    ASSERT_GT(drawn.labelLeft + drawn.labelWidth, 15000) << "the names do not run past the edge";
    // The drawing keeps its size; the extent holds the widest name and a margin after it.
    EXPECT_EQ(document.drawingSize.cx, 15000);
    ASSERT_TRUE(drawn.scale);
    EXPECT_EQ(drawn.extent, QSize(drawn.labelLeft + drawn.labelWidth + drawn.margin.width(),
                                  drawn.height + drawn.scale->height));
    const QScrollBar &across = *view.horizontalScrollBar();
    EXPECT_EQ(across.maximum(), himetricToPixels(drawn.extent.width(), dpiX()) - view.viewport()->width());

    // Scrolled to the end: the widest name ends a margin before the window's edge, and the
    // band behind it reaches that edge. Painting lays the drawing out anew.
    const int marginPixels = himetricToPixels(drawn.margin.width(), dpiX());
    view.horizontalScrollBar()->setValue(across.maximum());
    const QImage shown = view.viewport()->grab().toImage();
    // Letters, not the dotted group line, which is one pixel tall.
    int lastInk = 0;
    for (int x = 0; x < shown.width(); ++x) {
        int dark = 0;
        for (int y = 0; y < shown.height(); ++y)
            dark += qGray(shown.pixel(x, y)) < 128;
        if (dark > 2)
            lastInk = x;
    }
    EXPECT_NEAR(shown.width() - 1 - lastInk, marginPixels, 3);
    for (int y = 0; y < shown.height(); y += 10)
        EXPECT_EQ(shown.pixelColor(shown.width() - 1, y), QColor(Qt::white)) << y;
}

TEST_F(View, DraggingTheSeparatorStretchesTheDrawingButNotBelowFiftyMillimetres)
{
    import();
    const QPoint start = separatorCentre();
    const int separatorLeft = layout().separatorRect.left;
    ASSERT_EQ(document.drawingSize.cx, 15000);

    mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
    mouse(QEvent::MouseMove, start + QPoint(100, 7), Qt::LeftButton);
    const int stretch = pixelsToHimetric(100, dpiX());
    EXPECT_EQ(document.drawingSize.cx, 15000 + stretch);
    // The names keep their place at the right edge, so the separator moves with the mouse.
    EXPECT_EQ(layout().separatorRect.left, separatorLeft + stretch);

    mouse(QEvent::MouseMove, start - QPoint(2000, 0), Qt::LeftButton);
    EXPECT_EQ(document.drawingSize.cx, 5000);
    mouse(QEvent::MouseMove, start - QPoint(2500, 0), Qt::LeftButton);
    EXPECT_EQ(document.drawingSize.cx, 5000);
    mouse(QEvent::MouseMove, start - QPoint(2490, 0), Qt::LeftButton);
    EXPECT_EQ(document.drawingSize.cx, 5000 + pixelsToHimetric(10, dpiX()));
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::SizeHorCursor);

    mouse(QEvent::MouseButtonRelease, start - QPoint(2490, 0), Qt::NoButton);
    const qint32 released = document.drawingSize.cx;
    mouse(QEvent::MouseMove, start, Qt::NoButton);
    EXPECT_EQ(document.drawingSize.cx, released);
    EXPECT_FALSE(document.isModified());
}

TEST_F(View, PressingAwayFromTheSeparatorAndMovingDragsAPictureOut)
{
    import();
    view.setWindowTitle(u"kitchen - Sortana"_s);
    const QPoint away = separatorCentre() - QPoint(60, 0);
    mouse(QEvent::MouseButtonPress, away, Qt::LeftButton);
    // Less than the drag distance: nothing yet.
    mouse(QEvent::MouseMove, away + QPoint(1, 0), Qt::LeftButton);
    EXPECT_TRUE(view.findChildren<QDrag *>().isEmpty());

    // The drag runs its own event loop until the button comes up; Qt deletes the drag later.
    QCoreApplication::postEvent(view.viewport(), new QMouseEvent(QEvent::MouseButtonRelease, away,
                                                                 view.viewport()->mapToGlobal(away), Qt::LeftButton,
                                                                 Qt::NoButton, Qt::NoModifier));
    mouse(QEvent::MouseMove, away + QPoint(30, 0), Qt::LeftButton);
    const QList<QDrag *> drags = view.findChildren<QDrag *>();
    ASSERT_EQ(drags.size(), 1);
    const QMimeData &picture = *drags.front()->mimeData();
    EXPECT_TRUE(picture.data(u"image/svg+xml"_s).contains("<desc>kitchen - Sortana</desc>"));
    EXPECT_FALSE(QImage::fromData(picture.data(u"image/png"_s), "PNG").isNull());
    EXPECT_EQ(document.drawingSize.cx, 15000);
}

TEST_F(View, TheHotZoneIsTheStripWidenedByHalfAMillimetreWhereverTheViewIsScrolled)
{
    view.resize(250, 150);
    QCoreApplication::processEvents();
    import();
    ASSERT_GT(view.horizontalScrollBar()->maximum(), 100);
    ASSERT_GT(view.verticalScrollBar()->maximum(), 30);
    // At 96 dots per inch a pixel is about 26 units: the zone is 150 units, under 6 pixels.
    const struct {
        QPoint offset;
        bool inside;
    } cases[] = {
        {{0, 0}, true}, {{2, 0}, true}, {{-2, 0}, true}, {{4, 0}, false}, {{-4, 0}, false}, {{0, -1000}, false},
    };
    for (const QPoint scroll : {QPoint(0, 0), QPoint(100, 30)}) {
        view.horizontalScrollBar()->setValue(scroll.x());
        view.verticalScrollBar()->setValue(scroll.y());
        for (const auto &[offset, inside] : cases) {
            const QPoint point = separatorCentre() + offset;
            EXPECT_EQ(view.hitTestSeparator(point), inside) << scroll.x() << ' ' << offset.x() << ',' << offset.y();
            EXPECT_EQ(cursorAt(point), inside ? Qt::SizeHorCursor : Qt::ArrowCursor);
        }
    }
    // Scrolled, the strip is no longer where it is drawn unscrolled.
    EXPECT_FALSE(view.hitTestSeparator(separatorCentre() + QPoint(100, 30)));
}

// Resting on a join's line, the tooltip gives its support once there is one, and its
// similarity as the scale reads it; away from the joins, nothing.
TEST_F(View, AJoinsTooltipGivesItsSupportAndSimilarity)
{
    import();
    const auto pointOf = [&](const NodePlacement &join) {
        const DendrogramGeometry &drawn = layout();
        return QPoint(himetricToPixels(drawn.treeLeft + join.x, dpiX()),
                      himetricToPixels(-(drawn.rowsTop + (join.top + join.bottom) / 2), dpiY()));
    };
    const NodePlacement root = layout().joins.back();
    const double most = double(document.study().summary.maxScorePerItem()) * document.study().participantCount;
    const QString similarity = u"Similarity: %1 %"_s.arg(100.0 * root.similarity / most, 0, 'f', 1);
    EXPECT_EQ(view.joinTipText(pointOf(root)), similarity);

    document.setTreeSupport(computeTreeSupport(document.study(), 20, 1, {}));
    ASSERT_TRUE(document.treeSupport());
    emit document.presentationChanged();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.joinTipText(pointOf(root)),
              u"Support: %1 % of 20 replicates\n"_s.arg(supportText(document.treeSupport()->joinSupport.back()))
                  + similarity);
    const size_t first = 0;
    EXPECT_TRUE(view.joinTipText(pointOf(layout().joins[first]))
                    .startsWith(u"Support: %1 %"_s.arg(supportText(document.treeSupport()->joinSupport[first]))));
    EXPECT_EQ(view.joinTipText(separatorCentre()), QString());
}

// The picture's frame is what the view scrolls over: the drawing size and the similarity
// scale below it.
TEST_F(View, CopyOffersAnSvgAndAPngOfTheDrawingsExtent)
{
    EXPECT_FALSE(view.canCopy());
    import();
    ASSERT_TRUE(view.canCopy());
    view.copyToClipboard();
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();

    const QMimeData *offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    const QByteArray svg = offered->data(u"image/svg+xml"_s);
    const QSize size = view.drawnExtent();
    EXPECT_EQ(size.width(), document.drawingSize.cx);
    EXPECT_GT(size.height(), document.drawingSize.cy);
    const QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), size));

    QXmlStreamReader xml(svg);
    ASSERT_TRUE(xml.readNextStartElement());
    const auto millimetres = [&](const QString &name) {
        return xml.attributes().value(name).chopped(2).toDouble();
    };
    EXPECT_DOUBLE_EQ(millimetres(u"width"_s), size.width() / 100.0);
    EXPECT_DOUBLE_EQ(millimetres(u"height"_s), size.height() / 100.0);
    EXPECT_TRUE(svg.contains("<title>Sortana</title>"));
    EXPECT_TRUE(svg.contains("<desc>Dendogram</desc>"));
    EXPECT_TRUE(svg.contains("Vegetable peeler"));

    const QImage png = QImage::fromData(offered->data(u"image/png"_s), "PNG");
    EXPECT_EQ(png.size(), QSize(int(std::ceil(size.width() * dpiX() / himetricPerInch)),
                                int(std::ceil(size.height() * dpiY() / himetricPerInch))));
}

TEST_F(View, TheCopiedSvgShowsEachFitBarAtItsOwnLength)
{
    import();
    view.copyToClipboard();
    QSvgRenderer renderer(QGuiApplication::clipboard()->mimeData()->data(u"image/svg+xml"_s));
    ASSERT_TRUE(renderer.isValid());
    const DendrogramGeometry &drawn = layout();
    const auto toPixelX = [&](int x) { return himetricToPixels(x, dpiX()); };
    const auto toPixelY = [&](int y) { return himetricToPixels(-y, dpiY()); };
    // Drawn at the screen's scale exactly, so that rows and columns fall where the layout says.
    const QRectF area(0, 0, renderer.viewBox().width() * dpiX() / himetricPerInch,
                      renderer.viewBox().height() * dpiY() / himetricPerInch);
    QImage picture(area.size().toSize() + QSize(1, 1), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    renderer.render(&painter, area);
    painter.end();

    // Ink in the fit bar column of each row, from the fullest and the emptiest bar.
    const auto ink = [&](size_t row) {
        int dark = 0;
        const int top = toPixelY(drawn.rowsTop - int(row) * drawn.rowHeight);
        for (int y = top + 2; y < top + toPixelY(-drawn.rowHeight) - 2; ++y)
            for (int x = toPixelX(drawn.fitBarLeft); x < toPixelX(drawn.labelLeft); ++x)
                dark += qGray(picture.pixel(x, y)) < 128;
        return dark;
    };
    const std::vector<double> &fits = document.study().itemAverageFit;
    const auto fitOfRow = [&](size_t row) { return fits[size_t(drawn.leafOrder[row])]; };
    std::vector<size_t> rows(drawn.leafOrder.size());
    std::iota(rows.begin(), rows.end(), 0);
    const auto [emptiest, fullest] =
        std::minmax_element(rows.begin(), rows.end(), [&](size_t a, size_t b) { return fitOfRow(a) < fitOfRow(b); });
    ASSERT_LT(fitOfRow(*emptiest), 2.0);
    ASSERT_DOUBLE_EQ(fitOfRow(*fullest), 3.0);
    EXPECT_GT(ink(*emptiest), 0);
    EXPECT_LT(ink(*emptiest) * 3, ink(*fullest) * 2);
}

TEST_F(View, PrintsWholeOnAPageAsWideAsItIs)
{
    import();
    // The second drawing is a metre wide, far wider than the page: it is made smaller.
    for (const qint32 width : {15000, 100000}) {
        document.drawingSize.cx = width;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = dir.filePath(u"print-%1.pdf"_s.arg(width));
        printer.setOutputFileName(path);
        ASSERT_TRUE(view.printTo(printer));
        const QByteArray pdf = readBytes(path);
        EXPECT_TRUE(pdf.startsWith("%PDF")) << width;
        EXPECT_TRUE(pdf.contains("/Count 1\n") || pdf.contains("/Count 1 ")) << width;
        EXPECT_FALSE(pdf.contains("/Count 2")) << width;
    }
    EXPECT_TRUE(platform.messages().isEmpty());

    QPrinter broken(QPrinter::HighResolution);
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(dir.filePath(u"missing/folder/print.pdf"_s));
    EXPECT_FALSE(view.printTo(broken));
    EXPECT_EQ(platform.messages().size(), 1);
}

// A new window shows the whole drawing: a new document's default one, and a study's extent:
// its rows at their height on this screen (not the height held by a document saved without
// drawing), names past the drawing's edge and the similarity scale below it.
TEST_F(View, ANewFrameShowsTheWholeDrawing)
{
    Document empty;   // outlives the views, which the areas delete
    import();
    document.drawingSize.cy = 10000;
    setSetting(document, &Settings::fontSize, 28);
    for (Document *shown : {&empty, &document}) {
        QMdiArea area;
        area.resize(1600, 1200);
        auto *fresh = new DendrogramView(shown, platform);
        area.addSubWindow(fresh);
        area.show();
        fresh->initialUpdate();
        QCoreApplication::processEvents();
        const QSize extent = fresh->drawnExtent();
        EXPECT_EQ(fresh->viewport()->size(),
                  QSize(himetricToPixels(extent.width(), dpiX()), himetricToPixels(extent.height(), dpiY())));
        EXPECT_FALSE(fresh->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(fresh->verticalScrollBar()->isVisible());
        if (shown == &empty) {
            EXPECT_EQ(extent, QSize(15000, 10000));
        } else {
            EXPECT_GT(extent.width(), 15000);
            EXPECT_NE(document.drawingSize.cy, 10000);
            EXPECT_GT(extent.height(), document.drawingSize.cy);
        }
    }
}

TEST_F(View, AViewWithoutADocumentOrATreeDoesNothing)
{
    DendrogramView orphan(nullptr, platform);
    orphan.resize(400, 300);
    orphan.show();
    QGuiApplication::clipboard()->setText(u"kept"_s);
    for (DendrogramView *idle : {&orphan, &view}) {
        idle->initialUpdate();
        idle->documentUpdated(UpdateHint::NewStudy);
        idle->copyToClipboard();
        const QPoint point(200, 100);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, point, idle->viewport()->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(idle->viewport(), &event);
        }
        EXPECT_FALSE(idle->canCopy());
        EXPECT_FALSE(idle->hitTestSeparator(point));
        // Nothing drawn over the erased background.
        const QImage shown = idle->viewport()->grab().toImage();
        EXPECT_EQ(shown.pixelColor(10, 10), shown.pixelColor(shown.width() - 10, shown.height() - 10));
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"kept"_s);
    EXPECT_EQ(view.screenGeometry(), nullptr);
    EXPECT_EQ(document.drawingSize, DrawingSize{});
    QPrinter printer;
    EXPECT_FALSE(orphan.printTo(printer));
    EXPECT_TRUE(platform.messages().isEmpty());
}

} // namespace
