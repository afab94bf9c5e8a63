#include "dendrogram/DendrogramLayout.h"

#include "dendrogram/DrawingSurface.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sortana {

namespace {

constexpr int joinStep = 200;
// Bounds that keep every coordinate of a drawing within 32 bits whatever a document file
// holds: 10 m across, and fonts up to 1000 points.
constexpr double maxJoinOffset = 1e6;
// The largest width, height and row stack of a drawing, 10.7 km: the sum or difference of any
// two of its coordinates still fits in 32 bits, whatever a damaged document file holds.
constexpr int maxExtent = 1 << 30;
constexpr int maxFontSize = 1000;
constexpr int separatorWidth = 50;
// A font description holds a face name of this many characters.
constexpr qsizetype maxFaceNameLength = 31;

int truncateToInt(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(value, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

} // namespace

DendrogramLayout::DendrogramLayout(CSortanaMdiDoc &document, const QStringList &itemNames,
                                   DrawingSurface &surface, QSize requestedPaintSize)
    : m_meanFits(document.itemAverageFit.get()), m_surface(surface)
{
    const qsizetype n = itemNames.size();
    const int w = std::clamp(document.drawingSize.cx, 0, maxExtent);
    width = w;
    paintSize = {std::clamp(std::max(requestedPaintSize.width(), w), 0, maxExtent),
                 std::clamp(std::max(requestedPaintSize.height(), document.drawingSize.cy), 0, maxExtent)};

    QPainter &painter = surface.painter();
    painter.save();
    if (document.fontSize > 0) {
        QFont font(document.fontName.left(maxFaceNameLength));
        font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
        font.setPointSize(std::min(document.fontSize, maxFontSize));
        painter.setFont(font);
    }

    const int mx = surface.toHimetricX(surface.scrollBarExtent());
    const int my = surface.toHimetricY(surface.scrollBarExtent());
    margin = {mx, my};
    for (const QString &name : itemNames) {
        const QSize extent = surface.textExtent(name);
        if (extent.width() > maxLabelWidth) {
            maxLabelWidth = std::min(extent.width(), maxExtent);
            rowHeight = extent.height();
        }
    }
    rowHeight = std::min(rowHeight, maxExtent / int(std::max<qsizetype>(n, 1)));
    const StudySummary defaults;
    const StudySummary &summary = document.summary ? *document.summary : defaults;
    fitBarFullWidth = summary.useFit ? surface.textExtent(FitBarText).width() : -mx;
    labelLeft = std::max(w / 2, w - mx - maxLabelWidth);
    fitBarLeft = labelLeft - mx - fitBarFullWidth;
    rowsTop = -my;
    height = int(n) * rowHeight + 2 * my;
    treeLeft = mx;
    firstRowCentre = -my - rowHeight / 2;
    treeRight = fitBarLeft - mx;
    separatorRect.left = treeRight + mx / 2;
    separatorRect.right = separatorRect.left + separatorWidth;
    separatorRect.top = -my;
    separatorRect.bottom = -my - int(n) * rowHeight;
    document.drawingSize = {w, height};
    const qint64 namesRight = qint64(labelLeft) + maxLabelWidth + mx;
    extent = {int(std::clamp<qint64>(namesRight, w, std::numeric_limits<int>::max())), height};

    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(surface.hairlinePen(Qt::SolidLine));
    colour1 = document.colour1;
    colour2 = document.colour2;
    numberOfGroups = document.numberOfGroups;
    rowCounter = 0;
    // The document's own participant count: a document of the first file version holds none
    // in its summary.
    m_maxScore = double(summary.maxScorePerItem()) * document.participantCount;
}

DendrogramLayout::~DendrogramLayout()
{
    Restore();
}

void DendrogramLayout::Restore()
{
    if (m_restored)
        return;
    m_restored = true;
    m_surface.painter().restore();
}

// Where a join of this similarity stands, from treeLeft, on the grid of 200.
int DendrogramLayout::joinX(double similarity, double offset) const
{
    const double span = treeRight - margin.width() - treeLeft;
    const double scaled = span * similarity / m_maxScore;
    int x = truncateToInt(std::isfinite(scaled) ? std::min(scaled, maxJoinOffset) + offset : 0.0);
    x = std::max(x, 0);
    return x - x % joinStep;
}

NodePlacement DendrogramLayout::placeLeaf(int item, double similarity)
{
    leafOrder.push_back(item);
    const double meanFit = m_meanFits && item >= 0 && size_t(item) < m_meanFits->size() ? (*m_meanFits)[size_t(item)] : 0.0;
    // The bar shows the fit bar text clipped to its width: no wider than the text, whatever
    // fit a damaged study claims.
    fitBarWidths.push_back(std::clamp(truncateToInt(fitBarFullWidth * meanFit / maxFit + 0.5), 0,
                                      std::max(fitBarFullWidth, 0)));
    NodePlacement leaf;
    leaf.x = joinX(similarity, 0.0);
    const int row = rowCounter++;
    leaf.y = leaf.top = -row * rowHeight;
    leaf.bottom = leaf.top - rowHeight;
    pathPoints.push_back({treeRight, firstRowCentre + leaf.y});
    pathCommands.push_back(moveTo);
    pathPoints.push_back({treeLeft + leaf.x - 1, firstRowCentre + leaf.y});
    pathCommands.push_back(lineTo);
    return leaf;
}

NodePlacement DendrogramLayout::PlaceNode(const ClusterNode *root)
{
    // Depth first with an explicit stack: a tree has as many levels as it may have items.
    struct Frame {
        const ClusterNode *node;
        int stage = 0;   // 0: left side next, 1: right side next, 2: the node itself
        NodePlacement left = {};
        NodePlacement right = {};
    };
    std::vector<Frame> stack{Frame{root}};
    NodePlacement result;
    const auto deliver = [&](const NodePlacement &placement) {
        if (stack.empty()) {
            result = placement;
            return;
        }
        Frame &parent = stack.back();
        (parent.stage == 1 ? parent.left : parent.right) = placement;
    };
    while (!stack.empty()) {
        Frame &frame = stack.back();
        const ClusterNode *node = frame.node;
        if (frame.stage == 0 || frame.stage == 1) {
            const bool leftSide = frame.stage == 0;
            ++frame.stage;
            const ClusterNode *child = leftSide ? node->left : node->right;
            if (child) {
                stack.push_back(Frame{child});
            } else {
                const NodePlacement leaf = placeLeaf(leftSide ? node->leftItem : node->rightItem, node->similarity);
                (leftSide ? frame.left : frame.right) = leaf;
            }
            continue;
        }
        const NodePlacement left = frame.left;
        const NodePlacement right = frame.right;
        const int xn = joinX(node->similarity, 0.5);
        NodePlacement placement;
        if (node->left || node->right) {
            for (const auto &[from, to] : {std::pair{QPoint(xn, right.y), QPoint(right.x, right.y)},
                                           std::pair{QPoint(xn, left.y), QPoint(left.x, left.y)},
                                           std::pair{QPoint(xn, left.y), QPoint(xn, right.y)}}) {
                pathPoints.push_back({treeLeft + from.x(), firstRowCentre + from.y()});
                pathCommands.push_back(moveTo);
                pathPoints.push_back({treeLeft + to.x(), firstRowCentre + to.y()});
                pathCommands.push_back(lineTo);
            }
            placement.y = static_cast<int>((left.y + right.y) * 0.5);
        } else {
            pathPoints.push_back({treeLeft + xn, firstRowCentre + left.y});
            pathCommands.push_back(moveTo);
            pathPoints.push_back({treeLeft + xn, firstRowCentre + right.y});
            pathCommands.push_back(lineTo);
            placement.y = left.y;
        }
        placement.x = xn;
        placement.top = left.top;
        placement.bottom = right.bottom;
        placement.splitY = left.bottom;
        placement.similarity = node->similarity;
        nodePlacements.push_back(placement);
        stack.pop_back();
        deliver(placement);
    }
    return result;
}

std::set<int> DendrogramLayout::groupBoundaries() const
{
    std::set<int> boundaries;
    if (numberOfGroups <= 1)
        return boundaries;
    std::vector<NodePlacement> loosestFirst = nodePlacements;
    std::stable_sort(loosestFirst.begin(), loosestFirst.end(),
                     [](const NodePlacement &a, const NodePlacement &b) { return a.similarity < b.similarity; });
    int count = 1;
    for (const NodePlacement &placement : loosestFirst) {
        if (count >= numberOfGroups)
            break;
        if (boundaries.insert(placement.splitY).second)
            ++count;
    }
    return boundaries;
}

} // namespace sortana
