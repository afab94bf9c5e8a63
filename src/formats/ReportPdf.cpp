#include "formats/ReportWriters.h"

#include "document/Document.h"
#include "drawing/AdequacyChart.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/PictureExport.h"
#include "drawing/PlacementDrawing.h"
#include "drawing/PrintedPages.h"
#include "report/PageFlow.h"
#include "report/ReportContent.h"
#include "report/TextFlow.h"

#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace sortana {

namespace {

constexpr double titlePoints = 18;
constexpr double headingPoints = 13;
constexpr double bodyPoints = 10;
constexpr double tablePoints = 9;
// Space after a paragraph, a table or a picture, and before a section, in millimetres.
constexpr double blockGapMm = 3;
constexpr double sectionGapMm = 6;
// A heading keeps about this much of what follows on its page.
constexpr double headingKeepMm = 25;

struct ReportFonts {
    QFont title;
    QFont heading;
    QFont body;
    QFont caption;
    QFont table;
};

// The document's font, as its drawings choose it, at the sizes a report's text needs.
ReportFonts reportFonts(const Document &document)
{
    const QFont base = documentFont(document);
    const auto sized = [&base](double points, bool bold, bool italic) {
        QFont font = base;
        font.setPointSizeF(points);
        font.setBold(bold);
        font.setItalic(italic);
        return font;
    };
    return {sized(titlePoints, true, false), sized(headingPoints, true, false), sized(bodyPoints, false, false),
            sized(bodyPoints, false, true), sized(tablePoints, false, false)};
}

double toPixels(int himetric, double dpi)
{
    return himetric * dpi / himetricPerInch;
}

// Lays the report's pages out on the writer's page, then draws them.
class ReportPrinter {
public:
    ReportPrinter(const ReportContent &content, const Document &document, QPdfWriter &writer, QPainter &painter)
        : m_content(content),
          m_document(document),
          m_writer(writer),
          m_painter(painter),
          m_fonts(reportFonts(document)),
          m_flow(QSizeF(writer.width(), writer.height() - toPixels(pageFooterHeight, writer.logicalDpiY()))),
          m_text(m_flow, writer)
    {
    }

    void plan()
    {
        m_text.paragraph(m_content.title, m_fonts.title);
        for (const ReportSection &section : m_content.sections) {
            m_flow.skip(m_text.millimetres(sectionGapMm));
            m_flow.keepWithNext(true);
            m_text.paragraph(section.title, m_fonts.heading, m_text.millimetres(headingKeepMm));
            m_flow.skip(m_text.millimetres(blockGapMm / 2));
            const std::vector<bool> leads = leadIns(section.blocks);
            for (size_t k = 0; k < section.blocks.size(); ++k) {
                m_flow.keepWithNext(leads[k]);
                planBlock(section.blocks[k]);
                m_flow.skip(m_text.millimetres(blockGapMm));
            }
            m_flow.keepWithNext(false);
        }
    }

    // A page must have room for text above its footer.
    bool hasRoom() const
    {
        return m_flow.body().height() >= m_text.millimetres(headingKeepMm) && m_flow.body().width() > 0;
    }

    int pages() const { return m_flow.pageCount(); }

    bool paint(const std::function<bool()> &newPage)
    {
        return m_flow.paint(m_painter, newPage, [this](QPainter &painter, int page, int pages) {
            drawPageFooter(painter, m_fonts.body, page, pages);
        });
    }

private:
    // The paragraphs that lead into a table or a picture, straight before it or through other
    // such paragraphs: they stay with its start.
    static std::vector<bool> leadIns(const std::vector<ReportBlock> &blocks)
    {
        std::vector<bool> leads(blocks.size(), false);
        for (size_t k = blocks.size(); k-- > 1;) {
            const bool intoBlock = blocks[k].kind != ReportBlock::Kind::Paragraph || leads[k];
            leads[k - 1] = blocks[k - 1].kind == ReportBlock::Kind::Paragraph && intoBlock;
        }
        return leads;
    }

    void planBlock(const ReportBlock &block)
    {
        switch (block.kind) {
        case ReportBlock::Kind::Paragraph: m_text.paragraph(block.text, m_fonts.body); break;
        case ReportBlock::Kind::Table: planTable(block.table); break;
        case ReportBlock::Kind::Picture: planPicture(block); break;
        }
    }

    // A table, and its note under it on the page of its last row.
    void planTable(const ReportTable &table)
    {
        const double gap = m_text.millimetres(blockGapMm);
        if (table.note.isEmpty()) {
            m_text.table(table, m_fonts.table);
            return;
        }
        m_text.table(table, m_fonts.table, gap + m_text.height(table.note, m_fonts.body));
        m_flow.skip(gap);
        m_text.paragraph(table.note, m_fonts.body);
    }

    void planPicture(const ReportBlock &block)
    {
        switch (block.picture) {
        case ReportPicture::Dendrogram: planDendrogram(block.text); break;
        case ReportPicture::SimilarityMatrix: planMatrix(block.text); break;
        case ReportPicture::PlacementMatrix: planPlacements(block.text); break;
        case ReportPicture::AdequacyChart: planAdequacy(block.text); break;
        }
    }

    // The tree at its real size over pages, as the dendrogram window prints it, starting under
    // its caption: on this page when a third of the page is left there, else on the next with
    // all that introduces it.
    void planDendrogram(const QString &caption)
    {
        const DendrogramPages whole = planTree(0);
        if (whole.plan.pages.empty())
            return;
        if (!m_flow.runMayStartHere())
            m_flow.breakPage();
        if (!caption.isEmpty()) {
            m_flow.keepWithNext(true);
            m_text.paragraph(caption, m_fonts.caption);
            m_flow.skip(m_text.millimetres(blockGapMm / 2));
        }
        // A third of a page left before what introduces the tree is room enough to start it.
        const bool roomToStart = m_flow.room() + m_flow.keptHeight() >= m_flow.body().height() / 3;
        const int here = planTree(m_flow.used()).plan.pages.front().rows;
        if (m_flow.breakKeepsTogether() && here < whole.drawing.rows && (!roomToStart || here < 1))
            m_flow.breakPage();
        const PageStart start{toHimetricY(m_flow.used()), true};
        const DendrogramPages pages = planTree(m_flow.used());
        // What follows goes under the last page's rows and scale.
        const PagedDrawing &drawing = pages.drawing;
        const PrintedPage &last = pages.plan.pages.back();
        const double lastHimetric =
            (double(drawing.above) + double(last.rows) * drawing.rowHeight + drawing.below) * pages.plan.scale;
        const double lastTop = pages.plan.pages.size() == 1 ? m_flow.used() : 0;
        const double lastUsed = lastTop + toPixels(int(std::ceil(lastHimetric)), m_writer.logicalDpiY());
        m_flow.addRun(int(pages.plan.pages.size()), lastUsed,
                      [this, start](QPainter &painter, int first, int total, const std::function<bool()> &newPage) {
                          return printDendrogramPages(m_document, painter, newPage, m_screen, PrintScaling::RealSize,
                                                      {first, total}, start);
                      });
    }

    // The tree's pages when the first of them has this much (device pixels) above the tree.
    DendrogramPages planTree(double top)
    {
        return planDendrogramPages(m_document, m_painter, m_screen, PrintScaling::RealSize, {toHimetricY(top), true});
    }

    void planMatrix(const QString &caption)
    {
        const QSizeF body = m_flow.body();
        const int side = std::min(toHimetric(body.width()), toHimetric(body.height() * 0.85));
        auto geometry = std::make_shared<const MatrixGeometry>(layoutMatrix(m_document, &m_writer, side));
        if (geometry->isEmpty())
            return;
        planScaled(caption, geometry->size, [this, geometry](QPainter &painter) {
            DrawingSurface surface(painter, true, 0);
            drawMatrix(m_document, *geometry, surface, QRect(QPoint(0, 0), geometry->size));
        });
    }

    void planPlacements(const QString &caption)
    {
        if (!m_content.placements)
            return;
        const CategoryTable &table = *m_content.placements;
        auto geometry = std::make_shared<const PlacementGeometry>(layoutPlacements(m_document, table, &m_writer));
        if (geometry->isEmpty())
            return;
        planScaled(caption, geometry->size, [this, geometry, &table](QPainter &painter) {
            DrawingSurface surface(painter, true, 0);
            drawPlacements(m_document, table, *geometry, surface, QRect(QPoint(0, 0), geometry->size));
        });
    }

    void planAdequacy(const QString &caption)
    {
        if (!m_document.adequacy())
            return;
        planScaled(caption, adequacyChartSize, [this](QPainter &painter) {
            drawAdequacyChart(*m_document.adequacy(), painter, m_document.settings().fontName);
        });
    }

    // A picture of that size (0.01 mm) under its caption, made smaller where it would not
    // fit a page under what introduces it, on the next page with all that when it does not
    // fit what is left of this one.
    void planScaled(const QString &caption, QSize himetric, std::function<void(QPainter &)> draw)
    {
        if (!caption.isEmpty()) {
            m_flow.keepWithNext(true);
            m_text.paragraph(caption, m_fonts.caption);
            m_flow.skip(m_text.millimetres(blockGapMm / 2));
        }
        const double dpiX = m_writer.logicalDpiX();
        const double dpiY = m_writer.logicalDpiY();
        const QSizeF size(toPixels(himetric.width(), dpiX), toPixels(himetric.height(), dpiY));
        const QSizeF body = m_flow.body();
        // What introduces it moves along only while it takes at most half a page.
        const double lead = std::min(m_flow.keptHeight(), body.height() / 2);
        const double scale = std::min({1.0, body.width() / size.width(), (body.height() - lead) / size.height()});
        m_flow.keepWithNext(false);
        m_flow.place(size.height() * scale, [draw = std::move(draw), scale](QPainter &painter, QPointF at) {
            painter.translate(at);
            painter.scale(scale, scale);
            draw(painter);
        });
    }

    int toHimetric(double pixels) const { return pixelsToHimetric(pixels, m_writer.logicalDpiX()); }
    int toHimetricY(double pixels) const { return pixelsToHimetric(pixels, m_writer.logicalDpiY()); }

    const ReportContent &m_content;
    const Document &m_document;
    QPdfWriter &m_writer;
    QPainter &m_painter;
    const ReferenceScreen m_screen;
    const ReportFonts m_fonts;
    PageFlow m_flow;
    TextFlow m_text;
};

} // namespace

bool printReport(const ReportContent &content, const Document &document, QPdfWriter &writer, const Progress &progress)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    ReportPrinter printer(content, document, writer, painter);
    if (!printer.hasRoom()) {
        painter.end();
        return false;
    }
    printer.plan();
    const int pages = printer.pages();
    int done = 0;
    const auto told = [&] { return !progress || progress(done, pages); };
    // Told as each page is finished: a stop leaves the pages drawn so far to be thrown away.
    const bool painted = printer.paint([&] {
        ++done;
        return told() && writer.newPage();
    });
    done = pages;
    const bool ended = painter.end();
    return painted && ended && told();
}

} // namespace sortana
