#pragma once

#include "analysis/CandidateList.h"
#include "analysis/ClusterSums.h"
#include "study/ClusterTree.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace sortana {

class PairMatrix;
struct StudySummary;

// Average-linkage clustering of the items of a study into a binary tree. Candidate merges
// come from one list of item pairs sorted by similarity; a pair is only re-evaluated when
// the scan reaches it, and a pair whose similarity rose above the last merge makes the whole
// clustering run again on the updated list. Every analysis builds a tree of its own, so
// analyses on several threads share nothing.
class ClusterAnalysis {
public:
    ClusterAnalysis() = default;
    ClusterAnalysis(const ClusterAnalysis &) = delete;
    ClusterAnalysis &operator=(const ClusterAnalysis &) = delete;

    // Builds the tree of the matrix's weighted scores (its lower triangle) and returns 1.
    // Meant for two items or more; with fewer there is nothing to join and the root stays null.
    int Run(int itemCount, const PairMatrix &pairMatrix, const StudySummary &summary);

    // The root of the last Run's tree, while the analysis holds the tree.
    const ClusterNode *root() const { return m_tree ? m_tree->root() : nullptr; }
    // Hands the tree over (the document keeps it): the analysis no longer holds it. Null
    // when the last Run joined nothing.
    std::shared_ptr<const ClusterTree> takeTree();
    // Passes the last Run made: one, plus one for every re-run.
    int passCount() const { return m_passCount; }

private:
    // A cluster during one pass, stored under its smallest item. Its members are chained
    // through m_nextMember, from that item to lastMember.
    struct WorkingCluster {
        std::int32_t size = 1;
        std::int32_t lastMember = 0;
        double mergeSum = 0.0;
        std::int32_t mergeCount = 0;
        const ClusterNode *node = nullptr;

        double averageMerge() const { return mergeCount == 0 ? 0.0 : mergeSum / mergeCount; }
    };

    // Normal passes build their tree until a rising similarity shows that they will be run
    // again; replays only carry the list forward; the last pass builds its tree regardless.
    enum class PassMode { Normal, Replay, Last };

    void runPass(CandidateList &candidates, PassMode mode);
    void startPass();
    // The pass from which the passes start going round, given how many passes a round
    // takes; leaves the list as that pass found it in m_candidates.
    int findFirstRepeatedPass(int roundLength);
    // Joins the clusters of the pair's two items at the pair's similarity; nonzero while
    // the joined cluster does not yet hold every item.
    int mergeClusters(const CandidatePair &pair);
    // The mean weighted score of the clusters of the pair's two items, per maxPerCell.
    double clusterSimilarity(const CandidatePair &pair) const;

    // The tree of the pass under way, or of the last pass once Run is done.
    std::unique_ptr<ClusterTree> m_tree;
    const PairMatrix *m_pairMatrix = nullptr;
    int m_itemCount = 0;
    // What one pair can score per participant; scores are divided by it into similarities.
    double m_maxPerCell = 1.0;
    int m_passCount = 0;
    bool m_rerunNeeded = false;

    CandidateList m_candidates;
    PassMode m_passMode = PassMode::Normal;
    ClusterSums m_sums;
    // During a pass: the cluster, named by its smallest item, that holds each item.
    std::vector<std::int32_t> m_itemClusters;
    std::vector<WorkingCluster> m_clusters;
    std::vector<std::int32_t> m_nextMember;
};

} // namespace sortana
