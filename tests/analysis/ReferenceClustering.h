#pragma once

#include "study/ClusterNode.h"
#include "study/PairMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <iterator>
#include <list>
#include <memory>
#include <vector>

namespace sortana::testing {

// The clustering done the slow, literal way: a linked list of candidates searched from the
// front, clusters as sorted member lists, and every similarity summed over all member
// pairs. Slow beyond small studies, but plainly right, so it is what the real one is checked
// against. Passes that would go round for ever are stopped the plain way too: every list a
// pass started from is kept, and the first pass to start from one of them is the last.
class ReferenceClustering {
public:
    ReferenceClustering(const PairMatrix &matrix, int itemCount, double maxPerCell)
        : m_matrix(matrix), m_itemCount(itemCount), m_maxPerCell(maxPerCell)
    {
    }

    // False when the passes did not end within passLimit.
    bool run(int passLimit)
    {
        for (int i = 1; i < m_itemCount; ++i) {
            for (int j = 0; j < i; ++j) {
                if (m_matrix.at(i, j) != 0)
                    m_list.push_back({m_matrix.at(i, j) / m_maxPerCell, i, j});
            }
        }
        m_list.sort([](const Candidate &a, const Candidate &b) { return a.similarity > b.similarity; });
        std::vector<std::list<Candidate>> startLists;
        do {
            if (passes == passLimit)
                return false;
            roundTrip = std::find(startLists.begin(), startLists.end(), m_list) != startLists.end();
            startLists.push_back(m_list);
            pass();
            ++passes;
        } while (m_rerunNeeded && !roundTrip);
        return true;
    }

    const ClusterNode *root = nullptr;
    int passes = 0;
    bool roundTrip = false;   // the last pass started from a list an earlier pass had
    std::size_t nodesMade() const { return m_nodes.size(); }

private:
    struct Candidate {
        double similarity;
        int first;
        int second;

        bool operator==(const Candidate &) const = default;
    };
    struct Cluster {
        std::vector<int> members;
        ClusterNode *node = nullptr;
        double mergeSum = 0.0;
        int mergeCount = 0;
    };

    std::int32_t score(int x, int y) const { return m_matrix.at(std::max(x, y), std::min(x, y)); }

    double similarity(const Candidate &p) const
    {
        const Cluster &a = *m_itemClusters[p.first];
        const Cluster &b = *m_itemClusters[p.second];
        if (a.mergeCount == 0 && b.mergeCount == 0)
            return score(p.first, p.second) / m_maxPerCell;
        std::int64_t sum = 0;
        for (int x : a.members) {
            for (int y : b.members)
                sum += score(x, y);
        }
        const std::int64_t pairCount = std::int64_t(a.members.size() * b.members.size());
        return double(sum) / double(pairCount) / m_maxPerCell;
    }

    static double average(const Cluster &c) { return c.mergeCount == 0 ? 0.0 : c.mergeSum / c.mergeCount; }

    bool merge(const Candidate &p)
    {
        Cluster *ca = m_itemClusters[p.first];
        Cluster *cb = m_itemClusters[p.second];
        Cluster *x = ca->members.front() < cb->members.front() ? ca : cb;
        Cluster *y = x == ca ? cb : ca;
        Cluster *left = average(*x) < average(*y) ? y : x;
        Cluster *right = left == x ? y : x;
        const int leftItem = m_itemClusters[p.first] == left ? p.first : p.second;
        const int rightItem = leftItem == p.first ? p.second : p.first;
        ClusterNode *leftNode = left->node;
        ClusterNode *rightNode = right->node;

        std::vector<int> joined;
        std::merge(x->members.begin(), x->members.end(), y->members.begin(), y->members.end(),
                   std::back_inserter(joined));
        x->members = std::move(joined);
        x->mergeSum = x->mergeSum + y->mergeSum + p.similarity;
        x->mergeCount = x->mergeCount + y->mergeCount + 1;
        if (!m_rerunNeeded || roundTrip) {
            x->node = &m_nodes.emplace_back(ClusterNode{leftNode, rightNode, p.similarity, leftItem, rightItem});
            root = x->node;
        }
        for (int member : y->members)
            m_itemClusters[member] = x;
        return int(x->members.size()) < m_itemCount;
    }

    void pass()
    {
        m_rerunNeeded = false;
        std::vector<std::unique_ptr<Cluster>> clusters;
        m_itemClusters.assign(m_itemCount, nullptr);
        for (int i = 0; i < m_itemCount; ++i) {
            clusters.push_back(std::make_unique<Cluster>());
            clusters.back()->members = {i};
            m_itemClusters[i] = clusters.back().get();
        }

        bool apart = m_itemCount > 1;
        double lastSimilarity = m_list.empty() ? 0.0 : m_list.front().similarity;
        auto it = m_list.begin();
        while (apart && it != m_list.end()) {
            const Candidate p = *it;
            if (p.first == p.second || m_itemClusters[p.first] == m_itemClusters[p.second]) {
                ++it;
                continue;
            }
            const double v = similarity(p);
            if (std::fabs(v - p.similarity) < 0.00001) {
                apart = merge(p);
                lastSimilarity = v;
                ++it;
                continue;
            }
            const auto next = std::next(it);
            m_list.erase(it);
            if (v > lastSimilarity)
                m_rerunNeeded = true;
            auto at = m_list.begin();
            while (at != m_list.end() && !(at->similarity < v))
                ++at;
            m_list.insert(at, Candidate{v, p.first, p.second});
            it = next;
        }

        for (int k = 1; apart && k < m_itemCount; ++k) {
            if (m_itemClusters[k] != m_itemClusters[0])
                apart = merge(Candidate{0.0, 0, k});
        }
        m_itemClusters.clear();
    }

    const PairMatrix &m_matrix;
    int m_itemCount;
    double m_maxPerCell;
    std::list<Candidate> m_list;
    std::vector<Cluster *> m_itemClusters;
    bool m_rerunNeeded = false;
    std::deque<ClusterNode> m_nodes;
};

} // namespace sortana::testing
