#include "views/PlacementView.h"

#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/DocumentText.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "drawing/PrintedPages.h"
#include "platform/Platform.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>

namespace sortana {

PlacementView::PlacementView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent)
{
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

double PlacementView::dpi() const
{
    return viewport()->logicalDpiX();
}

QPoint PlacementView::toDrawing(QPoint viewportPoint) const
{
    const QPoint at = viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    return {pixelsToHimetric(at.x(), dpi()), pixelsToHimetric(at.y(), viewport()->logicalDpiY())};
}

QSize PlacementView::pixels(QSize himetric) const
{
    return {himetricToPixels(himetric.width(), dpi()), himetricToPixels(himetric.height(), viewport()->logicalDpiY())};
}

void PlacementView::setScrollSizes()
{
    const QSize total = pixels(m_geometry.size);
    setScrollRange(*horizontalScrollBar(), total.width(), viewport()->width());
    setScrollRange(*verticalScrollBar(), total.height(), viewport()->height());
}

void PlacementView::initialUpdate()
{
    documentUpdated(UpdateHint::NewStudy);
}

void PlacementView::documentUpdated(UpdateHint)
{
    // The standardisation, the font and the groups all change what is shown; recomputing the
    // categories of a large study takes a few milliseconds.
    m_table = m_document ? documentCategories(*m_document) : std::nullopt;
    m_geometry = m_table ? layoutPlacements(*m_document, *m_table, viewport()) : PlacementGeometry();
    setScrollSizes();
    viewport()->update();
}

bool PlacementView::findNext(const QString &text)
{
    if (m_geometry.isEmpty() || !m_document->hasStudy())
        return false;
    const std::optional<int> row = findRow(m_document->study().itemNames, m_geometry.order, text, m_lastFound);
    if (!row)
        return false;
    m_lastFound = row;
    const QSize at = pixels(QSize(0, m_geometry.grid.y() + *row * m_geometry.cellHeight));
    verticalScrollBar()->setValue(at.height() - viewport()->height() / 2);
    return true;
}

QString PlacementView::hoverText(QPoint viewportPoint) const
{
    if (m_geometry.isEmpty())
        return {};
    const auto [row, column] = placementCellAt(m_geometry, toDrawing(viewportPoint));
    if (row < 0)
        return {};
    return placementDescription(*m_document, *m_table, m_geometry.order[size_t(row)], column);
}

void PlacementView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (!m_document || !m_document->clusterRoot())
        return;
    if (!m_table) {
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromUtf16(sortsMissingMessage));
        return;
    }
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    DrawingSurface surface(painter, false, 0, -QPointF(scroll));
    const QPoint first = toDrawing(event->rect().topLeft());
    const QPoint last = toDrawing(event->rect().bottomRight() + QPoint(1, 1));
    drawPlacements(*m_document, *m_table, m_geometry, surface, QRect(first, last));
}

void PlacementView::resizeEvent(QResizeEvent *event)
{
    DocumentWindow::resizeEvent(event);
    setScrollSizes();
}

void PlacementView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && canCopy())
        m_pressPoint = event->position().toPoint();
    DocumentWindow::mousePressEvent(event);
}

void PlacementView::mouseMoveEvent(QMouseEvent *event)
{
    followMouse(*event, m_pressPoint, [this] { return pictureData(window()->windowTitle()); });
    DocumentWindow::mouseMoveEvent(event);
}

std::unique_ptr<QMimeData> PlacementView::pictureData(const QString &description) const
{
    const ReferenceScreen screen{double(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)), dpi()};
    return pictureMimeData(placementSvgPicture(*m_document, *m_table, screen, description),
                           placementPictureImage(*m_document, *m_table, screen, qRound(screen.dpi)));
}

bool PlacementView::canCopy() const
{
    return !m_geometry.isEmpty();
}

void PlacementView::copyToClipboard()
{
    if (canCopy())
        offerOnClipboard(pictureData(QStringLiteral("Placements")));
}

bool PlacementView::exportPicture(const QString &path, int pngDpi)
{
    return m_document && savePlacementPicture(*m_document, path, m_platform, pngDpi);
}

bool PlacementView::printTo(QPrinter &printer)
{
    if (!canCopy())
        return false;
    return printPagesOn(printer, tr("The placements"), [this](QPainter &painter, const auto &newPage) {
        return printPlacementPages(*m_document, *m_table, painter, newPage, printScaling());
    });
}

} // namespace sortana
