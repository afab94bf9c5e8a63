#include "drawing/PlacementDrawing.h"

#include "analysis/Categories.h"
#include "analysis/GroupCut.h"
#include "document/Document.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"

#include <QFontMetricsF>
#include <QPaintDevice>

#include <algorithm>

namespace sortana {

namespace {

constexpr int drawingMargin = 300;
// Between the names and the cells, and around a count in its cell.
constexpr int textGap = 100;
// The legend's bar is this many rows of the document's font tall.
constexpr int legendRows = 6;
// Keeps the drawing within 32 bits whatever a damaged document holds.
constexpr qint64 maxSide = 1 << 30;
// Counts of up to this many digits fit a cell; longer ones are left to the tooltip.
const QString widestCount = QStringLiteral("888");
// A count on a cell this dark or darker is written in white.
constexpr double lightTextShare = 0.55;

QRectF deviceRect(const DrawingSurface &surface, const QRect &area)
{
    return QRectF(surface.toDevice({area.left(), -area.top()}),
                  surface.toDevice({area.left() + area.width(), -(area.top() + area.height())}))
        .normalized();
}

// First and one past the last of the cells from `from` to `to` along one axis.
std::pair<int, int> cellRange(int from, int to, int start, int cell, int count)
{
    const auto index = [&](qint64 position) { return int(std::clamp<qint64>((position - start) / cell, 0, count)); };
    return {index(from), std::min(count, index(qint64(to) + cell - 1))};
}

} // namespace

PlacementGeometry layoutPlacements(const Document &document, const CategoryTable &table, QPaintDevice *device)
{
    PlacementGeometry g;
    if (!document.hasStudy() || !document.clusterRoot() || table.categories.empty())
        return g;
    const qsizetype items =
        std::min<qsizetype>(document.study().itemNames.size(), qsizetype(table.placedAnywhere.size()));
    std::vector<int> order = document.leafOrder();
    // Only a damaged document can name an item the names do not hold.
    if (order.empty() || std::any_of(order.begin(), order.end(), [&](int item) { return item < 0 || item >= items; }))
        return g;
    g.font = documentFont(document);
    const QFontMetricsF metrics(g.font, device);
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();
    const int rowHeight = std::max(1, pixelsToHimetric(metrics.height(), dpiY));
    double widestCard = 0;
    for (const int item : order)
        widestCard = std::max(widestCard, metrics.horizontalAdvance((document.study().itemNames)[item]));
    double widestCategory = 0;
    for (const Category &category : table.categories)
        widestCategory = std::max(widestCategory, metrics.horizontalAdvance(category.name));
    const int legendLabelWidth = pixelsToHimetric(metrics.horizontalAdvance(QStringLiteral("100 %")), dpiX);

    g.columns = int(table.categories.size());
    g.margin = drawingMargin;
    g.cellHeight = rowHeight;
    g.cellWidth = std::max(rowHeight, pixelsToHimetric(metrics.horizontalAdvance(widestCount), dpiX) + textGap);
    g.rowNameWidth = pixelsToHimetric(widestCard, dpiX) + textGap;
    g.columnNameHeight = pixelsToHimetric(widestCategory, dpiX) + textGap;
    const qint64 across = qint64(g.columns) * g.cellWidth;
    const qint64 down = qint64(order.size()) * g.cellHeight;
    if (across > maxSide || down > maxSide)
        return {};
    g.order = std::move(order);
    g.groupStarts = document.figures().groupStarts(document.settings().numberOfGroups);
    g.grid = {drawingMargin + g.rowNameWidth, drawingMargin + g.columnNameHeight};
    g.legendBar = QRect(g.grid.x() + int(across) + drawingMargin, g.grid.y(), rowHeight, legendRows * rowHeight);
    g.size = {g.legendBar.right() + 1 + textGap + legendLabelWidth + drawingMargin,
              std::max(g.grid.y() + int(down), g.legendBar.bottom() + 1 + rowHeight / 2) + drawingMargin};
    return g;
}

void drawPlacements(const Document &document, const CategoryTable &table, const PlacementGeometry &g,
                    DrawingSurface &surface, QRect visible)
{
    if (g.isEmpty() || !document.hasStudy())
        return;
    const QRect area = visible & QRect(QPoint(0, 0), g.size);
    if (area.isEmpty())
        return;
    QPainter &painter = surface.painter();
    painter.save();
    painter.setClipRect(deviceRect(surface, area), Qt::IntersectClip);
    const auto fill = [&](const QRect &part, const QColor &colour) {
        if (part.intersects(area))
            painter.fillRect(deviceRect(surface, part), colour);
    };
    fill(area, Qt::white);
    const auto [r0, r1] = cellRange(area.top(), area.bottom() + 1, g.grid.y(), g.cellHeight, g.rows());
    const auto [c0, c1] = cellRange(area.left(), area.right() + 1, g.grid.x(), g.cellWidth, g.columns);

    // The groups' colours behind the cards' names, as the dendrogram's bands.
    const QColor bands[] = {toQColor(document.settings().colour1), toQColor(document.settings().colour2)};
    for (size_t group = 0; group < g.groupStarts.size(); ++group) {
        const int first = g.groupStarts[group];
        const int end = group + 1 < g.groupStarts.size() ? g.groupStarts[group + 1] : g.rows();
        fill(QRect(g.margin, g.grid.y() + first * g.cellHeight, g.rowNameWidth, (end - first) * g.cellHeight),
             bands[group % 2]);
    }

    painter.setFont(g.font);
    const QFontMetricsF metrics(g.font, painter.device());
    for (int r = r0; r < r1; ++r) {
        const int item = g.order[size_t(r)];
        for (int c = c0; c < c1; ++c) {
            const int count = table.categories[size_t(c)].placed(item);
            if (count == 0)
                continue;
            const double share = table.share(item, size_t(c));
            const QRect cell(g.grid.x() + c * g.cellWidth, g.grid.y() + r * g.cellHeight, g.cellWidth, g.cellHeight);
            fill(cell, shareColour(share));
            const QString text = QString::number(count);
            const QRectF onDevice = deviceRect(surface, cell);
            if (metrics.horizontalAdvance(text) > onDevice.width() || metrics.height() > onDevice.height() + 1)
                continue;
            painter.setPen(share >= lightTextShare ? Qt::white : Qt::black);
            painter.drawText(onDevice, Qt::AlignCenter, text);
        }
    }
    painter.save();
    painter.setPen(surface.hairlinePen(Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(deviceRect(surface, g.gridRect()));
    painter.restore();

    painter.setPen(Qt::black);
    const QStringList &names = document.study().itemNames;
    if (area.left() < g.grid.x()) {
        for (int r = r0; r < r1; ++r) {
            const QString &name = names[g.order[size_t(r)]];
            const int width = surface.toHimetricX(metrics.horizontalAdvance(name));
            surface.textOut({g.grid.x() - textGap / 2 - width, -(g.grid.y() + r * g.cellHeight)}, name);
        }
    }
    if (area.top() < g.grid.y()) {
        for (int c = c0; c < c1; ++c) {
            // Read from the bottom up, each name starting at the cells, in the middle of its column.
            const int middle = g.grid.x() + c * g.cellWidth + (g.cellWidth - surface.toHimetricX(metrics.height())) / 2;
            painter.save();
            painter.translate(surface.toDevice({middle, -(g.grid.y() - textGap / 2)}));
            painter.rotate(-90);
            painter.drawText(QPointF(0, metrics.ascent()), table.categories[size_t(c)].name);
            painter.restore();
        }
    }

    const QRect &bar = g.legendBar;
    if (area.intersects(QRect(bar.left(), 0, g.size.width() - bar.left(), g.size.height()))) {
        drawShareScale(surface, bar);
        painter.save();
        painter.setPen(surface.hairlinePen(Qt::SolidLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(deviceRect(surface, bar));
        painter.restore();
        drawShareLabels(surface, bar, g.font);
    }
    painter.restore();
}

std::pair<int, int> placementCellAt(const PlacementGeometry &geometry, QPoint point)
{
    const QRect grid = geometry.gridRect();
    if (geometry.isEmpty() || !grid.contains(point))
        return {-1, -1};
    return {(point.y() - grid.top()) / geometry.cellHeight, (point.x() - grid.left()) / geometry.cellWidth};
}

QString placementDescription(const Document &document, const CategoryTable &table, int item, int category)
{
    if (!document.hasStudy() || item < 0 || item >= document.study().itemNames.size() || category < 0
        || size_t(category) >= table.categories.size() || size_t(item) >= table.placedAnywhere.size())
        return {};
    const int placed = table.categories[size_t(category)].placed(item);
    const int sorted = table.placedAnywhere[size_t(item)];
    return QStringLiteral("%1\n%2\nPlaced there by %3 of %4 participants (%5 %)")
        .arg((document.study().itemNames)[item], table.categories[size_t(category)].name)
        .arg(placed)
        .arg(sorted)
        .arg(QString::number(table.share(item, size_t(category)) * 100, 'f', 0));
}

} // namespace sortana
