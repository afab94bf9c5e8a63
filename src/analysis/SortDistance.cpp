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

// The largest total of a one-to-one matching of rows with columns of a dense matrix of
// weights, rows no more than columns: the shortest augmenting path method of the assignment
// problem, on costs that are the weights negated.
int assignmentMaximum(const std::vector<int> &weights, int rows, int columns)
{
    constexpr int infinity = std::numeric_limits<int>::max();
    // 1-based, as the method's column 0 stands for the row being placed.
    std::vector<int> u(size_t(rows) + 1, 0);
    std::vector<int> v(size_t(columns) + 1, 0);
    std::vector<int> rowOf(size_t(columns) + 1, 0);
    std::vector<int> way(size_t(columns) + 1, 0);
    std::vector<int> least(size_t(columns) + 1);
    std::vector<char> used(size_t(columns) + 1);
    const auto cost = [&](int i, int j) { return -weights[size_t(i - 1) * size_t(columns) + size_t(j - 1)]; };
    for (int i = 1; i <= rows; ++i) {
        rowOf[0] = i;
        int j0 = 0;
        std::fill(least.begin(), least.end(), infinity);
        std::fill(used.begin(), used.end(), 0);
        do {
            used[size_t(j0)] = 1;
            const int i0 = rowOf[size_t(j0)];
            int delta = infinity;
            int j1 = 0;
            for (int j = 1; j <= columns; ++j) {
                if (used[size_t(j)])
                    continue;
                const int reduced = cost(i0, j) - u[size_t(i0)] - v[size_t(j)];
                if (reduced < least[size_t(j)]) {
                    least[size_t(j)] = reduced;
                    way[size_t(j)] = j0;
                }
                if (least[size_t(j)] < delta) {
                    delta = least[size_t(j)];
                    j1 = j;
                }
            }
            for (int j = 0; j <= columns; ++j) {
                if (used[size_t(j)]) {
                    u[size_t(rowOf[size_t(j)])] += delta;
                    v[size_t(j)] -= delta;
                } else {
                    least[size_t(j)] -= delta;
                }
            }
            j0 = j1;
        } while (rowOf[size_t(j0)] != 0);
        do {
            const int j1 = way[size_t(j0)];
            rowOf[size_t(j0)] = rowOf[size_t(j1)];
            j0 = j1;
        } while (j0 != 0);
    }
    int total = 0;
    for (int j = 1; j <= columns; ++j) {
        if (rowOf[size_t(j)] != 0)
            total -= cost(rowOf[size_t(j)], j);
    }
    return total;
}

// One overlap of a group of a with a group of b.
struct Cell {
    qint32 row;
    qint32 column;
    qint32 weight;
    qint32 part = 0;   // the connected part of the overlaps it belongs to
};

// What one pair's matching needs, kept between pairs so that a thread allocates once.
struct Workspace {
    std::vector<std::pair<qint32, qint32>> overlaps;
    std::vector<Cell> cells;
    std::vector<qint32> parent;
    std::vector<qint32> localRow;
    std::vector<qint32> localColumn;
    std::vector<int> dense;

    qint32 root(qint32 node)
    {
        while (parent[size_t(node)] != node) {
            parent[size_t(node)] = parent[size_t(parent[size_t(node)])];
            node = parent[size_t(node)];
        }
        return node;
    }

    // Groups that share no card with the same group of the other sort cannot trade in a
    // matching: each connected part of the overlaps is matched on its own, which keeps the
    // matrices small even when one sort puts every card alone.
    int largestOverlap(const CardSets &a, const CardSets &b)
    {
        overlaps.clear();
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
                    for (size_t y = j; y < jEnd; ++y)
                        overlaps.emplace_back(left[x].second, right[y].second);
                }
                i = iEnd;
                j = jEnd;
            }
        }
        if (overlaps.empty())
            return 0;
        std::sort(overlaps.begin(), overlaps.end());
        cells.clear();
        for (size_t k = 0; k < overlaps.size(); ++k) {
            if (k > 0 && overlaps[k] == overlaps[k - 1])
                ++cells.back().weight;
            else
                cells.push_back({overlaps[k].first, overlaps[k].second, 1});
        }

        const int rows = a.groupCount();
        const int columns = b.groupCount();
        parent.resize(size_t(rows + columns));
        std::iota(parent.begin(), parent.end(), 0);
        for (const Cell &cell : cells) {
            const qint32 x = root(cell.row);
            const qint32 y = root(rows + cell.column);
            if (x != y)
                parent[size_t(std::max(x, y))] = std::min(x, y);
        }
        for (Cell &cell : cells)
            cell.part = root(cell.row);
        std::stable_sort(cells.begin(), cells.end(), [](const Cell &x, const Cell &y) { return x.part < y.part; });

        localRow.assign(size_t(rows), -1);
        localColumn.assign(size_t(columns), -1);
        int total = 0;
        for (size_t begin = 0; begin < cells.size();) {
            size_t end = begin;
            int partRows = 0;
            int partColumns = 0;
            int heaviest = 0;
            while (end < cells.size() && cells[end].part == cells[begin].part) {
                const Cell &cell = cells[end++];
                if (localRow[size_t(cell.row)] < 0)
                    localRow[size_t(cell.row)] = partRows++;
                if (localColumn[size_t(cell.column)] < 0)
                    localColumn[size_t(cell.column)] = partColumns++;
                heaviest = std::max(heaviest, int(cell.weight));
            }
            if (partRows == 1 || partColumns == 1) {
                total += heaviest;
            } else {
                // The method wants no more rows than columns.
                const bool transpose = partRows > partColumns;
                const int r = transpose ? partColumns : partRows;
                const int c = transpose ? partRows : partColumns;
                dense.assign(size_t(r) * size_t(c), 0);
                for (size_t k = begin; k < end; ++k) {
                    const int x = localRow[size_t(cells[k].row)];
                    const int y = localColumn[size_t(cells[k].column)];
                    dense[transpose ? size_t(y) * size_t(c) + size_t(x) : size_t(x) * size_t(c) + size_t(y)] =
                        cells[k].weight;
                }
                total += assignmentMaximum(dense, r, c);
            }
            for (size_t k = begin; k < end; ++k) {
                localRow[size_t(cells[k].row)] = -1;
                localColumn[size_t(cells[k].column)] = -1;
            }
            begin = end;
        }
        return total;
    }
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
