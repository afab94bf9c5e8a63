#pragma once

#include "drawing/DendrogramLayout.h"
#include "drawing/PageSplit.h"

#include <QString>

#include <functional>
#include <optional>

class QFont;
class QPainter;

namespace sortana {

class Document;
struct ReferenceScreen;
struct CategoryTable;

// Room kept at the bottom of every printed page for its footer, in 0.01 mm.
inline constexpr int pageFooterHeight = 800;

// The footer of a printed page.
QString pageFooter(int page, int pages);

// Draws that footer centred in the room kept for it at the bottom of the painter's page, in
// the font given at the footer's size.
void drawPageFooter(QPainter &painter, const QFont &font, int page, int pages);

// How a drawing's pages are numbered in their footers: from `first`, out of `total` (0: out
// of the drawing's own pages), so that a drawing can stand inside a longer document.
struct PageNumbers {
    int first = 1;
    int total = 0;
};

// Where a drawing's pages start inside a longer document: its first page below what the
// document put at the top of it, `top` high (0.01 mm), holding the rows that fit under that
// (at least one); with `evenRows` the rows after that page are shared evenly over the pages
// they need, so that the last page never holds a lone row.
struct PageStart {
    int top = 0;
    bool evenRows = false;
};

// How the dendrogram goes onto pages of the painter's device, laid out for that device.
struct DendrogramPages {
    PagedDrawing drawing;
    PagePlan plan;
    // Nothing for an empty document.
    std::optional<DendrogramGeometry> geometry;
};
DendrogramPages planDendrogramPages(const Document &document, QPainter &painter, const ReferenceScreen &screen,
                                    PrintScaling scaling, PageStart start = {});

// Prints the dendrogram with a painter begun on the printer's device, over as many pages as
// the scaling needs: every page holds whole rows at the same horizontal scale, the tree's
// lines running on over the page breaks, the similarity scale under its rows when the
// document shows it and the footer "Page N of M". `newPage` starts the next page; false
// when that or the painter failed.
bool printDendrogramPages(const Document &document, QPainter &painter, const std::function<bool()> &newPage,
                          const ReferenceScreen &screen, PrintScaling scaling, PageNumbers numbers = {},
                          PageStart start = {});

// The same for the similarity matrix: at real size it splits over pages both ways, each page
// with the names of its rows and columns and the colour scale; the fits make it smaller.
struct MatrixPages {
    PagedDrawing drawing;
    PagePlan plan;
};
MatrixPages planMatrixPages(const Document &document, QPainter &painter, PrintScaling scaling);
bool printMatrixPages(const Document &document, QPainter &painter, const std::function<bool()> &newPage,
                      PrintScaling scaling);

// The placement matrix of the document's categories, split over pages as the similarity
// matrix is.
MatrixPages planPlacementPages(const Document &document, const CategoryTable &table, QPainter &painter,
                               PrintScaling scaling);
bool printPlacementPages(const Document &document, const CategoryTable &table, QPainter &painter,
                         const std::function<bool()> &newPage, PrintScaling scaling);

} // namespace sortana
