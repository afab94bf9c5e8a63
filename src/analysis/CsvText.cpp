#include "analysis/CsvText.h"

#include <charconv>

namespace sortana {

QByteArray csvLine(const QStringList &cells)
{
    QString line;
    for (qsizetype k = 0; k < cells.size(); ++k) {
        if (k > 0)
            line += u',';
        const QString &cell = cells[k];
        if (cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r')) {
            QString quoted = cell;
            line += u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
        } else {
            line += cell;
        }
    }
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

QString fixedText(double value, int decimals)
{
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(text, written.ptr - text);
}

} // namespace sortana
