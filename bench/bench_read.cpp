// How fast a large study is surveyed and read. The study is generated once per process, so
// every iteration reads the same file from a warm page cache; the figures are CPU cost,
// not disk speed.
#include "StudyGenerator.h"

#include "analysis/AnalysisRows.h"
#include "formats/CardSortAnalysis.h"
#include "support/ScriptedPlatform.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>
#include <numeric>
#include <vector>

namespace {

using namespace sortana;

constexpr bench::StudyShape largeStudyShape{2000, 300, 20};

struct GeneratedStudy {
    QTemporaryDir folder;
    QString path;
    qint64 bytes = -1;
    StudySummary surveyed;
};

// Built on first use rather than at start-up, so a run filtered to other benchmarks does
// not pay for it; the folder and its analysis files go when the process ends.
const GeneratedStudy &largeStudy()
{
    static const std::unique_ptr<GeneratedStudy> study = [] {
        auto made = std::make_unique<GeneratedStudy>();
        if (!made->folder.isValid())
            return made;
        made->path = made->folder.filePath(QStringLiteral("large-study.txt"));
        made->bytes = bench::writeStudy(made->path, largeStudyShape);
        if (made->bytes < 0)
            return made;

        AnalysisFileNames names;
        ScriptedPlatform platform;
        CardSortAnalysis analysis(names, made->surveyed, platform);
        made->surveyed.fileName = made->path;
        if (!analysis.surveyInputFile())
            made->bytes = -1;
        made->surveyed.useFit = true;
        made->surveyed.useSubGroups = true;
        made->surveyed.useExpert = false;
        made->surveyed.copiesPerParticipant = 1;
        return made;
    }();
    return *study;
}

// Null, with the benchmark marked as failed, when the study could not be made.
const GeneratedStudy *preparedStudy(benchmark::State &state)
{
    const GeneratedStudy &study = largeStudy();
    if (study.bytes >= 0)
        return &study;
    state.SkipWithError("could not generate and survey the study");
    return nullptr;
}

void BM_Read(benchmark::State &state)
{
    const GeneratedStudy *const prepared = preparedStudy(state);
    if (!prepared)
        return;
    const GeneratedStudy &study = *prepared;
    for (auto _ : state) {
        StudySummary summary = study.surveyed;
        AnalysisFileNames names;
        ScriptedPlatform platform;
        CardSortAnalysis analysis(names, summary, platform);
        analysis.setInputFileName(study.path);
        const int items = analysis.Read();
        analysis.closeFiles();
        // A warning or an early stop would make the figure meaningless, not merely slow.
        if (items != summary.itemCount || !platform.messages().isEmpty()) {
            state.SkipWithError("the generated study did not read cleanly");
            break;
        }
        benchmark::DoNotOptimize(analysis.pairMatrix.data());
    }
    state.SetBytesProcessed(state.iterations() * study.bytes);
    state.counters["fileMB"] = double(study.bytes) / 1e6;
}
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);

void BM_SurveyInputFile(benchmark::State &state)
{
    const GeneratedStudy *const prepared = preparedStudy(state);
    if (!prepared)
        return;
    const GeneratedStudy &study = *prepared;
    for (auto _ : state) {
        StudySummary summary;
        summary.fileName = study.path;
        AnalysisFileNames names;
        ScriptedPlatform platform;
        CardSortAnalysis analysis(names, summary, platform);
        if (!analysis.surveyInputFile() || summary.itemCount != study.surveyed.itemCount) {
            state.SkipWithError("the generated study did not survey cleanly");
            break;
        }
        benchmark::DoNotOptimize(summary.lineCount);
    }
    state.SetBytesProcessed(state.iterations() * study.bytes);
}
BENCHMARK(BM_SurveyInputFile)->Unit(benchmark::kMillisecond);

// The export run on the same study: the second pass over the input with its per-participant
// agreement sums, then the matrix and items rows, with or without their UTF-8 copies. Each
// iteration needs a fresh read, which is not timed.
void BM_WriteAnalysisFiles(benchmark::State &state)
{
    const GeneratedStudy *const prepared = preparedStudy(state);
    if (!prepared)
        return;
    const GeneratedStudy &study = *prepared;
    std::vector<int> leafOrder(static_cast<size_t>(study.surveyed.itemCount));
    std::iota(leafOrder.begin(), leafOrder.end(), 0);
    for (auto _ : state) {
        state.PauseTiming();
        StudySummary summary = study.surveyed;
        AnalysisFileNames names;
        ScriptedPlatform platform;
        CardSortAnalysis analysis(names, summary, platform);
        analysis.setInputFileName(study.path);
        analysis.setUtf8CsvCopies(state.range(0) != 0);
        const bool readCleanly = analysis.Read() == summary.itemCount && platform.messages().isEmpty();
        state.ResumeTiming();
        if (!readCleanly || !writeAnalysisFiles(analysis, leafOrder)) {
            state.SkipWithError("the generated study did not read and export cleanly");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * study.bytes);
}
BENCHMARK(BM_WriteAnalysisFiles)->ArgName("utf8Copies")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
