#include "drawing/MatrixTiles.h"

#include "drawing/DrawingSurface.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace sortana {

namespace {

// Window pixels on a side.
constexpr int tileSide = 256;
// Tiles kept besides those of the last frame: a few windows' worth, some 30 MB.
constexpr size_t keptTiles = 120;

void setResolution(QImage &image, int dpiX, int dpiY)
{
    image.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
}

int floorDiv(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

} // namespace

void MatrixTiles::paint(QPainter &painter, const Document &document, const MatrixGeometry &geometry,
                        const View &view, QPoint scroll, QRect exposed)
{
    if (!(view == m_view)) {
        m_tiles.clear();
        m_view = view;
    }
    ++m_frame;
    // The drawing's pixels at this zoom: the tiles past them would show only the background.
    const QRect drawing(0, 0, int(std::ceil(geometry.size.width() * view.dpiX / himetricPerInch * view.zoom)),
                        int(std::ceil(geometry.size.height() * view.dpiY / himetricPerInch * view.zoom)));
    const QRect wanted = exposed.translated(scroll) & drawing;
    if (wanted.isEmpty())
        return;
    size_t inFrame = 0;
    for (int row = floorDiv(wanted.top(), tileSide); row <= floorDiv(wanted.bottom(), tileSide); ++row) {
        for (int column = floorDiv(wanted.left(), tileSide); column <= floorDiv(wanted.right(), tileSide); ++column) {
            painter.drawImage(QPoint(column, row) * tileSide - scroll, tile(document, geometry, {column, row}));
            ++inFrame;
        }
    }
    forgetUnused(inFrame);
}

const QImage &MatrixTiles::tile(const Document &document, const MatrixGeometry &geometry, QPoint index)
{
    Tile &tile = m_tiles[{index.x(), index.y()}];
    tile.lastFrame = m_frame;
    if (!tile.image.isNull())
        return tile.image;
    const int pixels = int(std::ceil(tileSide * m_view.devicePixelRatio));
    tile.image = QImage(pixels, pixels, QImage::Format_RGB32);
    if (tile.image.isNull())
        return tile.image;
    tile.image.setDevicePixelRatio(m_view.devicePixelRatio);
    setResolution(tile.image, m_view.dpiX, m_view.dpiY);
    tile.image.fill(m_view.background);
    const QPoint corner = index * tileSide;
    QPainter painter(&tile.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(-corner);
    painter.scale(m_view.zoom, m_view.zoom);
    DrawingSurface surface(painter, false, 0);
    // A little more than the tile, so that no pixel along its edges is left out.
    const auto toDrawing = [&](QPoint pixel) {
        return QPoint(pixelsToHimetric(pixel.x() / m_view.zoom, m_view.dpiX),
                      pixelsToHimetric(pixel.y() / m_view.zoom, m_view.dpiY));
    };
    constexpr int edgePixels = 2;
    const QRect visible(toDrawing(corner - QPoint(edgePixels, edgePixels)),
                        toDrawing(corner + QPoint(tileSide + edgePixels, tileSide + edgePixels)));
    drawMatrix(document, geometry, surface, visible, m_view.highlightedRow, &m_glyphs);
    return tile.image;
}

void MatrixTiles::forgetUnused(size_t inFrame)
{
    const size_t kept = inFrame + keptTiles;
    if (m_tiles.size() <= kept)
        return;
    std::vector<quint64> frames;
    frames.reserve(m_tiles.size());
    for (const auto &entry : m_tiles)
        frames.push_back(entry.second.lastFrame);
    // The frame from which on tiles are kept: the most recently shown ones.
    std::nth_element(frames.begin(), frames.begin() + std::ptrdiff_t(m_tiles.size() - kept), frames.end());
    const quint64 oldestKept = frames[m_tiles.size() - kept];
    std::erase_if(m_tiles, [&](const auto &entry) { return entry.second.lastFrame < oldestKept; });
}

} // namespace sortana
