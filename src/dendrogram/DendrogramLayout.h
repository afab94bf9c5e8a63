#pragma once

#include "document/CSortanaMdiDoc.h"

#include <QPoint>
#include <QSize>
#include <QStringList>

#include <cstdint>
#include <set>
#include <vector>

namespace sortana {

class DrawingSurface;

// The fit bar is this text, clipped to the bar's width.
inline const QString FitBarText = QStringLiteral("+++");

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

// The geometry of one drawing of a document's dendrogram on one surface: columns, rows, the
// place of every join, the tree's line path and the group boundaries. Built anew for every
// drawing; while it lives, its font, pen and transparent background are set on the surface.
class DendrogramLayout final : public DocumentLayout {
public:
    static constexpr std::uint8_t moveTo = 6;
    static constexpr std::uint8_t lineTo = 2;

    DendrogramLayout(CSortanaMdiDoc &document, const QStringList &itemNames, DrawingSurface &surface,
                     QSize requestedPaintSize);
    ~DendrogramLayout() override;

    // Places the tree under the node; fills the rows, fit bars, path and node placements.
    NodePlacement PlaceNode(const ClusterNode *node);
    // The splits of the loosest joins, one fewer than the number of groups at most.
    std::set<int> groupBoundaries() const;
    // Puts back the surface's font, pen and background mode.
    void Restore();

    std::vector<NodePlacement> nodePlacements;
    std::vector<int> leafOrder;
    std::vector<int> fitBarWidths;
    std::vector<QPoint> pathPoints;
    std::vector<std::uint8_t> pathCommands;
    int rowsTop = 0;
    HimetricRect separatorRect;   // the strip between the tree and the names
    int treeLeft = 0;
    int firstRowCentre = 0;
    int treeRight = 0;
    int width = 0;
    int height = 0;
    // What the drawing covers: its width and height, widened where the names run past the
    // right edge so that the widest of them is held whole, with a margin after it.
    QSize extent;
    QSize margin;
    QSize paintSize;
    quint32 colour1 = 0;
    quint32 colour2 = 0;
    int numberOfGroups = 0;
    int fitBarFullWidth = 0;
    int maxLabelWidth = 0;
    int rowHeight = 0;
    int rowCounter = 0;
    int fitBarLeft = 0;
    int labelLeft = 0;

private:
    int joinX(double similarity, double offset) const;
    NodePlacement placeLeaf(int item, double similarity);

    const std::vector<double> *m_meanFits;
    DrawingSurface &m_surface;
    double m_maxScore = 0.0;
    bool m_restored = false;
};

} // namespace sortana
