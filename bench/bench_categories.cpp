// What participants called their groups, at the size of a large open card sort: 200 cards
// sorted by 300 participants into 6 to 14 groups each, named from a vocabulary of 60 labels
// written in several spellings, some groups left unnamed. Measures the categories with
// their figures and the full placement matrix (every card by every category), as the
// Categories and Placements windows ask for them after each change; goal under 50 ms.
#include "StudyGenerator.h"
#include "analysis/Categories.h"

#include <benchmark/benchmark.h>

namespace {

using namespace sortana;

constexpr int cards = 200;
constexpr int participants = 300;
constexpr int labels = 60;

const StudySorts &openSort()
{
    static const StudySorts sorts = bench::openSortOf(cards, participants, labels);
    return sorts;
}

void BM_CategoriesAndPlacements(benchmark::State &state)
{
    const StudySorts &sorts = openSort();
    Standardisation standardisation;
    if (state.range(0) == 1) {
        // Half the labels merged in pairs, as after a round of standardising.
        for (int label = 0; label < labels; label += 2)
            standardisation.merge({bench::labelSpelling(label, 0), bench::labelSpelling(label + 1, 0)}, QStringLiteral("Merged %1").arg(label));
    }
    std::vector<int> matrix;
    for (auto _ : state) {
        const CategoryTable table = computeCategories(sorts, cards, standardisation);
        matrix.assign(std::size_t(cards) * table.categories.size(), 0);
        for (int item = 0; item < cards; ++item) {
            for (std::size_t c = 0; c < table.categories.size(); ++c)
                matrix[std::size_t(item) * table.categories.size() + c] = table.categories[c].placed(item);
        }
        benchmark::DoNotOptimize(matrix.data());
        state.counters["categories"] = double(table.categories.size());
    }
}
BENCHMARK(BM_CategoriesAndPlacements)->Arg(0)->Arg(1)->ArgName("standardised")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
