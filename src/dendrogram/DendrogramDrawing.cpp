#include "dendrogram/DendrogramDrawing.h"

#include "dendrogram/DendrogramLayout.h"
#include "dendrogram/DrawingSurface.h"
#include "import/PairMatrix.h"

#include <QGuiApplication>
#include <QPalette>

namespace sortana {

namespace {

void paintBackground(const DendrogramGeometry &layout, DrawingSurface &surface)
{
    QPainter &painter = surface.painter();
    const QPen treePen = painter.pen();
    const QBrush previousBrush = painter.brush();
    painter.setPen(surface.hairlinePen(Qt::DotLine));
    std::set<int> boundaries = layout.groupBoundaries;
    const QBrush bands[] = {QBrush(toQColor(layout.colour1)), QBrush(toQColor(layout.colour2))};
    const int pw = layout.paintSize.width();
    const int ph = layout.paintSize.height();
    const int my = layout.margin.height();

    painter.setBrush(bands[0]);
    surface.fill(0, 0, pw, -my);
    boundaries.insert(-layout.height);
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
    // On screen and in pictures the last band's colour goes on below the rows.
    if (!surface.isPrinting())
        surface.fill(0, my - layout.height, pw, -(ph + my - layout.height));

    painter.setBrush(QBrush(QGuiApplication::palette().color(QPalette::Dark)));
    const HimetricRect &strip = layout.separatorRect;
    surface.fill(strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
    painter.setPen(treePen);
    painter.setBrush(previousBrush);
}

void drawRows(const DendrogramGeometry &layout, const QStringList &names, bool useFit, DrawingSurface &surface)
{
    for (size_t k = 0; k < layout.leafOrder.size(); ++k) {
        const int y = layout.rowsTop - int(k) * layout.rowHeight;
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

void drawTree(const DendrogramGeometry &layout, DrawingSurface &surface)
{
    for (size_t k = 0; k < layout.pathPoints.size(); ++k) {
        if (layout.pathSteps[k] == PathStep::MoveTo)
            surface.moveTo(layout.pathPoints[k]);
        else
            surface.lineTo(layout.pathPoints[k]);
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

} // namespace

void Draw(CSortanaMdiDoc &document, DrawingSurface &surface, QSize requestedPaintSize)
{
    // More rows than any import can give could only come from a damaged file; they would not
    // fit the drawing's coordinates.
    if (!document.clusterRoot || !document.itemNames || document.itemNames->size() > PairMatrix::maxItems)
        return;
    if (requestedPaintSize.height() == 0)
        requestedPaintSize = {document.drawingSize.cx, document.drawingSize.cy};
    document.layout.reset();
    auto layout = std::make_unique<DendrogramLayout>(document, surface, requestedPaintSize);
    const DendrogramGeometry &geometry = layout->geometry();
    // The drawing's height follows from its rows on this surface.
    document.drawingSize = {geometry.width, geometry.height};
    paintBackground(geometry, surface);
    drawRows(geometry, *document.itemNames, document.summary && document.summary->useFit, surface);
    drawTree(geometry, surface);
    if (geometry.scale)
        drawScale(*geometry.scale, surface);
    layout->Restore();
    document.layout = std::move(layout);
}

} // namespace sortana
