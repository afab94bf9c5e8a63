#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPaintDevice;
class QPainter;

namespace sortana {

class Document;
class DrawingSurface;

// The colour of a share of 0 to 1 on the matrix's scale: white for 0, then ever darker
// blues, so that the order of the shares still reads when printed in grey.
QColor shareColour(double share);

// The document's font for names, or the device's default where the document names none.
QFont documentFont(const Document &document);

// The share scale standing in a bar (0.01 mm, y downwards), 100 % at its top: its colours,
// and its labels right of it in the font given. Whoever draws it outlines the bar between the two.
void drawShareScale(DrawingSurface &surface, QRect bar);
void drawShareLabels(DrawingSurface &surface, QRect bar, const QFont &font);

// Where everything of one drawing of the similarity matrix stands, in 0.01 mm from the
// drawing's top-left corner with y growing downwards (the drawing surface's y is its
// negative). Rows and columns hold the same items, in the dendrogram's leaf order.
struct MatrixGeometry {
    std::vector<int> order;         // the item of each row and column
    std::vector<int> groupStarts;   // the first row of every group, 0 first
    int margin = 0;
    int cell = 0;                   // a cell's side
    int nameWidth = 0;              // the names' strip at the left, and its height on top; 0 without names
    QFont nameFont;                 // the document's font, made smaller with the cells
    QFont legendFont;
    QPoint grid;                    // the first cell's top-left corner
    QRect legendBar;                // the colour scale, 100 % at its top
    QSize size;                     // the whole drawing

    bool isEmpty() const { return order.empty(); }
    int rows() const { return int(order.size()); }
    QRect gridRect() const { return {grid, QSize(rows() * cell, rows() * cell)}; }
    // The groups' rows, each as first row and one past its last.
    std::pair<int, int> groupRows(size_t group) const;
};

// Lays out the document's matrix with text measured on the device. `maxSide` bounds the
// drawing's width and height (0: no bound): the cells, and with them the names, shrink to
// keep it, and names go when the cells would be smaller than 2 mm. Empty when the document
// holds no tree or no matrix.
MatrixGeometry layoutMatrix(const Document &document, QPaintDevice *device, int maxSide = 0);

// The item names shaped into glyphs, kept by a window that draws them frame after frame:
// shaping a name takes longer than drawing it. They are shaped for one font, resolution and
// direction of text at a time.
class NameGlyphs {
public:
    struct Name {
        QList<QGlyphRun> runs;   // placed from the top-left corner of the text
        double advance = 0;      // its width, as the font's metrics give it
    };

    // Shapes the names for the painter's font, device and direction from here on, forgetting
    // what was shaped for others. The device must outlive the use of `of`.
    void use(const QPainter &painter);
    // The item's name, shaped on first need.
    const Name &of(int item, const QString &name);
    void clear() { m_names.clear(); }

private:
    QFont m_font;
    int m_dpiX = 0;
    int m_dpiY = 0;
    Qt::LayoutDirection m_direction = Qt::LayoutDirectionAuto;
    QPaintDevice *m_device = nullptr;
    std::vector<std::optional<Name>> m_names;
};

// Paints the part of the matrix that lies in `visible` (0.01 mm, y downwards): the
// background, the group colours behind the names, the cells, the groups as squares on the
// diagonal, a highlighted row and column, the names and the legend.
//
// A window, which paints the matrix frame after frame and in parts, passes the glyphs it
// keeps of the names: they are drawn from those, each device pixel gets the colour of the
// cell under its centre and the squares' outlines are whole device pixels, so that parts
// painted apart join without a seam. A picture gets one shape per cell, or where too many are
// in view an image of them scaled to fit them, and stroked outlines.
void drawMatrix(const Document &document, const MatrixGeometry &geometry, DrawingSurface &surface, QRect visible,
                std::optional<int> highlightedRow = {}, NameGlyphs *windowGlyphs = nullptr);

// What lies under a point of the drawing (0.01 mm, y downwards).
struct MatrixHit {
    enum class Part { None, Cell, RowName, ColumnName };
    Part part = Part::None;
    int row = -1;
    int column = -1;
};
MatrixHit matrixHitAt(const MatrixGeometry &geometry, QPoint point);

// What the matrix tells about a pair of items: both names, how many of the most possible
// sorts put them together, as a percentage, and their weighted score as the weighted matrix
// file gives it. For an item with itself, its name.
QString pairDescription(const Document &document, int a, int b);

} // namespace sortana
