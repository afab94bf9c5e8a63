#include "views/PrintedTable.h"

#include "drawing/DrawingSurface.h"
#include "drawing/PrintedPages.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

namespace sortana {

namespace {

constexpr int titlePointSize = 10;
// Between the title and the text under it, in 0.01 mm.
constexpr int titleGap = 400;

} // namespace

QString tableHtml(const PrintedTable &table)
{
    const auto cell = [&](const QString &tag, qsizetype column, const QString &text) {
        const bool right = size_t(column) < table.flushRight.size() && table.flushRight[size_t(column)];
        return QStringLiteral("<%1%2>%3</%1>")
            .arg(tag, right ? QStringLiteral(" align=\"right\"") : QString(), text.toHtmlEscaped());
    };
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><thead><tr>");
    for (qsizetype column = 0; column < table.headings.size(); ++column)
        html += cell(QStringLiteral("th"), column, table.headings[column]);
    html += QStringLiteral("</tr></thead><tbody>");
    for (const QStringList &row : table.rows) {
        html += QStringLiteral("<tr>");
        for (qsizetype column = 0; column < row.size(); ++column)
            html += cell(QStringLiteral("td"), column, row[column]);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</tbody></table>");
}

bool printTextPages(QPainter &painter, const std::function<bool()> &newPage, const QString &title, const QString &html)
{
    QPaintDevice &device = *painter.device();
    QFont titleFont = painter.font();
    titleFont.setPointSize(titlePointSize);
    titleFont.setBold(true);
    const QFontMetricsF titleMetrics(titleFont, &device);
    const double titleHeight = titleMetrics.height();
    const double top = titleHeight + himetricToPixels(titleGap, device.logicalDpiY());
    const double bottom = himetricToPixels(pageFooterHeight, device.logicalDpiY());
    const QSizeF body(device.width(), std::max(1.0, device.height() - top - bottom));

    QTextDocument text;
    // Fonts are measured on the printer, so that the pages break where the printer breaks lines.
    text.documentLayout()->setPaintDevice(&device);
    text.setDocumentMargin(0);
    text.setHtml(html);
    text.setPageSize(body);
    const int pages = std::max(1, text.pageCount());
    for (int k = 0; k < pages; ++k) {
        if (k > 0 && !newPage())
            return false;
        painter.save();
        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, body.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         titleMetrics.elidedText(title, Qt::ElideRight, body.width()));
        // The page's share of the text, which the layout has broken into pages of the body's height.
        painter.translate(0, top - k * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(QPointF(0, k * body.height()), body);
        painter.setClipRect(context.clip);
        text.documentLayout()->draw(&painter, context);
        painter.restore();
        drawPageFooter(painter, painter.font(), k + 1, pages);
    }
    return painter.isActive();
}

} // namespace sortana
