#include "analysis/CsvText.h"

#include <algorithm>
#include <charconv>

namespace sortana {

QByteArray csvLine(const QStringList &cells)
{
    QString line;
    for (qsizetype k = 0; k < cells.size(); ++k) {
        if (k > 0)
            line += u',';
        appendCsvCell(line, cells[k]);
    }
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

void appendCsvCell(QString &line, QStringView cell)
{
    const bool quoted = std::any_of(cell.begin(), cell.end(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\n' || c == u'\r';
    });
    if (!quoted) {
        line += cell;
        return;
    }
    line += u'"';
    for (const QChar c : cell) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

QString fixedText(double value, int decimals)
{
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(text, written.ptr - text);
}

} // namespace sortana
