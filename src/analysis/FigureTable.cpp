#include "analysis/FigureTable.h"

#include "analysis/CsvText.h"

namespace sortana {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) || c == QChar(0x2028)
        || c == QChar(0x2029);
}

} // namespace

FigureCell textCell(QString text)
{
    return {FigureCell::Kind::Text, 0, std::move(text)};
}

FigureCell numberCell(double number)
{
    return {FigureCell::Kind::Number, number, {}};
}

QString figureText(const FigureColumn &column, const FigureCell &cell)
{
    switch (cell.kind) {
    case FigureCell::Kind::Empty: return {};
    case FigureCell::Kind::Text: return cell.text;
    case FigureCell::Kind::Number: break;
    }
    if (column.kind == FigureColumn::Kind::Integer)
        return QString::number(qint64(cell.number));
    const QString figure = fixedText(cell.number, column.decimals);
    return column.kind == FigureColumn::Kind::Percent ? figure + u'%' : figure;
}

QByteArray csvText(const FigureTable &table)
{
    QStringList cells;
    for (const FigureColumn &column : table.columns)
        cells.append(column.header);
    QByteArray text = csvLine(cells);
    for (const std::vector<FigureCell> &row : table.rows) {
        cells.clear();
        for (std::size_t c = 0; c < row.size(); ++c)
            cells.append(figureText(table.columns[c], row[c]));
        text += csvLine(cells);
    }
    return text;
}

QString clipboardText(const FigureTable &table, std::initializer_list<int> columns)
{
    QString text;
    for (const std::vector<FigureCell> &row : table.rows) {
        bool first = true;
        for (const int c : columns) {
            if (!first)
                text += u'\t';
            first = false;
            text += cellText(figureText(table.columns[std::size_t(c)], row[std::size_t(c)]));
        }
        text += u'\n';
    }
    return text;
}

QString cellText(const QString &name)
{
    QString cell;
    cell.reserve(name.size());
    for (qsizetype k = 0; k < name.size(); ++k) {
        const QChar c = name[k];
        // A Windows line break is one break, so one space.
        if (c == u'\r' && k + 1 < name.size() && name[k + 1] == u'\n')
            continue;
        cell.append(c == u'\t' || isLineBreak(c) ? QChar(u' ') : c);
    }
    return cell;
}

} // namespace sortana
