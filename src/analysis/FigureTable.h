#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <vector>

namespace sortana {

// A column of a table of figures: its header, and how its cells are written. A cell of a
// Fixed column is written with that many decimals ("%.<decimals>f" in the C locale), one of
// a Percent column the same with "%" after it (the figure is a percentage: 81 is "81%").
struct FigureColumn {
    enum class Kind : quint8 { Text, Integer, Fixed, Percent };
    QString header;
    Kind kind = Kind::Text;
    int decimals = 0;
};

// One cell: empty, a text (in a Text column) or a figure (in any other).
struct FigureCell {
    enum class Kind : quint8 { Empty, Text, Number };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;
};

FigureCell textCell(QString text);
FigureCell numberCell(double number);

// A table of figures as the program's outputs share it: made once per figure, and written
// as a CSV file, a worksheet, a report table or clipboard text by the writers below and
// beside them, each the same cells in its own form.
struct FigureTable {
    std::vector<FigureColumn> columns;
    std::vector<std::vector<FigureCell>> rows;
};

// A cell as every writer shows it: a text as it stands, a figure as its column writes it,
// an empty cell empty.
QString figureText(const FigureColumn &column, const FigureCell &cell);

// The header, then every row, as comma-separated UTF-8 (csvLine).
QByteArray csvText(const FigureTable &table);

// The rows without the header as text for the clipboard: the columns chosen, in that order,
// separated by tabs, each line ended by a line feed; a tab or line break in a text becomes a
// space.
QString clipboardText(const FigureTable &table, std::initializer_list<int> columns);

// A name as one cell of tab-separated text: a tab or a line break inside it becomes a space.
QString cellText(const QString &name);

} // namespace sortana
