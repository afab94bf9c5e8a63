// What one frame of the dendrogram and the similarity matrix windows costs while the user
// scrolls a large study, painted by the windows themselves; and a whole layout and drawing
// of the dendrogram, as every picture and printed page makes one.
#include "StudyGenerator.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DrawingSurface.h"
#include "study/ClusterTree.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "views/DendrogramView.h"
#include "views/MatrixView.h"
#include "views/PlacementView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <numeric>
#include <random>

namespace {

using namespace sortana;

// The window on screen, its scroll bars aside.
const QSize windowSize(1600, 1000);

// A document of `items` items whose tree joins random neighbours at falling similarities,
// the shape a clustering of a real study has: balanced in places, chains in others.
void fillDocument(Document &document, int items)
{
    std::mt19937 random(7);
    auto tree = std::make_shared<ClusterTree>();
    std::vector<const ClusterNode *> clusters(static_cast<size_t>(items), nullptr);
    std::vector<int> firstItem(static_cast<size_t>(items));
    std::iota(firstItem.begin(), firstItem.end(), 0);
    double similarity = 20.0;
    while (clusters.size() > 1) {
        const size_t left = std::uniform_int_distribution<size_t>(0, clusters.size() - 2)(random);
        const ClusterNode *node =
            &tree->add({clusters[left], clusters[left + 1], similarity, firstItem[left], firstItem[left + 1]});
        similarity *= 0.999;
        clusters[left] = node;
        clusters.erase(clusters.begin() + std::ptrdiff_t(left + 1));
        firstItem.erase(firstItem.begin() + std::ptrdiff_t(left + 1));
    }
    tree->setRoot(clusters.front());
    auto study = std::make_shared<Study>();
    study->clusterTree = tree;
    std::uniform_real_distribution<double> fit(0.0, 3.0);
    for (int item = 0; item < items; ++item) {
        study->itemNames.append(QStringLiteral("Card number %1 of the study").arg(item + 1));
        study->itemAverageFit.push_back(fit(random));
    }
    study->itemCount = items;
    study->participantCount = 30;
    study->summary.useFit = true;

    SimilarityData &pairs = study->similarity.emplace();
    pairs.matrix.allocate(items);
    std::uniform_int_distribution<int> count(0, 30);
    for (int i = 0; i < items; ++i) {
        for (int j = i + 1; j < items; ++j)
            pairs.matrix.at(i, j) = count(random);
    }
    pairs.countedParticipants = 30;
    document.setStudy(std::move(study), false);
    setSetting(document, &Settings::numberOfGroups, 8);
    setSetting(document, &Settings::colour1, 0xE0F0FF);
}

// One study of 5,000 items for every window benchmark: making it takes longer than they run.
Document &largeStudy()
{
    static Document document;
    if (!document.clusterRoot())
        fillDocument(document, 5000);
    return document;
}

// Shows the window with room for the frame's contents, scroll bars aside, and has it paint.
void showWindow(DocumentWindow &window)
{
    window.resize(windowSize);
    window.show();
    QCoreApplication::processEvents();
    window.resize(window.size() + windowSize - window.viewport()->size());
    window.initialUpdate();
    QCoreApplication::processEvents();
}

// Puts the window's scroll bars at a share of their range, 0 to 100 %.
void scrollTo(QAbstractScrollArea &window, int percent)
{
    for (QScrollBar *bar : {window.horizontalScrollBar(), window.verticalScrollBar()})
        bar->setValue(bar->maximum() * percent / 100);
}

// One paint of the whole window, as after the window was covered.
void paintFrames(benchmark::State &state, QAbstractScrollArea &window)
{
    QImage frame(window.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        window.viewport()->render(&frame);
}

// One turn of the mouse wheel down, then a paint of the whole window, as the window system
// asks for after it. At the bottom the window goes back to the top a page further right, out
// of the timing, as is `forget`, which makes the window forget the frames it painted: every
// timed frame is a step into a part of the drawing that the window has not shown before.
template <typename Forget>
void scrollFrames(benchmark::State &state, QAbstractScrollArea &window, Forget forget)
{
    QScrollBar &down = *window.verticalScrollBar();
    QScrollBar &across = *window.horizontalScrollBar();
    QImage frame(window.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        const int step = QApplication::wheelScrollLines() * down.singleStep();
        if (down.value() + step > down.maximum()) {
            down.setValue(0);
            const int right = across.value() + across.pageStep();
            across.setValue(right > across.maximum() ? 0 : right);
        }
        forget();
        window.viewport()->render(&frame);
        state.ResumeTiming();
        down.setValue(down.value() + step);
        window.viewport()->render(&frame);
    }
}

void BM_LayoutAndDraw(benchmark::State &state)
{
    Document document;
    fillDocument(document, int(state.range(0)));
    // A window-sized surface: the drawing is clipped to it.
    QImage window(windowSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&window);
        DrawingSurface surface(painter, false, 17);
        benchmark::DoNotOptimize(Draw(document, surface, {15000, 26000}));
    }
}
BENCHMARK(BM_LayoutAndDraw)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

// The same for a study of 200 cards by 300 participants with 1,000 replicates of join
// support held, drawn without them (0) and with them (1): each layout places every join's
// support and cuts every replicate for the bands' stability.
void BM_LayoutAndDrawWithSupport(benchmark::State &state)
{
    static const std::unique_ptr<Document> study = [] {
        auto document = bench::importedStudy({200, 300, 10});
        setSetting(*document, &Settings::numberOfGroups, 8);
        document->setTreeSupport(computeTreeSupport(document->study(), 1000, 1, {}));
        return document;
    }();
    setSetting(*study, &Settings::showJoinSupport, state.range(0) != 0);
    QImage window(windowSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&window);
        DrawingSurface surface(painter, false, 17);
        benchmark::DoNotOptimize(Draw(*study, surface, {15000, 26000}));
    }
}
BENCHMARK(BM_LayoutAndDrawWithSupport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The dendrogram window scrolled down a share of the way (0, 50 or 100 %).
void BM_DendrogramWindowFrame(benchmark::State &state)
{
    ScriptedPlatform platform;
    DendrogramView view(&largeStudy(), platform);
    showWindow(view);
    scrollTo(view, int(state.range(0)));
    paintFrames(state, view);
}
BENCHMARK(BM_DendrogramWindowFrame)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_DendrogramWindowScroll(benchmark::State &state)
{
    ScriptedPlatform platform;
    DendrogramView view(&largeStudy(), platform);
    showWindow(view);
    // Only the layout is kept, and it stays as long as the document does.
    scrollFrames(state, view, [] {});
}
BENCHMARK(BM_DendrogramWindowScroll)->Iterations(50)->Unit(benchmark::kMillisecond);

// A frame while the user drags the separator: each one lays the drawing out anew.
void BM_DendrogramWindowDragFrame(benchmark::State &state)
{
    ScriptedPlatform platform;
    Document &document = largeStudy();
    DendrogramView view(&document, platform);
    showWindow(view);
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const qint32 width = document.drawingSize.cx;
    for (auto _ : state) {
        document.drawingSize.cx = document.drawingSize.cx == width ? width + 26 : width;
        view.viewport()->render(&frame);
    }
    document.drawingSize.cx = width;
}
BENCHMARK(BM_DendrogramWindowDragFrame)->Unit(benchmark::kMillisecond);

// The matrix window at a zoom in percent (0: fitted to the window) and a share of the way
// down and across.
void showMatrix(MatrixView &view, int zoomPercent, int scrollPercent)
{
    showWindow(view);
    if (zoomPercent == 0)
        view.fitToWindow();
    else
        view.setZoom(zoomPercent / 100.0);
    QCoreApplication::processEvents();
    scrollTo(view, scrollPercent);
}

// The Placements window of an open sort of 200 cards by 300 participants after a change of
// the standardisation: the categories worked out again, the matrix laid out and the whole
// window painted.
void BM_PlacementWindowAfterAChange(benchmark::State &state)
{
    static Document document;
    if (!document.clusterRoot()) {
        fillDocument(document, 200);
        editStudy(document, [&](Study &s) { s.sorts = StudySorts(bench::openSortOf(200, 300, 60)); });
    }
    ScriptedPlatform platform;
    PlacementView view(&document, platform);
    showWindow(view);
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.documentUpdated(UpdateHint::Redraw);
        view.viewport()->render(&frame);
    }
    state.counters["categories"] = double(view.table() ? view.table()->categories.size() : 0);
}
BENCHMARK(BM_PlacementWindowAfterAChange)->Unit(benchmark::kMillisecond);

// Painted again where it stands. At real size a frame shows a few thousand cells; zoomed out,
// millions, and thousands of names.
void BM_MatrixWindowFrame(benchmark::State &state)
{
    ScriptedPlatform platform;
    MatrixView view(&largeStudy(), platform);
    showMatrix(view, int(state.range(0)), int(state.range(1)));
    paintFrames(state, view);
}
BENCHMARK(BM_MatrixWindowFrame)
    ->Args({100, 0})
    ->Args({100, 50})
    ->Args({10, 50})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

// Scrolled down by the wheel from the top left (names in view) or the middle, at real size,
// zoomed out to cells of about two pixels, and to cells of a third of a pixel.
void BM_MatrixWindowScroll(benchmark::State &state)
{
    ScriptedPlatform platform;
    MatrixView view(&largeStudy(), platform);
    showMatrix(view, int(state.range(0)), int(state.range(1)));
    // A change of zoom forgets the frames painted, but not the names shaped for the document.
    QImage zoomedIn(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    scrollFrames(state, view, [&] {
        const double zoom = view.zoom();
        const QPoint scroll(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
        view.setZoom(zoom * 2);
        view.viewport()->render(&zoomedIn);
        view.setZoom(zoom);
        view.horizontalScrollBar()->setValue(scroll.x());
        view.verticalScrollBar()->setValue(scroll.y());
    });
}
BENCHMARK(BM_MatrixWindowScroll)
    ->Args({100, 0})
    ->Args({100, 50})
    ->Args({10, 0})
    ->Args({10, 50})
    ->Args({4, 0})
    ->Args({2, 0})
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);

// The first frame at a new zoom, which has nothing to reuse: each one a wheel step in or out
// from the whole matrix in the window.
void BM_MatrixWindowZoomStep(benchmark::State &state)
{
    ScriptedPlatform platform;
    MatrixView view(&largeStudy(), platform);
    showMatrix(view, 0, 0);
    const double fitted = view.zoom();
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.setZoom(view.zoom() == fitted ? fitted * 1.25 : fitted);
        view.viewport()->render(&frame);
    }
}
BENCHMARK(BM_MatrixWindowZoomStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
