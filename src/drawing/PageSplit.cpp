#include "drawing/PageSplit.h"

#include <algorithm>
#include <cmath>

namespace sortana {

namespace {

// What rounding may take off a quotient that should come out whole.
constexpr double slack = 1e-9;

// How many parts of `part` fit in `room` besides `fixed`, at the scale given: at least one,
// as the scale is chosen so that one does.
int fitting(double room, double fixed, double part, double scale, int most)
{
    if (part <= 0 || most <= 0)
        return std::max(most, 1);
    const double count = std::floor((room / scale - fixed) / part + slack);
    return int(std::clamp(count, 1.0, double(most)));
}

// The scale at which `size` fills `room`; none when there is nothing to fill.
double fill(double room, double size)
{
    return size > 0 ? room / size : HUGE_VAL;
}

} // namespace

PagePlan planPages(const PagedDrawing &drawing, QSize page, PrintScaling scaling)
{
    const double width = std::max(page.width(), 1);
    const double height = std::max(page.height(), 1);
    const int rows = std::max(drawing.rows, 0);
    const int columns = std::max(drawing.columns, 0);
    const double rowHeight = std::max(drawing.rowHeight, 0);
    const double columnWidth = std::max(drawing.columnWidth, 0);
    const double across = double(drawing.before) + drawing.after;
    const double down = double(drawing.above) + drawing.below;
    // One row and one column must always fit a page.
    const double least = std::min(fill(width, across + std::min(columns, 1) * columnWidth),
                                  fill(height, down + std::min(rows, 1) * rowHeight));
    const double wholeWidth = fill(width, across + columns * columnWidth);
    const double wholeHeight = fill(height, down + rows * rowHeight);
    double scale = 1.0;
    switch (scaling) {
    case PrintScaling::RealSize:
        scale = std::min(1.0, least);
        break;
    case PrintScaling::FitToPageWidth:
        scale = std::min(wholeWidth, least);
        break;
    case PrintScaling::FitToOnePage:
        scale = std::min(wholeWidth, wholeHeight);
        break;
    }
    if (!std::isfinite(scale) || scale <= 0)
        scale = 1.0;

    PagePlan plan;
    plan.scale = scale;
    const bool onePage = scaling == PrintScaling::FitToOnePage;
    const int rowsPerPage = onePage ? std::max(rows, 1) : fitting(height, down, rowHeight, scale, rows);
    const int columnsPerPage = onePage || scaling == PrintScaling::FitToPageWidth
                                 ? std::max(columns, 1)
                                 : fitting(width, across, columnWidth, scale, columns);
    for (int row = 0; row == 0 || row < rows; row += rowsPerPage) {
        for (int column = 0; column == 0 || column < columns; column += columnsPerPage)
            plan.pages.push_back({row, std::min(rowsPerPage, rows - row), column,
                                  std::min(columnsPerPage, columns - column)});
    }
    return plan;
}

} // namespace sortana
