#include "analysis/ClusterSums.h"

#include "study/PairMatrix.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace sortana {

namespace {

template <typename Sum>
void fill(std::vector<Sum> &sums, const PairMatrix &pairMatrix, int itemCount, std::size_t size)
{
    sums.resize(size);
    const std::int32_t *scores = pairMatrix.data();
    const std::size_t stride = std::size_t(pairMatrix.size());
    Sum *to = sums.data();
    for (int row = 1; row < itemCount; ++row) {
        const std::int32_t *from = scores + std::size_t(row) * stride;
        to = std::copy(from, from + row, to);
    }
}

} // namespace

void ClusterSums::reset(const PairMatrix &pairMatrix, int itemCount)
{
    std::int64_t total = 0;
    for (int row = 1; row < itemCount; ++row) {
        const std::int32_t *from = pairMatrix.data() + std::size_t(row) * std::size_t(pairMatrix.size());
        total = std::accumulate(from, from + row, total);
    }
    const std::size_t size = itemCount < 2 ? 0 : rowStart(itemCount);
    m_narrow = total <= std::numeric_limits<std::int32_t>::max();
    if (m_narrow) {
        fill(m_narrowSums, pairMatrix, itemCount, size);
        m_sums = {};
    } else {
        fill(m_sums, pairMatrix, itemCount, size);
        m_narrowSums = {};
    }
    m_clusters.resize(std::size_t(std::max(itemCount, 0)));
    std::iota(m_clusters.begin(), m_clusters.end(), 0);
}

void ClusterSums::merge(int into, int absorbed)
{
    if (m_narrow)
        mergeIn(m_narrowSums, into, absorbed);
    else
        mergeIn(m_sums, into, absorbed);
}

template <typename Sum>
void ClusterSums::mergeIn(std::vector<Sum> &sums, int into, int absorbed)
{
    // The sums of `into` with the clusters before it lie side by side in its row: adding the
    // whole row, gone clusters included, is cheaper than picking out the live ones. The gone
    // ones stay sums over pairs of distinct items, so they cannot overflow.
    Sum *intoRow = sums.data() + rowStart(into);
    const Sum *absorbedRow = sums.data() + rowStart(absorbed);
    for (int k = 0; k < into; ++k)
        intoRow[k] += absorbedRow[k];

    // The rest lie one per row, so only the clusters that still exist are visited.
    auto cluster = std::upper_bound(m_clusters.begin(), m_clusters.end(), into);
    for (; *cluster < absorbed; ++cluster)
        sums[cell(*cluster, into)] += absorbedRow[*cluster];
    cluster = m_clusters.erase(cluster);
    for (; cluster != m_clusters.end(); ++cluster) {
        Sum *row = sums.data() + rowStart(*cluster);
        row[into] += row[absorbed];
    }
}

} // namespace sortana
