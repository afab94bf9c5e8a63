#include "analysis/Cophenetic.h"

#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "analysis/ResamplingFigures.h"
#include "analysis/SubStudy.h"
#include "study/Study.h"

namespace sortana {

std::optional<double> copheneticCorrelation(const Study &study)
{
    if (!study.clusterRoot() || !study.similarity || study.similarity->itemCount() != study.itemCount)
        return std::nullopt;
    const int n = study.itemCount;
    const std::vector<int> leaves = LeafOrder(study.clusterRoot());
    if (int(leaves.size()) != n)
        return std::nullopt;
    const std::size_t pairs = SubStudies::pairIndex(0, n);
    std::vector<double> scores(pairs);
    std::vector<double> joined(pairs);
    const double maxPerCell = study.summary.similarityScale();
    for (int hi = 1; hi < n; ++hi) {
        for (int lo = 0; lo < hi; ++lo)
            scores[SubStudies::pairIndex(lo, hi)] = study.similarity->weightedScore(lo, hi) / maxPerCell;
    }
    // Every pair first meets at the join whose two sides hold one card each.
    for (const TreeJoin &join : treeJoins(study.clusterRoot())) {
        for (int a = join.first; a < join.split; ++a) {
            for (int b = join.split; b < join.end; ++b) {
                const int x = leaves[std::size_t(a)];
                const int y = leaves[std::size_t(b)];
                joined[SubStudies::pairIndex(std::min(x, y), std::max(x, y))] = join.node->similarity;
            }
        }
    }
    return pearson(scores, joined);
}

} // namespace sortana
