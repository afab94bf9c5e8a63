// Layout and drawing of a large dendrogram, as every paint of the view does it, and one frame
// of the similarity matrix window.
#include "analysis/ClusterAnalysis.h"
#include "analysis/NodeRegistry.h"
#include "dendrogram/DendrogramDrawing.h"
#include "dendrogram/DrawingSurface.h"
#include "dendrogram/MatrixDrawing.h"
#include "document/CSortanaMdiDoc.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <numeric>
#include <random>

namespace {

using namespace sortana;

// A document of `items` items whose tree joins random neighbours at falling similarities,
// the shape a clustering of a real study has: balanced in places, chains in others.
void fillDocument(CSortanaMdiDoc &document, int items)
{
    std::mt19937 random(7);
    NodeRegistry &registry = NodeRegistry::instance();
    std::vector<ClusterNode *> clusters(static_cast<size_t>(items), nullptr);
    std::vector<int> firstItem(static_cast<size_t>(items));
    std::iota(firstItem.begin(), firstItem.end(), 0);
    double similarity = 20.0;
    while (clusters.size() > 1) {
        const size_t left = std::uniform_int_distribution<size_t>(0, clusters.size() - 2)(random);
        ClusterNode *node = registry.create(clusters[left], clusters[left + 1], similarity, firstItem[left],
                                            firstItem[left + 1]);
        similarity *= 0.999;
        clusters[left] = node;
        clusters.erase(clusters.begin() + std::ptrdiff_t(left + 1));
        firstItem.erase(firstItem.begin() + std::ptrdiff_t(left + 1));
    }
    document.clusterRoot = clusters.front();
    document.itemNames = std::make_unique<QStringList>();
    std::uniform_real_distribution<double> fit(0.0, 3.0);
    document.itemAverageFit = std::make_unique<std::vector<double>>();
    for (int item = 0; item < items; ++item) {
        document.itemNames->append(QStringLiteral("Card number %1 of the study").arg(item + 1));
        document.itemAverageFit->push_back(fit(random));
    }
    document.itemCount = items;
    document.participantCount = 30;
    document.numberOfGroups = 8;
    document.colour1 = 0xE0F0FF;
    document.summary = std::make_unique<StudySummary>();
    document.summary->useFit = true;
}

void BM_LayoutAndDraw(benchmark::State &state)
{
    CSortanaMdiDoc document;
    fillDocument(document, int(state.range(0)));
    // A window-sized surface: the drawing is clipped to it, as on screen.
    QImage window(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&window);
        DrawingSurface surface(painter, false, 17);
        Draw(document, surface, {15000, 26000});
        benchmark::DoNotOptimize(document.layout.get());
    }
}
BENCHMARK(BM_LayoutAndDraw)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

// One window frame of a 2,000-item similarity matrix: at its real size (a corner of it) and
// zoomed out to show it whole, where every cell is smaller than a pixel.
void BM_MatrixFrame(benchmark::State &state)
{
    constexpr int items = 2000;
    CSortanaMdiDoc document;
    fillDocument(document, items);
    auto similarity = std::make_unique<SimilarityData>();
    similarity->matrix.allocate(items);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> count(0, 30);
    for (int i = 0; i < items; ++i) {
        for (int j = i + 1; j < items; ++j)
            similarity->matrix.at(i, j) = count(random);
    }
    similarity->countedParticipants = 30;
    document.similarity = std::move(similarity);
    QImage window(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    const MatrixGeometry geometry = layoutMatrix(document, &window);
    const bool whole = state.range(0) == 0;
    const double zoom = whole ? window.width() / (geometry.size.width() * window.logicalDpiX() / himetricPerInch) : 1.0;
    const QRect visible(0, 0, int(pixelsToHimetric(window.width(), window.logicalDpiX()) / zoom),
                        int(pixelsToHimetric(window.height(), window.logicalDpiY()) / zoom));
    for (auto _ : state) {
        QPainter painter(&window);
        painter.scale(zoom, zoom);
        DrawingSurface surface(painter, false, 0);
        drawMatrix(document, geometry, surface, visible);
    }
}
BENCHMARK(BM_MatrixFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

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
