#include "analysis/AnalysisRow.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace sortana {

namespace {

// Room for the longest fixed-notation double with a few decimals.
constexpr int numberCapacity = 400;

void appendAscii(QString &line, const char *begin, const char *end)
{
    for (const char *c = begin; c != end; ++c)
        line.append(QChar(char16_t(static_cast<unsigned char>(*c))));
}

void appendFixed(QString &line, double value, int decimals)
{
    char buffer[numberCapacity];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    appendAscii(line, buffer, result.ptr);
}

void appendInteger(QString &line, qint64 value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    appendAscii(line, buffer, result.ptr);
}

} // namespace

AnalysisRow &AnalysisRow::keep(AnalysisCell::Kind kind, qsizetype begin, int decimals)
{
    if (m_keepCells)
        m_cells.push_back({kind, quint8(decimals), begin, m_line.size()});
    m_inCell = true;
    return *this;
}

void AnalysisRow::endCell()
{
    if (!m_inCell && m_keepCells) {
        const qsizetype at = m_line.size();
        m_cells.push_back({AnalysisCell::Kind::Empty, 0, at, at});
    }
    m_inCell = false;
}

AnalysisRow &AnalysisRow::plain(QStringView value)
{
    const qsizetype begin = m_line.size();
    m_line.append(value);
    return keep(AnalysisCell::Kind::Text, begin);
}

AnalysisRow &AnalysisRow::quoted(QStringView value)
{
    m_line.append(u'"');
    const qsizetype begin = m_line.size();
    m_line.append(value);
    keep(AnalysisCell::Kind::Text, begin);
    m_line.append(u'"');
    return *this;
}

AnalysisRow &AnalysisRow::header(std::initializer_list<QStringView> names)
{
    bool first = true;
    for (const QStringView name : names) {
        if (!std::exchange(first, false))
            tab();
        quoted(name);
    }
    return *this;
}

AnalysisRow &AnalysisRow::label(qint64 value)
{
    const qsizetype begin = m_line.size();
    appendInteger(m_line, value);
    return keep(AnalysisCell::Kind::Label, begin);
}

AnalysisRow &AnalysisRow::integer(qint64 value)
{
    const qsizetype begin = m_line.size();
    appendInteger(m_line, value);
    return keep(AnalysisCell::Kind::Integer, begin);
}

AnalysisRow &AnalysisRow::fixed(double value, int decimals)
{
    const qsizetype begin = m_line.size();
    appendFixed(m_line, value, decimals);
    return keep(AnalysisCell::Kind::Fixed, begin, decimals);
}

AnalysisRow &AnalysisRow::quotient(double numerator, double denominator, int decimals)
{
    if (denominator != 0.0)
        fixed(numerator / denominator, decimals);
    return *this;
}

AnalysisRow &AnalysisRow::agreement(double sumOfSquares, double count, double maxScore)
{
    if (count <= 0.0)
        return *this;
    double percent = 100.0 - 100.0 * std::sqrt(sumOfSquares / count) / maxScore;
    if (percent < 0.0)
        percent = 0.0;
    const qsizetype begin = m_line.size();
    appendFixed(m_line, percent, 0);
    m_line.append(u'%');
    return keep(AnalysisCell::Kind::Percent, begin);
}

AnalysisRow &AnalysisRow::tab()
{
    endCell();
    m_line.append(u'\t');
    return *this;
}

AnalysisRow &AnalysisRow::padding(QStringView text)
{
    m_line.append(text);
    return *this;
}

void AnalysisRow::clear()
{
    m_line.resize(0); // keeps the capacity for the next line
    m_cells.clear();
    m_inCell = false;
}

void AnalysisRow::writeLine(AnalysisSink &sink, AnalysisFile file)
{
    endCell();
    m_line.append(QStringView(u"\r\n"));
    sink.write(file, *this);
    clear();
}

} // namespace sortana
