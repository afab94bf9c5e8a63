#include "drawing/DendrogramDrawing.h"

#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "study/PairMatrix.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sortana {

namespace {

// Of a drawing, what a paint must cover, in 0.01 mm with y upwards: all of it unless a window
// says which part is exposed.
struct Reach {
    int left = std::numeric_limits<int>::min();
    int top = std::numeric_limits<int>::max();
    int right = std::numeric_limits<int>::max();
    int bottom = std::numeric_limits<int>::min();

    // Whether anything of the box with these corners lies within.
    bool touches(QPoint a, QPoint b) const
    {
        return std::max(a.x(), b.x()) >= left && std::min(a.x(), b.x()) <= right && std::max(a.y(), b.y()) >= bottom
            && std::min(a.y(), b.y()) <= top;
    }
};

// The exposed part of a window widened by a few pixels, for the lines' width, and by a row
// on either side, for glyphs that reach past their row.
Reach reachOf(const DendrogramGeometry &layout, const DrawingSurface &surface, const QRectF &exposed)
{
    constexpr double linePixels = 2;
    const QPointF topLeft = surface.fromDevice(exposed.topLeft() - QPointF(linePixels, linePixels));
    const QPointF bottomRight = surface.fromDevice(exposed.bottomRight() + QPointF(linePixels, linePixels));
    const auto clamped = [](double value) {
        return int(std::clamp(value, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
    };
    return {clamped(std::floor(topLeft.x())), clamped(std::ceil(topLeft.y()) + double(layout.rowHeight)),
            clamped(std::ceil(bottomRight.x())), clamped(std::floor(bottomRight.y()) - double(layout.rowHeight))};
}

void paintBackground(const DendrogramGeometry &layout, QSize paintSize, DrawingSurface &surface)
{
    QPainter &painter = surface.painter();
    const QPen treePen = painter.pen();
    const QBrush previousBrush = painter.brush();
    painter.setPen(surface.hairlinePen(Qt::DotLine));
    std::set<int> boundaries = layout.groupBoundaries;
    const QBrush bands[] = {QBrush(toQColor(layout.colour1)), QBrush(toQColor(layout.colour2))};
    const int pw = paintSize.width();
    const int ph = paintSize.height();
    const int my = layout.margin.height();

    painter.setBrush(bands[0]);
    surface.fill(0, 0, pw, -my);
    // The last band reaches a margin past the drawing's bottom edge, except where the scale
    // stands there: the scale reads on a plain background.
    boundaries.insert(layout.scale ? my - layout.height : -layout.height);
    int previous = 0;
    int band = 0;
    for (auto boundary = boundaries.rbegin(); boundary != boundaries.rend(); ++boundary) {
        painter.setBrush(bands[band]);
        band = 1 - band;
        surface.fill(0, -my + previous, pw, *boundary - previous);
        if (previous != 0) {
            surface.moveTo({0, -my + previous});
            surface.lineTo({pw, -my + previous});
        }
        previous = *boundary;
    }
    // On screen and in pictures the last band's colour goes on below the rows, or with the
    // scale the plain background does, below the drawing.
    if (!surface.isPrinting() && layout.scale) {
        painter.setBrush(plainBackground);
        surface.fill(0, -layout.height, pw, -(ph - layout.height));
    } else if (!surface.isPrinting()) {
        surface.fill(0, my - layout.height, pw, -(ph + my - layout.height));
    }

    painter.setBrush(QBrush(QGuiApplication::palette().color(QPalette::Dark)));
    const HimetricRect &strip = layout.separatorRect;
    surface.fill(strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
    painter.setPen(treePen);
    painter.setBrush(previousBrush);
}

void drawRows(const DendrogramGeometry &layout, const QStringList &names, bool useFit, DrawingSurface &surface,
              const Reach &reach)
{
    for (size_t k = 0; k < layout.leafOrder.size(); ++k) {
        const int y = layout.rowsTop - int(k) * layout.rowHeight;
        if (!reach.touches({reach.left, y}, {reach.left, y - layout.rowHeight}))
            continue;
        if (useFit) {
            const QPoint corner(layout.fitBarLeft, y);
            surface.textOutClipped(corner, corner, {layout.fitBarLeft + layout.fitBarWidths[k], y - layout.rowHeight},
                                   FitBarText);
        }
        // Only a damaged document file can name an item beyond the names: its row stays blank.
        const int item = layout.leafOrder[k];
        if (item >= 0 && item < names.size())
            surface.textOut({layout.labelLeft, y}, names[item]);
    }
}

void drawGroupNames(const DendrogramGeometry &layout, DrawingSurface &surface, const Reach &reach)
{
    for (const BandLabel &label : layout.groupNames) {
        const int y = layout.rowsTop - label.firstRow * layout.rowHeight;
        if (reach.touches({reach.left, y}, {reach.left, y - layout.rowHeight}))
            drawBandLabel(layout, surface, label.firstRow, layout.groupNameRight, label.text);
    }
}

void drawTree(const DendrogramGeometry &layout, DrawingSurface &surface, const Reach &reach)
{
    QPoint position;
    for (size_t k = 0; k < layout.pathPoints.size(); ++k) {
        const QPoint point = layout.pathPoints[k];
        if (layout.pathSteps[k] == PathStep::LineTo && reach.touches(position, point)) {
            surface.moveTo(position);
            surface.lineTo(point);
        }
        position = point;
    }
}

void drawScale(const SimilarityScale &scale, DrawingSurface &surface)
{
    surface.moveTo({scale.tickX.front(), scale.axisY});
    surface.lineTo({scale.tickX.back(), scale.axisY});
    for (size_t k = 0; k < scale.tickX.size(); ++k) {
        surface.moveTo({scale.tickX[k], scale.axisY});
        surface.lineTo({scale.tickX[k], scale.tickBottom[k]});
    }
    for (const ScaleLabel &label : scale.labels)
        surface.textOut(label.topLeft, label.text);
}

// The join support and the band stability, in their smaller font, where the reach takes
// them in.
void drawSupport(const DendrogramGeometry &layout, DrawingSurface &surface, const Reach &reach)
{
    if (layout.joinSupport.empty())
        return;
    QPainter &painter = surface.painter();
    const QFont previous = painter.font();
    painter.setFont(layout.supportFont);
    for (const std::vector<PlacedText> *texts : {&layout.joinSupport, &layout.bandStability}) {
        for (const PlacedText &text : *texts) {
            const QPoint bottomRight = text.topLeft + QPoint(text.size.width(), -text.size.height());
            if (reach.touches(text.topLeft, bottomRight))
                surface.textOut(text.topLeft, text.text);
        }
    }
    painter.setFont(previous);
}

enum class Scale { Drawn, LeftOut };

void paint(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface, QSize paintSize,
           const Reach &reach, Scale scale)
{
    paintBackground(geometry, paintSize, surface);
    drawRows(geometry, document.study().itemNames, document.study().summary.useFit, surface, reach);
    drawGroupNames(geometry, surface, reach);
    drawTree(geometry, surface, reach);
    drawSupport(geometry, surface, reach);
    // A few lines and labels: left to the clip.
    if (geometry.scale && scale == Scale::Drawn)
        drawScale(*geometry.scale, surface);
}

// Paints with the layout as Draw would, what the reach takes in, without the scale.
void paintPart(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface,
               QSize requestedPaintSize, const Reach &reach)
{
    // What the layout puts on the surface while Draw paints.
    QPainter &painter = surface.painter();
    painter.save();
    painter.setFont(geometry.labelFont);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(surface.hairlinePen(Qt::SolidLine));
    paint(document, geometry, surface, paintArea(document, requestedPaintSize), reach, Scale::LeftOut);
    painter.restore();
}

bool hasDrawing(const Document &document)
{
    // More rows than any import can give could only come from a damaged file; they would not
    // fit the drawing's coordinates.
    return document.hasStudy() && document.clusterRoot() && document.study().itemNames.size() <= PairMatrix::maxItems;
}

std::unique_ptr<DendrogramLayout> layOut(const Document &document, DrawingSurface &surface, QSize requestedPaintSize)
{
    if (requestedPaintSize.height() == 0)
        requestedPaintSize = {document.drawingSize.cx, document.drawingSize.cy};
    auto layout = std::make_unique<DendrogramLayout>(document, surface, requestedPaintSize);
    const DendrogramGeometry &geometry = layout->geometry();
    // The drawing's height follows from its rows on this surface.
    document.drawingSize = {geometry.width, geometry.height};
    return layout;
}

} // namespace

QSize Draw(const Document &document, DrawingSurface &surface, QSize requestedPaintSize)
{
    if (!hasDrawing(document))
        return {document.drawingSize.cx, document.drawingSize.cy};
    auto layout = layOut(document, surface, requestedPaintSize);
    paint(document, layout->geometry(), surface, layout->geometry().paintSize, Reach{}, Scale::Drawn);
    return layout->geometry().extent;
}

std::optional<DendrogramGeometry> layOutDendrogram(const Document &document, DrawingSurface &surface,
                                                   QSize requestedPaintSize)
{
    if (!hasDrawing(document))
        return std::nullopt;
    return layOut(document, surface, requestedPaintSize)->geometry();
}

void drawDendrogramPart(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface,
                        QSize requestedPaintSize, QRectF exposed)
{
    if (hasDrawing(document))
        paintPart(document, geometry, surface, requestedPaintSize, reachOf(geometry, surface, exposed));
}

void drawDendrogramRows(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface,
                        QSize requestedPaintSize, int firstRow, int rows)
{
    if (!hasDrawing(document))
        return;
    // Exactly the rows' band: a row that only borders it is left out.
    Reach reach;
    reach.top = geometry.rowsTop - firstRow * geometry.rowHeight - 1;
    reach.bottom = geometry.rowsTop - (firstRow + rows) * geometry.rowHeight + 1;
    paintPart(document, geometry, surface, requestedPaintSize, reach);
}

void drawBandLabel(const DendrogramGeometry &geometry, DrawingSurface &surface, int firstRow, int right,
                   const QString &text)
{
    const int y = geometry.rowsTop - firstRow * geometry.rowHeight;
    surface.textOut({right - surface.textExtent(text).width(), y}, text);
}

void drawSimilarityScale(const DendrogramGeometry &geometry, DrawingSurface &surface, int width)
{
    if (!geometry.scale)
        return;
    QPainter &painter = surface.painter();
    painter.save();
    painter.setFont(geometry.labelFont);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBrush(plainBackground);
    surface.fill(0, geometry.scale->axisY, width, -geometry.scale->height);
    painter.setPen(surface.hairlinePen(Qt::SolidLine));
    drawScale(*geometry.scale, surface);
    painter.restore();
}

} // namespace sortana
