#pragma once

#include <QPointF>
#include <QSizeF>

#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace sortana {

// Pages planned in full before any is drawn, so that every footer can give their count.
// Content flows down pages of one body (the printable area above the footer, in device
// pixels); a drawing that lays out pages of its own joins as a run of whole pages.
class PageFlow {
public:
    // Paints one placed piece, with its top-left corner at the point given.
    using Paint = std::function<void(QPainter &, QPointF)>;
    // Paints a run's pages: the painter on its first page, the report's number of that page
    // and the report's page count, and how to start each next page. False when it failed.
    using PaintRun = std::function<bool(QPainter &, int firstPage, int pages, const std::function<bool()> &newPage)>;

    explicit PageFlow(QSizeF body) : m_body(body) {}

    QSizeF body() const { return m_body; }
    // The height still free on the current page.
    double room() const { return m_body.height() - m_y; }
    bool atPageTop() const { return m_y <= 0; }

    // The height taken on the current page so far.
    double used() const { return m_open ? m_y : 0; }

    // Starts a new page unless this much room is left, or nothing stands on the page yet.
    void keepRoom(double height);
    // Starts a new page. Pieces kept with what follows them move on to it, unless they begin
    // the page they stand on or would take more than half of the new one.
    void breakPage();
    // While on, the pieces placed are kept with the next piece placed while off (or the next
    // run), so that a heading or a caption never ends a page apart from what it introduces.
    void keepWithNext(bool keep) { m_keeping = keep; }
    // The height of the pieces now kept with what follows, from the top of the first of them.
    double keptHeight() const { return m_keptFrom ? m_y - m_keptY : 0; }
    // Whether a page break now would leave no piece kept with what follows at this page's foot.
    bool breakKeepsTogether() const { return !m_keptFrom || (m_keptY > 0 && keptHeight() <= m_body.height() / 2); }
    // Places a piece this high at the current position (moved right by `indent`) and moves
    // below it.
    void place(double height, Paint paint, double indent = 0);
    // Leaves space below the last piece, unless at the top of a page.
    void skip(double height);
    // Whether a run may start on the current page: not on another run's last page, whose
    // footer that run has drawn already.
    bool runMayStartHere() const { return !m_open || !m_pages.back().afterRun; }
    // Adds `pages` pages painted by `paint`, footers and all, the first of them the current
    // page below what stands on it (`used()` high), or a new page when none is open or a run
    // may not start here; what follows goes on the run's last page below the `lastPageUsed`
    // the run takes there.
    void addRun(int pages, double lastPageUsed, PaintRun paint);

    int pageCount() const;
    // Paints every page, calling `newPage` between them, and the footer after each page's
    // content with the page's number and the count. False as soon as anything fails.
    bool paint(QPainter &painter, const std::function<bool()> &newPage,
               const std::function<void(QPainter &, int page, int pages)> &footer) const;

private:
    struct Piece {
        QPointF at;
        Paint paint;
    };
    struct Page {
        std::vector<Piece> pieces;
        int runPages = 0; // a run's pages, the first of them painted over the pieces
        PaintRun run;
        bool afterRun = false; // pieces on the last page of the run before, which drew its footer
    };
    Page &current();
    void moveKeptPieces();

    QSizeF m_body;
    std::vector<Page> m_pages;
    double m_y = 0;
    bool m_open = false; // whether the last page takes more pieces
    bool m_keeping = false;
    // The first kept piece of the current page, and where it stands.
    std::optional<size_t> m_keptFrom;
    double m_keptY = 0;
};

} // namespace sortana
