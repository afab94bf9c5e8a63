#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QPaintDevice;

namespace sortana {

class Document;
class DrawingSurface;
struct CategoryTable;

// Where everything of one drawing of the placement matrix stands, in 0.01 mm from the
// drawing's top-left corner with y growing downwards: cards down in the dendrogram's leaf
// order, the categories across in their order.
struct PlacementGeometry {
    std::vector<int> order; // the item of each row
    std::vector<int> groupStarts; // the first row of every group, 0 first
    int columns = 0;
    int margin = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int rowNameWidth = 0; // the cards' names at the left
    int columnNameHeight = 0; // the categories' names on top, read from the bottom up
    QFont font;
    QPoint grid; // the first cell's top-left corner
    QRect legendBar; // the colour scale, 100 % at its top
    QSize size; // the whole drawing

    bool isEmpty() const { return order.empty() || columns == 0; }
    int rows() const { return int(order.size()); }
    QRect gridRect() const { return {grid, QSize(columns * cellWidth, rows() * cellHeight)}; }
};

// Lays the placement matrix out with text measured on the device. Empty when the document
// holds no tree or the study no category.
PlacementGeometry layoutPlacements(const Document &document, const CategoryTable &table, QPaintDevice *device);

// Paints the part that lies in `visible` (0.01 mm, y downwards): the group colours behind
// the cards' names, each cell coloured by the share of the card's participants who placed it
// in the category, on the similarity matrix's scale, with the count where it fits, the names
// and the scale.
void drawPlacements(const Document &document, const CategoryTable &table, const PlacementGeometry &geometry,
                    DrawingSurface &surface, QRect visible);

// The cell under a point of the drawing (0.01 mm, y downwards): its row and column, or -1s.
std::pair<int, int> placementCellAt(const PlacementGeometry &geometry, QPoint point);

// What a cell tells: the card, the category, and how many of the participants who sorted
// the card placed it there, as a count and a percentage.
QString placementDescription(const Document &document, const CategoryTable &table, int item, int category);

} // namespace sortana
