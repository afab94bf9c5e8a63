#pragma once

#include "document/Document.h"

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace sortana {

class DrawingSurface;

// The fit bar is this text, clipped to the bar's width.
inline const QString FitBarText = QStringLiteral("+++");
// The strip between the tree and the names, which the view lets the user drag.
inline constexpr int separatorWidth = 50;

// Left, top, right and bottom in 0.01 mm, y growing upwards (top above bottom).
struct HimetricRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct NodePlacement {
    int x = 0;          // the node's vertical line
    int y = 0;          // where its parent connects, from the first row's centre line
    int top = 0;        // top of its first row, from the top of the first row
    int bottom = 0;     // bottom of its last row
    int splitY = 0;     // bottom of the last row of its left side
    double similarity = 0.0;
};

// One label of the similarity scale, such as "50 %": its text's top-left corner and width.
struct ScaleLabel {
    int percent = 0;
    QString text;
    QPoint topLeft;
    int width = 0;
};

// The axis under the rows that reads the layout's own similarity axis: 0 % where the layout
// puts similarity 0, 100 % where it puts the most a pair can score. It lies below the drawing's
// height, so the stored drawing size is the same with or without it.
struct SimilarityScale {
    int axisY = 0;                 // the axis line, and the top of every tick
    std::vector<int> tickX;        // 0 %, 10 %, ... 100 %, at their exact positions
    std::vector<int> tickBottom;   // longer where a label stands
    std::vector<ScaleLabel> labels;
    int height = 0;                // from the drawing's bottom edge to the scale's, margin included
};

// A text at the top right of a band, such as its group's suggested name: the band's first
// row, the text, and what its tooltip says.
struct BandLabel {
    int firstRow = 0;
    QString text;
    QString detail;
};

// A small text the layout places beside a join or a band: its top-left corner and size.
struct PlacedText {
    QString text;
    QPoint topLeft;
    QSize size;
};

// How the tree's path goes on from one point to the next.
enum class PathStep : std::uint8_t { MoveTo, LineTo };

// Where everything of one drawing of the dendrogram stands, in 0.01 mm with y growing
// upwards from the drawing's top-left corner: what the drawing, the view and the pictures read.
struct DendrogramGeometry {
    QSize margin;                // a scroll bar's thickness on the surface, across and down
    QSize paintSize;             // the area the background covers
    int width = 0;               // the drawing's size: its width as stored, the height its rows take
    int height = 0;
    // What the drawing covers: its width and height, widened where the names run past the
    // right edge so that the widest of them is held whole, with a margin after it, and made
    // taller by the similarity scale when there is one.
    QSize extent;
    int rowsTop = 0;
    int rowHeight = 0;
    int firstRowCentre = 0;
    int treeLeft = 0;
    int treeRight = 0;
    HimetricRect separatorRect;  // the strip between the tree and the names
    int fitBarLeft = 0;
    int fitBarFullWidth = 0;     // the whole bar text; negative without fit bars
    int labelLeft = 0;
    int labelWidth = 0;          // the widest name's
    QFont labelFont;             // the names' and the fit bars'
    std::vector<int> leafOrder;        // the item of each row, top row first
    std::vector<int> fitBarWidths;     // the bar of each row
    std::vector<NodePlacement> joins;  // every join, in the order the tree was walked
    std::vector<QPoint> pathPoints;    // the tree's lines
    std::vector<PathStep> pathSteps;
    // The splits of the loosest joins, one fewer than the number of groups at most.
    std::set<int> groupBoundaries;
    // The groups' suggested names when the document shows them, in a column right of the
    // cards' names, each right-aligned with the column's right edge.
    std::vector<BandLabel> groupNames;
    int groupNameRight = 0;
    // When the document shows it and the tree has a similarity axis to read.
    std::optional<SimilarityScale> scale;
    quint32 colour1 = 0;
    quint32 colour2 = 0;
    // When the document shows the join support and holds it for this tree: each join's
    // support in the order of `joins`, left of where its parent's line meets it, and each
    // band's stability, top band first, in the band's label area. Empty otherwise.
    std::vector<PlacedText> joinSupport;
    std::vector<PlacedText> bandStability;
    QFont supportFont; // smaller than the names'
};

// The support of a join as it stands beside it: a percentage with one decimal, the
// decimal left off when it is 0.
QString supportText(double percent);
// A band's stability as its label area shows it.
QString stabilityText(double percent);

// The area that a drawing at the requested paint size covers with its bands: at least the
// drawing.
QSize paintArea(const Document &document, QSize requestedPaintSize);

// One drawing of a document's dendrogram on one surface, laid out at construction. Built
// anew for every drawing; while it lives, its font, pen and transparent background are set on
// the surface.
class DendrogramLayout final {
public:
    DendrogramLayout(const Document &document, DrawingSurface &surface, QSize requestedPaintSize);
    ~DendrogramLayout();

    const DendrogramGeometry &geometry() const { return m_geometry; }
    // Puts back the surface's font, pen and background mode.
    void Restore();

private:
    void placeTree(const ClusterNode *root);
    NodePlacement placeLeaf(int item, double similarity);
    void addLine(QPoint from, QPoint to);
    int joinX(double similarity, double offset) const;
    std::optional<SimilarityScale> layoutScale() const;
    std::set<int> groupBoundaries(int numberOfGroups) const;
    // The names' column: its right edge, or the right edge given when there is none.
    qint64 layoutGroupNames(const Document &document, qint64 right);
    void placeJoinSupport(const std::vector<double> &support);
    void placeBandStability(const std::vector<double> &stability);

    DendrogramGeometry m_geometry;
    const std::vector<double> *m_meanFits;
    DrawingSurface &m_surface;
    double m_maxScore = 0.0;
    int m_rowCounter = 0;
    bool m_restored = false;
};

} // namespace sortana
