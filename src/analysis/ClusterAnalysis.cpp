#include "analysis/ClusterAnalysis.h"

#include "study/PairMatrix.h"
#include "study/StudySummary.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>

namespace sortana {

namespace {

// A re-evaluated candidate closer than this to its stored similarity still counts as
// current, so rounding noise between the two ways of computing a mean does not move it.
constexpr double sameSimilarity = 0.00001;

// Every pair that ever shared a group, in list order: descending similarity, ties in the
// order (1, 0), (2, 0), (2, 1), (3, 0)...
std::vector<CandidatePair> candidatesOf(const PairMatrix &pairMatrix, int itemCount, double maxPerCell)
{
    std::size_t count = 0;
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    for (int i = 1; i < itemCount; ++i) {
        for (int j = 0; j < i; ++j) {
            const std::int32_t score = pairMatrix.at(i, j);
            if (score != 0) {
                ++count;
                lowest = std::min(lowest, score);
                highest = std::max(highest, score);
            }
        }
    }
    std::vector<CandidatePair> candidates(count);
    if (count == 0)
        return candidates;

    // Dividing by maxPerCell keeps the order of the scores, and while it is small, distinct
    // scores stay distinct similarities. Then a counting sort on the scores, which usually
    // span a few hundred values, orders the list in two sweeps.
    const std::uint64_t span = std::uint64_t(std::int64_t(highest) - lowest) + 1;
    if (maxPerCell <= double(1 << 20) && span <= count + 65536) {
        std::vector<std::size_t> next(span + 1, 0);
        for (int i = 1; i < itemCount; ++i) {
            for (int j = 0; j < i; ++j) {
                const std::int32_t score = pairMatrix.at(i, j);
                if (score != 0)
                    ++next[std::size_t(highest - score) + 1];
            }
        }
        std::partial_sum(next.begin(), next.end(), next.begin());
        for (int i = 1; i < itemCount; ++i) {
            for (int j = 0; j < i; ++j) {
                const std::int32_t score = pairMatrix.at(i, j);
                if (score != 0)
                    candidates[next[std::size_t(highest - score)]++] = {score / maxPerCell, i, j};
            }
        }
        return candidates;
    }

    auto to = candidates.begin();
    for (int i = 1; i < itemCount; ++i) {
        for (int j = 0; j < i; ++j) {
            const std::int32_t score = pairMatrix.at(i, j);
            if (score != 0)
                *to++ = {score / maxPerCell, i, j};
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const CandidatePair &a, const CandidatePair &b) { return a.similarity > b.similarity; });
    return candidates;
}

bool sameList(std::span<const CandidatePair> a, std::span<const CandidatePair> b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CandidatePair &x, const CandidatePair &y) {
        return x.similarity == y.similarity && x.first == y.first && x.second == y.second;
    });
}

// Notices when the list at the start of a pass is one it started an earlier pass with. It
// keeps a single earlier list, taken anew at passes 1, 2, 4, 8...; a list that comes round
// every r passes is then caught within about twice the passes it takes to come round.
class PassWatch {
public:
    // The number of passes since the kept list was last seen, or 0 if this list is new.
    int roundLength(int pass, std::span<const CandidatePair> list)
    {
        if (m_keptPass > 0 && sameList(list, m_kept))
            return pass - m_keptPass;
        if ((pass & (pass - 1)) == 0) {
            m_kept.assign(list.begin(), list.end());
            m_keptPass = pass;
        }
        return 0;
    }

private:
    std::vector<CandidatePair> m_kept;
    int m_keptPass = 0;
};

} // namespace

int ClusterAnalysis::Run(int count, const PairMatrix &matrix, const StudySummary &study)
{
    Q_ASSERT(count <= matrix.size());
    m_itemCount = count;
    m_pairMatrix = &matrix;
    m_maxPerCell = study.similarityScale();

    m_candidates = CandidateList(candidatesOf(matrix, m_itemCount, m_maxPerCell));
    PassWatch watch;
    for (m_passCount = 1;; ++m_passCount) {
        runPass(m_candidates, PassMode::Normal);
        if (!m_rerunNeeded)
            break;
        // A pass depends on nothing but the list it starts from. Once a list comes round
        // again the passes would repeat for ever, each finding its rising similarity anew;
        // the first pass to start from a list seen before is made the last one instead.
        const int roundLength = watch.roundLength(m_passCount, m_candidates.items());
        if (roundLength > 0) {
            const int firstRepeated = findFirstRepeatedPass(roundLength);
            runPass(m_candidates, PassMode::Last);
            m_passCount = firstRepeated + roundLength + 1;
            break;
        }
    }

    m_candidates = CandidateList();
    m_sums = ClusterSums();
    m_itemClusters = {};
    m_clusters = {};
    m_nextMember = {};
    return 1;
}

int ClusterAnalysis::findFirstRepeatedPass(int roundLength)
{
    // Two replays from the first list, one a round ahead of the other, meet at the first
    // list that comes round again.
    CandidateList behind(candidatesOf(*m_pairMatrix, m_itemCount, m_maxPerCell));
    CandidateList ahead = behind;
    for (int pass = 0; pass < roundLength; ++pass)
        runPass(ahead, PassMode::Replay);
    int first = 0;
    for (; !sameList(behind.items(), ahead.items()); ++first) {
        runPass(behind, PassMode::Replay);
        runPass(ahead, PassMode::Replay);
    }
    m_candidates = std::move(behind);
    return first;
}

std::shared_ptr<const ClusterTree> ClusterAnalysis::takeTree()
{
    if (!root())
        m_tree.reset();
    return std::move(m_tree);
}

void ClusterAnalysis::startPass()
{
    // An earlier pass's tree is thrown away.
    m_tree = std::make_unique<ClusterTree>();
    m_sums.reset(*m_pairMatrix, m_itemCount);
    m_itemClusters.resize(std::size_t(m_itemCount));
    std::iota(m_itemClusters.begin(), m_itemClusters.end(), 0);
    m_clusters.assign(std::size_t(m_itemCount), WorkingCluster{});
    for (int item = 0; item < m_itemCount; ++item)
        m_clusters[std::size_t(item)].lastMember = item;
    m_nextMember.assign(std::size_t(m_itemCount), -1);
}

void ClusterAnalysis::runPass(CandidateList &candidates, PassMode mode)
{
    m_passMode = mode;
    m_rerunNeeded = false;
    startPass();

    bool apart = m_itemCount > 1;
    double lastSimilarity = candidates.empty() ? 0.0 : candidates.items().front().similarity;
    candidates.beginScan();
    while (apart && candidates.current() != nullptr) {
        const CandidatePair pair = *candidates.current();
        if (pair.first == pair.second || m_itemClusters[pair.first] == m_itemClusters[pair.second]) {
            candidates.keepCurrent();
            continue;
        }
        const double similarity = clusterSimilarity(pair);
        if (std::fabs(similarity - pair.similarity) < sameSimilarity) {
            apart = mergeClusters(pair) != 0;
            lastSimilarity = similarity;
            candidates.keepCurrent();
        } else {
            if (similarity > lastSimilarity)
                m_rerunNeeded = true;
            candidates.moveCurrent(similarity);
        }
    }
    // After the last pass Run drops the list as it stands.
    const bool lastPass = mode == PassMode::Last || (mode == PassMode::Normal && !m_rerunNeeded);
    if (!lastPass)
        candidates.endScan();

    // Items that never met another item, and clusters the scan left apart.
    for (int item = 1; apart && item < m_itemCount; ++item) {
        if (m_itemClusters[item] != m_itemClusters[0])
            apart = mergeClusters(CandidatePair{0.0, 0, item}) != 0;
    }
}

int ClusterAnalysis::mergeClusters(const CandidatePair &pair)
{
    // The joined cluster goes on under the smaller smallest item.
    const std::int32_t into = std::min(m_itemClusters[pair.first], m_itemClusters[pair.second]);
    const std::int32_t absorbed = std::max(m_itemClusters[pair.first], m_itemClusters[pair.second]);
    WorkingCluster &kept = m_clusters[std::size_t(into)];
    const WorkingCluster &gone = m_clusters[std::size_t(absorbed)];

    // The side built by the tighter merges is drawn first; on a tie the kept cluster is.
    const bool absorbedLeft = kept.averageMerge() < gone.averageMerge();
    const std::int32_t leftCluster = absorbedLeft ? absorbed : into;
    const ClusterNode *leftNode = absorbedLeft ? gone.node : kept.node;
    const ClusterNode *rightNode = absorbedLeft ? kept.node : gone.node;
    const bool firstOnLeft = m_itemClusters[pair.first] == leftCluster;
    const std::int32_t leftItem = firstOnLeft ? pair.first : pair.second;
    const std::int32_t rightItem = firstOnLeft ? pair.second : pair.first;

    kept.size += gone.size;
    kept.mergeSum = kept.mergeSum + gone.mergeSum + pair.similarity;
    kept.mergeCount = kept.mergeCount + gone.mergeCount + 1;
    // Once a re-run is due, this pass's tree will be thrown away, so it is not built.
    if (m_passMode == PassMode::Last || (m_passMode == PassMode::Normal && !m_rerunNeeded)) {
        kept.node = &m_tree->add(ClusterNode{leftNode, rightNode, pair.similarity, leftItem, rightItem});
        m_tree->setRoot(kept.node);
    }

    for (std::int32_t member = absorbed; member != -1; member = m_nextMember[std::size_t(member)])
        m_itemClusters[std::size_t(member)] = into;
    m_nextMember[std::size_t(kept.lastMember)] = absorbed;
    kept.lastMember = gone.lastMember;
    m_sums.merge(into, absorbed);

    return kept.size < m_itemCount ? 1 : 0;
}

double ClusterAnalysis::clusterSimilarity(const CandidatePair &pair) const
{
    const std::int32_t a = m_itemClusters[std::size_t(pair.first)];
    const std::int32_t b = m_itemClusters[std::size_t(pair.second)];
    const std::int64_t pairs = std::int64_t(m_clusters[std::size_t(a)].size) * m_clusters[std::size_t(b)].size;
    // Two divisions, each rounded: for two single items this is exactly score / m_maxPerCell,
    // the similarity the candidate was stored with.
    return double(m_sums.sum(a, b)) / double(pairs) / m_maxPerCell;
}

} // namespace sortana
