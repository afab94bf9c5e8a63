#include "formats/ReportWriters.h"
#include "report/ReportContent.h"

#include "document/Document.h"
#include "drawing/PictureExport.h"

#include <QBuffer>
#include <QImage>

namespace sortana {

namespace {

// Above this many cards a matrix as SVG, one shape per cell, makes a page that browsers
// open slowly; an image of it is a fraction of the size.
constexpr int maxSvgMatrixCards = 300;
constexpr int imageDpi = 150;

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// A name as a CSS string: everything but plain letters and digits as an escape, so that no
// name can close the string or the style sheet.
QString cssString(const QString &text)
{
    QString css = QStringLiteral("\"");
    for (const char32_t c : text.toUcs4()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u' ')
            css += QChar(c);
        else
            css += QStringLiteral("\\%1 ").arg(uint(c), 0, 16);
    }
    return css + u'"';
}

QString styleSheet(const QString &fontName)
{
    return QStringLiteral("body{font-family:%1,sans-serif;color:#000;background:#fff;margin:2em auto;max-width:60em;"
                          "padding:0 1em;line-height:1.4}\n"
                          "h1{font-size:1.6em}h2{font-size:1.3em;border-bottom:1px solid #888;margin-top:2em}\n"
                          "table{border-collapse:collapse;margin:0.5em 0}\n"
                          "th,td{border:1px solid #999;padding:0.15em 0.5em;text-align:left;vertical-align:top}\n"
                          "th{background:#eee}td.n,th.n{text-align:right}\n"
                          "figure{margin:1em 0}figure svg,figure img{max-width:100%;height:auto;display:block}\n"
                          "figcaption{font-style:italic;margin-top:0.3em}\n"
                          "@media print{body{margin:0;max-width:none}h2{break-after:avoid}"
                          "figure,tr{break-inside:avoid}thead{display:table-header-group}}\n")
        .arg(cssString(fontName));
}

QString tableHtml(const ReportTable &table)
{
    const auto cellClass = [&](qsizetype column) {
        return std::size_t(column) < table.numeric.size() && table.numeric[std::size_t(column)]
            ? QStringLiteral(" class=\"n\"")
            : QString();
    };
    QString html = QStringLiteral("<table>\n<thead><tr>");
    for (qsizetype c = 0; c < table.header.size(); ++c)
        html += QStringLiteral("<th%1>%2</th>").arg(cellClass(c), escaped(table.header[c]));
    html += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const QStringList &row = table.rows[r];
        if (table.headings.contains(r)) {
            html += QStringLiteral("<tr><th colspan=\"%1\" scope=\"rowgroup\">%2</th></tr>\n")
                        .arg(QString::number(table.header.size()), escaped(row.join(u' ')));
            continue;
        }
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < row.size(); ++c)
            html += QStringLiteral("<td%1>%2</td>").arg(cellClass(c), escaped(row[c]));
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody>\n</table>\n");
    if (!table.note.isEmpty())
        html += QStringLiteral("<p>%1</p>\n").arg(escaped(table.note));
    return html;
}

// An SVG document as an element of the page: without the XML declaration before it.
QString inlineSvg(const QByteArray &svg)
{
    const qsizetype start = svg.indexOf("<svg");
    return start < 0 ? QString() : QString::fromUtf8(svg.mid(start));
}

QString inlinePng(const QImage &image, const QString &description)
{
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return QStringLiteral("<img alt=\"%1\" src=\"data:image/png;base64,%2\">")
        .arg(escaped(description), QString::fromLatin1(png.toBase64()));
}

QString pictureHtml(ReportPicture which, const ReportContent &content, const Document &document, const QString &caption)
{
    const ReferenceScreen screen;
    const bool large = document.study().itemCount > maxSvgMatrixCards;
    switch (which) {
    case ReportPicture::Dendrogram: return inlineSvg(svgPicture(document, screen, caption));
    case ReportPicture::SimilarityMatrix:
        return large ? inlinePng(matrixPictureImage(document, screen, imageDpi), caption)
                     : inlineSvg(matrixSvgPicture(document, screen, caption));
    case ReportPicture::PlacementMatrix:
        if (!content.placements)
            return {};
        return large ? inlinePng(placementPictureImage(document, *content.placements, screen, imageDpi), caption)
                     : inlineSvg(placementSvgPicture(document, *content.placements, screen, caption));
    case ReportPicture::AdequacyChart:
        return document.adequacy()
            ? inlineSvg(adequacySvgPicture(*document.adequacy(), document.settings().fontName, caption))
            : QString();
    }
    return {};
}

QString blockHtml(const ReportBlock &block, const ReportContent &content, const Document &document)
{
    switch (block.kind) {
    case ReportBlock::Kind::Paragraph: return QStringLiteral("<p>%1</p>\n").arg(escaped(block.text));
    case ReportBlock::Kind::Table: return tableHtml(block.table);
    case ReportBlock::Kind::Picture: {
        const QString drawn = pictureHtml(block.picture, content, document, block.text);
        return QStringLiteral("<figure>\n%1\n<figcaption>%2</figcaption>\n</figure>\n")
            .arg(drawn.isEmpty() ? QStringLiteral("<p>The picture could not be made.</p>") : drawn,
                 escaped(block.text));
    }
    }
    return {};
}

} // namespace

QByteArray reportHtml(const ReportContent &content, const Document &document)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<meta name=\"generator\" content=\"Sortana\">\n<title>%1</title>\n"
                                  "<style>\n%2</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                       .arg(escaped(content.title), styleSheet(document.settings().fontName));
    for (const ReportSection &section : content.sections) {
        html += QStringLiteral("<section>\n<h2>%1</h2>\n").arg(escaped(section.title));
        for (const ReportBlock &block : section.blocks)
            html += blockHtml(block, content, document);
        html += QStringLiteral("</section>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html.toUtf8();
}

} // namespace sortana
