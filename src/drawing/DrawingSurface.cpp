#include "drawing/DrawingSurface.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sortana {

namespace {

// Rounded, and held within 32 bits: a name of millions of characters measures past them.
int roundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::lround(std::clamp(value, double(std::numeric_limits<int>::min()),
                                                   double(std::numeric_limits<int>::max()))));
}

} // namespace

QColor toQColor(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

int pixelsToHimetric(double pixels, double dpi)
{
    return roundToInt(pixels * himetricPerInch / dpi);
}

int himetricToPixels(double himetric, double dpi)
{
    return roundToInt(himetric * dpi / himetricPerInch);
}

DrawingSurface::DrawingSurface(QPainter &painter, bool printing, double scrollBarExtent, QPointF origin)
    : m_painter(painter), m_printing(printing), m_scrollBarExtent(scrollBarExtent), m_origin(origin),
      m_dpiX(painter.device()->logicalDpiX()), m_dpiY(painter.device()->logicalDpiY())
{
}

int DrawingSurface::toHimetricX(double pixels) const
{
    return pixelsToHimetric(pixels, m_dpiX);
}

int DrawingSurface::toHimetricY(double pixels) const
{
    return pixelsToHimetric(pixels, m_dpiY);
}

QPointF DrawingSurface::toDevice(QPoint point) const
{
    return {m_origin.x() + point.x() * m_dpiX / himetricPerInch, m_origin.y() - point.y() * m_dpiY / himetricPerInch};
}

QPointF DrawingSurface::fromDevice(QPointF point) const
{
    return {(point.x() - m_origin.x()) * himetricPerInch / m_dpiX,
            (m_origin.y() - point.y()) * himetricPerInch / m_dpiY};
}

QPen DrawingSurface::hairlinePen(Qt::PenStyle style) const
{
    // A width of 0 would be one device pixel: on a picture's fine grid that is a line too
    // thin to see, and renderers that ignore non-scaling strokes draw nothing at all.
    QPen pen(Qt::black, hairlineWidth * m_dpiX / himetricPerInch, style);
    pen.setCosmetic(false);
    return pen;
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
    const QRectF clip = QRectF(toDevice(clipCorner1), toDevice(clipCorner2)).normalized();
    // Qt's SVG generator writes no clip paths, so there the glyphs' outlines are cut instead.
    if (m_painter.paintEngine()->type() == QPaintEngine::SVG) {
        const QFont font(m_painter.font(), m_painter.device());
        const QPointF corner = toDevice(topLeft);
        QPainterPath glyphs;
        glyphs.addText(QPointF(corner.x(), corner.y() + QFontMetricsF(font).ascent()), font, text);
        QPainterPath area;
        area.addRect(clip);
        m_painter.fillPath(glyphs.intersected(area), m_painter.pen().color());
        return;
    }
    m_painter.save();
    m_painter.setClipRect(clip, Qt::IntersectClip);
    textOut(topLeft, text);
    m_painter.restore();
}

} // namespace sortana
