#pragma once

#include <QSize>

#include <vector>

namespace sortana {

// How a drawing is fitted to the printer's pages.
enum class PrintScaling {
    RealSize,        // at its real size, on as many pages as its rows and columns need
    FitToPageWidth,  // as wide as a page, on as many pages as its rows need
    FitToOnePage,    // the whole of it on one page
};

// A drawing as the pages see it, in 0.01 mm at its real size: a block of whole rows and whole
// columns, with parts that every page repeats around the part of the block it shows.
struct PagedDrawing {
    int rows = 0;
    int rowHeight = 0;
    int columns = 1;
    int columnWidth = 0;
    int above = 0;   // over the rows
    int below = 0;   // under them
    int before = 0;  // left of the columns
    int after = 0;   // right of them
};

// The part of the block one page shows.
struct PrintedPage {
    int firstRow = 0;
    int rows = 0;
    int firstColumn = 0;
    int columns = 0;
};

struct PagePlan {
    double scale = 1.0;   // printed size over real size
    std::vector<PrintedPage> pages;   // across, then down
};

// Splits the drawing over pages of the size given (0.01 mm). Every row and column lands whole
// on exactly one page. A drawing whose single row or column would not fit a page at its real
// size is made smaller until it does; the fits make it as large as the page allows.
PagePlan planPages(const PagedDrawing &drawing, QSize page, PrintScaling scaling);

} // namespace sortana
