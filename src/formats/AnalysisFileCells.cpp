#include "formats/AnalysisFileCells.h"

#include <QFile>
#include <QtEndian>

namespace sortana {

QStringList analysisLineCells(QStringView line)
{
    QStringList cells;
    forEachAnalysisCell(line, [&cells](QStringView cell) { cells.append(cell.toString()); });
    return cells;
}

void forEachAnalysisRow(QStringView text, const std::function<void(const QStringList &cells)> &row)
{
    constexpr QStringView lineEnd = u"\r\n";
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(lineEnd, start);
        if (end < 0)
            end = text.size();
        row(analysisLineCells(text.sliced(start, end - start)));
        start = end + lineEnd.size();
    }
}

std::vector<QStringList> analysisFileRows(QStringView text)
{
    std::vector<QStringList> rows;
    forEachAnalysisRow(text, [&rows](const QStringList &cells) { rows.push_back(cells); });
    return rows;
}

std::optional<QString> readAnalysisFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !bytes.startsWith("\xFF\xFE") || bytes.size() % 2 != 0)
        return std::nullopt;
    QString text(bytes.size() / 2 - 1, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + 2, text.size(), text.data());
    return text;
}

} // namespace sortana
