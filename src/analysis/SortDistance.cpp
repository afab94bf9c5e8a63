#include "analysis/SortDistance.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace sortana {

CardSets::CardSets(const ParticipantSort &sort)
{
    std::vector<qint32> cards;
    for (const SortGroup &group : sort.groups) {
        cards.clear();
        for (const SortedCard &card : group.cards)
            cards.push_back(card.item);
        if (cards.empty())
            continue;
        std::sort(cards.begin(), cards.end());
        cards.erase(std::unique(cards.begin(), cards.end()), cards.end());
        for (const qint32 card : cards)
            m_byCard.emplace_back(card, m_groupCount);
        ++m_groupCount;
    }
    std::sort(m_byCard.begin(), m_byCard.end());
    for (size_t k = 0; k < m_byCard.size(); ++k) {
        if (k == 0 || m_byCard[k].first != m_byCard[k - 1].first)
            ++m_distinctCards;
    }
}

namespace {

// One overlap of a group of a with a group of b.
struct Cell {
    qint32 row;
    qint32 column;
    qint32 weight;
    qint32 part = 0; // the connected part of the overlaps it belongs to
};

// What one pair's matching needs, kept between pairs so that a thread allocates once.
class Workspace {
public:
    // Groups that share no card with the same group of the other sort cannot trade in a
    // matching: each connected part of the overlaps is matched on its own, which keeps the
    // matrices small even when one sort puts every card alone.
    int largestOverlap(const CardSets &a, const CardSets &b)
    {
        const int rows = a.groupCount();
        const int columns = b.groupCount();
        countOverlaps(a, b, rows, columns);
        if (m_cells.empty())
            return 0;
        findParts(rows, columns);
        int total = 0;
        for (size_t begin = 0; begin < m_cells.size();) {
            size_t end = begin;
            while (end < m_cells.size() && m_cells[end].part == m_cells[begin].part)
                ++end;
            total += partMaximum(begin, end);
            begin = end;
        }
        return total;
    }

private:
    // The cells of the overlap matrix that are not 0: a count per pair of groups that share
    // a card, found by walking both sorts' placements in card order.
    void countOverlaps(const CardSets &a, const CardSets &b, int rows, int columns)
    {
        m_cells.clear();
        const size_t size = size_t(rows) * size_t(columns);
        const bool dense = size <= (size_t(1) << 20);
        if (dense && m_cellOf.size() < size)
            m_cellOf.resize(size, -1);
        m_overlaps.clear();
        const auto &left = a.byCard();
        const auto &right = b.byCard();
        for (size_t i = 0, j = 0; i < left.size() && j < right.size();) {
            if (left[i].first < right[j].first) {
                ++i;
            } else if (right[j].first < left[i].first) {
                ++j;
            } else {
                const qint32 card = left[i].first;
                size_t iEnd = i;
                size_t jEnd = j;
                while (iEnd < left.size() && left[iEnd].first == card)
                    ++iEnd;
                while (jEnd < right.size() && right[jEnd].first == card)
                    ++jEnd;
                for (size_t x = i; x < iEnd; ++x) {
                    for (size_t y = j; y < jEnd; ++y) {
                        if (!dense) {
                            m_overlaps.emplace_back(left[x].second, right[y].second);
                            continue;
                        }
                        qint32 &cell = m_cellOf[size_t(left[x].second) * size_t(columns) + size_t(right[y].second)];
                        if (cell < 0) {
                            cell = qint32(m_cells.size());
                            m_cells.push_back({left[x].second, right[y].second, 0});
                        }
                        ++m_cells[size_t(cell)].weight;
                    }
                }
                i = iEnd;
                j = jEnd;
            }
        }
        if (dense) {
            for (const Cell &cell : m_cells)
                m_cellOf[size_t(cell.row) * size_t(columns) + size_t(cell.column)] = -1;
            return;
        }
        std::sort(m_overlaps.begin(), m_overlaps.end());
        for (size_t k = 0; k < m_overlaps.size(); ++k) {
            if (k > 0 && m_overlaps[k] == m_overlaps[k - 1])
                ++m_cells.back().weight;
            else
                m_cells.push_back({m_overlaps[k].first, m_overlaps[k].second, 1});
        }
    }

    qint32 root(qint32 node)
    {
        while (m_parent[size_t(node)] != node) {
            m_parent[size_t(node)] = m_parent[size_t(m_parent[size_t(node)])];
            node = m_parent[size_t(node)];
        }
        return node;
    }

    // Labels every cell with its connected part and puts the cells of each part together.
    void findParts(int rows, int columns)
    {
        m_parent.resize(size_t(rows) + size_t(columns));
        std::iota(m_parent.begin(), m_parent.end(), 0);
        bool onePart = true;
        for (const Cell &cell : m_cells) {
            const qint32 x = root(cell.row);
            const qint32 y = root(rows + cell.column);
            if (x != y)
                m_parent[size_t(std::max(x, y))] = std::min(x, y);
        }
        const qint32 first = root(m_cells.front().row);
        for (Cell &cell : m_cells) {
            cell.part = root(cell.row);
            onePart = onePart && cell.part == first;
        }
        if (!onePart)
            std::sort(m_cells.begin(), m_cells.end(), [](const Cell &x, const Cell &y) { return x.part < y.part; });
        if (m_localRow.size() < size_t(rows))
            m_localRow.resize(size_t(rows), -1);
        if (m_localColumn.size() < size_t(columns))
            m_localColumn.resize(size_t(columns), -1);
    }

    // The best matching within one part of the cells.
    int partMaximum(size_t begin, size_t end)
    {
        int partRows = 0;
        int partColumns = 0;
        int heaviest = 0;
        for (size_t k = begin; k < end; ++k) {
            const Cell &cell = m_cells[k];
            if (m_localRow[size_t(cell.row)] < 0)
                m_localRow[size_t(cell.row)] = partRows++;
            if (m_localColumn[size_t(cell.column)] < 0)
                m_localColumn[size_t(cell.column)] = partColumns++;
            heaviest = std::max(heaviest, int(cell.weight));
        }
        int best = heaviest;
        if (partRows > 1 && partColumns > 1) {
            // The method wants no more rows than columns.
            const bool transpose = partRows > partColumns;
            const int r = transpose ? partColumns : partRows;
            const int c = transpose ? partRows : partColumns;
            m_weights.assign(size_t(r) * size_t(c), 0);
            for (size_t k = begin; k < end; ++k) {
                const size_t x = size_t(m_localRow[size_t(m_cells[k].row)]);
                const size_t y = size_t(m_localColumn[size_t(m_cells[k].column)]);
                m_weights[transpose ? y * size_t(c) + x : x * size_t(c) + y] = m_cells[k].weight;
            }
            best = assignmentMaximum(r, c);
        }
        for (size_t k = begin; k < end; ++k) {
            m_localRow[size_t(m_cells[k].row)] = -1;
            m_localColumn[size_t(m_cells[k].column)] = -1;
        }
        return best;
    }

    // The largest total of a one-to-one matching of the rows of m_weights with its columns,
    // rows no more than columns: the shortest augmenting path method of the assignment
    // problem, on costs that are the weights negated.
    int assignmentMaximum(int rows, int columns)
    {
        constexpr int infinity = std::numeric_limits<int>::max();
        const size_t n = size_t(columns) + 1;
        // 1-based, as the method's column 0 stands for the row being placed.
        m_u.assign(size_t(rows) + 1, 0);
        m_v.assign(n, 0);
        m_rowOf.assign(n, 0);
        m_way.assign(n, 0);
        const auto cost = [&](int i, int j) { return -m_weights[size_t(i - 1) * size_t(columns) + size_t(j - 1)]; };
        for (int i = 1; i <= rows; ++i) {
            m_rowOf[0] = i;
            int j0 = 0;
            m_least.assign(n, infinity);
            m_used.assign(n, 0);
            do {
                m_used[size_t(j0)] = 1;
                const int i0 = m_rowOf[size_t(j0)];
                int delta = infinity;
                int j1 = 0;
                for (int j = 1; j <= columns; ++j) {
                    if (m_used[size_t(j)])
                        continue;
                    const int reduced = cost(i0, j) - m_u[size_t(i0)] - m_v[size_t(j)];
                    if (reduced < m_least[size_t(j)]) {
                        m_least[size_t(j)] = reduced;
                        m_way[size_t(j)] = j0;
                    }
                    if (m_least[size_t(j)] < delta) {
                        delta = m_least[size_t(j)];
                        j1 = j;
                    }
                }
                for (size_t j = 0; j < n; ++j) {
                    if (m_used[j]) {
                        m_u[size_t(m_rowOf[j])] += delta;
                        m_v[j] -= delta;
                    } else {
                        m_least[j] -= delta;
                    }
                }
                j0 = j1;
            } while (m_rowOf[size_t(j0)] != 0);
            do {
                const int j1 = m_way[size_t(j0)];
                m_rowOf[size_t(j0)] = m_rowOf[size_t(j1)];
                j0 = j1;
            } while (j0 != 0);
        }
        int total = 0;
        for (int j = 1; j <= columns; ++j) {
            if (m_rowOf[size_t(j)] != 0)
                total -= cost(m_rowOf[size_t(j)], j);
        }
        return total;
    }

    std::vector<std::pair<qint32, qint32>> m_overlaps;
    std::vector<qint32> m_cellOf; // per (row, column), its index in m_cells or -1
    std::vector<Cell> m_cells;
    std::vector<qint32> m_parent;
    std::vector<qint32> m_localRow;
    std::vector<qint32> m_localColumn;
    std::vector<int> m_weights;
    std::vector<int> m_u, m_v, m_rowOf, m_way, m_least;
    std::vector<char> m_used;
};

} // namespace

int largestOverlap(const CardSets &a, const CardSets &b)
{
    thread_local Workspace workspace;
    return workspace.largestOverlap(a, b);
}

int sortDistance(const CardSets &a, const CardSets &b)
{
    return a.placements() - largestOverlap(a, b);
}

int sortDistance(const ParticipantSort &a, const ParticipantSort &b)
{
    return sortDistance(CardSets(a), CardSets(b));
}

int distinctCardsPlaced(const ParticipantSort &sort)
{
    return CardSets(sort).distinctCards();
}

} // namespace sortana
