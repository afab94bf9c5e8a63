#include "drawing/PrintedPages.h"

#include "analysis/NodeRegistry.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "document/CSortanaMdiDoc.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

// A page of a printer at 300 dots per inch with A4's printable area, that notes the text
// drawn on it and where.
class RecordingEngine final : public QPaintEngine {
public:
    struct Text {
        QString text;
        QPointF at;   // the baseline's start on the page, in dots
        int page;
    };

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawLines(const QLineF *, int) override {}
    void drawRects(const QRectF *, int) override {}
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        texts.push_back({item.text(), m_transform.map(p), page});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<Text> texts;
    int page = 1;

private:
    QTransform m_transform;
};

class RecordingPage final : public QPaintDevice {
public:
    static constexpr int dpi = 300;
    static constexpr QSize millimetres{190, 277};

    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return int(millimetres.width() * dpi / 25.4);
        case PdmHeight:
            return int(millimetres.height() * dpi / 25.4);
        case PdmWidthMM:
            return millimetres.width();
        case PdmHeightMM:
            return millimetres.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmDepth:
            return 32;
        default:
            return QPaintDevice::metric(metric);
        }
    }
};

QString cardName(int card)
{
    return u"Card %1"_s.arg(card, 3, 10, QChar(u'0'));
}

// 120 cards joined pairwise, then the pairs in a chain: a tree with lines across every page.
void makeStudy(CSortanaMdiDoc &document)
{
    NodeRegistry &registry = NodeRegistry::instance();
    QStringList names;
    ClusterNode *chain = nullptr;
    for (int pair = 0; pair < 60; ++pair) {
        names << cardName(2 * pair + 1) << cardName(2 * pair + 2);
        ClusterNode *joined = registry.create(nullptr, nullptr, 3.0, 2 * pair, 2 * pair + 1);
        chain = chain ? registry.create(chain, joined, 1.0 + pair % 2, 0, 0) : joined;
    }
    document.clusterRoot = chain;
    document.itemNames = std::make_unique<QStringList>(names);
    document.itemCount = int(names.size());
    document.itemAverageFit = std::make_unique<std::vector<double>>(names.size(), 2.0);
    document.summary = std::make_unique<StudySummary>();
    document.participantCount = 4;
    document.numberOfGroups = 5;
}

TEST(PrintedPages, A120CardDendrogramPrintsEveryRowWholeOnceInEachScaling)
{
    CSortanaMdiDoc document;
    makeStudy(document);
    const int bodyHeight = 27700 - pageFooterHeight;
    const int bodyWidth = 19000;
    for (const PrintScaling scaling : {PrintScaling::RealSize, PrintScaling::FitToPageWidth, PrintScaling::FitToOnePage}) {
        for (const bool scale : {true, false}) {
            SCOPED_TRACE(testing::Message() << "scaling " << int(scaling) << (scale ? " with" : " without") << " the scale");
            document.showSimilarityScale = scale;
            RecordingPage device;
            QPainter painter(&device);
            const DendrogramPages planned = planDendrogramPages(document, painter, ReferenceScreen{}, scaling);
            const PagedDrawing &drawing = planned.drawing;
            ASSERT_EQ(drawing.rows, 120);
            ASSERT_GT(drawing.rowHeight, 0);

            // The page count, from the drawing's own figures.
            double expectedScale = 1.0;
            if (scaling == PrintScaling::FitToPageWidth)
                expectedScale = double(bodyWidth) / drawing.columnWidth;
            if (scaling == PrintScaling::FitToOnePage)
                expectedScale = std::min(double(bodyWidth) / drawing.columnWidth,
                                         double(bodyHeight) / (drawing.above + drawing.below + 120 * drawing.rowHeight));
            EXPECT_NEAR(planned.plan.scale, expectedScale, 1e-3);
            const int rowsPerPage = int((bodyHeight / expectedScale - drawing.above - drawing.below) / drawing.rowHeight);
            const int expectedPages = scaling == PrintScaling::FitToOnePage ? 1 : (120 + rowsPerPage - 1) / rowsPerPage;
            ASSERT_EQ(int(planned.plan.pages.size()), expectedPages);
            if (scaling != PrintScaling::FitToOnePage) {
                EXPECT_GE(expectedPages, 2);
            }

            int page = 0;
            ASSERT_TRUE(printDendrogramPages(document, painter, [&] { return ++device.engine.page <= expectedPages; },
                                             ReferenceScreen{}, scaling));
            painter.end();
            std::map<QString, int> printed;
            std::map<int, QString> footers;
            std::map<int, int> scaleLabels;
            const double bodyDots = himetricToPixels(bodyHeight, RecordingPage::dpi);
            const double rowDots = drawing.rowHeight * planned.plan.scale * RecordingPage::dpi / himetricPerInch;
            for (const RecordingEngine::Text &text : device.engine.texts) {
                if (text.text.startsWith(u"Card "_s)) {
                    ++printed[text.text];
                    // The whole row on the page, above the footer.
                    EXPECT_GE(text.at.y() - rowDots, 0) << text.text.toStdString();
                    EXPECT_LE(text.at.y(), bodyDots) << text.text.toStdString();
                } else if (text.text == u"50 %"_s) {
                    // Under the page's rows, above the footer.
                    ++scaleLabels[text.page];
                    EXPECT_LE(text.at.y(), bodyDots);
                } else if (text.text.startsWith(u"Page "_s)) {
                    footers[text.page] = text.text;
                    EXPECT_GT(text.at.y(), bodyDots);
                }
                page = std::max(page, text.page);
            }
            EXPECT_EQ(page, expectedPages);
            ASSERT_EQ(printed.size(), 120u);
            for (const auto &[name, times] : printed)
                EXPECT_EQ(times, 1) << name.toStdString();
            EXPECT_EQ(int(scaleLabels.size()), scale ? expectedPages : 0);
            for (const auto &[number, labels] : scaleLabels)
                EXPECT_EQ(labels, 1) << number;
            ASSERT_EQ(int(footers.size()), expectedPages);
            for (const auto &[number, footer] : footers)
                EXPECT_EQ(footer, pageFooter(number, expectedPages));
        }
    }
}

TEST(PrintedPages, A120CardMatrixSplitsBothWaysWithTheNamesOfEveryPagesRowsAndColumns)
{
    CSortanaMdiDoc document;
    makeStudy(document);
    document.similarity = std::make_unique<SimilarityData>();
    document.similarity->countedParticipants = 4;
    ASSERT_TRUE(document.similarity->matrix.allocate(120));
    for (const PrintScaling scaling : {PrintScaling::RealSize, PrintScaling::FitToPageWidth, PrintScaling::FitToOnePage}) {
        SCOPED_TRACE(int(scaling));
        RecordingPage device;
        QPainter painter(&device);
        const MatrixPages planned = planMatrixPages(document, painter, scaling);
        std::set<int> firstRows;
        std::set<int> firstColumns;
        for (const PrintedPage &page : planned.plan.pages) {
            firstRows.insert(page.firstRow);
            firstColumns.insert(page.firstColumn);
        }
        const size_t down = firstRows.size();
        const size_t across = firstColumns.size();
        EXPECT_EQ(planned.plan.pages.size(), down * across);
        if (scaling == PrintScaling::RealSize) {
            EXPECT_GE(across, 2u);
            EXPECT_GE(down, 2u);
        } else {
            EXPECT_EQ(across, 1u);
        }
        if (scaling == PrintScaling::FitToOnePage) {
            EXPECT_EQ(down, 1u);
        }
        const int pages = int(planned.plan.pages.size());
        ASSERT_TRUE(printMatrixPages(document, painter, [&] { return ++device.engine.page <= pages; }, scaling));
        painter.end();
        // A name stands before its row on every page across, and over its column on every page down.
        std::map<QString, size_t> printed;
        for (const RecordingEngine::Text &text : device.engine.texts) {
            if (text.text.startsWith(u"Card "_s))
                ++printed[text.text];
        }
        ASSERT_EQ(printed.size(), 120u);
        for (const auto &[name, times] : printed)
            EXPECT_EQ(times, across + down) << name.toStdString();
    }
}

TEST(PageSplit, RowsAndColumnsLandWholeOnExactlyOnePage)
{
    // A matrix-like drawing: names before and above, 50 columns and rows of 5 mm.
    const PagedDrawing matrix{.rows = 50, .rowHeight = 500, .columns = 50, .columnWidth = 500,
                              .above = 3000, .below = 200, .before = 3000, .after = 1500};
    const QSize page(19000, 26900);
    const struct {
        PrintScaling scaling;
        double scale;
        int across;
        int down;
    } cases[] = {
        // (19000 - 4500) / 500 = 29 columns a page; (26900 - 3200) / 500 = 47 rows.
        {PrintScaling::RealSize, 1.0, 2, 2},
        {PrintScaling::FitToPageWidth, 19000.0 / 29500, 1, 1},
        {PrintScaling::FitToOnePage, 19000.0 / 29500, 1, 1},
    };
    for (const auto &c : cases) {
        const PagePlan plan = planPages(matrix, page, c.scaling);
        EXPECT_NEAR(plan.scale, c.scale, 1e-9) << int(c.scaling);
        ASSERT_EQ(int(plan.pages.size()), c.across * c.down) << int(c.scaling);
        std::vector<int> cellSeen(50 * 50, 0);
        for (const PrintedPage &p : plan.pages) {
            EXPECT_LE((3000 + 200 + p.rows * 500) * plan.scale, page.height() + 1e-6);
            EXPECT_LE((3000 + 1500 + p.columns * 500) * plan.scale, page.width() + 1e-6);
            for (int r = p.firstRow; r < p.firstRow + p.rows; ++r)
                for (int col = p.firstColumn; col < p.firstColumn + p.columns; ++col)
                    ++cellSeen[size_t(r * 50 + col)];
        }
        EXPECT_EQ(std::count(cellSeen.begin(), cellSeen.end(), 1), 50 * 50) << int(c.scaling);
    }
    // A row taller than the page is made smaller until one fits, whatever the scaling.
    const PagePlan tall = planPages({.rows = 3, .rowHeight = 40000, .columnWidth = 1000}, page, PrintScaling::RealSize);
    EXPECT_NEAR(tall.scale, 26900.0 / 40000, 1e-9);
    EXPECT_EQ(tall.pages.size(), 3u);
    // Nothing to print is still one page.
    EXPECT_EQ(planPages({}, page, PrintScaling::RealSize).pages.size(), 1u);
}

} // namespace
