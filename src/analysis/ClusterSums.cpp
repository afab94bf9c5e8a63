#include "analysis/ClusterSums.h"

#include "import/PairMatrix.h"

#include <algorithm>
#include <numeric>

namespace sortana {

void ClusterSums::reset(const PairMatrix &pairMatrix, int itemCount)
{
    m_sums.resize(itemCount < 2 ? 0 : rowStart(itemCount));
    const std::int32_t *scores = pairMatrix.data();
    const std::size_t stride = std::size_t(pairMatrix.size());
    for (int row = 1; row < itemCount; ++row) {
        const std::int32_t *from = scores + std::size_t(row) * stride;
        std::copy(from, from + row, m_sums.data() + rowStart(row));
    }
    m_clusters.resize(std::size_t(std::max(itemCount, 0)));
    std::iota(m_clusters.begin(), m_clusters.end(), 0);
}

void ClusterSums::merge(int into, int absorbed)
{
    // The sums of `into` with the clusters before it lie side by side in its row: adding the
    // whole row, gone clusters included, is cheaper than picking out the live ones. The gone
    // ones stay sums over pairs of distinct items, so they cannot overflow.
    std::int64_t *intoRow = m_sums.data() + rowStart(into);
    const std::int64_t *absorbedRow = m_sums.data() + rowStart(absorbed);
    for (int k = 0; k < into; ++k)
        intoRow[k] += absorbedRow[k];

    // The rest lie one per row, so only the clusters that still exist are visited.
    auto cluster = std::upper_bound(m_clusters.begin(), m_clusters.end(), into);
    for (; *cluster < absorbed; ++cluster)
        m_sums[cell(*cluster, into)] += absorbedRow[*cluster];
    cluster = m_clusters.erase(cluster);
    for (; cluster != m_clusters.end(); ++cluster) {
        std::int64_t *row = m_sums.data() + rowStart(*cluster);
        row[into] += row[absorbed];
    }
}

} // namespace sortana
