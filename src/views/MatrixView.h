#pragma once

#include "drawing/MatrixDrawing.h"
#include "drawing/MatrixTiles.h"
#include "views/DocumentWindow.h"

#include <optional>

#include <QCoreApplication>

namespace sortana {

// The window on one document's similarity matrix. It scrolls and zooms (Ctrl+wheel, Ctrl+0
// fits the whole matrix), names the pair under the mouse with its count, share and weighted
// score, highlights the row and column of a clicked name, and copies, drags and prints the
// matrix picture. It follows the dialog bar's font, groups and colours. A document saved
// without its matrix gets a line that says so.
class MatrixView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(MatrixView)

public:
    MatrixView(Document *document, Platform &platform, QWidget *parent = nullptr);
    MatrixView(const MatrixView &) = delete;
    MatrixView &operator=(const MatrixView &) = delete;

    void initialUpdate() override;
    void documentUpdated(UpdateHint hint) override;
    bool canCopy() const override;
    void copyToClipboard() override;
    bool printTo(QPrinter &printer) override;
    bool exportPicture(const QString &path, int pngDpi) override;
    // Highlights the found card's row and column, as a click on its name does.
    bool findNext(const QString &text) override;

    double zoom() const { return m_zoom; }
    // 1 shows the matrix at its real size.
    void setZoom(double zoom);
    // The whole matrix in the window.
    void fitToWindow();
    // What the tooltip says at the point of the viewport: the pair of a cell, or nothing.
    QString hoverText(QPoint viewportPoint);
    // The row (and column) whose name was clicked last, until it is clicked again.
    std::optional<int> highlightedRow() const { return m_highlight; }
    const MatrixGeometry &geometry();

protected:
    QString tipAt(QPoint viewportPoint) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool hasMatrix() const;
    double dpi() const;
    // Viewport pixels to the drawing's 0.01 mm (y downwards), and sizes the other way.
    QPoint toDrawing(QPoint viewportPoint) const;
    QSize scaledPixels(QSize himetric) const;
    void setScrollSizes();
    void fitFrame();
    MatrixHit hitAt(QPoint viewportPoint);
    // The names keep to the window's left and top edges while the cells scroll: the pixels
    // they take there, across and down, 0 where the names are still in their own place.
    QSize pinnedNames() const;
    // How far left and up of their own place the pinned names are shown, in pixels.
    QPoint pinnedShift() const;
    void paintPinnedNames(QPainter &painter);
    std::unique_ptr<QMimeData> pictureData(const QString &description);

    // Laid out for the screen on first need after every change of the document.
    std::optional<MatrixGeometry> m_geometry;
    // Painting millions of cells and thousands of names takes longer than a frame may.
    MatrixTiles m_tiles;
    // The names drawn at the window's edges, shaped once.
    NameGlyphs m_pinnedGlyphs;
    double m_zoom = 1.0;
    std::optional<int> m_highlight;
    std::optional<QPoint> m_pressPoint;
};

} // namespace sortana
