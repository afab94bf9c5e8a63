#include "drawing/DendrogramLayout.h"

#include "analysis/GroupCut.h"
#include "analysis/TreeSupport.h"
#include "document/DocumentCategories.h"
#include "drawing/DrawingSurface.h"

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
// The similarity scale: a tick every 10 %, those with a label longer, and a little room
// between the ticks and the labels.
constexpr int scaleSteps = 10;
constexpr int tickLength = 100;
constexpr int labelledTickLength = 200;
constexpr int labelGap = 50;
// The support and stability texts: three quarters of the names' size, a little way off the
// lines they stand by.
constexpr double supportFontScale = 0.75;
constexpr int supportGap = 30;
// A font description holds a face name of this many characters.
constexpr qsizetype maxFaceNameLength = 31;

int truncateToInt(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(
        std::clamp(value, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

} // namespace

QSize paintArea(const Document &document, QSize requestedPaintSize)
{
    const int w = std::clamp(document.drawingSize.cx, 0, maxExtent);
    return {std::clamp(std::max(requestedPaintSize.width(), w), 0, maxExtent),
            std::clamp(std::max(requestedPaintSize.height(), document.drawingSize.cy), 0, maxExtent)};
}

DendrogramLayout::DendrogramLayout(const Document &document, DrawingSurface &surface, QSize requestedPaintSize)
    : m_meanFits(&document.study().itemAverageFit),
      m_surface(surface)
{
    DendrogramGeometry &g = m_geometry;
    const QStringList &itemNames = document.study().itemNames;
    const qsizetype n = itemNames.size();
    const int w = std::clamp(document.drawingSize.cx, 0, maxExtent);
    g.width = w;
    g.paintSize = paintArea(document, requestedPaintSize);

    QPainter &painter = surface.painter();
    painter.save();
    if (document.settings().fontSize > 0) {
        QFont font(document.settings().fontName.left(maxFaceNameLength));
        font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
        font.setPointSize(std::min(document.settings().fontSize, maxFontSize));
        painter.setFont(font);
    }
    g.labelFont = painter.font();

    const int mx = surface.toHimetricX(surface.scrollBarExtent());
    const int my = surface.toHimetricY(surface.scrollBarExtent());
    g.margin = {mx, my};
    for (const QString &name : itemNames) {
        const QSize extent = surface.textExtent(name);
        if (extent.width() > g.labelWidth) {
            g.labelWidth = std::min(extent.width(), maxExtent);
            g.rowHeight = extent.height();
        }
    }
    g.rowHeight = std::min(g.rowHeight, maxExtent / int(std::max<qsizetype>(n, 1)));
    const StudySummary &summary = document.study().summary;
    g.fitBarFullWidth = summary.useFit ? surface.textExtent(FitBarText).width() : -mx;
    g.labelLeft = std::max(w / 2, w - mx - g.labelWidth);
    g.fitBarLeft = g.labelLeft - mx - g.fitBarFullWidth;
    g.rowsTop = -my;
    g.height = int(n) * g.rowHeight + 2 * my;
    g.treeLeft = mx;
    g.firstRowCentre = -my - g.rowHeight / 2;
    g.treeRight = g.fitBarLeft - mx;
    g.separatorRect.left = g.treeRight + mx / 2;
    g.separatorRect.right = g.separatorRect.left + separatorWidth;
    g.separatorRect.top = -my;
    g.separatorRect.bottom = -my - int(n) * g.rowHeight;
    g.colour1 = document.settings().colour1;
    g.colour2 = document.settings().colour2;

    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(surface.hairlinePen(Qt::SolidLine));
    // The document's own participant count: a document of the first file version holds none
    // in its summary.
    m_maxScore = double(summary.maxScorePerItem()) * document.study().participantCount;
    if (document.settings().showSimilarityScale)
        g.scale = layoutScale();
    qint64 right = qint64(g.labelLeft) + g.labelWidth + mx;
    qint64 bottom = g.height;
    right = layoutGroupNames(document, right);
    if (g.scale) {
        for (const ScaleLabel &label : g.scale->labels)
            right = std::max(right, label.topLeft.x() + qint64(label.width) + mx);
        bottom += g.scale->height;
    }
    constexpr qint64 most = std::numeric_limits<int>::max();
    g.extent = {int(std::clamp<qint64>(right, w, most)), int(std::min(bottom, most))};
    if (document.clusterRoot())
        placeTree(document.clusterRoot());
    g.groupBoundaries = groupBoundaries(document.settings().numberOfGroups);
    if (document.settings().showJoinSupport && document.treeSupport()
        && document.treeSupport()->joinSupport.size() == g.joins.size() && !g.joins.empty()) {
        g.supportFont = g.labelFont;
        if (g.supportFont.pointSizeF() > 0)
            g.supportFont.setPointSizeF(g.supportFont.pointSizeF() * supportFontScale);
        else
            g.supportFont.setPixelSize(std::max(1, int(g.supportFont.pixelSize() * supportFontScale)));
        painter.setFont(g.supportFont);
        placeJoinSupport(document.treeSupport()->joinSupport);
        placeBandStability(
            groupStability(*document.treeSupport(), document.study(), document.settings().numberOfGroups));
        painter.setFont(g.labelFont);
    }
}

QString supportText(double percent)
{
    QString text = QString::number(percent, 'f', 1);
    if (text.endsWith(QStringLiteral(".0")))
        text.chop(2);
    return text;
}

QString stabilityText(double percent)
{
    return QStringLiteral("stability %1 %").arg(percent, 0, 'f', 1);
}

// Each join's support to the left of its line, just above where the line to its parent
// meets it: read along that line, as trees of species are read. Never past the drawing's
// left edge, and never across the line between two bands: it moves up clear of it.
void DendrogramLayout::placeJoinSupport(const std::vector<double> &support)
{
    DendrogramGeometry &g = m_geometry;
    g.joinSupport.reserve(g.joins.size());
    for (size_t j = 0; j < g.joins.size(); ++j) {
        const NodePlacement &join = g.joins[j];
        PlacedText label{supportText(support[j]), {}, {}};
        label.size = m_surface.textExtent(label.text);
        const int x = g.treeLeft + join.x - supportGap - label.size.width();
        int top = g.firstRowCentre + join.y + supportGap + label.size.height();
        // From the lowest line up, so that a move is checked against the lines above it.
        for (const int boundary : g.groupBoundaries) {
            const int line = g.rowsTop + boundary;
            if (top - label.size.height() - supportGap < line && line < top + supportGap)
                top = line + supportGap + label.size.height();
        }
        label.topLeft = {std::max(0, x), top};
        g.joinSupport.push_back(std::move(label));
    }
}

// The band's label area is its top right, past the widest name (and its group name): the stability of each
// band there, which widens what the drawing covers. Nothing when the figures do not fit
// the bands.
void DendrogramLayout::placeBandStability(const std::vector<double> &stability)
{
    DendrogramGeometry &g = m_geometry;
    if (stability.size() != g.groupBoundaries.size() + 1)
        return;
    // Beside the group names when they are shown, so a band's name and stability read as one.
    const int left =
        g.groupNames.empty() ? g.labelLeft + g.labelWidth + g.margin.width() : g.groupNameRight + g.margin.width();
    std::vector<int> tops{g.rowsTop};
    for (auto boundary = g.groupBoundaries.rbegin(); boundary != g.groupBoundaries.rend(); ++boundary)
        tops.push_back(g.rowsTop + *boundary);
    qint64 right = g.extent.width();
    for (size_t band = 0; band < stability.size(); ++band) {
        PlacedText label{stabilityText(stability[band]), {left, tops[band]}, {}};
        label.size = m_surface.textExtent(label.text);
        right = std::max(right, qint64(left) + label.size.width() + g.margin.width());
        g.bandStability.push_back(std::move(label));
    }
    g.extent.setWidth(int(std::min<qint64>(right, maxExtent)));
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
    const DendrogramGeometry &g = m_geometry;
    const double span = g.treeRight - g.margin.width() - g.treeLeft;
    const double scaled = span * similarity / m_maxScore;
    int x = truncateToInt(std::isfinite(scaled) ? std::min(scaled, maxJoinOffset) + offset : 0.0);
    x = std::max(x, 0);
    return x - x % joinStep;
}

// Ticks every 10 % of the way from where the layout puts similarity 0 to where it puts the
// most a pair can score, at their exact positions rather than on the joins' grid; labels in
// the document's font at 0, 50 and 100 %, or at every tick when they fit there.
std::optional<SimilarityScale> DendrogramLayout::layoutScale() const
{
    const DendrogramGeometry &g = m_geometry;
    const double span = g.treeRight - g.margin.width() - g.treeLeft;
    // Without a length, or without a most to score, every join stands at 0: nothing to read.
    if (span <= 0 || !(m_maxScore > 0) || !std::isfinite(m_maxScore))
        return std::nullopt;
    // Joins stop where the layout caps them, and so does the scale.
    const double full = std::min(span, maxJoinOffset);
    const auto label = [](int percent) { return QStringLiteral("%1 %").arg(percent); };
    const QSize widest = m_surface.textExtent(label(100));
    const int labelEvery = full / scaleSteps >= widest.width() + g.margin.width() ? 1 : scaleSteps / 2;
    SimilarityScale scale;
    scale.axisY = -g.height;
    const int labelTop = scale.axisY - labelledTickLength - labelGap;
    for (int step = 0; step <= scaleSteps; ++step) {
        const int x = g.treeLeft + int(std::lround(full * step / scaleSteps));
        const bool labelled = step % labelEvery == 0;
        scale.tickX.push_back(x);
        scale.tickBottom.push_back(scale.axisY - (labelled ? labelledTickLength : tickLength));
        if (!labelled)
            continue;
        const int percent = step * 100 / scaleSteps;
        const QString text = label(percent);
        const int width = m_surface.textExtent(text).width();
        // Centred under its tick, but never past the drawing's left edge.
        scale.labels.push_back({percent, text, QPoint(std::max(0, x - width / 2), labelTop), width});
    }
    scale.height = labelledTickLength + labelGap + widest.height() + g.margin.height();
    return scale;
}

// A line of the tree, from positions relative to the tree's left edge and the first row's centre.
void DendrogramLayout::addLine(QPoint from, QPoint to)
{
    DendrogramGeometry &g = m_geometry;
    const QPoint origin(g.treeLeft, g.firstRowCentre);
    g.pathPoints.push_back(origin + from);
    g.pathSteps.push_back(PathStep::MoveTo);
    g.pathPoints.push_back(origin + to);
    g.pathSteps.push_back(PathStep::LineTo);
}

NodePlacement DendrogramLayout::placeLeaf(int item, double similarity)
{
    DendrogramGeometry &g = m_geometry;
    g.leafOrder.push_back(item);
    const double meanFit =
        m_meanFits && item >= 0 && size_t(item) < m_meanFits->size() ? (*m_meanFits)[size_t(item)] : 0.0;
    // The bar shows the fit bar text clipped to its width: no wider than the text, whatever
    // fit a damaged study claims.
    g.fitBarWidths.push_back(
        std::clamp(truncateToInt(g.fitBarFullWidth * meanFit / maxFit + 0.5), 0, std::max(g.fitBarFullWidth, 0)));
    NodePlacement leaf;
    leaf.x = joinX(similarity, 0.0);
    const int row = m_rowCounter++;
    leaf.y = leaf.top = -row * g.rowHeight;
    leaf.bottom = leaf.top - g.rowHeight;
    // From the names' side to one unit short of the join.
    addLine({g.treeRight - g.treeLeft, leaf.y}, {leaf.x - 1, leaf.y});
    return leaf;
}

void DendrogramLayout::placeTree(const ClusterNode *root)
{
    // Depth first with an explicit stack: a tree has as many levels as it may have items.
    struct Frame {
        const ClusterNode *node;
        int stage = 0; // 0: left side next, 1: right side next, 2: the node itself
        NodePlacement left = {};
        NodePlacement right = {};
    };
    std::vector<Frame> stack{Frame{root}};
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
            addLine({xn, right.y}, {right.x, right.y});
            addLine({xn, left.y}, {left.x, left.y});
            addLine({xn, left.y}, {xn, right.y});
            placement.y = static_cast<int>((left.y + right.y) * 0.5);
        } else {
            addLine({xn, left.y}, {xn, right.y});
            placement.y = left.y;
        }
        placement.x = xn;
        placement.top = left.top;
        placement.bottom = right.bottom;
        placement.splitY = left.bottom;
        placement.similarity = node->similarity;
        m_geometry.joins.push_back(placement);
        stack.pop_back();
        if (!stack.empty()) {
            Frame &parent = stack.back();
            (parent.stage == 1 ? parent.left : parent.right) = placement;
        }
    }
}

qint64 DendrogramLayout::layoutGroupNames(const Document &document, qint64 right)
{
    if (!document.settings().showGroupNames || !document.clusterRoot())
        return right;
    const std::optional<CategoryTable> &table = documentCategories(document);
    if (!table)
        return right;
    DendrogramGeometry &g = m_geometry;
    int widest = 0;
    for (const GroupName &group : document.figures().cut(document.settings().numberOfGroups)) {
        if (group.candidates.empty())
            continue;
        BandLabel label{group.firstRow, table->categories[group.candidates.front().category].name, {}};
        QStringList lines;
        for (const NameCandidate &candidate : group.candidates)
            lines << QStringLiteral("%1: %2 %")
                         .arg(table->categories[candidate.category].name,
                              QString::number(candidate.share * 100, 'f', 0));
        label.detail = lines.join(u'\n');
        widest = std::max(widest, std::min(m_surface.textExtent(label.text).width(), maxExtent));
        g.groupNames.push_back(std::move(label));
    }
    if (g.groupNames.empty())
        return right;
    g.groupNameRight = int(std::min<qint64>(qint64(g.labelLeft) + g.labelWidth + g.margin.width() + widest, maxExtent));
    return std::max(right, qint64(g.groupNameRight) + g.margin.width());
}

std::set<int> DendrogramLayout::groupBoundaries(int numberOfGroups) const
{
    std::vector<JoinSplit> joins;
    joins.reserve(m_geometry.joins.size());
    for (const NodePlacement &placement : m_geometry.joins)
        joins.push_back({placement.similarity, placement.splitY});
    return loosestSplits(std::move(joins), numberOfGroups);
}

} // namespace sortana
