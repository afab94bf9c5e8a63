// The workbook of a study of 200 cards sorted by 300 participants into 10 named groups each,
// with every sheet: the engine run again on the kept sorts into memory for the five analysis
// sheets, the categories, placements, groups, participant checks, distances, and the
// resampling figures the document holds (computed once, beforehand). Goal under 2 s.
#include "StudyGenerator.h"
#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "tasks/WorkbookFile.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace sortana;

const Document &study()
{
    static const std::unique_ptr<Document> document = [] {
        auto imported = bench::importedStudy({200, 300, 10});
        imported->setTreeSupport(computeTreeSupport(imported->study(), 100, 1, {}));
        imported->setAdequacy(computeAdequacy(imported->study(), 20, 1, {}));
        return imported;
    }();
    return *document;
}

void BM_Workbook(benchmark::State &state)
{
    const Document &document = study();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("study.xlsx"));
    for (auto _ : state) {
        QString error;
        if (!saveWorkbook(document, path, {}, error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_Workbook)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
