// The report of a study of 200 cards sorted by 300 participants into 10 groups each, with the
// participants-enough curve computed: as a web page and as a PDF (goal under 2 s each), and
// the PDF's drawing alone, on a report of that size built here: every card in a table, every
// participant in another, 30 categories, and the four pictures with the tree over its pages.
#include "StudyGenerator.h"
#include "analysis/Adequacy.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/StudyFacts.h"
#include "formats/ReportWriters.h"
#include "report/ReportContent.h"
#include "support/ScriptedPlatform.h"
#include "tasks/ImportRun.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

using namespace sortana;

constexpr int cards = 200;
constexpr int participants = 300;
constexpr int groups = 10;
constexpr int shownCategories = 30;

Document &study()
{
    static std::unique_ptr<Document> document;
    if (!document) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("study.txt"));
        ScriptedPlatform platform;
        ImportRun run(platform);
        document = std::make_unique<Document>();
        if (bench::writeStudy(path, {cards, participants, groups}) < 0 || !run.chooseInput(path) || !run.finish()
            || !completeImport(*document, run))
            std::abort();
        document->setAdequacy(computeAdequacy(document->study(), 20, 1, {}));
    }
    return *document;
}

// The PDF on A4 into memory, as a saved report would be written.
qint64 printed(const ReportContent &content, Document &document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 10),
                                         QPageLayout::Millimeter));
        if (!printReport(content, document, writer))
            std::abort();
    }
    return buffer.size();
}

ReportBlock tableBlock(ReportTable table)
{
    return {ReportBlock::Kind::Table, {}, std::move(table), {}};
}

ReportBlock pictureBlock(ReportPicture picture, const QString &caption)
{
    return {ReportBlock::Kind::Picture, caption, {}, picture};
}

ReportContent handBuiltReport(const Document &document)
{
    ReportContent content;
    content.title = QStringLiteral("Card sort report");
    content.placements = documentCategories(document);
    if (content.placements && content.placements->categories.size() > size_t(shownCategories))
        content.placements->categories.resize(shownCategories);

    ReportTable cardTable{{QStringLiteral("Group"), QStringLiteral("Card"), QStringLiteral("Suggested name")},
                          {},
                          {true, false, false},
                          {},
                          {}};
    for (int item = 0; item < document.study().itemCount; ++item)
        cardTable.rows.push_back({QString::number(item % groups + 1), document.study().itemNames.at(item),
                                  QStringLiteral("Topic %1").arg(item % groups + 1)});
    ReportTable people{{QStringLiteral("Participant"), QStringLiteral("Groups"), QStringLiteral("Cards"),
                        QStringLiteral("Agreement"), QStringLiteral("Flags")},
                       {},
                       {false, true, true, true, false},
                       {},
                       {}};
    for (int p = 1; p <= participants; ++p)
        people.rows.push_back({QStringLiteral("P%1").arg(p), QString::number(groups), QString::number(cards),
                               QStringLiteral("%1 %").arg(40 + p % 50),
                               p % 17 == 0 ? QStringLiteral("fast") : QString()});
    ReportTable categories{{QStringLiteral("Category"), QStringLiteral("Participants"), QStringLiteral("Agreement")},
                           {},
                           {false, true, true},
                           {},
                           {}};
    if (content.placements) {
        for (const Category &category : content.placements->categories)
            categories.rows.push_back(
                {category.name, QString::number(category.participants), formatAgreement(category.agreement)});
    }
    ReportBlock text;
    text.text = QStringLiteral("How the cards were sorted, and how far the groups can be trusted. ").repeated(8);
    content.sections = {
        {QStringLiteral("The study"), {text}},
        {QStringLiteral("Dendrogram"), {pictureBlock(ReportPicture::Dendrogram, QStringLiteral("The tree"))}},
        {QStringLiteral("Groups"), {tableBlock(cardTable)}},
        {QStringLiteral("Similarity matrix"), {pictureBlock(ReportPicture::SimilarityMatrix, QString())}},
        {QStringLiteral("Categories"),
         {tableBlock(categories), pictureBlock(ReportPicture::PlacementMatrix, QStringLiteral("Placements"))}},
        {QStringLiteral("Participants"),
         {tableBlock(people), pictureBlock(ReportPicture::AdequacyChart, QStringLiteral("Enough participants"))}},
    };
    return content;
}

void BM_HtmlReport(benchmark::State &state)
{
    Document &document = study();
    for (auto _ : state) {
        const QByteArray html = reportHtml(buildReport(document, creationTime()), document);
        benchmark::DoNotOptimize(html.data());
    }
}
BENCHMARK(BM_HtmlReport)->Unit(benchmark::kMillisecond);

void BM_PdfReport(benchmark::State &state)
{
    Document &document = study();
    for (auto _ : state)
        benchmark::DoNotOptimize(printed(buildReport(document, creationTime()), document));
}
BENCHMARK(BM_PdfReport)->Unit(benchmark::kMillisecond);

void BM_PdfPages(benchmark::State &state)
{
    Document &document = study();
    const ReportContent content = handBuiltReport(document);
    for (auto _ : state)
        state.counters["bytes"] = double(printed(content, document));
}
BENCHMARK(BM_PdfPages)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
