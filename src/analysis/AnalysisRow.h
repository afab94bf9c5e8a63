#pragma once

#include "analysis/AnalysisSink.h"

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <vector>

namespace sortana {

// One cell of a row as the engine made it: what it holds, and where its text stands in the
// row's line (quotes and padding left out).
struct AnalysisCell {
    // Label: a number that names something (an item's number), shown as text.
    enum class Kind : quint8 { Empty, Text, Label, Integer, Fixed, Percent };
    Kind kind = Kind::Empty;
    quint8 decimals = 0;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// One line of an analysis file, built in a reused buffer and handed to the sink in one
// piece: its text, cells separated by tabs and ended by CR LF, and, for a sink that wants
// them, its typed cells. Numbers are formatted as printf would in the C locale.
class AnalysisRow {
public:
    explicit AnalysisRow(bool keepCells = false) : m_keepCells(keepCells) {}

    // A text cell as it stands, and one between double quotes.
    AnalysisRow &plain(QStringView value);
    AnalysisRow &quoted(QStringView value);
    // Text cells between double quotes, separated by tabs.
    AnalysisRow &header(std::initializer_list<QStringView> names);
    // An item's number.
    AnalysisRow &label(qint64 value);
    AnalysisRow &integer(qint64 value);
    // "%.<decimals>f".
    AnalysisRow &fixed(double value, int decimals);
    // "%.<decimals>f" of numerator / denominator; an empty cell when the denominator is 0.
    AnalysisRow &quotient(double numerator, double denominator, int decimals);
    // An agreement: 100 - 100 x sqrt(sumOfSquares / count) / maxScore as "%.0f%%", 0 when
    // negative, and an empty cell when count is not positive.
    AnalysisRow &agreement(double sumOfSquares, double count, double maxScore);
    // Ends the cell: a tab with no cell before it since the last one leaves an empty cell.
    AnalysisRow &tab();
    // Text that belongs to no cell, such as the space the weighted column is padded with.
    AnalysisRow &padding(QStringView text);

    // Appends at most `most` units in one go: `write` gets where they start and returns where
    // they end. For cells by the million, where appending them one by one would dominate;
    // the cells so written are not kept, so a row that keeps its cells must not use it.
    template <typename Write> AnalysisRow &fill(qsizetype most, Write &&write)
    {
        const qsizetype start = m_line.size();
        m_line.resize(start + most);
        char16_t *begin = reinterpret_cast<char16_t *>(m_line.data()) + start;
        m_line.resize(start + (write(begin) - begin)); // shrinking keeps the capacity
        return *this;
    }

    bool keepsCells() const { return m_keepCells; }
    // The line so far, and a fresh start without writing it.
    QStringView line() const { return m_line; }
    // The cells of a finished row (the one handed to a sink), when it keeps them.
    const std::vector<AnalysisCell> &cells() const { return m_cells; }
    QStringView text(const AnalysisCell &cell) const
    {
        return QStringView(m_line).sliced(cell.begin, cell.end - cell.begin);
    }
    void clear();

    // Appends CR LF, hands the row to the sink's output and starts the next one.
    void writeLine(AnalysisSink &sink, AnalysisFile file);

private:
    AnalysisRow &keep(AnalysisCell::Kind kind, qsizetype begin, int decimals = 0);
    void endCell();

    QString m_line;
    bool m_keepCells = false;
    // Whether a cell was written since the last tab.
    bool m_inCell = false;
    std::vector<AnalysisCell> m_cells;
};

} // namespace sortana
