#include "analysis/MatrixRows.h"

#include "analysis/AnalysisRow.h"
#include "analysis/CardSortEngine.h"
#include "analysis/ParallelRuns.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sortana {

namespace {

// Both halves of the pair matrix read along rows: a file row needs an item's row and its
// column, and walking a column of a large matrix misses the cache at every cell. The copy
// also notes the range of each half's values, which decides how cells are formatted.
struct MatrixSides {
    PairMatrix transposed; // cell (i, j) of the pair matrix at (j, i)
    qint32 smallest = 0;
    qint32 largestCount = 0;
    qint32 largestWeighted = 0;
};

MatrixSides sidesOf(const PairMatrix &matrix)
{
    const int n = matrix.size();
    MatrixSides sides;
    if (!sides.transposed.allocate(n))
        throw std::bad_alloc();
    const qint32 *from = matrix.data();
    qint32 *to = sides.transposed.data();
    const auto at = [n](int row, int col) { return size_t(row) * size_t(n) + size_t(col); };
    constexpr int tile = 64;
    for (int rows = 0; rows < n; rows += tile) {
        for (int cols = 0; cols < n; cols += tile) {
            for (int i = rows; i < std::min(rows + tile, n); ++i) {
                for (int j = cols; j < std::min(cols + tile, n); ++j) {
                    const qint32 value = from[at(i, j)];
                    to[at(j, i)] = value;
                    sides.smallest = std::min(sides.smallest, value);
                    qint32 &largest = i < j ? sides.largestCount : sides.largestWeighted;
                    largest = std::max(largest, value);
                }
            }
        }
    }
    return sides;
}

enum class Half { Counts, Weighted };

// The text of a cell followed by its tab, for every value from 0 to the largest, in slots
// of equal width that are copied whole.
class CellTexts {
public:
    static constexpr qsizetype slot = 8;

    CellTexts(Half half, double weightedScale, qint32 smallest, qint32 largest, qint32 limit)
    {
        if (smallest < 0 || largest > limit)
            return;
        m_units.resize((size_t(largest) + 1) * slot);
        m_lengths.resize(size_t(largest) + 1);
        AnalysisRow text;
        for (qint32 value = 0; value <= largest; ++value) {
            if (half == Half::Counts)
                text.integer(value);
            else
                text.fixed(value / weightedScale, 1);
            text.tab();
            const QStringView units = text.line();
            if (units.size() > slot) {
                m_units.clear();
                return;
            }
            std::copy(units.utf16(), units.utf16() + units.size(), m_units.begin() + qsizetype(value) * slot);
            m_lengths[size_t(value)] = std::uint8_t(units.size());
            text.clear();
        }
    }

    bool usable() const { return !m_units.empty(); }
    // Copies the whole slot, so there must be room for one after `to`.
    char16_t *put(char16_t *to, qint32 value) const
    {
        std::memcpy(to, m_units.data() + size_t(value) * slot, slot * sizeof(char16_t));
        return to + m_lengths[size_t(value)];
    }

private:
    std::vector<char16_t> m_units;
    std::vector<std::uint8_t> m_lengths;
};

struct HalfWriter {
    Half half;
    AnalysisSink &sink;
    const PairMatrix &matrix;
    const MatrixSides &sides;
    const QStringList &names;
    const std::vector<int> &leafOrder;
    double weightedScale;
    qint32 tableLimit;

    // The cell of items t and u: a count above the diagonal, a weighted score below it.
    qint32 cell(const qint32 *row, const qint32 *column, int t, int u) const
    {
        const bool ownRow = half == Half::Counts ? u > t : u < t;
        return ownRow ? row[u] : column[u];
    }

    // Writes the file's rows; the counts' rows return each item's pair total.
    std::vector<qint64> write() const
    {
        const int n = matrix.size();
        const CellTexts texts(half, weightedScale, sides.smallest,
                              half == Half::Counts ? sides.largestCount : sides.largestWeighted, tableLimit);
        std::vector<qint64> pairTotals(size_t(n), 0);
        const AnalysisFile file = half == Half::Counts ? AnalysisFile::Matrix : AnalysisFile::WeightedMatrix;
        AnalysisRow row(sink.wantsCells());
        row.plain(u"ItemNo").tab();
        for (const int u : leafOrder)
            row.tab().quoted(names.at(u));
        row.writeLine(sink, file);
        for (const int t : leafOrder) {
            const qint32 *own = matrix.data() + size_t(t) * size_t(n);
            const qint32 *across = sides.transposed.data() + size_t(t) * size_t(n);
            row.label(t + 1).tab().quoted(names.at(t)).tab();
            qint64 total = 0;
            if (texts.usable() && !row.keepsCells()) {
                row.fill(qsizetype(n) * CellTexts::slot, [&](char16_t *out) {
                    for (const int u : leafOrder) {
                        if (u == t) {
                            *out++ = u'0';
                            *out++ = u'\t';
                            continue;
                        }
                        const qint32 value = cell(own, across, t, u);
                        total += value;
                        out = texts.put(out, value);
                    }
                    return out;
                });
            } else {
                for (const int u : leafOrder) {
                    if (u == t) {
                        row.integer(0).tab();
                        continue;
                    }
                    const qint32 value = cell(own, across, t, u);
                    total += value;
                    if (half == Half::Counts)
                        row.integer(value);
                    else
                        row.fixed(value / weightedScale, 1);
                    row.tab();
                }
            }
            pairTotals[size_t(t)] = total;
            row.writeLine(sink, file);
        }
        return pairTotals;
    }
};

} // namespace

std::vector<qint64> writeMatrixRows(CardSortEngine &a, const std::vector<int> &leafOrder, qint32 tableLimit)
{
    const MatrixSides sides = sidesOf(a.pairMatrix);
    const double weightedScale = a.summary->weightedScale();
    const HalfWriter counts{Half::Counts, a.sink(),  a.pairMatrix,  sides,
                            a.itemNames,  leafOrder, weightedScale, tableLimit};
    const HalfWriter weighted{Half::Weighted, a.sink(),  a.pairMatrix,  sides,
                              a.itemNames,    leafOrder, weightedScale, tableLimit};
    std::vector<qint64> pairTotals;
    runSideBySide([&] { weighted.write(); }, [&] { pairTotals = counts.write(); });
    return pairTotals;
}

} // namespace sortana
