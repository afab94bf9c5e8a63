#pragma once

#include "analysis/Categories.h"
#include "drawing/PlacementDrawing.h"
#include "views/DocumentWindow.h"

#include <optional>

#include <QCoreApplication>

namespace sortana {

// The window on where the participants placed each card: cards in the dendrogram's leaf
// order down, the categories they named across, each cell coloured by the share of the
// card's participants who placed it there. It names the cell under the mouse, and copies,
// drags, prints and exports the picture. It follows the settings bar and the
// standardisation; a document saved without the sorts gets a line that says so.
class PlacementView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(PlacementView)

public:
    PlacementView(Document *document, Platform &platform, QWidget *parent = nullptr);
    PlacementView(const PlacementView &) = delete;
    PlacementView &operator=(const PlacementView &) = delete;

    void initialUpdate() override;
    void documentUpdated(UpdateHint hint) override;
    bool canCopy() const override;
    void copyToClipboard() override;
    bool printTo(QPrinter &printer) override;
    bool exportPicture(const QString &path, int pngDpi) override;
    // Scrolls the found card's row into the middle of the window.
    bool findNext(const QString &text) override;

    // What the tooltip says at the point of the viewport: a cell's card and category, or nothing.
    QString hoverText(QPoint viewportPoint) const;
    // The categories shown, or nothing for a document saved without the sorts.
    const std::optional<CategoryTable> &table() const { return m_table; }
    const PlacementGeometry &geometry() const { return m_geometry; }

protected:
    QString tipAt(QPoint viewportPoint) override { return hoverText(viewportPoint); }
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    double dpi() const;
    QPoint toDrawing(QPoint viewportPoint) const;
    QSize pixels(QSize himetric) const;
    void setScrollSizes();
    std::unique_ptr<QMimeData> pictureData(const QString &description) const;

    std::optional<CategoryTable> m_table;
    PlacementGeometry m_geometry;
    std::optional<int> m_lastFound;
    std::optional<QPoint> m_pressPoint;
};

} // namespace sortana
