// Every participant compared with every other, at the size of a large open card sort: 300
// participants, 200 cards. Measures checkParticipants, which matches the groups of every
// pair of sorts exactly (both ways of the pair at once) on every core, then works out the
// means, quartiles, flags and the most representative sorts; goal under 1 s on two cores.
// Two shapes: sorts that mostly keep 12 topics apart, where a pair's groups overlap in a few
// large blocks; and the same with one participant in ten putting every card alone and one
// in twenty putting all in one group, the shapes that make the largest matchings.
#include "analysis/ParticipantChecks.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

namespace {

using namespace sortana;

constexpr int cards = 200;
constexpr int participants = 300;
constexpr int topics = 12;

StudySorts study(bool outliers)
{
    StudySorts sorts;
    QRandomGenerator random(26);
    for (int p = 0; p < participants; ++p) {
        ParticipantSort participant{QStringLiteral("P%1").arg(p + 1), true, {}};
        const quint32 kind = random.bounded(20);
        if (outliers && kind < 2) {
            for (int card = 0; card < cards; ++card)
                participant.groups.push_back({QString::number(card), false, {{card, 1, 0}}});
        } else if (outliers && kind == 2) {
            participant.groups.push_back({QStringLiteral("All"), false, {}});
            for (int card = 0; card < cards; ++card)
                participant.groups[0].cards.push_back({card, 1, 0});
        } else {
            // Topics, some of them merged, and one card in eight anywhere.
            const int groups = 6 + int(random.bounded(9));
            participant.groups.resize(size_t(groups));
            for (int card = 0; card < cards; ++card) {
                const int topic = card % topics;
                const int group = random.bounded(8) == 0 ? int(random.bounded(groups)) : topic % groups;
                participant.groups[size_t(group)].cards.push_back({card, 1, 0});
            }
        }
        sorts.participants.push_back(std::move(participant));
    }
    return sorts;
}

void BM_AllDistances(benchmark::State &state)
{
    const StudySorts sorts = study(state.range(0) != 0);
    for (auto _ : state) {
        const ParticipantChecks checks = checkParticipants(sorts);
        benchmark::DoNotOptimize(checks.distances.data());
    }
    state.counters["pairs"] = double(participants) * (participants - 1) / 2;
}
BENCHMARK(BM_AllDistances)->ArgName("outliers")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
