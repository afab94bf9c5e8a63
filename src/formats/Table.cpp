#include "formats/Table.h"

#include <algorithm>

namespace sortana {

QString normalisedCell(QStringView text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text.trimmed().toString();
    QString cell;
    cell.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            // CR LF is one line break.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            cell += u' ';
        } else {
            cell += c;
        }
    }
    return cell.trimmed();
}

bool isBlankRow(const QStringList &row)
{
    return std::all_of(row.cbegin(), row.cend(), [](const QString &cell) { return cell.isEmpty(); });
}

} // namespace sortana
