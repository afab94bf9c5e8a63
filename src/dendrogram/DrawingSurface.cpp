#include "dendrogram/DrawingSurface.h"

#include <QFontMetricsF>
#include <QPaintDevice>

#include <cmath>

namespace sortana {

DrawingSurface::DrawingSurface(QPainter &painter, bool printing, int scrollBarExtent, QPointF origin)
    : m_painter(painter), m_printing(printing), m_scrollBarExtent(scrollBarExtent), m_origin(origin),
      m_dpiX(painter.device()->logicalDpiX()), m_dpiY(painter.device()->logicalDpiY())
{
}

int DrawingSurface::toHimetricX(double pixels) const
{
    return static_cast<int>(std::lround(pixels * himetricPerInch / m_dpiX));
}

int DrawingSurface::toHimetricY(double pixels) const
{
    return static_cast<int>(std::lround(pixels * himetricPerInch / m_dpiY));
}

QPointF DrawingSurface::toDevice(QPoint point) const
{
    return {m_origin.x() + point.x() * m_dpiX / himetricPerInch, m_origin.y() - point.y() * m_dpiY / himetricPerInch};
}

QSize DrawingSurface::textExtent(const QString &text) const
{
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    return {toHimetricX(metrics.horizontalAdvance(text)), toHimetricY(metrics.height())};
}

void DrawingSurface::fill(int x, int y, int w, int h)
{
    const QRectF area = QRectF(toDevice({x, y}), toDevice({x + w, y + h})).normalized();
    m_painter.fillRect(area, m_painter.brush());
}

void DrawingSurface::lineTo(QPoint point)
{
    m_painter.drawLine(toDevice(m_position), toDevice(point));
    m_position = point;
}

void DrawingSurface::textOut(QPoint topLeft, const QString &text)
{
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    const QPointF corner = toDevice(topLeft);
    m_painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), text);
}

void DrawingSurface::textOutClipped(QPoint topLeft, QPoint clipCorner1, QPoint clipCorner2, const QString &text)
{
    m_painter.save();
    m_painter.setClipRect(QRectF(toDevice(clipCorner1), toDevice(clipCorner2)).normalized(), Qt::IntersectClip);
    textOut(topLeft, text);
    m_painter.restore();
}

} // namespace sortana
