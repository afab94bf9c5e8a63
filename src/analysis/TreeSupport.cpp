#include "analysis/TreeSupport.h"

#include "analysis/ClusterAnalysis.h"
#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "analysis/ParallelRuns.h"
#include "analysis/ResamplingFigures.h"
#include "analysis/SubStudy.h"
#include "study/Study.h"

#include <algorithm>
#include <random>
#include <unordered_map>

namespace sortana {

namespace {

// A join's cards as rows of the study's leaf order: the lowest and the highest.
struct RowSpan {
    int low = 0;
    int high = 0;
};

qint64 spanKey(int low, int high, int itemCount)
{
    return qint64(low) * itemCount + high;
}

// What one worker thread reuses from replicate to replicate.
struct Worker {
    PairMatrix matrix;
    std::vector<qint32> repeats;
    std::vector<RowSpan> spans;
    std::vector<qint64> found;
};

} // namespace

std::optional<TreeSupport> computeTreeSupport(const Study &source, int replicates, quint64 seed,
                                              const Progress &progress)
{
    const SubStudies study(source);
    if (!study.problem().isEmpty() || replicates < 1)
        return std::nullopt;
    const int n = study.itemCount();
    const int participants = study.participants();
    const std::vector<int> leaves = LeafOrder(source.clusterRoot());
    const std::vector<TreeJoin> joins = treeJoins(source.clusterRoot());
    if (int(leaves.size()) != n || int(joins.size()) != n - 1)
        return std::nullopt;
    std::vector<int> rowOf(std::size_t(n), 0);
    for (int row = 0; row < n; ++row)
        rowOf[std::size_t(leaves[std::size_t(row)])] = row;
    // The study's joins by the rows they span: a replicate's join with the same cards spans
    // exactly those rows, and no other set of cards does.
    std::unordered_map<qint64, int> joinOfSpan;
    for (std::size_t j = 0; j < joins.size(); ++j)
        joinOfSpan.emplace(spanKey(joins[j].first, joins[j].end - 1, n), int(j));

    const int workerCount = coreCount();
    std::vector<Worker> workers(static_cast<std::size_t>(workerCount));
    for (Worker &worker : workers) {
        if (!worker.matrix.allocate(n))
            return std::nullopt;
        worker.found.assign(std::size_t(n - 1), 0);
    }
    TreeSupport support;
    support.seed = seed;
    support.replicates = replicates;
    support.replicateLeaves.resize(std::size_t(replicates) * std::size_t(n));
    support.replicateSplits.resize(std::size_t(replicates) * std::size_t(n - 1));

    std::mt19937_64 generator(seed);
    const PrepareTask drawReplicate = [&](qint64, std::vector<qint32> &draws) {
        draws.resize(std::size_t(participants));
        for (qint32 &draw : draws)
            draw = qint32(generator() % quint64(participants));
    };
    const WorkTask analyseReplicate = [&](qint64 replicate, const std::vector<qint32> &draws, int workerIndex) {
        Worker &worker = workers[std::size_t(workerIndex)];
        study.fillWeightedScores(draws, worker.matrix, worker.repeats);
        ClusterAnalysis analysis;
        analysis.Run(n, worker.matrix, study.options());
        const std::vector<int> replicateLeaves = LeafOrder(analysis.root());
        std::copy(replicateLeaves.begin(), replicateLeaves.end(), support.replicateLeaves.begin() + replicate * n);
        std::vector<JoinSplit> splits;
        // Joins come after their two sides, so the spans of the sides that are joins are
        // the last two on the stack.
        worker.spans.clear();
        for (const TreeJoin &join : treeJoins(analysis.root())) {
            splits.push_back({join.node->similarity, join.split});
            auto sideSpan = [&](int first, int end) {
                if (end - first == 1) {
                    const int row = rowOf[std::size_t(replicateLeaves[std::size_t(first)])];
                    return RowSpan{row, row};
                }
                const RowSpan span = worker.spans.back();
                worker.spans.pop_back();
                return span;
            };
            const RowSpan right = sideSpan(join.split, join.end);
            const RowSpan left = sideSpan(join.first, join.split);
            const RowSpan span{std::min(left.low, right.low), std::max(left.high, right.high)};
            worker.spans.push_back(span);
            if (span.high - span.low + 1 != join.end - join.first)
                continue;
            if (const auto same = joinOfSpan.find(spanKey(span.low, span.high, n)); same != joinOfSpan.end())
                ++worker.found[std::size_t(same->second)];
        }
        const std::vector<int> order = splitsLoosestFirst(std::move(splits));
        std::copy(order.begin(), order.end(), support.replicateSplits.begin() + replicate * (n - 1));
    };
    if (!runTasks(replicates, workerCount, drawReplicate, analyseReplicate, progress))
        return std::nullopt;

    support.joinSupport.resize(std::size_t(n - 1));
    for (std::size_t j = 0; j < support.joinSupport.size(); ++j) {
        qint64 found = 0;
        for (const Worker &worker : workers)
            found += worker.found[j];
        support.joinSupport[j] = percentWithOneDecimal(double(found), replicates);
    }
    return support;
}

std::vector<double> groupStability(const TreeSupport &support, const Study &study, int numberOfGroups)
{
    const int n = study.itemCount;
    const std::size_t replicates = std::size_t(std::max(support.replicates, 0));
    if (!study.clusterRoot() || n < 2 || replicates == 0
        || support.replicateLeaves.size() != replicates * std::size_t(n)
        || support.replicateSplits.size() != replicates * std::size_t(n - 1))
        return {};
    const std::vector<int> leaves = LeafOrder(study.clusterRoot());
    std::vector<int> starts = groupStarts(study.clusterRoot(), numberOfGroups);
    if (int(leaves.size()) != n)
        return {};
    starts.push_back(n);
    const std::size_t groups = starts.size() - 1;
    const std::size_t cuts = std::min<std::size_t>(groups - 1, std::size_t(n - 1));

    std::vector<double> overlapSums(groups, 0.0);
    std::vector<int> replicateGroupOf(static_cast<std::size_t>(n));
    std::vector<int> replicateGroupSize;
    std::vector<int> shared;
    std::vector<int> replicateStarts;
    for (std::size_t r = 0; r < replicates; ++r) {
        const qint32 *splits = support.replicateSplits.data() + r * std::size_t(n - 1);
        replicateStarts.assign(splits, splits + cuts);
        replicateStarts.push_back(0);
        replicateStarts.push_back(n);
        std::sort(replicateStarts.begin(), replicateStarts.end());
        const qint32 *order = support.replicateLeaves.data() + r * std::size_t(n);
        replicateGroupSize.assign(replicateStarts.size() - 1, 0);
        for (std::size_t h = 0; h + 1 < replicateStarts.size(); ++h) {
            replicateGroupSize[h] = replicateStarts[h + 1] - replicateStarts[h];
            for (int row = replicateStarts[h]; row < replicateStarts[h + 1]; ++row)
                replicateGroupOf[std::size_t(order[row])] = int(h);
        }
        shared.assign(replicateGroupSize.size(), 0);
        for (std::size_t g = 0; g < groups; ++g) {
            const int size = starts[g + 1] - starts[g];
            for (int row = starts[g]; row < starts[g + 1]; ++row)
                ++shared[std::size_t(replicateGroupOf[std::size_t(leaves[std::size_t(row)])])];
            double best = 0.0;
            for (int row = starts[g]; row < starts[g + 1]; ++row) {
                const std::size_t h = std::size_t(replicateGroupOf[std::size_t(leaves[std::size_t(row)])]);
                if (shared[h] == 0)
                    continue;
                best = std::max(best, double(shared[h]) / double(size + replicateGroupSize[h] - shared[h]));
                shared[h] = 0;
            }
            overlapSums[g] += best;
        }
    }
    std::vector<double> stability(groups);
    for (std::size_t g = 0; g < groups; ++g)
        stability[g] = percentWithOneDecimal(overlapSums[g], qint64(replicates));
    return stability;
}

} // namespace sortana
