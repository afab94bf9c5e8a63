// Resampling a study of 200 cards sorted by 300 participants into 10 groups each, with fit
// scores and sub-groups: 1,000 replicates for the support of every join (goal 2 s), the
// participants-enough curve with 200 sub-samples per size (goal 1 s), and the cophenetic
// correlation. Two shapes: cards that fall into topics, most participants keeping them
// apart (as real sorts do), and cards spread at random, where the clustering works hardest.
#include "StudyGenerator.h"
#include "analysis/Adequacy.h"
#include "analysis/Cophenetic.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "support/ScriptedPlatform.h"
#include "tasks/ImportRun.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <random>

namespace {

using namespace sortana;

constexpr int cards = 200;
constexpr int participants = 300;
constexpr int groups = 10;

enum Shape : int { Topics, Random };

// Cards in 20 topics; each participant lumps some topics together and misplaces a few
// cards, with fit scores and a sub-group in every group.
QByteArray topicStudy()
{
    std::mt19937 random(2027);
    const auto below = [&random](int bound) { return int(random() % unsigned(bound)); };
    QByteArray out;
    for (int card = 1; card <= cards; ++card)
        out += "ICard " + QByteArray::number(card) + '\n';
    for (int p = 1; p <= participants; ++p) {
        out += "P" + QByteArray::number(p) + '\n';
        std::vector<int> groupOfTopic(20);
        for (int topic = 0; topic < 20; ++topic)
            groupOfTopic[std::size_t(topic)] = below(4) == 0 ? below(groups) : topic % groups;
        std::vector<std::vector<int>> piles(groups);
        for (int card = 0; card < cards; ++card) {
            const int group = below(12) == 0 ? below(groups) : groupOfTopic[std::size_t(card % 20)];
            piles[std::size_t(group)].push_back(card + 1);
        }
        for (const std::vector<int> &pile : piles) {
            if (pile.empty())
                continue;
            out += "G\n";
            for (std::size_t k = 0; k < pile.size(); ++k) {
                if (pile.size() >= 2 && k == pile.size() / 2)
                    out += "S\n";
                out += 'I' + QByteArray::number(pile[k]) + 'f' + QByteArray::number(1 + below(3)) + '\n';
            }
        }
    }
    return out;
}

const Document &study(Shape shape)
{
    static std::map<Shape, std::unique_ptr<Document>> documents;
    std::unique_ptr<Document> &document = documents[shape];
    if (!document) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("study.txt"));
        if (shape == Random) {
            bench::writeStudy(path, {cards, participants, groups});
        } else {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(topicStudy());
        }
        ScriptedPlatform platform;
        ImportRun run(platform);
        document = std::make_unique<Document>();
        if (!run.chooseInput(path) || !run.finish() || !completeImport(*document, run))
            std::abort();
    }
    return *document;
}

void BM_JoinSupport(benchmark::State &state)
{
    const Document &document = study(Shape(state.range(0)));
    for (auto _ : state) {
        const std::optional<TreeSupport> support = computeTreeSupport(document.study(), 1000, 1, {});
        benchmark::DoNotOptimize(support->joinSupport.data());
        const std::vector<double> stability =
            groupStability(*support, document.study(), document.settings().numberOfGroups);
        benchmark::DoNotOptimize(stability.data());
    }
}
BENCHMARK(BM_JoinSupport)->Arg(Topics)->Arg(Random)->ArgName("random")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Adequacy(benchmark::State &state)
{
    const Document &document = study(Shape(state.range(0)));
    for (auto _ : state) {
        const std::optional<Adequacy> adequacy = computeAdequacy(document.study(), 200, 1, {});
        benchmark::DoNotOptimize(adequacy->points.data());
    }
}
BENCHMARK(BM_Adequacy)->Arg(Topics)->Arg(Random)->ArgName("random")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cophenetic(benchmark::State &state)
{
    const Document &document = study(Topics);
    for (auto _ : state)
        benchmark::DoNotOptimize(copheneticCorrelation(document.study()));
}
BENCHMARK(BM_Cophenetic)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
