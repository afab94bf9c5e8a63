#pragma once

#include "drawing/PageSplit.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>

#include <functional>
#include <memory>
#include <optional>

class QMimeData;
class QPrinter;

namespace sortana {

class Document;
class Platform;

// What changed in a document, for the windows that show it.
enum class UpdateHint {
    Redraw, // how it is shown: draw again
    NewStudy, // a new study: its drawing size changed as well
};

// A window on a document inside a document frame: the dendrogram or the similarity matrix.
// What the main window asks of every kind: a first update, Copy and printing. It follows
// its document's signals.
class DocumentWindow : public QAbstractScrollArea {
    Q_DECLARE_TR_FUNCTIONS(DocumentWindow)

public:
    DocumentWindow(Document *document, Platform &platform, QWidget *parent);

    Document *document() const { return m_document; }

    // Called once the window sits in its frame.
    virtual void initialUpdate() = 0;
    // Called whenever the document changed.
    virtual void documentUpdated(UpdateHint hint) = 0;
    virtual bool canCopy() const = 0;
    virtual void copyToClipboard() = 0;
    // As many pages as the print scaling needs. False, after telling the user, when the
    // printer cannot be started.
    virtual bool printTo(QPrinter &printer) = 0;
    PrintScaling printScaling() const { return m_printScaling; }
    void setPrintScaling(PrintScaling scaling) { m_printScaling = scaling; }
    // Finds the next card whose name holds the text, whatever its case, after the one found
    // last, going round past the end; scrolls to it and highlights it on screen. False when
    // no name holds it.
    virtual bool findNext(const QString &text) = 0;
    // Find looks in what the window shows: the names of its picture, unless it says otherwise.
    virtual bool canFind() const { return canCopy(); }
    // What the window shows as a picture file: SVG, PNG at the resolution given, or PDF. False,
    // after telling the user, when it could not be written.
    virtual bool exportPicture(const QString &path, int pngDpi) = 0;

    // With the printer and page the user set up.
    void print(QPrinter &printer);
    void printDirect(QPrinter &printer);
    // Shows one or two pages side by side, as the user last chose; returns the choice.
    int printPreview(QPrinter &printer, int pagesShown);

protected:
    // What the tooltip says at a point of the viewport; an empty text shows none.
    virtual QString tipAt(QPoint) { return {}; }
    bool viewportEvent(QEvent *event) override;
    // For a mouse move: with no button down, a tooltip on view follows the mouse from place to
    // place; with the left button down since the press point, once far enough from it, the
    // picture is dragged out and the press forgotten.
    void followMouse(const class QMouseEvent &event, std::optional<QPoint> &pressPoint,
                     const std::function<std::unique_ptr<QMimeData>()> &picture);
    // An SVG and a PNG of one picture, as Copy and a picture drag offer it.
    static std::unique_ptr<QMimeData> pictureMimeData(const QByteArray &svg, const QImage &image);
    // Prints the pages that `printPages` draws with a painter begun on the printer; false, after
    // telling the user what could not be printed, when the printer failed.
    bool printPagesOn(QPrinter &printer, const QString &what,
                      const std::function<bool(QPainter &, const std::function<bool()> &newPage)> &printPages);
    // Puts the picture on the clipboard and tells the user when that failed.
    void offerOnClipboard(std::unique_ptr<QMimeData> data);
    // Scroll bars over a total of pixels with a page of pixels on view.
    static void setScrollRange(class QScrollBar &bar, int total, int page);
    void message(const QString &text);

    Document *m_document;
    Platform &m_platform;
    PrintScaling m_printScaling = PrintScaling::RealSize;
};

} // namespace sortana
