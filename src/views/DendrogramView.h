#pragma once

#include "drawing/DendrogramLayout.h"
#include "views/DocumentWindow.h"

#include <QCoreApplication>
#include <QFont>
#include <QPoint>
#include <QSize>

#include <optional>

namespace sortana {

// Declared by DocumentWindow.h: Document, Platform, QMimeData, QPrinter.
struct ReferenceScreen;
class DrawingSurface;

// The window on one document's dendrogram inside a document frame of the main window. It
// scrolls over the drawing at its real size, prints it on one page, copies it to the
// clipboard and lets it be dragged out as a picture, and lets the user widen or narrow the
// drawing by dragging the separator between the tree and the names.
//
// The main window calls initialUpdate once the view sits in its QMdiSubWindow, and
// activateView when a document frame gains or loses activation. Copy and the three kinds
// of printing are plain member functions to connect actions to. The document must outlive
// the view; a view without a document does nothing at all.
class DendrogramView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(DendrogramView)

public:
    DendrogramView(Document *document, Platform &platform, QWidget *parent = nullptr);
    DendrogramView(const DendrogramView &) = delete;
    DendrogramView &operator=(const DendrogramView &) = delete;

    // Scroll range from the drawing's extent, and the document frame resized so that the
    // view shows exactly the whole of it; then a first update.
    void initialUpdate() override;
    // Repaints at once, which lays the drawing out again; a new study also resets the scroll
    // range to the new drawing size.
    void documentUpdated(UpdateHint hint) override;
    // The window's own layout, which the hot zone and the scroll range follow: pictures and
    // other windows lay the document out on devices of their own. Null before the first
    // drawing.
    const DendrogramGeometry *screenGeometry() const;
    // What the window's last drawing covered, names past its edge and the scale included; the
    // drawing size before the first.
    QSize drawnExtent() const;
    // Copy is offered only while the document holds a tree.
    bool canCopy() const override;
    void copyToClipboard() override;

    // Whether the point of the viewport lies on the separator strip of the last drawing,
    // give or take half a millimetre on either side.
    bool hitTestSeparator(QPoint viewportPoint) const;
    // The top three names of the group whose suggested name lies at the point, with their
    // shares, as its tooltip says; empty elsewhere.
    QString groupNameTip(QPoint viewportPoint) const;

    // Whole rows on as many pages as the print scaling needs.
    bool printTo(QPrinter &printer) override;
    bool findNext(const QString &text) override;
    // The row of the card found last, until a new study comes.
    std::optional<int> foundRow() const { return m_found; }
    bool exportPicture(const QString &path, int pngDpi) override;
    // What the tooltip says at the point of the viewport: the support and the similarity of
    // the join whose line is there, or nothing.
    QString joinTipText(QPoint viewportPoint) const;

protected:
    QString tipAt(QPoint viewportPoint) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool hasTree() const;
    double scrollBarExtent() const;
    ReferenceScreen referenceScreen() const;
    QPoint scrollPosition() const;
    // The viewport's point in the drawing's 0.01 mm, y upwards.
    QPoint toDrawing(QPoint viewportPoint) const;
    QSize drawingPixels() const;
    // The drawing size, or the last layout's extent where names run past the drawing or the
    // similarity scale lies below it.
    QSize extentPixels() const;
    void setScrollSizes();
    void coverBackgroundWithDrawing();
    void fitFrameToDrawing();
    void dragSeparator(int pixels);
    void startPictureDrag();
    void paintFound(DrawingSurface &surface, const DendrogramGeometry &geometry);
    // The similarity scale stays in view: under the rows, or at the window's bottom while
    // rows go on below it.
    void paintScaleInView(QPainter &painter, const DendrogramGeometry &geometry, int width);
    double scaleStripTop(const DendrogramGeometry &geometry) const;
    void scrollToRow(const DendrogramGeometry &geometry, int row);
    std::unique_ptr<QMimeData> pictureData(const QString &description);

    // What a layout for this window is made from, the study aside: the study changes only
    // with an update.
    struct LayoutKey {
        QString fontName;
        qint32 fontSize = 0;
        qint32 numberOfGroups = 0;
        quint32 colour1 = 0;
        quint32 colour2 = 0;
        qint32 width = 0;
        bool scale = false;
        int dpiX = 0;
        int dpiY = 0;
        double scrollBarExtent = 0;
        QFont windowFont;   // the names' when the document has no font size
        bool operator==(const LayoutKey &) const = default;
    };
    LayoutKey layoutKey() const;

    // The extent the scroll bars were last set for, in pixels.
    QSize m_scrollTotal;
    bool m_dragging = false;
    QPoint m_lastMousePoint;
    // Where the left button went down away from the separator: a picture drag may follow.
    std::optional<QPoint> m_pressPoint;
    std::optional<int> m_found;
    // Laying 5,000 names out takes longer than a frame may, so a paint reuses the last layout
    // while nothing it was made from has changed.
    struct ScreenLayout {
        LayoutKey key;
        DendrogramGeometry geometry;
    };
    std::optional<ScreenLayout> m_screenLayout;
    // What the window's last drawing covered, or the drawing size before the first: the
    // extent while no layout is kept.
    QSize m_drawnExtent;
};

} // namespace sortana
