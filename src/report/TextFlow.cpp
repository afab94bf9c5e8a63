#include "report/TextFlow.h"

#include "report/ReportContent.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace sortana {

namespace {

constexpr double cellPaddingMm = 1.2;
constexpr QRgb headerShade = 0xffe4e4e4;
constexpr QRgb headingShade = 0xfff2f2f2;
constexpr QRgb ruleGrey = 0xffa0a0a0;

// The text broken into lines no wider than `width`: at line breaks of its own, then at word
// boundaries, and inside a word only where the word alone is wider.
QStringList wrapLines(const QString &text, const QFont &font, QPaintDevice &device, double width)
{
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &part : text.split(u'\n')) {
        QTextLayout layout(part, font, &device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << part.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

void drawLine(QPainter &painter, const QFont &font, QRectF box, int alignment, const QString &text)
{
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box, alignment | Qt::AlignTop | Qt::TextSingleLine, text);
}

// Columns as wide as their widest cell, or, when they do not fit side by side, the narrow
// ones as they are and the rest sharing what is left evenly.
std::vector<double> columnWidths(std::vector<double> natural, double available)
{
    const double total = std::accumulate(natural.begin(), natural.end(), 0.0);
    if (total <= available || natural.empty())
        return natural;
    std::vector<bool> shared(natural.size(), true);
    double left = available;
    size_t sharing = natural.size();
    for (bool settled = false; !settled && sharing > 0;) {
        settled = true;
        const double share = left / double(sharing);
        for (size_t c = 0; c < natural.size(); ++c) {
            if (shared[c] && natural[c] <= share) {
                shared[c] = false;
                left -= natural[c];
                --sharing;
                settled = false;
            }
        }
    }
    for (size_t c = 0; c < natural.size(); ++c) {
        if (shared[c])
            natural[c] = left / double(sharing);
    }
    return natural;
}

// How many lines (or rows) from the k-th of `count` go onto one page together, so that neither
// the first nor the last stands alone on a page: three or fewer are kept whole, more break
// with two on either side.
size_t keptTogether(size_t k, size_t count)
{
    if (k == 0)
        return count <= 3 ? count : 2;
    return k + 2 == count ? 2 : 1;
}

struct LaidRow {
    std::vector<QStringList> cells;
    double height = 0;
    int lines = 1; // of its tallest cell
    bool spans = false; // one cell across the table
};

// Lines [from, from + count) of every cell of the row, as a row of their own.
LaidRow rowSlice(const LaidRow &row, int from, int count, double lineHeight, double padding)
{
    LaidRow slice;
    for (const QStringList &cell : row.cells)
        slice.cells.push_back(cell.mid(from, count));
    slice.lines = count;
    slice.spans = row.spans;
    slice.height = count * lineHeight + 2 * padding;
    return slice;
}

} // namespace

double TextFlow::millimetres(double mm) const
{
    return mm * m_device.logicalDpiY() / 25.4;
}

void TextFlow::paragraph(const QString &text, const QFont &font, double keepWith)
{
    const QFontMetricsF metrics(font, &m_device);
    const double lineHeight = metrics.lineSpacing();
    const QStringList lines = wrapLines(text, font, m_device, m_pages.body().width());
    const qsizetype count = lines.size();
    for (qsizetype k = 0; k < count; ++k) {
        const size_t together = keptTogether(size_t(k), size_t(count));
        const double height = double(together) * lineHeight + (size_t(k) + together >= size_t(count) ? keepWith : 0);
        m_pages.keepRoom(height);
        const double width = m_pages.body().width();
        m_pages.place(lineHeight, [font, line = lines[k], width, lineHeight](QPainter &painter, QPointF at) {
            drawLine(painter, font, QRectF(at, QSizeF(width, lineHeight)), Qt::AlignLeft, line);
        });
    }
}

double TextFlow::height(const QString &text, const QFont &font) const
{
    return double(wrapLines(text, font, m_device, m_pages.body().width()).size())
        * QFontMetricsF(font, &m_device).lineSpacing();
}

void TextFlow::table(const ReportTable &table, const QFont &font, double keepWith)
{
    const size_t columns = table.header.size();
    if (columns == 0)
        return;
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF metrics(font, &m_device);
    const QFontMetricsF boldMetrics(bold, &m_device);
    const double padding = millimetres(cellPaddingMm);
    const double lineHeight = std::max(metrics.lineSpacing(), boldMetrics.lineSpacing());
    const auto cell = [&](const QStringList &row, size_t c) {
        return c < size_t(row.size()) ? row[qsizetype(c)] : QString();
    };

    // A line laid out exactly as wide as its text may still break: text is laid out in
    // fixed-point units that round up.
    const double slack = 1;
    std::vector<double> natural(columns, 0.0);
    for (size_t c = 0; c < columns; ++c)
        natural[c] = boldMetrics.horizontalAdvance(table.header[qsizetype(c)]);
    double widestHeading = 0;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const QStringList &row = table.rows[r];
        if (table.headings.contains(r)) {
            widestHeading = std::max(widestHeading, boldMetrics.horizontalAdvance(row.join(u' ')));
            continue;
        }
        for (size_t c = 0; c < columns; ++c)
            natural[c] = std::max(natural[c], metrics.horizontalAdvance(cell(row, c)));
    }
    for (double &width : natural)
        width = std::ceil(width) + slack + 2 * padding;
    // A heading row wider than the columns widens the last.
    natural.back() += std::max(
        0.0, std::ceil(widestHeading) + slack + 2 * padding - std::accumulate(natural.begin(), natural.end(), 0.0));
    const std::vector<double> widths = columnWidths(natural, m_pages.body().width());
    const double tableWidth = std::accumulate(widths.begin(), widths.end(), 0.0);

    const auto layRow = [&](const QStringList &row, const QFont &rowFont, bool spans) {
        LaidRow laid;
        laid.spans = spans;
        int most = 1;
        for (size_t c = 0; c < (spans ? 1 : columns); ++c) {
            const double inner = std::max(1.0, (spans ? tableWidth : widths[c]) - 2 * padding);
            const QStringList lines = wrapLines(spans ? row.join(u' ') : cell(row, c), rowFont, m_device, inner);
            most = std::max(most, int(lines.size()));
            laid.cells.push_back(lines);
        }
        laid.lines = most;
        laid.height = most * lineHeight + 2 * padding;
        return laid;
    };

    const auto paintRow = [widths, padding, lineHeight, tableWidth,
                           numeric = table.numeric](const LaidRow &row, const QFont &rowFont, QRgb shade) {
        return [=](QPainter &painter, QPointF at) {
            if (shade != 0)
                painter.fillRect(QRectF(at, QSizeF(tableWidth, row.height)), QColor::fromRgb(shade));
            double x = at.x();
            for (size_t c = 0; c < row.cells.size(); ++c) {
                const bool right = !row.spans && c < numeric.size() && numeric[c];
                const double width = row.spans ? tableWidth : widths[c];
                double y = at.y() + padding;
                for (const QString &line : row.cells[c]) {
                    const QRectF box(x + padding, y, width - 2 * padding, lineHeight);
                    drawLine(painter, rowFont, box, right ? Qt::AlignRight : Qt::AlignLeft, line);
                    y += lineHeight;
                }
                x += width;
            }
            QPen rule(QColor::fromRgb(ruleGrey));
            rule.setWidthF(0);
            painter.setPen(rule);
            const double bottom = at.y() + row.height;
            painter.drawLine(QPointF(at.x(), bottom), QPointF(at.x() + tableWidth, bottom));
        };
    };

    const LaidRow header = layRow(table.header, bold, false);
    const auto placeHeader = [&] { m_pages.place(header.height, paintRow(header, bold, headerShade)); };
    std::vector<LaidRow> rows;
    rows.reserve(table.rows.size());
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const bool heading = table.headings.contains(r);
        rows.push_back(layRow(table.rows[r], heading ? bold : font, heading));
    }
    const auto paintBodyRow = [&](const LaidRow &row) {
        return row.spans ? paintRow(row, bold, headingShade) : paintRow(row, font, 0);
    };
    if (rows.empty())
        placeHeader();
    // A row taller than a page under the header goes on over as many pages as it needs, a
    // few lines at least on each.
    const double pageBelowHeader = m_pages.body().height() - header.height;
    const auto placeLong = [&](const LaidRow &row) {
        for (int from = 0; from < row.lines;) {
            const int fit = int((m_pages.room() - 2 * padding) / lineHeight);
            if (fit < std::min(2, row.lines - from) && !m_pages.atPageTop()) {
                m_pages.breakPage();
                placeHeader();
                continue;
            }
            const int count = std::clamp(fit, 1, row.lines - from);
            const LaidRow slice = rowSlice(row, from, count, lineHeight, padding);
            m_pages.place(slice.height, paintBodyRow(slice));
            from += count;
        }
    };
    for (size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].height > pageBelowHeader) {
            if (k == 0) {
                m_pages.keepRoom(header.height + 2 * lineHeight + 2 * padding);
                placeHeader();
            }
            placeLong(rows[k]);
            continue;
        }
        // A heading row stays with the row below it, and the last row with the room kept below.
        size_t end = k + keptTogether(k, rows.size());
        while (end < rows.size() && table.headings.contains(end - 1))
            ++end;
        double height = end == rows.size() ? keepWith : 0;
        for (size_t n = k; n < end; ++n)
            height += rows[n].height;
        if (k == 0) {
            m_pages.keepRoom(header.height + height);
            placeHeader();
        } else if (m_pages.room() < height) {
            m_pages.breakPage();
            placeHeader();
        }
        m_pages.place(rows[k].height, paintBodyRow(rows[k]));
    }
}

} // namespace sortana
