// How fast a large table from another card-sort tool is read and mapped to its study: a long
// table of 300,000 rows, every one of 150 participants placing each of 2,000 cards, with its
// header, and without it, as web tools export it, when the columns are told from the cells.
#include "formats/DelimitedText.h"
#include "formats/TableStudy.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QRandomGenerator>

namespace {

using namespace sortana;

constexpr int cards = 2000;
constexpr int participants = 150;
constexpr int categoriesPerParticipant = 20;

const QByteArray &longTable(bool header)
{
    static const QByteArray table = [] {
        QByteArray text = "participant_id,card_id,card_label,category_label\n";
        QRandomGenerator random(1);
        for (int p = 1; p <= participants; ++p) {
            for (int c = 1; c <= cards; ++c) {
                text += "user" + QByteArray::number(p) + ',' + QByteArray::number(c) + ",\"Card number "
                    + QByteArray::number(c) + "\",Pile " + QByteArray::number(random.bounded(categoriesPerParticipant))
                    + '\n';
            }
        }
        return text;
    }();
    static const QByteArray headerless = table.mid(table.indexOf('\n') + 1);
    return header ? table : headerless;
}

void BM_ReadAndMapLongTable(benchmark::State &state)
{
    const QByteArray &bytes = longTable(state.range(0) != 0);
    for (auto _ : state) {
        const Table table = parseDelimitedText(bytes, false);
        TableRecords records;
        QString error;
        if (!mapTable(table, {}, records, error))
            state.SkipWithError("the table did not map");
        benchmark::DoNotOptimize(records.entries.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["rows"] = double(participants) * cards;
}
BENCHMARK(BM_ReadAndMapLongTable)->ArgName("header")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
