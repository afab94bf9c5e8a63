#include "analysis/CsvText.h"

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

} // namespace sortana
