// Support, stability and the participants-enough curve, checked against sub-studies built
// the long way: each replicate's raw data file cut from the study's own lines and imported.
#include "analysis/Resampling.h"
#include "analysis/Adequacy.h"
#include "analysis/Categories.h"
#include "analysis/Cophenetic.h"
#include "analysis/CsvText.h"
#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "analysis/ParallelRuns.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "support/ImportedDocument.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QList>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <mutex>
#include <numeric>
#include <random>
#include <set>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// A raw data file cut at its participant lines: the item names (and declared groups)
// before the first, then one block of lines per participant.
struct RawStudy {
    QByteArray head;
    QList<QByteArray> participants;
};

RawStudy cut(const QByteArray &text)
{
    RawStudy study;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = text.indexOf('\n', at);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(at, end - at);
        if (line.startsWith('P') || line.startsWith('p'))
            study.participants.append(line);
        else if (study.participants.isEmpty())
            study.head += line;
        else
            study.participants.last() += line;
        at = end;
    }
    return study;
}

struct Golden {
    const char *name;
    bool expert;
    int copies;
};

class ImportedReplicates : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override
    {
        const Golden golden = GetParam();
        text = readBytes(QStringLiteral(SORTANA_GOLDEN_DIR "/%1/%1.txt").arg(QLatin1String(golden.name)));
        raw = cut(text);
        ASSERT_NO_FATAL_FAILURE(importDocument(text, study, [&](ImportRun &run) {
            run.summary().useExpert = golden.expert;
            run.summary().copiesPerParticipant = golden.copies;
        }));
        counted = raw.participants.mid(golden.expert ? 1 : 0);
        ASSERT_EQ(int(counted.size()), int(resamplingParticipants(study.study()).size()));
    }

    // The sub-study of these counted participants, imported as its own raw data file with
    // the study's options and no expert.
    void importSubStudy(const std::vector<int> &drawn, Document &into) const
    {
        QByteArray file = raw.head;
        for (const int p : drawn)
            file += counted[p];
        importDocument(file, into, [&](ImportRun &run) {
            run.setCheckStudyShape(false);
            run.summary().useExpert = false;
            run.summary().useFit = study.study().summary.useFit;
            run.summary().useSubGroups = study.study().summary.useSubGroups;
            run.summary().copiesPerParticipant = study.study().summary.copiesPerParticipant;
        });
    }

    QByteArray text;
    RawStudy raw;
    QList<QByteArray> counted;
    Document study;
};

// The cards of every join of a tree.
std::set<std::vector<int>> joinCards(const ClusterNode *root)
{
    const std::vector<int> leaves = LeafOrder(root);
    std::set<std::vector<int>> joins;
    for (const TreeJoin &join : treeJoins(root)) {
        std::vector<int> cards(leaves.begin() + join.first, leaves.begin() + join.end);
        std::sort(cards.begin(), cards.end());
        joins.insert(cards);
    }
    return joins;
}

// The groups of a tree cut as the bands are, each as its set of cards.
std::vector<std::set<int>> groupsOf(const ClusterNode *root, int numberOfGroups)
{
    const std::vector<int> leaves = LeafOrder(root);
    std::vector<int> starts = groupStarts(root, numberOfGroups);
    starts.push_back(int(leaves.size()));
    std::vector<std::set<int>> groups;
    for (std::size_t g = 0; g + 1 < starts.size(); ++g)
        groups.emplace_back(leaves.begin() + starts[g], leaves.begin() + starts[g + 1]);
    return groups;
}

// As printf's %.1f shows it (the tests run in the C locale).
double oneDecimal(double percent)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", percent);
    return std::strtod(text, nullptr);
}

TEST_P(ImportedReplicates, SupportAndStabilityAreThoseOfTheImportedReplicates)
{
    constexpr int replicates = 25;
    constexpr quint64 seed = 20261211;
    const std::optional<TreeSupport> support = computeTreeSupport(study.study(), replicates, seed, {});
    ASSERT_TRUE(support);
    EXPECT_EQ(support->seed, seed);
    EXPECT_EQ(support->replicates, replicates);

    const int participants = int(counted.size());
    std::mt19937_64 generator(seed);
    std::vector<std::unique_ptr<Document>> trees;
    for (int r = 0; r < replicates; ++r) {
        std::vector<int> drawn;
        for (int i = 0; i < participants; ++i)
            drawn.push_back(int(generator() % quint64(participants)));
        trees.push_back(std::make_unique<Document>());
        ASSERT_NO_FATAL_FAILURE(importSubStudy(drawn, *trees.back()));
    }

    const std::vector<int> leaves = LeafOrder(study.clusterRoot());
    const std::vector<TreeJoin> joins = treeJoins(study.clusterRoot());
    ASSERT_EQ(support->joinSupport.size(), joins.size());
    std::vector<std::set<std::vector<int>>> replicateJoins;
    for (const auto &tree : trees)
        replicateJoins.push_back(joinCards(tree->clusterRoot()));
    for (std::size_t j = 0; j < joins.size(); ++j) {
        std::vector<int> cards(leaves.begin() + joins[j].first, leaves.begin() + joins[j].end);
        std::sort(cards.begin(), cards.end());
        const auto found = std::count_if(replicateJoins.begin(), replicateJoins.end(),
                                         [&](const auto &set) { return set.count(cards) > 0; });
        EXPECT_EQ(support->joinSupport[j], oneDecimal(100.0 * double(found) / replicates)) << "join " << j + 1;
    }

    for (const int k : {1, 2, 3, 5, study.study().itemCount, study.study().itemCount + 3}) {
        const std::vector<std::set<int>> groups = groupsOf(study.clusterRoot(), k);
        std::vector<double> sums(groups.size(), 0.0);
        for (const auto &tree : trees) {
            const std::vector<std::set<int>> theirs = groupsOf(tree->clusterRoot(), k);
            for (std::size_t g = 0; g < groups.size(); ++g) {
                double best = 0.0;
                for (const std::set<int> &h : theirs) {
                    std::vector<int> both;
                    std::set_intersection(groups[g].begin(), groups[g].end(), h.begin(), h.end(),
                                          std::back_inserter(both));
                    best = std::max(best, double(both.size()) / double(groups[g].size() + h.size() - both.size()));
                }
                sums[g] += best;
            }
        }
        const std::vector<double> stability = groupStability(*support, study.study(), k);
        ASSERT_EQ(stability.size(), groups.size()) << k << " groups";
        for (std::size_t g = 0; g < groups.size(); ++g)
            EXPECT_EQ(stability[g], oneDecimal(100.0 * sums[g] / replicates)) << k << " groups, group " << g + 1;
    }
}

// Pearson's r the plain way, over every pair of cards.
std::optional<double> countCorrelation(const Document &a, const Document &b)
{
    std::vector<double> x;
    std::vector<double> y;
    for (int hi = 1; hi < a.study().itemCount; ++hi) {
        for (int lo = 0; lo < hi; ++lo) {
            x.push_back(a.study().similarity->count(lo, hi));
            y.push_back(b.study().similarity->count(lo, hi));
        }
    }
    const double n = double(x.size());
    const double meanX = std::accumulate(x.begin(), x.end(), 0.0) / n;
    const double meanY = std::accumulate(y.begin(), y.end(), 0.0) / n;
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        xy += (x[i] - meanX) * (y[i] - meanY);
        xx += (x[i] - meanX) * (x[i] - meanX);
        yy += (y[i] - meanY) * (y[i] - meanY);
    }
    if (xx == 0 || yy == 0)
        return std::nullopt;
    return xy / std::sqrt(xx * yy);
}

TEST_P(ImportedReplicates, EachSubSampleCorrelatesAsItsImportedMatrix)
{
    constexpr quint64 seed = 99;
    const int participants = int(counted.size());
    // One sub-sample per size, so that each point's mean is that sub-sample's r.
    const std::optional<Adequacy> adequacy = computeAdequacy(study.study(), 1, seed, {});
    ASSERT_TRUE(adequacy);
    ASSERT_EQ(adequacy->points.size(), adequacySizes(participants).size());
    std::mt19937_64 generator(seed);
    for (const AdequacyPoint &point : adequacy->points) {
        std::vector<int> list(static_cast<std::size_t>(participants));
        std::iota(list.begin(), list.end(), 0);
        for (int i = 0; i < point.participants; ++i)
            std::swap(list[std::size_t(i)], list[std::size_t(i) + generator() % quint64(participants - i)]);
        Document sample;
        ASSERT_NO_FATAL_FAILURE(importSubStudy({list.begin(), list.begin() + point.participants}, sample));
        const std::optional<double> r = countCorrelation(sample, study);
        ASSERT_EQ(point.kept, r ? 1 : 0) << point.participants;
        if (r) {
            EXPECT_NEAR(point.mean, *r, 1e-12) << point.participants;
            EXPECT_EQ(point.p05, point.mean);
            EXPECT_EQ(point.p95, point.mean);
        } else {
            EXPECT_TRUE(std::isnan(point.mean));
        }
    }
    // The sums from the table of products and those from each sub-sample's own counts are
    // the same integers.
    for (const int subsets : {1, 7}) {
        EXPECT_EQ(computeAdequacy(study.study(), subsets, seed, {}, AdequacyMethod::ProductTable),
                  computeAdequacy(study.study(), subsets, seed, {}, AdequacyMethod::PairCounts));
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, ImportedReplicates,
                         ::testing::Values(Golden{"expert-fit-subgroups", true, 1}, Golden{"copies-two", false, 2},
                                           Golden{"medium", false, 1}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(Resampling, IdenticalSortsAreFullySupportedAndCorrelateFully)
{
    Document document;
    QByteArray study = "IA\nIB\nIC\nID\nIE\nIF\nIG\n";
    for (int p = 1; p <= 6; ++p)
        study += "P" + QByteArray::number(p) + "\nG\nI1\nI2\nI3\nG\nI4\nI5\nG\nI6\nI7\nI1\n";
    ASSERT_NO_FATAL_FAILURE(importDocument(study, document, [](ImportRun &run) { run.setCheckStudyShape(false); }));

    const std::optional<TreeSupport> support = computeTreeSupport(document.study(), 30, 5, {});
    ASSERT_TRUE(support);
    EXPECT_EQ(support->joinSupport, std::vector<double>(6, 100.0));
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(groupStability(*support, document.study(), k), std::vector<double>(std::size_t(k), 100.0)) << k;

    const std::optional<Adequacy> adequacy = computeAdequacy(document.study(), 20, 5, {});
    ASSERT_TRUE(adequacy);
    ASSERT_EQ(adequacy->points.size(), 5u);
    for (const AdequacyPoint &point : adequacy->points) {
        EXPECT_EQ(point.kept, 20);
        EXPECT_DOUBLE_EQ(point.mean, 1.0);
        EXPECT_DOUBLE_EQ(point.p05, 1.0);
        EXPECT_DOUBLE_EQ(point.p95, 1.0);
    }
    EXPECT_EQ(adequacy->enough90, 2);
    EXPECT_EQ(adequacy->enough95, 2);

    // Results of another study are not this one's.
    document.setTreeSupport(support);
    document.setAdequacy(adequacy);
    ASSERT_NO_FATAL_FAILURE(importDocument(study, document, [](ImportRun &run) { run.setCheckStudyShape(false); }));
    EXPECT_FALSE(document.treeSupport() || document.adequacy());
}

TEST(Resampling, TheSeedDecidesAndCancelStops)
{
    Document document;
    ASSERT_NO_FATAL_FAILURE(
        importDocument(readBytes(QStringLiteral(SORTANA_GOLDEN_DIR "/medium/medium.txt")), document));
    const std::optional<TreeSupport> first = computeTreeSupport(document.study(), 40, 3, {});
    ASSERT_TRUE(first);
    EXPECT_EQ(computeTreeSupport(document.study(), 40, 3, {}), first);
    const std::optional<TreeSupport> other = computeTreeSupport(document.study(), 40, 4, {});
    ASSERT_TRUE(other);
    EXPECT_NE(other->replicateLeaves, first->replicateLeaves);
    const std::optional<Adequacy> curve = computeAdequacy(document.study(), 30, 3, {});
    ASSERT_TRUE(curve);
    EXPECT_EQ(computeAdequacy(document.study(), 30, 3, {}), curve);
    EXPECT_NE(computeAdequacy(document.study(), 30, 4, {}), curve);

    // Progress runs from 0 to the total, a few hundred times at most; false cancels.
    std::vector<std::pair<qint64, qint64>> told;
    std::mutex telling;
    ASSERT_TRUE(computeTreeSupport(document.study(), 1000, 3, [&](qint64 done, qint64 total) {
        const std::lock_guard lock(telling);
        told.emplace_back(done, total);
        return true;
    }));
    ASSERT_FALSE(told.empty());
    EXPECT_LE(told.size(), 300u);
    EXPECT_EQ(told.back(), (std::pair<qint64, qint64>(1000, 1000)));
    int calls = 0;
    EXPECT_FALSE(
        computeTreeSupport(document.study(), 1000, 3, [&](qint64 done, qint64) { return ++calls < 3 && done < 1000; }));
    EXPECT_FALSE(computeAdequacy(document.study(), 50, 3, [](qint64 done, qint64) { return done == 0; }));
}

TEST(Resampling, TheResultsDoNotDependOnTheNumberOfThreads)
{
    const auto run = [](int workers) {
        std::mt19937_64 generator(11);
        std::vector<std::vector<qint32>> results(500);
        EXPECT_TRUE(runTasks(
            500, workers,
            [&](qint64 task, std::vector<qint32> &draws) {
                draws.assign(std::size_t(task % 7 + 1), 0);
                for (qint32 &draw : draws)
                    draw = qint32(generator() % 1000);
            },
            [&](qint64 task, const std::vector<qint32> &draws, int) { results[std::size_t(task)] = draws; }, {}));
        return results;
    };
    EXPECT_EQ(run(1), run(4));
}

// Here few threads, if any, find room for their stacks: the run goes on on those that start.
TEST(Resampling, ThreadsTheSystemCannotStartLeaveTheirShareToTheOthers)
{
#ifdef SORTANA_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit in a small address space";
#endif
    std::atomic<int> next = 0;
    std::vector<int> doneBy(100, -1);
    const std::function<void(int)> work = [&](int thread) {
        for (int task = next++; task < 100; task = next++)
            doneBy[std::size_t(task)] = thread;
    };
    {
        const AddressSpaceLimit limit(rlim_t(64) << 10);
        runOnThreads(64, work);
    }
    EXPECT_EQ(std::count(doneBy.begin(), doneBy.end(), -1), 0);
}

TEST(Resampling, FiguresAreWrittenAsPrintfDoesInTheCLocale)
{
    const struct {
        double value;
        int decimals;
        const char *text;
    } cases[] = {
        {12.25, 1, "12.2"}, // a tie of the exact value goes to even
        {12.35, 1, "12.3"}, // 12.3499999...
        {0.0078125, 6, "0.007812"}, // a similarity of 1 / 128
        {-0.00001, 4, "-0.0000"},   {100.0, 1, "100.0"},
    };
    // In a locale with a decimal comma, where printf would write one (on machines that have
    // that locale; the programs take the user's).
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const auto &c : cases)
        EXPECT_EQ(fixedText(c.value, c.decimals), QLatin1String(c.text)) << c.text;
    EXPECT_EQ(formatAgreement(83.33333), u"83.3"_s);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(Resampling, SizesOfTheCurve)
{
    EXPECT_TRUE(adequacySizes(1).empty());
    std::vector<int> upTo41(40);
    std::iota(upTo41.begin(), upTo41.end(), 2);
    EXPECT_EQ(adequacySizes(41), upTo41);
    const std::vector<int> sizes = adequacySizes(300);
    ASSERT_EQ(sizes.size(), 40u);
    EXPECT_EQ(sizes.front(), 2);
    EXPECT_EQ(sizes[1], 10); // 2 + 298 / 39 = 9.64
    EXPECT_EQ(sizes.back(), 300);
    // The largest counts a study can give are spread as exactly.
    const std::vector<int> largest = adequacySizes(std::numeric_limits<int>::max());
    ASSERT_EQ(largest.size(), 40u);
    EXPECT_EQ(largest[1], 55063685); // 2 + 2147483645 / 39 = 55063685.2
    EXPECT_EQ(largest.back(), std::numeric_limits<int>::max());
}

TEST(Resampling, CopheneticCorrelation)
{
    // A and B score 2, A and C 1, B and C 0: A and B meet at 2, C joins them at the mean
    // of 1 and 0, and r = 1.5 / sqrt(2 x 1.5).
    Document document;
    ASSERT_NO_FATAL_FAILURE(importDocument("IA\nIB\nIC\nP1\nG\nI1\nI2\nP2\nG\nI1\nI2\nP3\nG\nI1\nI3\nG\nI2\n", document,
                                           [](ImportRun &run) { run.setCheckStudyShape(false); }));
    ASSERT_TRUE(copheneticCorrelation(document.study()));
    EXPECT_NEAR(*copheneticCorrelation(document.study()), 1.5 / std::sqrt(3.0), 1e-12);

    // A single pair has no correlation.
    Document pair;
    ASSERT_NO_FATAL_FAILURE(importDocument("IA\nIB\nP1\nG\nI1\nI2\nP2\nG\nI1\nI2\n", pair,
                                           [](ImportRun &run) { run.setCheckStudyShape(false); }));
    EXPECT_FALSE(copheneticCorrelation(pair.study()));
}

} // namespace
