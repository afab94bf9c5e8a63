#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QSize>
#include <QString>

namespace sortana {

// The drawing's unit is 0.01 mm.
inline constexpr double himetricPerInch = 2540.0;
// Lines are a hairline of this many 0.01 mm on every device: about a pixel on a classic
// screen, and still a line that other programs draw when a picture is scaled or printed.
inline constexpr int hairlineWidth = 25;

// A colour as documents hold it, 0x00BBGGRR.
QColor toQColor(quint32 colour);

// Device pixels at the resolution given to 0.01 mm, and back; both rounded, signs kept.
int pixelsToHimetric(double pixels, double dpi);
int himetricToPixels(double himetric, double dpi);

// A paint device as the dendrogram sees it: positions in 0.01 mm with y growing upwards and
// the origin at the top-left corner of the drawing, a current font, pen and brush, and
// text measured on the device itself. Screen, printer, PDF, SVG and PNG all draw through it.
class DrawingSurface {
public:
    // `origin` is where the drawing's top-left corner lies on the device, in device pixels;
    // `scrollBarExtent` is a scroll bar's thickness in device pixels (the drawing's margins).
    DrawingSurface(QPainter &painter, bool printing, double scrollBarExtent, QPointF origin = {});

    QPainter &painter() { return m_painter; }
    bool isPrinting() const { return m_printing; }
    double scrollBarExtent() const { return m_scrollBarExtent; }
    double dpiX() const { return m_dpiX; }
    double dpiY() const { return m_dpiY; }

    // Device pixels to 0.01 mm, rounded.
    int toHimetricX(double pixels) const;
    int toHimetricY(double pixels) const;
    QPointF toDevice(QPoint point) const;
    // The drawing's position at a point of the device, in 0.01 mm: the inverse of toDevice.
    QPointF fromDevice(QPointF point) const;
    // A black hairline pen of the style given, as wide in 0.01 mm on this device as on any.
    QPen hairlinePen(Qt::PenStyle style) const;

    // Width and height of the text in the current font, in 0.01 mm.
    QSize textExtent(const QString &text) const;

    // Fills the area between x and x + w and between y and y + h, whatever their signs,
    // with the current brush.
    void fill(int x, int y, int w, int h);
    void moveTo(QPoint point) { m_position = point; }
    void lineTo(QPoint point);
    // The text with its top-left corner at the point.
    void textOut(QPoint topLeft, const QString &text);
    // The same, showing only what lies inside the rectangle from corner to corner.
    void textOutClipped(QPoint topLeft, QPoint clipCorner1, QPoint clipCorner2, const QString &text);

private:
    QPainter &m_painter;
    bool m_printing;
    double m_scrollBarExtent;
    QPointF m_origin;
    double m_dpiX;
    double m_dpiY;
    QPoint m_position;
};

} // namespace sortana
