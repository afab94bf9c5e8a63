#pragma once

#include "formats/AnalysisSink.h"

#include <QString>
#include <QStringView>

namespace sortana {

// One line of an analysis file, built in a reused buffer and handed to the file in one
// piece. Numbers are formatted as printf would in the C locale.
class TableRow {
public:
    TableRow &text(QStringView value);
    TableRow &quoted(QStringView value);
    TableRow &integer(qint64 value);
    // "%.<decimals>f".
    TableRow &fixed(double value, int decimals);
    // "%.<decimals>f" of numerator / denominator; an empty cell when the denominator is 0.
    TableRow &quotient(double numerator, double denominator, int decimals);
    // An agreement: 100 - 100 x sqrt(sumOfSquares / count) / maxScore as "%.0f%%", 0 when
    // negative, and an empty cell when count is not positive.
    TableRow &agreement(double sumOfSquares, double count, double maxScore);

    // Appends at most `most` units in one go: `write` gets where they start and returns where
    // they end. For cells by the million, where appending them one by one would dominate.
    template <typename Write> TableRow &fill(qsizetype most, Write &&write)
    {
        const qsizetype start = m_line.size();
        m_line.resize(start + most);
        char16_t *begin = reinterpret_cast<char16_t *>(m_line.data()) + start;
        m_line.resize(start + (write(begin) - begin)); // shrinking keeps the capacity
        return *this;
    }

    // The line so far, and a fresh start without writing it.
    QStringView line() const { return m_line; }
    void clear() { m_line.resize(0); }

    // Appends CR LF, hands the line to the sink's output and starts the next one.
    void writeLine(AnalysisSink &sink, AnalysisFile file);

private:
    QString m_line;
};

} // namespace sortana
