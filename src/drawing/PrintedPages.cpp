#include "drawing/PrintedPages.h"

#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/PictureExport.h"
#include "drawing/PlacementDrawing.h"
#include "document/Document.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sortana {

namespace {

constexpr int footerPointSize = 9;

// A printer's dots are far finer than the screen's pixels: margins of as many dots would all
// but vanish and crowd the tree, the fit bars and the names together.
double printMargin(const ReferenceScreen &screen, const QPaintDevice &device)
{
    return screen.scrollBarExtent * device.logicalDpiY() / screen.dpi;
}

// The printable area below which the footer stands, in 0.01 mm.
QSize pageBody(const DrawingSurface &surface, const QPaintDevice &device)
{
    return {surface.toHimetricX(device.width()), surface.toHimetricY(device.height()) - pageFooterHeight};
}

PagedDrawing pagedDendrogram(const DendrogramGeometry &geometry)
{
    PagedDrawing drawing;
    drawing.rows = int(geometry.leafOrder.size());
    drawing.rowHeight = geometry.rowHeight;
    drawing.columns = 1;
    drawing.columnWidth = geometry.extent.width();
    drawing.above = geometry.margin.height();
    drawing.below = geometry.extent.height() - drawing.above - drawing.rows * drawing.rowHeight;
    return drawing;
}

// The rows of a one-column plan made for whole pages, moved to start below `start.top` on the
// first page, at the plan's scale.
PagePlan startedAt(PagePlan plan, const PagedDrawing &drawing, QSize body, PageStart start)
{
    const int rows = drawing.rows;
    if ((start.top <= 0 && !start.evenRows) || rows <= 0 || drawing.rowHeight <= 0 || plan.pages.empty())
        return plan;
    const int perPage = std::max(plan.pages.front().rows, 1);
    int first = std::min(perPage, rows);
    if (start.top > 0) {
        const double room = (body.height() - start.top) / plan.scale - drawing.above - drawing.below;
        first = int(std::clamp(std::floor(room / drawing.rowHeight + 1e-9), 1.0, double(rows)));
    }
    const PrintedPage whole = plan.pages.front();
    plan.pages = {{0, first, whole.firstColumn, whole.columns}};
    const int rest = rows - first;
    const int pages = (rest + perPage - 1) / perPage;
    for (int k = 0, row = first; k < pages; ++k) {
        const int count = start.evenRows ? rest / pages + (k < rest % pages ? 1 : 0) : std::min(perPage, rows - row);
        plan.pages.push_back({row, count, whole.firstColumn, whole.columns});
        row += count;
    }
    return plan;
}

} // namespace

void drawPageFooter(QPainter &painter, const QFont &font, int page, int pages)
{
    painter.save();
    painter.resetTransform();
    painter.setClipping(false);
    QFont footerFont = font;
    footerFont.setPointSize(footerPointSize);
    painter.setFont(footerFont);
    painter.setPen(Qt::black);
    const QPaintDevice &device = *painter.device();
    const int footer = himetricToPixels(pageFooterHeight, device.logicalDpiY());
    painter.drawText(QRect(0, device.height() - footer, device.width(), footer), Qt::AlignCenter,
                     pageFooter(page, pages));
    painter.restore();
}

namespace {

PagedDrawing pagedMatrix(const MatrixGeometry &geometry)
{
    PagedDrawing drawing;
    drawing.rows = drawing.columns = geometry.rows();
    drawing.rowHeight = drawing.columnWidth = geometry.cell;
    drawing.above = geometry.grid.y();
    drawing.before = geometry.grid.x();
    const int gridSide = geometry.rows() * geometry.cell;
    drawing.below = geometry.size.height() - geometry.grid.y() - gridSide;
    drawing.after = geometry.size.width() - geometry.grid.x() - gridSide;
    return drawing;
}

// A point of the drawing (0.01 mm) in the painter's device pixels.
QPointF devicePoint(const QPainter &painter, QPoint himetric)
{
    return {himetric.x() * painter.device()->logicalDpiX() / himetricPerInch,
            himetric.y() * painter.device()->logicalDpiY() / himetricPerInch};
}

// One part of the matrix drawing, moved across and down on the page.
void drawMatrixPart(const Document &document, const MatrixGeometry &geometry, QPainter &painter, QRect part,
                    QPoint shift)
{
    DrawingSurface surface(painter, true, 0, devicePoint(painter, shift));
    drawMatrix(document, geometry, surface, part);
}

MatrixPages matrixPagesOf(const MatrixGeometry &geometry, QPainter &painter, PrintScaling scaling)
{
    if (geometry.isEmpty())
        return {};
    const DrawingSurface surface(painter, true, 0);
    MatrixPages pages;
    pages.drawing = pagedMatrix(geometry);
    pages.plan = planPages(pages.drawing, pageBody(surface, *painter.device()), scaling);
    return pages;
}

// A drawing of whole cells with names above and before them and a scale after them, as the
// pages show it.
struct PrintedGrid {
    QPoint grid;     // the first cell's top-left corner
    QSize cell;
    int columns = 0;
    QSize size;      // the whole drawing
    QFont footerFont;
};

// Prints the pages of the plan: on each the names of its columns above its cells, those of
// its rows before them, and the scale after them, each drawn by `drawPart` moved to where the
// page shows it.
bool printGridPages(QPainter &painter, const std::function<bool()> &newPage, const PagePlan &plan,
                    const PrintedGrid &g, const std::function<void(QPainter &, QRect, QPoint)> &drawPart)
{
    if (plan.pages.empty())
        return painter.isActive();
    // The scale stands right of the page's own cells, as tall as the page's room at most: the
    // whole drawing's height would paint its background past the page's edge.
    const QSize body = pageBody(DrawingSurface(painter, true, 0), *painter.device());
    const int legendHeight = std::min(g.size.height(), int(body.height() / plan.scale));
    const int legendLeft = g.grid.x() + g.columns * g.cell.width();
    const int count = int(plan.pages.size());
    for (int k = 0; k < count; ++k) {
        if (k > 0 && !newPage())
            return false;
        const PrintedPage &page = plan.pages[size_t(k)];
        const int left = g.grid.x() + page.firstColumn * g.cell.width();
        const int top = g.grid.y() + page.firstRow * g.cell.height();
        const int across = page.columns * g.cell.width();
        const int down = page.rows * g.cell.height();
        painter.save();
        painter.scale(plan.scale, plan.scale);
        const QPoint shift(g.grid.x() - left, g.grid.y() - top);
        drawPart(painter, QRect(left, 0, across, g.grid.y()), {shift.x(), 0});
        drawPart(painter, QRect(0, top, g.grid.x(), down), {0, shift.y()});
        drawPart(painter, QRect(left, top, across, down), shift);
        drawPart(painter, QRect(legendLeft, 0, g.size.width() - legendLeft, legendHeight),
                 {g.grid.x() + across - legendLeft, 0});
        painter.restore();
        drawPageFooter(painter, g.footerFont, k + 1, count);
    }
    return painter.isActive();
}

} // namespace

QString pageFooter(int page, int pages)
{
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

DendrogramPages planDendrogramPages(const Document &document, QPainter &painter, const ReferenceScreen &screen,
                                    PrintScaling scaling, PageStart start)
{
    QPaintDevice &device = *painter.device();
    DrawingSurface surface(painter, true, printMargin(screen, device));
    const QSize body = pageBody(surface, device);
    DendrogramPages pages;
    pages.geometry = layOutDendrogram(document, surface, body);
    if (!pages.geometry)
        return {};
    pages.drawing = pagedDendrogram(*pages.geometry);
    pages.plan = startedAt(planPages(pages.drawing, body, scaling), pages.drawing, body, start);
    return pages;
}

bool printDendrogramPages(const Document &document, QPainter &painter, const std::function<bool()> &newPage,
                          const ReferenceScreen &screen, PrintScaling scaling, PageNumbers numbers, PageStart start)
{
    const DendrogramPages pages = planDendrogramPages(document, painter, screen, scaling, start);
    if (!pages.geometry || pages.plan.pages.empty())
        return painter.isActive();
    const DendrogramGeometry &geometry = *pages.geometry;
    const QPaintDevice &device = *painter.device();
    const double perUnitX = device.logicalDpiX() / himetricPerInch;
    const double perUnitY = device.logicalDpiY() / himetricPerInch;
    const PagedDrawing &drawing = pages.drawing;
    const int count = int(pages.plan.pages.size());
    const int rows = drawing.rows;
    for (int k = 0; k < count; ++k) {
        if (k > 0 && !newPage())
            return false;
        const PrintedPage &page = pages.plan.pages[size_t(k)];
        const bool lastRows = page.firstRow + page.rows >= rows;
        painter.save();
        if (k == 0)
            painter.translate(0, start.top * perUnitY);
        painter.scale(pages.plan.scale, pages.plan.scale);
        // The page's first row stands a margin below the page's top, as the first row does on
        // the first page; the rows after its last are cut off at the bottom margin.
        const double shift = double(page.firstRow) * drawing.rowHeight * perUnitY;
        const double rowsBottom = (drawing.above + double(page.rows) * drawing.rowHeight) * perUnitY;
        const double clipTop = page.firstRow == 0 ? 0.0 : drawing.above * perUnitY;
        const double clipBottom = rowsBottom + (lastRows ? drawing.above * perUnitY : 0.0);
        painter.setClipRect(QRectF(0, clipTop, drawing.columnWidth * perUnitX, clipBottom - clipTop));
        DrawingSurface rowsSurface(painter, true, printMargin(screen, device), QPointF(0, -shift));
        drawDendrogramRows(document, geometry, rowsSurface, geometry.extent, page.firstRow, page.rows);
        painter.setClipping(false);
        // The scale's axis right under the page's rows and their margin, where it stands under
        // the last row of the whole drawing.
        const double scaleShift = double(page.rows - rows) * drawing.rowHeight * perUnitY;
        DrawingSurface scaleSurface(painter, true, printMargin(screen, device), QPointF(0, scaleShift));
        drawSimilarityScale(geometry, scaleSurface, drawing.columnWidth);
        painter.restore();
        drawPageFooter(painter, geometry.labelFont, numbers.first + k, numbers.total > 0 ? numbers.total : count);
    }
    return painter.isActive();
}

MatrixPages planMatrixPages(const Document &document, QPainter &painter, PrintScaling scaling)
{
    return matrixPagesOf(layoutMatrix(document, painter.device()), painter, scaling);
}

bool printMatrixPages(const Document &document, QPainter &painter, const std::function<bool()> &newPage,
                      PrintScaling scaling)
{
    const MatrixGeometry geometry = layoutMatrix(document, painter.device());
    const MatrixPages pages = matrixPagesOf(geometry, painter, scaling);
    const PrintedGrid grid{geometry.grid, QSize(geometry.cell, geometry.cell), geometry.rows(), geometry.size,
                           geometry.legendFont};
    return printGridPages(painter, newPage, pages.plan, grid, [&](QPainter &onPage, QRect part, QPoint shift) {
        drawMatrixPart(document, geometry, onPage, part, shift);
    });
}

namespace {

MatrixPages placementPagesOf(const PlacementGeometry &geometry, QPainter &painter, PrintScaling scaling)
{
    if (geometry.isEmpty())
        return {};
    MatrixPages pages;
    PagedDrawing &drawing = pages.drawing;
    drawing.rows = geometry.rows();
    drawing.columns = geometry.columns;
    drawing.rowHeight = geometry.cellHeight;
    drawing.columnWidth = geometry.cellWidth;
    drawing.above = geometry.grid.y();
    drawing.before = geometry.grid.x();
    drawing.below = geometry.size.height() - geometry.grid.y() - geometry.rows() * geometry.cellHeight;
    drawing.after = geometry.size.width() - geometry.grid.x() - geometry.columns * geometry.cellWidth;
    const DrawingSurface surface(painter, true, 0);
    pages.plan = planPages(drawing, pageBody(surface, *painter.device()), scaling);
    return pages;
}

} // namespace

MatrixPages planPlacementPages(const Document &document, const CategoryTable &table, QPainter &painter,
                               PrintScaling scaling)
{
    return placementPagesOf(layoutPlacements(document, table, painter.device()), painter, scaling);
}

bool printPlacementPages(const Document &document, const CategoryTable &table, QPainter &painter,
                         const std::function<bool()> &newPage, PrintScaling scaling)
{
    const PlacementGeometry geometry = layoutPlacements(document, table, painter.device());
    if (geometry.isEmpty())
        return painter.isActive();
    const MatrixPages pages = placementPagesOf(geometry, painter, scaling);
    const PrintedGrid grid{geometry.grid, QSize(geometry.cellWidth, geometry.cellHeight), geometry.columns,
                           geometry.size, geometry.font};
    return printGridPages(painter, newPage, pages.plan, grid, [&](QPainter &onPage, QRect part, QPoint shift) {
        DrawingSurface moved(onPage, true, 0, devicePoint(onPage, shift));
        drawPlacements(document, table, geometry, moved, part);
    });
}

} // namespace sortana
