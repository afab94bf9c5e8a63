#include "drawing/MatrixDrawing.h"

#include "analysis/GroupCut.h"
#include "document/Document.h"
#include "drawing/DrawingSurface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace sortana {

namespace {

constexpr int drawingMargin = 300;
// Between the names and the cells, and between the legend's bar and its labels.
constexpr int textGap = 100;
// Names are left out of cells smaller than this.
constexpr int smallestNamedCell = 200;
// The legend's bar is this many rows of the document's font tall.
constexpr int legendRows = 6;
// Up to this many cells on view are painted one by one (in pictures: one vector shape each);
// more are painted as an image of one pixel per cell, or per device pixel when cells are
// smaller than that.
constexpr qint64 maxSeparateCells = 40'000;
// Keeps the grid's side within 32 bits whatever a damaged document holds.
constexpr int maxGridSide = 1 << 30;
constexpr qsizetype maxFaceNameLength = 31;
constexpr int maxFontSize = 1000;
const QColor highlightColour(255, 214, 0);
const QColor highlightLine(200, 0, 0);

// A sequential scale of blues, lightest first, with strictly falling lightness.
constexpr std::array<QRgb, 9> scaleStops = {0xFFFFFF, 0xDEEBF7, 0xC6DBEF, 0x9ECAE1, 0x6BAED6,
                                            0x4292C6, 0x2171B5, 0x08519C, 0x08306B};

constexpr int lookupSteps = 1024;

// The scale sampled finely enough that neighbouring entries cannot be told apart.
const std::array<QRgb, lookupSteps + 1> &shareLookup()
{
    static const std::array<QRgb, lookupSteps + 1> table = [] {
        std::array<QRgb, lookupSteps + 1> colours{};
        for (int k = 0; k <= lookupSteps; ++k)
            colours[size_t(k)] = shareColour(double(k) / lookupSteps).rgb();
        return colours;
    }();
    return table;
}

QRgb lookupColour(double share)
{
    const int k = int(std::lround(std::clamp(share, 0.0, 1.0) * lookupSteps));
    return shareLookup()[size_t(k)];
}

QFont scaledFont(QFont font, double scale)
{
    if (scale >= 1.0)
        return font;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(font.pointSizeF() * scale, 0.5));
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
    return font;
}

double shareOf(const SimilarityData &similarity, int a, int b)
{
    // An item is always with itself.
    return a == b ? 1.0 : similarity.share(a, b);
}

// Drawing coordinates, y downwards, to the surface's, which grow upwards.
QPoint up(int x, int y)
{
    return {x, -y};
}

QRectF deviceRect(const DrawingSurface &surface, const QRect &area)
{
    return QRectF(surface.toDevice(up(area.left(), area.top())),
                  surface.toDevice(up(area.left() + area.width(), area.top() + area.height())))
        .normalized();
}

// The colour of every pair, as shareColour gives it, from a list of the colours of the counts
// a pair can have when they are few enough to list.
class PairColours {
public:
    explicit PairColours(const SimilarityData &similarity) : m_similarity(similarity), m_itself(shareColour(1.0).rgb())
    {
        const double most = similarity.maxCount();
        if (most > maxListedCount)
            return;
        // Counts outside 0 to the most share the colour of the nearest end of the scale.
        m_counts.resize(most > 0 ? size_t(most) + 1 : 1);
        for (size_t count = 0; count < m_counts.size(); ++count)
            m_counts[count] = shareColour(most > 0 ? double(count) / most : 0.0).rgb();
    }

    QRgb operator()(int a, int b) const
    {
        if (a == b)
            return m_itself;
        if (m_counts.empty())
            return shareColour(m_similarity.share(a, b)).rgb();
        return m_counts[size_t(std::clamp<qint64>(m_similarity.count(a, b), 0, qint64(m_counts.size()) - 1))];
    }

private:
    static constexpr double maxListedCount = 4096;
    const SimilarityData &m_similarity;
    QRgb m_itself;
    std::vector<QRgb> m_counts;
};

// First and one past the last of the rows (or columns) from `from` to `to` along one axis.
std::pair<int, int> indexRange(int from, int to, int start, int cell, int count)
{
    const auto index = [&](qint64 position) {
        return int(std::clamp<qint64>((position - start) / cell, 0, count));
    };
    return {index(from), std::min(count, index(qint64(to) + cell - 1))};
}

class MatrixPainter {
public:
    MatrixPainter(const Document &document, const MatrixGeometry &geometry, DrawingSurface &surface, QRect area,
                  NameGlyphs *windowGlyphs)
        : m_similarity(*document.study().similarity),
          m_names(document.study().itemNames),
          m_g(geometry),
          m_surface(surface),
          m_painter(surface.painter()),
          m_area(area),
          m_windowGlyphs(windowGlyphs),
          m_rows(indexRange(area.top(), area.bottom() + 1, geometry.grid.y(), geometry.cell, geometry.rows())),
          m_columns(indexRange(area.left(), area.right() + 1, geometry.grid.x(), geometry.cell, geometry.rows())),
          m_colours{toQColor(document.settings().colour1), toQColor(document.settings().colour2)}
    {
    }

    void background() { fill(m_area, Qt::white); }

    // The groups' colours behind the names, as the dendrogram's bands.
    void groupBands()
    {
        if (m_g.nameWidth == 0)
            return;
        for (size_t group = 0; group < m_g.groupStarts.size(); ++group) {
            const auto [first, end] = m_g.groupRows(group);
            const QColor &colour = m_colours[group % 2];
            fill(QRect(m_g.margin, m_g.grid.y() + first * m_g.cell, m_g.nameWidth, (end - first) * m_g.cell), colour);
            fill(QRect(m_g.grid.x() + first * m_g.cell, m_g.margin, (end - first) * m_g.cell, m_g.nameWidth), colour);
        }
    }

    void cells()
    {
        const auto [r0, r1] = m_rows;
        const auto [c0, c1] = m_columns;
        if (r0 >= r1 || c0 >= c1)
            return;
        if (forWindow() && cellPixels())
            return;
        if (qint64(r1 - r0) * (c1 - c0) > maxSeparateCells) {
            cellImage();
            return;
        }
        for (int r = r0; r < r1; ++r) {
            for (int c = c0; c < c1; ++c) {
                const double share = shareOf(m_similarity, m_g.order[size_t(r)], m_g.order[size_t(c)]);
                // The background is white already.
                if (share > 0)
                    fill(cellRect(r, c, 1), shareColour(share));
            }
        }
    }

    void groupSquares()
    {
        QPen pen = m_surface.hairlinePen(Qt::SolidLine);
        pen.setWidthF(pen.widthF() * 2);
        outline(pen, [&](auto square) {
            for (size_t group = 0; group < m_g.groupStarts.size(); ++group) {
                const auto [first, end] = m_g.groupRows(group);
                square(cellRect(first, first, end - first));
            }
        });
    }

    void highlightNames(int row)
    {
        if (m_g.nameWidth == 0)
            return;
        fill(QRect(m_g.margin, m_g.grid.y() + row * m_g.cell, m_g.nameWidth, m_g.cell), highlightColour);
        fill(QRect(m_g.grid.x() + row * m_g.cell, m_g.margin, m_g.cell, m_g.nameWidth), highlightColour);
    }

    void highlightLines(int row)
    {
        QPen pen = m_surface.hairlinePen(Qt::SolidLine);
        pen.setColor(highlightLine);
        pen.setWidthF(pen.widthF() * 2);
        const int side = m_g.rows() * m_g.cell;
        outline(pen, [&](auto rectangle) {
            rectangle(QRect(m_g.grid.x(), m_g.grid.y() + row * m_g.cell, side, m_g.cell));
            rectangle(QRect(m_g.grid.x() + row * m_g.cell, m_g.grid.y(), m_g.cell, side));
        });
    }

    void names()
    {
        if (m_g.nameWidth == 0)
            return;
        m_painter.setFont(m_g.nameFont);
        m_painter.setPen(Qt::black);
        const QFontMetricsF metrics(m_g.nameFont, m_painter.device());
        if (m_windowGlyphs)
            m_windowGlyphs->use(m_painter);
        // The name's width, and the name drawn from the top-left corner given (device).
        const auto advance = [&](int item) {
            return m_windowGlyphs ? m_windowGlyphs->of(item, m_names[item]).advance
                                  : metrics.horizontalAdvance(m_names[item]);
        };
        const auto draw = [&](QPointF topLeft, int item) {
            if (!m_windowGlyphs) {
                m_painter.drawText(topLeft + QPointF(0, metrics.ascent()), m_names[item]);
                return;
            }
            for (const QGlyphRun &run : m_windowGlyphs->of(item, m_names[item]).runs)
                m_painter.drawGlyphRun(topLeft, run);
        };
        if (m_area.left() < m_g.grid.x()) {
            for (int r = m_rows.first; r < m_rows.second; ++r) {
                const int item = m_g.order[size_t(r)];
                const int width = m_surface.toHimetricX(advance(item));
                draw(m_surface.toDevice(up(m_g.grid.x() - textGap / 2 - width, m_g.grid.y() + r * m_g.cell)), item);
            }
        }
        if (m_area.top() < m_g.grid.y()) {
            for (int c = m_columns.first; c < m_columns.second; ++c) {
                // Read from the bottom up, each name starting at the cells.
                const QPointF start = m_surface.toDevice(up(m_g.grid.x() + c * m_g.cell, m_g.grid.y() - textGap / 2));
                m_painter.save();
                m_painter.translate(start);
                m_painter.rotate(-90);
                draw(QPointF(0, 0), m_g.order[size_t(c)]);
                m_painter.restore();
            }
        }
    }

    void legend()
    {
        const QRect &bar = m_g.legendBar;
        if (!m_area.intersects(QRect(bar.left(), 0, m_g.size.width() - bar.left(), m_g.size.height())))
            return;
        drawShareScale(m_surface, bar);
        outline(m_surface.hairlinePen(Qt::SolidLine), [&](auto rectangle) { rectangle(bar); });
        drawShareLabels(m_surface, bar, m_g.legendFont);
    }

private:
    bool forWindow() const { return m_windowGlyphs != nullptr; }

    QRect cellRect(int row, int column, int span) const
    {
        return {m_g.grid.x() + column * m_g.cell, m_g.grid.y() + row * m_g.cell, span * m_g.cell, span * m_g.cell};
    }

    void fill(const QRect &area, const QColor &colour)
    {
        if (area.intersects(m_area))
            m_painter.fillRect(deviceRect(m_surface, area), colour);
    }

    template <typename Shapes>
    void outline(const QPen &pen, Shapes shapes)
    {
        m_painter.save();
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
        shapes([&](const QRect &area) {
            if (!area.adjusted(-1, -1, 1, 1).intersects(m_area))
                return;
            if (forWindow() && pixelOutline(area, pen))
                return;
            m_painter.drawRect(deviceRect(m_surface, area));
        });
        m_painter.restore();
    }

    // Drawing coordinates (0.01 mm, y downwards) to the device's pixels.
    QTransform drawingToDevice() const
    {
        const QPointF origin = m_surface.toDevice(up(0, 0));
        return QTransform(m_surface.dpiX() / himetricPerInch, 0, 0, m_surface.dpiY() / himetricPerInch, origin.x(),
                          origin.y())
             * m_painter.deviceTransform();
    }

    // Paints device pixels as the device's pixels, whatever the painter's transformation.
    template <typename Paint>
    void inDevicePixels(Paint paint)
    {
        m_painter.save();
        m_painter.resetTransform();
        m_painter.scale(1 / m_painter.device()->devicePixelRatio(), 1 / m_painter.device()->devicePixelRatio());
        paint();
        m_painter.restore();
    }

    // The outline of the area in device pixels, as a stroke of the pen looks on a raster
    // device: a pen at least a pixel wide covers the pixels whose centres it covers; a thinner
    // one shades the pixels its middle runs through by how wide it is. Where a frame is cut
    // into parts, a stroke's pixels change with the cut; these do not. False, having painted
    // nothing, when the device turns or shears the drawing.
    bool pixelOutline(const QRect &area, const QPen &pen)
    {
        const QTransform toDevice = drawingToDevice();
        if (toDevice.type() > QTransform::TxScale)
            return false;
        const QRectF edges = toDevice.mapRect(QRectF(area));
        const double across = pen.widthF() * std::abs(m_painter.deviceTransform().m11());
        const double down = pen.widthF() * std::abs(m_painter.deviceTransform().m22());
        // The first and one past the last pixel of a line of that width along one axis. Like
        // the rasterizer, positions are taken to 1/64 of a pixel.
        const auto pixels = [](double line, double width) {
            line = std::round(line * 64) / 64;
            if (width < 1)
                return std::pair{int(std::floor(line)), int(std::floor(line)) + 1};
            return std::pair{int(std::ceil(line - width / 2 - 0.5)), int(std::ceil(line + width / 2 - 0.5))};
        };
        const std::pair<int, int> left = pixels(edges.left(), across);
        const std::pair<int, int> right = pixels(edges.right(), across);
        const std::pair<int, int> top = pixels(edges.top(), down);
        const std::pair<int, int> bottom = pixels(edges.bottom(), down);
        QColor acrossColour = pen.color();
        QColor downColour = pen.color();
        acrossColour.setAlphaF(float(std::min(down, 1.0)));
        downColour.setAlphaF(float(std::min(across, 1.0)));
        inDevicePixels([&] {
            const auto fill = [&](int x0, int x1, int y0, int y1, const QColor &colour) {
                if (x1 > x0 && y1 > y0)
                    m_painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), colour);
            };
            // Each pixel once: the top and bottom lines with the corners, the sides between them.
            const int linesEnd = std::max(right.second, left.second);
            const int sidesEnd = std::max(bottom.first, top.second);
            fill(left.first, linesEnd, top.first, top.second, acrossColour);
            fill(left.first, linesEnd, sidesEnd, bottom.second, acrossColour);
            fill(left.first, left.second, top.second, sidesEnd, downColour);
            fill(std::max(right.first, left.second), right.second, top.second, sidesEnd, downColour);
        });
        return true;
    }

    // Many cells on view: one image of them, no finer than the device shows them.
    void cellImage()
    {
        const auto [r0, r1] = m_rows;
        const auto [c0, c1] = m_columns;
        const QRectF target = deviceRect(m_surface, cellRect(r0, c0, 1).united(cellRect(r1 - 1, c1 - 1, 1)));
        const QSizeF onDevice = m_painter.transform().mapRect(target).size();
        const int width = std::clamp(int(std::ceil(onDevice.width())), 1, c1 - c0);
        const int height = std::clamp(int(std::ceil(onDevice.height())), 1, r1 - r0);
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            return;
        std::vector<int> columns(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x)
            columns[size_t(x)] = m_g.order[size_t(c0) + size_t((x + 0.5) * (c1 - c0) / width)];
        for (int y = 0; y < height; ++y) {
            const int item = m_g.order[size_t(r0) + size_t((y + 0.5) * (r1 - r0) / height)];
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = lookupColour(shareOf(m_similarity, item, columns[size_t(x)]));
        }
        m_painter.drawImage(target, image);
    }

    // Each device pixel whose centre lies on a cell in view the colour of that cell, painted
    // as one image of device pixels. False, having painted nothing, when the device turns or
    // shears the drawing.
    bool cellPixels()
    {
        const auto [r0, r1] = m_rows;
        const auto [c0, c1] = m_columns;
        const QTransform toDevice = drawingToDevice();
        if (toDevice.type() > QTransform::TxScale || toDevice.m11() <= 0 || toDevice.m22() <= 0)
            return false;
        const double dpr = m_painter.device()->devicePixelRatio();
        const QRectF port = m_painter.viewport();
        const QRectF onDevice = toDevice.mapRect(QRectF(cellRect(r0, c0, 1).united(cellRect(r1 - 1, c1 - 1, 1))))
                                    .intersected(m_painter.deviceTransform().mapRect(m_painter.clipBoundingRect()))
                                    .intersected({port.topLeft() * dpr, port.size() * dpr});
        // The pixels whose centres lie within.
        const auto first = [](double edge) { return int(std::ceil(edge - 0.5)); };
        const int x0 = first(onDevice.left());
        const int y0 = first(onDevice.top());
        const int width = first(onDevice.right()) - x0;
        const int height = first(onDevice.bottom()) - y0;
        if (width <= 0 || height <= 0)
            return true;
        // The cell under each pixel's centre, along one axis.
        const auto cellsAlong = [&](int from, int count, double scale, double offset, int start, int firstCell,
                                    int endCell) {
            std::vector<int> cells(static_cast<size_t>(count));
            for (int k = 0; k < count; ++k) {
                const double position = (from + k + 0.5 - offset) / scale;
                cells[size_t(k)] =
                    int(std::clamp<double>(std::floor((position - start) / m_g.cell), firstCell, endCell - 1));
            }
            return cells;
        };
        const std::vector<int> columns = cellsAlong(x0, width, toDevice.m11(), toDevice.dx(), m_g.grid.x(), c0, c1);
        const std::vector<int> rows = cellsAlong(y0, height, toDevice.m22(), toDevice.dy(), m_g.grid.y(), r0, r1);
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            return true;
        const PairColours colourOf(m_similarity);
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            if (y > 0 && rows[size_t(y)] == rows[size_t(y) - 1]) {
                std::copy_n(reinterpret_cast<const QRgb *>(image.constScanLine(y - 1)), width, line);
                continue;
            }
            const int item = m_g.order[size_t(rows[size_t(y)])];
            QRgb colour = 0;
            for (int x = 0; x < width; ++x) {
                if (x == 0 || columns[size_t(x)] != columns[size_t(x) - 1])
                    colour = colourOf(item, m_g.order[size_t(columns[size_t(x)])]);
                line[x] = colour;
            }
        }
        inDevicePixels([&] { m_painter.drawImage(QPoint(x0, y0), image); });
        return true;
    }

    const SimilarityData &m_similarity;
    const QStringList &m_names;
    const MatrixGeometry &m_g;
    DrawingSurface &m_surface;
    QPainter &m_painter;
    QRect m_area;
    NameGlyphs *m_windowGlyphs;
    std::pair<int, int> m_rows;
    std::pair<int, int> m_columns;
    QColor m_colours[2];
};

} // namespace

QFont documentFont(const Document &document)
{
    QFont font;
    if (document.settings().fontSize > 0) {
        font = QFont(document.settings().fontName.left(maxFaceNameLength));
        font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
        font.setPointSize(std::min(document.settings().fontSize, maxFontSize));
    }
    return font;
}

void drawShareScale(DrawingSurface &surface, QRect bar)
{
    constexpr int slices = 64;
    for (int k = 0; k < slices; ++k) {
        const int top = bar.top() + bar.height() * k / slices;
        const int bottom = bar.top() + bar.height() * (k + 1) / slices;
        surface.painter().fillRect(deviceRect(surface, QRect(bar.left(), top, bar.width(), bottom - top)),
                                   shareColour(1.0 - (k + 0.5) / slices));
    }
}

void drawShareLabels(DrawingSurface &surface, QRect bar, const QFont &font)
{
    QPainter &painter = surface.painter();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const std::pair<int, QString> labels[] = {{0, QStringLiteral("100 %")},
                                              {bar.height() / 2, QStringLiteral("50 %")},
                                              {bar.height(), QStringLiteral("0 %")}};
    for (const auto &[offset, label] : labels) {
        const int halfHeight = surface.textExtent(label).height() / 2;
        surface.textOut(up(bar.left() + bar.width() + textGap, bar.top() + offset - halfHeight), label);
    }
}

QColor shareColour(double share)
{
    const double position = std::clamp(std::isfinite(share) ? share : 0.0, 0.0, 1.0) * (scaleStops.size() - 1);
    const size_t stop = std::min(size_t(position), scaleStops.size() - 2);
    const double t = position - double(stop);
    const QColor from(scaleStops[stop]);
    const QColor to(scaleStops[stop + 1]);
    const auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return {mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue())};
}

std::pair<int, int> MatrixGeometry::groupRows(size_t group) const
{
    const int end = group + 1 < groupStarts.size() ? groupStarts[group + 1] : rows();
    return {groupStarts[group], end};
}

MatrixGeometry layoutMatrix(const Document &document, QPaintDevice *device, int maxSide)
{
    MatrixGeometry g;
    if (!document.hasStudy() || !document.clusterRoot() || !document.study().similarity)
        return g;
    const int items =
        int(std::min<qsizetype>(document.study().similarity->itemCount(), document.study().itemNames.size()));
    std::vector<int> order = document.leafOrder();
    // Only a damaged document can name an item the matrix or the names do not hold.
    if (order.empty() || std::any_of(order.begin(), order.end(), [&](int item) { return item < 0 || item >= items; }))
        return g;
    g.order = std::move(order);
    g.groupStarts = document.figures().groupStarts(document.settings().numberOfGroups);
    g.margin = drawingMargin;

    const QFont font = documentFont(document);
    const QFontMetricsF metrics(font, device);
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();
    const int rowHeight = std::max(1, pixelsToHimetric(metrics.height(), dpiY));
    double widest = 0;
    for (const int item : g.order)
        widest = std::max(widest, metrics.horizontalAdvance((document.study().itemNames)[item]));
    const int nameWidth = pixelsToHimetric(widest, dpiX) + textGap;
    const int legendLabelWidth = pixelsToHimetric(metrics.horizontalAdvance(QStringLiteral("100 %")), dpiX);
    const int legendWidth = drawingMargin + rowHeight + textGap + legendLabelWidth;
    const double n = double(g.rows());

    // The share of the font's size the cells and names get to stay within the bound.
    const auto fit = [&](int names) {
        if (maxSide <= 0)
            return 1.0;
        const double room = std::min(double(maxSide) - 2 * drawingMargin - legendWidth, double(maxSide) - 2 * drawingMargin);
        return std::clamp(room / (names + n * rowHeight), 0.0, 1.0);
    };
    double scale = fit(nameWidth);
    const bool withNames = scale * rowHeight >= smallestNamedCell;
    if (!withNames)
        scale = fit(0);
    g.cell = std::clamp(int(scale * rowHeight), 1, std::max(1, maxGridSide / g.rows()));
    const double cellScale = double(g.cell) / rowHeight;
    g.nameWidth = withNames ? int(nameWidth * cellScale) : 0;
    g.nameFont = scaledFont(font, cellScale);
    g.legendFont = font;
    g.grid = {drawingMargin + g.nameWidth, drawingMargin + g.nameWidth};
    const int gridSide = g.rows() * g.cell;
    g.legendBar = QRect(g.grid.x() + gridSide + drawingMargin, g.grid.y(), rowHeight, legendRows * rowHeight);
    g.size = {g.legendBar.left() + g.legendBar.width() + textGap + legendLabelWidth + drawingMargin,
              std::max(g.grid.y() + gridSide, g.legendBar.top() + g.legendBar.height() + rowHeight / 2) + drawingMargin};
    return g;
}

void NameGlyphs::use(const QPainter &painter)
{
    QPaintDevice *device = painter.device();
    if (painter.font() != m_font || device->logicalDpiX() != m_dpiX || device->logicalDpiY() != m_dpiY
        || painter.layoutDirection() != m_direction) {
        m_names.clear();
        m_font = painter.font();
        m_dpiX = device->logicalDpiX();
        m_dpiY = device->logicalDpiY();
        m_direction = painter.layoutDirection();
    }
    m_device = device;
}

const NameGlyphs::Name &NameGlyphs::of(int item, const QString &name)
{
    if (size_t(item) >= m_names.size())
        m_names.resize(size_t(item) + 1);
    std::optional<Name> &shaped = m_names[size_t(item)];
    if (!shaped) {
        // As QPainter::drawText lays a line out.
        QTextLayout layout(name, m_font, m_device);
        QTextOption option;
        option.setTextDirection(m_direction);
        layout.setTextOption(option);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        shaped = Name{layout.glyphRuns(), QFontMetricsF(m_font, m_device).horizontalAdvance(name)};
    }
    return *shaped;
}

void drawMatrix(const Document &document, const MatrixGeometry &geometry, DrawingSurface &surface, QRect visible,
                std::optional<int> highlightedRow, NameGlyphs *windowGlyphs)
{
    if (geometry.isEmpty() || !document.hasStudy() || !document.study().similarity)
        return;
    const QRect area = visible & QRect(QPoint(0, 0), geometry.size);
    if (area.isEmpty())
        return;
    QPainter &painter = surface.painter();
    painter.save();
    // Whole cells, squares and names are drawn where they touch the area; nothing past it.
    painter.setClipRect(deviceRect(surface, area), Qt::IntersectClip);
    MatrixPainter matrix(document, geometry, surface, area, windowGlyphs);
    matrix.background();
    matrix.groupBands();
    const bool highlighted = highlightedRow && *highlightedRow >= 0 && *highlightedRow < geometry.rows();
    if (highlighted)
        matrix.highlightNames(*highlightedRow);
    matrix.cells();
    matrix.groupSquares();
    if (highlighted)
        matrix.highlightLines(*highlightedRow);
    matrix.names();
    matrix.legend();
    painter.restore();
}

MatrixHit matrixHitAt(const MatrixGeometry &geometry, QPoint point)
{
    MatrixHit hit;
    if (geometry.isEmpty())
        return hit;
    const QRect grid = geometry.gridRect();
    const auto index = [&](int position, int start) { return (position - start) / geometry.cell; };
    const bool inRows = point.y() >= grid.top() && point.y() <= grid.bottom();
    const bool inColumns = point.x() >= grid.left() && point.x() <= grid.right();
    if (inRows && inColumns) {
        hit.part = MatrixHit::Part::Cell;
        hit.row = index(point.y(), grid.top());
        hit.column = index(point.x(), grid.left());
    } else if (geometry.nameWidth > 0 && inRows && point.x() >= geometry.margin && point.x() < grid.left()) {
        hit.part = MatrixHit::Part::RowName;
        hit.row = index(point.y(), grid.top());
    } else if (geometry.nameWidth > 0 && inColumns && point.y() >= geometry.margin && point.y() < grid.top()) {
        hit.part = MatrixHit::Part::ColumnName;
        hit.column = index(point.x(), grid.left());
    }
    return hit;
}

QString pairDescription(const Document &document, int a, int b)
{
    if (!document.hasStudy() || !document.study().similarity)
        return {};
    const QStringList &names = document.study().itemNames;
    if (a < 0 || b < 0 || a >= names.size() || b >= names.size() || a >= document.study().similarity->itemCount()
        || b >= document.study().similarity->itemCount())
        return {};
    if (a == b)
        return names[a];
    const SimilarityData &similarity = *document.study().similarity;
    // As the weighted matrix file gives it.
    const double fileScale = document.study().summary.weightedScale();
    const double scale = fileScale > 0 ? fileScale : 1.0;
    return QStringLiteral("%1 and %2\nSorted together %3 of %4 times (%5 %)\nWeighted score %6")
        .arg(names[a], names[b])
        .arg(similarity.count(a, b))
        .arg(qint64(similarity.maxCount()))
        .arg(QString::number(similarity.share(a, b) * 100, 'f', 0))
        .arg(QString::number(similarity.weightedScore(a, b) / scale, 'f', 1));
}

} // namespace sortana
