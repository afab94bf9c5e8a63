#include "formats/TableRow.h"

#include <charconv>
#include <cmath>

namespace sortana {

namespace {

// Room for the longest fixed-notation double with a few decimals.
constexpr int numberCapacity = 400;

void appendAscii(QString &line, const char *begin, const char *end)
{
    for (const char *c = begin; c != end; ++c)
        line.append(QChar(char16_t(static_cast<unsigned char>(*c))));
}

} // namespace

TableRow &TableRow::text(QStringView value)
{
    m_line.append(value);
    return *this;
}

TableRow &TableRow::quoted(QStringView value)
{
    m_line.append(u'"');
    m_line.append(value);
    m_line.append(u'"');
    return *this;
}

TableRow &TableRow::integer(qint64 value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    appendAscii(m_line, buffer, result.ptr);
    return *this;
}

TableRow &TableRow::fixed(double value, int decimals)
{
    char buffer[numberCapacity];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    appendAscii(m_line, buffer, result.ptr);
    return *this;
}

TableRow &TableRow::quotient(double numerator, double denominator, int decimals)
{
    if (denominator != 0.0)
        fixed(numerator / denominator, decimals);
    return *this;
}

TableRow &TableRow::agreement(double sumOfSquares, double count, double maxScore)
{
    if (count <= 0.0)
        return *this;
    double percent = 100.0 - 100.0 * std::sqrt(sumOfSquares / count) / maxScore;
    if (percent < 0.0)
        percent = 0.0;
    fixed(percent, 0);
    m_line.append(u'%');
    return *this;
}

void TableRow::writeLine(AnalysisSink &sink, AnalysisFile file)
{
    m_line.append(QStringView(u"\r\n"));
    sink.write(file, m_line);
    clear(); // keeps the capacity for the next line
}

} // namespace sortana
