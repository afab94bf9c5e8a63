#include "views/DendrogramView.h"

#include "document/Document.h"
#include "document/DocumentText.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "drawing/PrintedPages.h"
#include "platform/Platform.h"
#include "study/StudySummary.h"

#include <QApplication>
#include <QDrag>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <limits>

namespace sortana {

namespace {

// Dragging the separator never makes the drawing narrower than 50 mm.
constexpr qint64 minimumDrawingWidth = 5000;
// The separator's hot zone reaches this far past the strip on either side.
constexpr int hotZoneWidening = 50;
// The card found last, behind its name: marked, yet the name still reads.
const QColor foundColour(255, 200, 0, 110);
// A join's tooltip shows this many pixels either side of its line.
constexpr double joinTipPixels = 4;

} // namespace

DendrogramView::DendrogramView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent)
{
    // The cursor marks the separator's hot zone as the mouse passes over it.
    viewport()->setMouseTracking(true);
    if (m_document)
        coverBackgroundWithDrawing();
}

bool DendrogramView::hasTree() const
{
    return m_document && m_document->clusterRoot();
}

double DendrogramView::scrollBarExtent() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

ReferenceScreen DendrogramView::referenceScreen() const
{
    return {scrollBarExtent(), double(viewport()->logicalDpiX())};
}

QPoint DendrogramView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QSize DendrogramView::drawingPixels() const
{
    return {himetricToPixels(m_document->drawingSize.cx, viewport()->logicalDpiX()),
            himetricToPixels(m_document->drawingSize.cy, viewport()->logicalDpiY())};
}

QSize DendrogramView::drawnExtent() const
{
    if (const DendrogramGeometry *geometry = screenGeometry())
        return geometry->extent;
    if (m_drawnExtent.isValid() || !m_document)
        return m_drawnExtent;
    return {m_document->drawingSize.cx, m_document->drawingSize.cy};
}

QSize DendrogramView::extentPixels() const
{
    const QSize extent = drawnExtent();
    return drawingPixels().expandedTo({himetricToPixels(extent.width(), viewport()->logicalDpiX()),
                                       himetricToPixels(extent.height(), viewport()->logicalDpiY())});
}

DendrogramView::LayoutKey DendrogramView::layoutKey() const
{
    const Document &d = *m_document;
    return {.fontName = d.settings().fontName,
            .fontSize = d.settings().fontSize,
            .numberOfGroups = d.settings().numberOfGroups,
            .colour1 = d.settings().colour1,
            .colour2 = d.settings().colour2,
            .width = d.drawingSize.cx,
            .scale = d.settings().showSimilarityScale,
            .dpiX = viewport()->logicalDpiX(),
            .dpiY = viewport()->logicalDpiY(),
            .scrollBarExtent = scrollBarExtent(),
            .windowFont = viewport()->font()};
}

const DendrogramGeometry *DendrogramView::screenGeometry() const
{
    return m_screenLayout ? &m_screenLayout->geometry : nullptr;
}

void DendrogramView::setScrollSizes()
{
    if (!m_document)
        return;
    // Long names in a large font run past the drawing's right edge; the user can still
    // scroll to them, while the drawing's own size stays as the user made it.
    m_scrollTotal = extentPixels();
    // A drawing that fits the view without scroll bars gets none, even while bars still on
    // view take up the room it would need.
    const QSize room = maximumViewportSize();
    const QSize page = room.expandedTo(m_scrollTotal) == room ? room : viewport()->size();
    setScrollRange(*horizontalScrollBar(), m_scrollTotal.width(), page.width());
    setScrollRange(*verticalScrollBar(), m_scrollTotal.height(), page.height());
}

void DendrogramView::coverBackgroundWithDrawing()
{
    // With a tree the drawing paints every pixel of the viewport, so erasing first would
    // only make it flicker; without one the viewport keeps its usual background.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, hasTree());
}

void DendrogramView::fitFrameToDrawing()
{
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!frame)
        return;
    // A window that opens maximised, as the area does while the active one is, fills the
    // area; the fitted size is the one it gets when the user restores it.
    if (frame->isMaximized()) {
        frame->showNormal();
        fitFrameToDrawing();
        frame->showMaximized();
        return;
    }
    // Until the frame is shown its layout may not have placed the view yet, and the size of
    // the frame's own decoration is only known once it has.
    if (frame->layout())
        frame->layout()->activate();
    const int border = 2 * frameWidth();
    // Sized to fit exactly, the view needs no scroll bars, so none is counted.
    QSize fitted = frame->size() - size() + extentPixels() + QSize(border, border);
    QMdiArea *area = frame->mdiArea();
    if (!area) {
        frame->resize(fitted);
        return;
    }
    // A drawing taller or wider than the document area scrolls inside a window that the
    // area holds whole, title bar and scroll bars included.
    const QSize room = area->viewport()->size();
    fitted = fitted.boundedTo(room);
    const QPoint corner(std::clamp(frame->x(), 0, room.width() - fitted.width()),
                        std::clamp(frame->y(), 0, room.height() - fitted.height()));
    frame->setGeometry(QRect(corner, fitted));
}

void DendrogramView::initialUpdate()
{
    if (!m_document)
        return;
    // Laid out before the window is ever painted, the drawing tells what the window shows
    // besides its stored size: its height on this screen, names that run past its edge and
    // the similarity scale below it.
    m_drawnExtent = hasTree() ? extentOnScreen(*m_document, referenceScreen())
                              : QSize(m_document->drawingSize.cx, m_document->drawingSize.cy);
    setScrollSizes();
    fitFrameToDrawing();
    documentUpdated(UpdateHint::Redraw);
}

void DendrogramView::documentUpdated(UpdateHint hint)
{
    m_screenLayout.reset();
    if (hint == UpdateHint::NewStudy)
        m_found.reset();
    if (!hasTree())
        return;
    coverBackgroundWithDrawing();
    viewport()->repaint();
    if (hint == UpdateHint::NewStudy)
        setScrollSizes();
}

QString DendrogramView::groupNameTip(QPoint viewportPoint) const
{
    const DendrogramGeometry *geometry = m_document ? screenGeometry() : nullptr;
    if (!geometry || geometry->groupNames.empty())
        return {};
    const QPoint pixel = viewportPoint + scrollPosition();
    const int x = pixelsToHimetric(pixel.x(), viewport()->logicalDpiX());
    const int y = -pixelsToHimetric(pixel.y(), viewport()->logicalDpiY());
    if (x < geometry->labelLeft + geometry->labelWidth || x >= geometry->groupNameRight + geometry->margin.width())
        return {};
    for (const BandLabel &label : geometry->groupNames) {
        const int top = geometry->rowsTop - label.firstRow * geometry->rowHeight;
        if (y <= top && y > top - geometry->rowHeight)
            return label.detail;
    }
    return {};
}

void DendrogramView::paintEvent(QPaintEvent *event)
{
    if (!m_document)
        return;
    QPainter painter(viewport());
    DrawingSurface surface(painter, false, scrollBarExtent(), -QPointF(scrollPosition()));
    const QSize client = viewport()->size();
    // Scrolled past the drawing's right edge to the names beyond it, or below its bottom edge
    // to the similarity scale, the bands must still reach the window's edges.
    const QPoint scrolled = client.isEmpty() ? QPoint() : scrollPosition();
    const QSize paintSize(surface.toHimetricX(client.width() + scrolled.x()),
                          surface.toHimetricY(client.height() + scrolled.y()));
    if (paintSize.width() != 0 && paintSize.height() != 0) {
        const LayoutKey key = layoutKey();
        if (!m_screenLayout || m_screenLayout->key != key) {
            m_screenLayout.reset();
            if (std::optional<DendrogramGeometry> laidOut = layOutDendrogram(*m_document, surface, paintSize))
                m_screenLayout = ScreenLayout{key, std::move(*laidOut)};
        }
        if (m_screenLayout) {
            const DendrogramGeometry &geometry = m_screenLayout->geometry;
            // Every drawing settles the height, whichever device drew last.
            m_document->drawingSize.cy = geometry.height;
            m_drawnExtent = geometry.extent;
            drawDendrogramPart(*m_document, geometry, surface, paintSize, event->rect());
            paintFound(surface, geometry);
            paintScaleInView(painter, geometry, paintSize.width());
        }
    }
    // A layout may just have set the drawing's height. The scroll bars follow it once painting
    // is over: changing them now could resize the viewport under the painter.
    if (extentPixels() != m_scrollTotal)
        QMetaObject::invokeMethod(this, [this] { setScrollSizes(); }, Qt::QueuedConnection);
}

void DendrogramView::paintFound(DrawingSurface &surface, const DendrogramGeometry &geometry)
{
    if (!m_found || size_t(*m_found) >= geometry.leafOrder.size())
        return;
    const int top = geometry.rowsTop - *m_found * geometry.rowHeight;
    const QRectF row(surface.toDevice({geometry.labelLeft - geometry.margin.width() / 2, top}),
                     surface.toDevice({geometry.extent.width(), top - geometry.rowHeight}));
    surface.painter().fillRect(row, foundColour);
}

double DendrogramView::scaleStripTop(const DendrogramGeometry &geometry) const
{
    // Under the rows where the window reaches that far, otherwise at the window's bottom.
    const double perUnit = viewport()->logicalDpiY() / himetricPerInch;
    const double underRows = geometry.height * perUnit - verticalScrollBar()->value();
    return std::min(underRows, viewport()->height() - geometry.scale->height * perUnit);
}

void DendrogramView::paintScaleInView(QPainter &painter, const DendrogramGeometry &geometry, int width)
{
    if (!geometry.scale)
        return;
    const double down = geometry.height * viewport()->logicalDpiY() / himetricPerInch;
    DrawingSurface surface(painter, false, scrollBarExtent(),
                           QPointF(-horizontalScrollBar()->value(), scaleStripTop(geometry) - down));
    drawSimilarityScale(geometry, surface, width);
}

bool DendrogramView::findNext(const QString &text)
{
    if (!hasTree())
        return false;
    const std::optional<int> row = findRow(m_document->study().itemNames, m_document->leafOrder(), text, m_found);
    if (!row)
        return false;
    m_found = row;
    if (!m_screenLayout)
        viewport()->repaint();
    if (const DendrogramGeometry *geometry = screenGeometry())
        scrollToRow(*geometry, *row);
    viewport()->update();
    return true;
}

void DendrogramView::scrollToRow(const DendrogramGeometry &geometry, int row)
{
    const double dpiY = viewport()->logicalDpiY();
    const double dpiX = viewport()->logicalDpiX();
    // The row in the middle of what the scale leaves of the window.
    const int centre = himetricToPixels(-geometry.firstRowCentre + double(row) * geometry.rowHeight, dpiY);
    const int strip = geometry.scale ? himetricToPixels(geometry.scale->height, dpiY) : 0;
    verticalScrollBar()->setValue(centre - (viewport()->height() - strip) / 2);
    const int nameLeft = himetricToPixels(geometry.labelLeft, dpiX);
    QScrollBar &across = *horizontalScrollBar();
    if (nameLeft < across.value() || nameLeft > across.value() + viewport()->width() * 3 / 4)
        across.setValue(nameLeft - viewport()->width() / 4);
}

void DendrogramView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    setScrollSizes();
}

bool DendrogramView::hitTestSeparator(QPoint viewportPoint) const
{
    const DendrogramGeometry *geometry = m_document ? screenGeometry() : nullptr;
    if (!geometry)
        return false;
    const HimetricRect &strip = geometry->separatorRect;
    const auto [left, right] = std::minmax({strip.left - hotZoneWidening, strip.right + hotZoneWidening});
    const auto [bottom, top] = std::minmax({strip.bottom, strip.top});
    const QPoint at = toDrawing(viewportPoint);
    return left <= at.x() && at.x() < right && bottom <= at.y() && at.y() < top;
}

QPoint DendrogramView::toDrawing(QPoint viewportPoint) const
{
    // The drawing lies at minus the scroll position, so its points move with it.
    const QPoint pixel = viewportPoint + scrollPosition();
    return {pixelsToHimetric(pixel.x(), viewport()->logicalDpiX()),
            -pixelsToHimetric(pixel.y(), viewport()->logicalDpiY())};
}

QString DendrogramView::joinTipText(QPoint viewportPoint) const
{
    const DendrogramGeometry *geometry = m_document ? screenGeometry() : nullptr;
    if (!geometry)
        return {};
    const QPoint at = toDrawing(viewportPoint);
    // The join whose line lies nearest across, among those whose rows hold the point; of
    // joins at the same place, the one of the fewest rows.
    const int reach = pixelsToHimetric(joinTipPixels, viewport()->logicalDpiX());
    std::optional<size_t> found;
    for (size_t j = 0; j < geometry->joins.size(); ++j) {
        const NodePlacement &join = geometry->joins[j];
        const int distance = std::abs(geometry->treeLeft + join.x - at.x());
        if (distance > reach || at.y() > geometry->rowsTop + join.top || at.y() < geometry->rowsTop + join.bottom)
            continue;
        if (found) {
            const NodePlacement &best = geometry->joins[*found];
            const int bestDistance = std::abs(geometry->treeLeft + best.x - at.x());
            if (distance > bestDistance
                || (distance == bestDistance && join.top - join.bottom >= best.top - best.bottom))
                continue;
        }
        found = j;
    }
    if (!found)
        return {};
    const double similarity = geometry->joins[*found].similarity;
    const double most = m_document->hasStudy()
        ? double(m_document->study().summary.maxScorePerItem()) * m_document->study().participantCount
        : 0.0;
    QStringList lines;
    const auto &support = m_document->treeSupport();
    if (support && support->joinSupport.size() == geometry->joins.size())
        lines << tr("Support: %1 % of %L2 replicates")
                     .arg(supportText(support->joinSupport[*found]))
                     .arg(support->replicates);
    lines << (most > 0 ? tr("Similarity: %1 %").arg(100.0 * similarity / most, 0, 'f', 1)
                       : tr("Similarity: %1").arg(similarity, 0, 'f', 6));
    return lines.join(u'\n');
}

QString DendrogramView::tipAt(QPoint viewportPoint)
{
    QString text = joinTipText(viewportPoint);
    return text.isEmpty() ? groupNameTip(viewportPoint) : text;
}

void DendrogramView::dragSeparator(int pixels)
{
    const qint64 width = qint64(m_document->drawingSize.cx) + pixelsToHimetric(pixels, viewport()->logicalDpiX());
    // Only the view of the drawing changes, not the study: the document stays unmodified.
    m_document->setDrawingWidth(
        qint32(std::clamp<qint64>(width, minimumDrawingWidth, std::numeric_limits<qint32>::max())));
}

void DendrogramView::mousePressEvent(QMouseEvent *event)
{
    if (!m_document || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    // Qt keeps sending the mouse to the view until the button is released, even outside it,
    // so a drag always ends here.
    const QPoint point = event->position().toPoint();
    if (hitTestSeparator(point)) {
        m_dragging = true;
        m_lastMousePoint = point;
    } else {
        m_pressPoint = point;
    }
}

void DendrogramView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_document) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (a popup took the mouse, say): nothing is being dragged.
        m_dragging = false;
        m_pressPoint.reset();
    } else if (m_dragging) {
        const int movement = point.x() - m_lastMousePoint.x();
        m_lastMousePoint = point;
        if (movement != 0)
            dragSeparator(movement);
    } else if (m_pressPoint && (point - *m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressPoint.reset();
        startPictureDrag();
    }
    if (m_dragging || hitTestSeparator(point))
        viewport()->setCursor(Qt::SizeHorCursor);
    else
        viewport()->unsetCursor();
}

void DendrogramView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_document || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    m_pressPoint.reset();
}

std::unique_ptr<QMimeData> DendrogramView::pictureData(const QString &description)
{
    const ReferenceScreen screen = referenceScreen();
    const QByteArray svg = svgPicture(*m_document, screen, description);
    auto data = pictureMimeData(svg, pictureImage(*m_document, screen, qRound(screen.dpi)));
    // The pictures settled the drawing's height on devices of their own; the next paint lays
    // the drawing out for the screen again and settles it for the screen.
    m_screenLayout.reset();
    viewport()->update();
    return data;
}

void DendrogramView::startPictureDrag()
{
    // Qt deletes the drag once it is over. A document without a tree offers an empty
    // picture; the result does not matter, not even a move.
    auto *drag = new QDrag(this);
    drag->setMimeData(pictureData(window()->windowTitle()).release());
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
}

bool DendrogramView::canCopy() const
{
    return hasTree();
}

void DendrogramView::copyToClipboard()
{
    if (!canCopy())
        return;
    offerOnClipboard(pictureData(QStringLiteral("Dendogram")));
}

bool DendrogramView::exportPicture(const QString &path, int pngDpi)
{
    if (!m_document)
        return false;
    const bool saved = savePicture(*m_document, path, m_platform, pngDpi);
    // The picture was laid out for its own device; the screen needs its own layout back.
    m_screenLayout.reset();
    viewport()->update();
    return saved;
}

bool DendrogramView::printTo(QPrinter &printer)
{
    if (!m_document)
        return false;
    const bool printed = printPagesOn(printer, tr("The dendrogram"), [this](QPainter &painter, const auto &newPage) {
        return printDendrogramPages(*m_document, painter, newPage, referenceScreen(), printScaling());
    });
    // The page was laid out for the printer; the screen needs its own layout back.
    m_screenLayout.reset();
    viewport()->update();
    return printed;
}

} // namespace sortana
