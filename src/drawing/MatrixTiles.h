#pragma once

#include "drawing/MatrixDrawing.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <map>
#include <optional>
#include <utility>

class QPainter;

namespace sortana {

class Document;

// A window's picture of the similarity matrix, painted in square tiles that are kept from
// frame to frame: a frame paints only the tiles it has not shown before, so scrolling through
// a matrix of millions of cells costs little more than the strip it brings into view. The
// window empties it whenever the document changes; a change of how the window shows the
// matrix empties it by itself.
class MatrixTiles {
public:
    // How the window shows the matrix.
    struct View {
        double zoom = 1.0;
        std::optional<int> highlightedRow;
        int dpiX = 96;
        int dpiY = 96;
        double devicePixelRatio = 1.0;
        QColor background;   // around the drawing
        bool operator==(const View &) const = default;
    };

    // Paints the part `exposed` of a window scrolled to `scroll`, both in the window's pixels,
    // as drawMatrix paints it on the window with the painter moved by the scroll and scaled by
    // the zoom, over the background.
    void paint(QPainter &painter, const Document &document, const MatrixGeometry &geometry, const View &view,
               QPoint scroll, QRect exposed);
    void clear()
    {
        m_tiles.clear();
        m_glyphs.clear();
    }

private:
    struct Tile {
        QImage image;
        quint64 lastFrame = 0;
    };
    const QImage &tile(const Document &document, const MatrixGeometry &geometry, QPoint index);
    void forgetUnused(size_t inFrame);

    View m_view;
    NameGlyphs m_glyphs;
    std::map<std::pair<int, int>, Tile> m_tiles;
    quint64 m_frame = 0;
};

} // namespace sortana
