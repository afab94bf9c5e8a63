#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sortana {

class PairMatrix;

// The sum of the weighted scores between every two clusters of a clustering pass, kept
// exact in 64 bits and kept current as clusters merge, so that the mean score of two
// clusters costs one look-up instead of a walk over all their member pairs. A cluster is
// named by one of its items (the clustering uses its smallest member); the table is
// symmetric and stored as its lower triangle.
class ClusterSums {
public:
    // Every item a cluster of its own: the sums are the weighted scores themselves.
    void reset(const PairMatrix &pairMatrix, int itemCount);

    // For two clusters that both still exist.
    std::int64_t sum(int a, int b) const
    {
        const std::size_t at = a > b ? cell(a, b) : cell(b, a);
        return m_narrow ? m_narrowSums[at] : m_sums[at];
    }

    // Cluster `absorbed` joins cluster `into` (into < absorbed) and is not asked for again.
    void merge(int into, int absorbed);

private:
    static std::size_t rowStart(int row) { return std::size_t(row) * std::size_t(row - 1) / 2; }
    static std::size_t cell(int row, int col) { return rowStart(row) + std::size_t(col); }
    template <typename Sum>
    void mergeIn(std::vector<Sum> &sums, int into, int absorbed);

    // Every sum is one over distinct pairs of items, so none exceeds the sum of all the
    // scores: while that fits in 32 bits, so do they, and the table takes half the memory
    // (and half the cache).
    bool m_narrow = false;
    std::vector<std::int32_t> m_narrowSums;
    std::vector<std::int64_t> m_sums;
    // The clusters that still exist, ascending.
    std::vector<std::int32_t> m_clusters;
};

} // namespace sortana
