#include "views/MatrixView.h"

#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "drawing/PrintedPages.h"
#include "document/Document.h"
#include "document/DocumentText.h"
#include "platform/Platform.h"

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
#include <cmath>

namespace sortana {

namespace {

constexpr double minZoom = 0.01;
constexpr double maxZoom = 16.0;
constexpr double wheelZoomStep = 1.25;
// Names in cells lower than this cannot be read: they are not kept at the window's edges,
// which would only slow the frames down.
constexpr int legibleCellPixels = 6;

} // namespace

MatrixView::MatrixView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent)
{
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

bool MatrixView::hasMatrix() const
{
    return m_document && m_document->clusterRoot() && m_document->study().similarity;
}

double MatrixView::dpi() const
{
    return viewport()->logicalDpiX();
}

const MatrixGeometry &MatrixView::geometry()
{
    if (!m_geometry)
        m_geometry = m_document ? layoutMatrix(*m_document, viewport()) : MatrixGeometry();
    return *m_geometry;
}

QPoint MatrixView::toDrawing(QPoint viewportPoint) const
{
    const QPointF pixel = QPointF(viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()))
                        / m_zoom;
    return {pixelsToHimetric(pixel.x(), dpi()), pixelsToHimetric(pixel.y(), dpi())};
}

QSize MatrixView::scaledPixels(QSize himetric) const
{
    return {int(std::ceil(himetric.width() * dpi() / himetricPerInch * m_zoom)),
            int(std::ceil(himetric.height() * dpi() / himetricPerInch * m_zoom))};
}

void MatrixView::setScrollSizes()
{
    if (!m_document)
        return;
    const QSize total = scaledPixels(geometry().size);
    const QSize room = maximumViewportSize();
    const QSize page = room.expandedTo(total) == room ? room : viewport()->size();
    setScrollRange(*horizontalScrollBar(), total.width(), page.width());
    setScrollRange(*verticalScrollBar(), total.height(), page.height());
}

void MatrixView::fitFrame()
{
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!frame || frame->isMaximized() || geometry().isEmpty())
        return;
    if (frame->layout())
        frame->layout()->activate();
    const int border = 2 * frameWidth();
    QSize fitted = frame->size() - size() + scaledPixels(geometry().size) + QSize(border, border);
    if (QMdiArea *area = frame->mdiArea())
        fitted = fitted.boundedTo(area->viewport()->size());
    frame->resize(fitted);
}

void MatrixView::initialUpdate()
{
    if (!m_document)
        return;
    setScrollSizes();
    fitFrame();
    documentUpdated(UpdateHint::Redraw);
}

void MatrixView::documentUpdated(UpdateHint hint)
{
    // The font and the groups change the layout; a new study changes everything.
    m_geometry.reset();
    m_tiles.clear();
    m_pinnedGlyphs.clear();
    if (hint == UpdateHint::NewStudy)
        m_highlight.reset();
    setScrollSizes();
    viewport()->update();
}

void MatrixView::setZoom(double zoom)
{
    if (!std::isfinite(zoom))
        return;
    const QPoint centre = viewport()->rect().center();
    const QPoint anchor = toDrawing(centre);
    m_zoom = std::clamp(zoom, minZoom, maxZoom);
    setScrollSizes();
    // The point that was in the middle stays there.
    const QSize at = scaledPixels(QSize(anchor.x(), anchor.y()));
    horizontalScrollBar()->setValue(at.width() - centre.x());
    verticalScrollBar()->setValue(at.height() - centre.y());
    viewport()->update();
}

void MatrixView::fitToWindow()
{
    const QSize size = geometry().size;
    if (size.isEmpty())
        return;
    const QSize room = maximumViewportSize();
    const double across = size.width() * dpi() / himetricPerInch;
    const double down = size.height() * dpi() / himetricPerInch;
    // Rounding up the drawing's pixels must not bring the scroll bars back.
    setZoom(std::min((room.width() - 1) / across, (room.height() - 1) / down));
}

bool MatrixView::findNext(const QString &text)
{
    if (!hasMatrix())
        return false;
    const MatrixGeometry &laidOut = geometry();
    const std::optional<int> row = findRow(m_document->study().itemNames, laidOut.order, text, m_highlight);
    if (!row)
        return false;
    // The found card's row and column are highlighted as a clicked name's are, with its cell
    // on the diagonal in the middle of the window.
    m_highlight = row;
    const int middle = *row * laidOut.cell + laidOut.cell / 2;
    const QSize at = scaledPixels(QSize(laidOut.grid.x() + middle, laidOut.grid.y() + middle));
    horizontalScrollBar()->setValue(at.width() - viewport()->width() / 2);
    verticalScrollBar()->setValue(at.height() - viewport()->height() / 2);
    viewport()->update();
    return true;
}

MatrixHit MatrixView::hitAt(QPoint viewportPoint)
{
    const MatrixGeometry &laidOut = geometry();
    QPoint point = toDrawing(viewportPoint);
    // A pinned name is hit where it is shown.
    const QSize pinned = pinnedNames();
    const QPoint unscrolled =
        toDrawing(viewportPoint - pinnedShift() - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    if (viewportPoint.x() < pinned.width())
        point.setX(unscrolled.x());
    if (viewportPoint.y() < pinned.height())
        point.setY(unscrolled.y());
    return matrixHitAt(laidOut, point);
}

QString MatrixView::hoverText(QPoint viewportPoint)
{
    const MatrixHit hit = hitAt(viewportPoint);
    if (hit.part != MatrixHit::Part::Cell)
        return {};
    const std::vector<int> &order = geometry().order;
    return pairDescription(*m_document, order[size_t(hit.row)], order[size_t(hit.column)]);
}

QString MatrixView::tipAt(QPoint viewportPoint)
{
    return hasMatrix() ? hoverText(viewportPoint) : QString();
}

void MatrixView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (!m_document || !m_document->clusterRoot())
        return;
    if (!m_document->study().similarity) {
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         noMatrixMessage);
        return;
    }
    const MatrixTiles::View shown{.zoom = m_zoom,
                                  .highlightedRow = m_highlight,
                                  .dpiX = viewport()->logicalDpiX(),
                                  .dpiY = viewport()->logicalDpiY(),
                                  .devicePixelRatio = viewport()->devicePixelRatioF(),
                                  .background = palette().color(QPalette::Dark)};
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_tiles.paint(painter, *m_document, geometry(), shown, scroll, event->rect());
    paintPinnedNames(painter);
}

QSize MatrixView::pinnedNames() const
{
    // Where the names stand in the window while they would scroll out of it: none is pinned
    // while it is still in its own place or too small to read, and a strip takes at most a
    // third of the window, showing the ends of the names, next to the cells.
    if (!m_geometry || m_geometry->nameWidth == 0 || scaledPixels({0, m_geometry->cell}).height() < legibleCellPixels)
        return {};
    const QSize strips = scaledPixels(QSize(m_geometry->grid.x(), m_geometry->grid.y()));
    return {horizontalScrollBar()->value() > 0 ? std::min(strips.width(), viewport()->width() / 3) : 0,
            verticalScrollBar()->value() > 0 ? std::min(strips.height(), viewport()->height() / 3) : 0};
}

QPoint MatrixView::pinnedShift() const
{
    const QSize strips = scaledPixels(QSize(m_geometry->grid.x(), m_geometry->grid.y()));
    const QSize pinned = pinnedNames();
    return {pinned.width() - strips.width(), pinned.height() - strips.height()};
}

void MatrixView::paintPinnedNames(QPainter &painter)
{
    const MatrixGeometry &g = geometry();
    const QSize pinned = pinnedNames();
    if (pinned.width() == 0 && pinned.height() == 0)
        return;
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QPoint shift = pinnedShift();
    const QPoint first = toDrawing({0, 0});
    const QPoint last = toDrawing({viewport()->width(), viewport()->height()});
    const QPoint firstPinned = toDrawing(-shift - scroll);
    const int gridSide = g.rows() * g.cell;
    // A strip of the drawing shown at the window's edge, scrolled the other way as the cells are.
    const auto strip = [&](QRect part, QPointF origin, QSize shown) {
        painter.save();
        painter.setClipRect(QRect(QPoint(0, 0), shown), Qt::IntersectClip);
        painter.scale(m_zoom, m_zoom);
        DrawingSurface surface(painter, false, 0, origin / m_zoom);
        drawMatrix(*m_document, g, surface, part, m_highlight, &m_pinnedGlyphs);
        painter.restore();
    };
    if (pinned.width() > 0)
        strip(QRect(QPoint(firstPinned.x(), first.y()), QPoint(g.grid.x(), std::min(last.y(), g.grid.y() + gridSide))),
              QPointF(shift.x(), -scroll.y()), QSize(pinned.width(), viewport()->height()));
    if (pinned.height() > 0)
        strip(QRect(QPoint(first.x(), firstPinned.y()), QPoint(std::min(last.x(), g.grid.x() + gridSide), g.grid.y())),
              QPointF(-scroll.x(), shift.y()), QSize(viewport()->width(), pinned.height()));
    if (pinned.width() > 0 && pinned.height() > 0)
        painter.fillRect(QRect(QPoint(0, 0), pinned), Qt::white);
}

void MatrixView::resizeEvent(QResizeEvent *event)
{
    DocumentWindow::resizeEvent(event);
    setScrollSizes();
}

void MatrixView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        DocumentWindow::wheelEvent(event);
        return;
    }
    setZoom(m_zoom * std::pow(wheelZoomStep, event->angleDelta().y() / 120.0));
    event->accept();
}

void MatrixView::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_0:
            fitToWindow();
            return;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            setZoom(m_zoom * wheelZoomStep);
            return;
        case Qt::Key_Minus:
            setZoom(m_zoom / wheelZoomStep);
            return;
        default:
            break;
        }
    }
    DocumentWindow::keyPressEvent(event);
}

void MatrixView::mousePressEvent(QMouseEvent *event)
{
    if (!hasMatrix() || event->button() != Qt::LeftButton) {
        DocumentWindow::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    const MatrixHit hit = hitAt(point);
    if (hit.part == MatrixHit::Part::RowName || hit.part == MatrixHit::Part::ColumnName) {
        const int index = hit.part == MatrixHit::Part::RowName ? hit.row : hit.column;
        if (m_highlight == index)
            m_highlight.reset();
        else
            m_highlight = index;
        viewport()->update();
        return;
    }
    m_pressPoint = point;
}

void MatrixView::mouseMoveEvent(QMouseEvent *event)
{
    followMouse(*event, m_pressPoint, [this] { return pictureData(window()->windowTitle()); });
    DocumentWindow::mouseMoveEvent(event);
}

void MatrixView::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressPoint.reset();
    DocumentWindow::mouseReleaseEvent(event);
}

std::unique_ptr<QMimeData> MatrixView::pictureData(const QString &description)
{
    const ReferenceScreen screen{double(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)), dpi()};
    return pictureMimeData(matrixSvgPicture(*m_document, screen, description),
                           matrixPictureImage(*m_document, screen, qRound(screen.dpi)));
}

bool MatrixView::canCopy() const
{
    return hasMatrix();
}

void MatrixView::copyToClipboard()
{
    if (!canCopy())
        return;
    offerOnClipboard(pictureData(QStringLiteral("Similarity Matrix")));
}

bool MatrixView::exportPicture(const QString &path, int pngDpi)
{
    return m_document && saveMatrixPicture(*m_document, path, m_platform, pngDpi);
}

bool MatrixView::printTo(QPrinter &printer)
{
    if (!hasMatrix())
        return false;
    return printPagesOn(printer, tr("The similarity matrix"), [this](QPainter &painter, const auto &newPage) {
        return printMatrixPages(*m_document, painter, newPage, printScaling());
    });
}

} // namespace sortana
