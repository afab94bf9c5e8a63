// Clustering time on studies shaped like real card sorts: items drawn from topics, each
// participant lumping some topics together, misplacing a few cards and rating the fit of
// each card, and one participant who left every card in a single pile, which makes every
// pair of items a candidate.

#include "analysis/ClusterAnalysis.h"
#include "study/PairMatrix.h"
#include "study/StudySummary.h"

#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <vector>

using namespace sortana;

namespace {

struct SimulatedStudy {
    PairMatrix matrix;
    StudySummary summary;
};

constexpr int participantCount = 40;

void addGroup(PairMatrix &matrix, const std::vector<std::pair<int, int>> &cards)
{
    for (std::size_t i = 1; i < cards.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const auto [a, fitA] = cards[i];
            const auto [b, fitB] = cards[j];
            matrix.at(std::max(a, b), std::min(a, b)) += fitA + fitB;
        }
    }
}

SimulatedStudy simulate(int itemCount)
{
    std::mt19937 random(1234567u + unsigned(itemCount));
    const int topicCount = std::max(4, itemCount / 12);
    std::uniform_int_distribution anyTopic(0, topicCount - 1);
    std::vector<int> primary(itemCount);
    std::vector<int> secondary(itemCount);
    for (int item = 0; item < itemCount; ++item) {
        primary[item] = anyTopic(random);
        // About one item in five could as well belong to a second topic.
        secondary[item] = std::bernoulli_distribution(0.2)(random) ? anyTopic(random) : primary[item];
    }

    SimulatedStudy study;
    study.matrix.allocate(itemCount);
    study.summary.useFit = true;
    study.summary.copiesPerParticipant = 1;
    study.summary.itemCount = itemCount;

    std::vector<std::pair<int, int>> pile;
    pile.reserve(std::size_t(itemCount));
    for (int item = 0; item < itemCount; ++item)
        pile.emplace_back(item, 1);
    addGroup(study.matrix, pile);

    std::uniform_int_distribution goodFit(3, 5);
    std::uniform_int_distribution poorFit(1, 3);
    for (int participant = 1; participant < participantCount; ++participant) {
        // Each participant keeps most topics apart and lumps the rest into others.
        std::vector<int> groupOfTopic(topicCount);
        const double lumping = std::uniform_real_distribution(0.05, 0.4)(random);
        for (int topic = 0; topic < topicCount; ++topic)
            groupOfTopic[topic] = std::bernoulli_distribution(lumping)(random) ? anyTopic(random) : topic;
        std::vector<std::vector<std::pair<int, int>>> groups(topicCount);
        for (int item = 0; item < itemCount; ++item) {
            const double draw = std::uniform_real_distribution(0.0, 1.0)(random);
            if (draw < 0.06)
                groups[anyTopic(random)].emplace_back(item, poorFit(random));
            else if (draw < 0.45 && secondary[item] != primary[item])
                groups[groupOfTopic[secondary[item]]].emplace_back(item, poorFit(random));
            else
                groups[groupOfTopic[primary[item]]].emplace_back(item, goodFit(random));
        }
        for (const auto &group : groups)
            addGroup(study.matrix, group);
    }
    return study;
}

// The hardest shape for the clustering: every participant spreads the cards at random over
// 20 groups, so the similarities are nearly all alike and almost every candidate moves
// again and again as the clusters grow. The shape of the large studies the import is
// compared on with other tools.
SimulatedStudy simulateScattered(int itemCount)
{
    std::mt19937 random(7654321u + unsigned(itemCount));
    SimulatedStudy study;
    study.matrix.allocate(itemCount);
    study.summary.useFit = true;
    study.summary.copiesPerParticipant = 1;
    study.summary.itemCount = itemCount;
    constexpr int groupCount = 20;
    std::uniform_int_distribution anyGroup(0, groupCount - 1);
    std::uniform_int_distribution anyFit(1, 3);
    for (int participant = 0; participant < 20; ++participant) {
        std::vector<std::vector<std::pair<int, int>>> groups(groupCount);
        for (int item = 0; item < itemCount; ++item)
            groups[std::size_t(anyGroup(random))].emplace_back(item, anyFit(random));
        for (const auto &group : groups)
            addGroup(study.matrix, group);
    }
    return study;
}

enum Shape : int { Topics, Scattered };

const SimulatedStudy &studyOf(int itemCount, Shape shape)
{
    static std::map<std::pair<int, Shape>, SimulatedStudy> studies;
    const std::pair key(itemCount, shape);
    auto found = studies.find(key);
    if (found == studies.end())
        found = studies.emplace(key, shape == Topics ? simulate(itemCount) : simulateScattered(itemCount)).first;
    return found->second;
}

void BM_ClusterAnalysis(benchmark::State &state)
{
    const int itemCount = int(state.range(0));
    const SimulatedStudy &study = studyOf(itemCount, Shape(state.range(1)));
    int passes = 0;
    for (auto _ : state) {
        ClusterAnalysis analysis;
        analysis.Run(itemCount, study.matrix, study.summary);
        benchmark::DoNotOptimize(analysis.root());
        passes = analysis.passCount();
    }
    state.counters["passes"] = passes;
    state.counters["candidates"] = double(itemCount) * (itemCount - 1) / 2;
}

// Run with --benchmark_filter=/0$ or /1$ for one shape: the growth exponent is fitted per
// shape (see the README's Performance section).
BENCHMARK(BM_ClusterAnalysis)
    ->ArgsProduct({{500, 1000, 2000, 4000, 8000}, {Topics, Scattered}})
    ->ArgNames({"items", "scattered"})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
