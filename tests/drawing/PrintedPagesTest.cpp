#include "drawing/PrintedPages.h"
#include "support/DocumentEdits.h"

#include "analysis/Categories.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/PictureExport.h"
#include "drawing/PlacementDrawing.h"
#include "document/Document.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
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

// Cards joined pairwise, then the pairs in a chain: a tree with lines across every page.
void makeStudy(Document &document, int pairs = 60)
{
    auto tree = std::make_shared<ClusterTree>();
    QStringList names;
    const ClusterNode *chain = nullptr;
    for (int pair = 0; pair < pairs; ++pair) {
        names << cardName(2 * pair + 1) << cardName(2 * pair + 2);
        const ClusterNode *joined = &tree->add({nullptr, nullptr, 3.0, 2 * pair, 2 * pair + 1});
        chain = chain ? &tree->add({chain, joined, 1.0 + pair % 2, 0, 0}) : joined;
    }
    tree->setRoot(chain);
    editStudy(document, [&](Study &s) { s.clusterTree = tree; });
    editStudy(document, [&](Study &s) { s.itemNames = QStringList(names); });
    editStudy(document, [&](Study &s) { s.itemCount = int(names.size()); });
    editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(names.size(), 2.0); });
    editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
    editStudy(document, [&](Study &s) { s.participantCount = 4; });
    setSetting(document, &Settings::numberOfGroups, 5);
}

TEST(PrintedPages, A120CardDendrogramPrintsEveryRowWholeOnceInEachScaling)
{
    Document document;
    makeStudy(document);
    const int bodyHeight = 27700 - pageFooterHeight;
    const int bodyWidth = 19000;
    for (const PrintScaling scaling : {PrintScaling::RealSize, PrintScaling::FitToPageWidth, PrintScaling::FitToOnePage}) {
        for (const bool scale : {true, false}) {
            SCOPED_TRACE(testing::Message() << "scaling " << int(scaling) << (scale ? " with" : " without") << " the scale");
            setSetting(document, &Settings::showSimilarityScale, scale);
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
    Document document;
    makeStudy(document);
    editStudy(document, [&](Study &s) {
        s.similarity.emplace().countedParticipants = 4;
        ASSERT_TRUE(s.similarity->matrix.allocate(120));
    });
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

// A printed page as the print preview keeps it: a picture of what was painted on a page of
// 190 by 277 mm at 100 dots per inch, which keeps whatever is painted past the page's edge.
class PagePicture final : public QPicture {
public:
    static constexpr int dpi = 100;
    static constexpr QSize size{int(190 * dpi / 25.4), int(277 * dpi / 25.4)};

    // The page as paper shows it.
    QImage image() const
    {
        QImage paper(size, QImage::Format_RGB32);
        paper.setDotsPerMeterX(qRound(dpi / 0.0254));
        paper.setDotsPerMeterY(qRound(dpi / 0.0254));
        paper.fill(Qt::white);
        QPainter painter(&paper);
        painter.drawPicture(0, 0, *this);
        return paper;
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return size.width();
        case PdmHeight:
            return size.height();
        case PdmWidthMM:
            return 190;
        case PdmHeightMM:
            return 277;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        default:
            return QPicture::metric(metric);
        }
    }
};

using PrintPages = std::function<bool(QPainter &, const std::function<bool()> &)>;

std::vector<std::unique_ptr<PagePicture>> printedPages(const PrintPages &print)
{
    std::vector<std::unique_ptr<PagePicture>> pages;
    pages.push_back(std::make_unique<PagePicture>());
    QPainter painter(pages.back().get());
    const bool printed = print(painter, [&] {
        painter.end();
        pages.push_back(std::make_unique<PagePicture>());
        return painter.begin(pages.back().get());
    });
    painter.end();
    EXPECT_TRUE(printed);
    return pages;
}

// The pixels of the middle of the colour scale, which neither the white or darkest cells nor
// the black names and lines have.
QRect scalePixels(const QImage &page, int &count)
{
    QRect bounds;
    count = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (pixel.blue() > pixel.red() + 40 && qGray(pixel.rgb()) > 80 && qGray(pixel.rgb()) < 220) {
                bounds |= QRect(x, y, 1, 1);
                ++count;
            }
        }
    }
    return bounds;
}

// Every page of a split print shows the colour scale right of its own cells and paints
// nothing past its edges.
void expectTheScaleOnEveryPage(const std::vector<std::unique_ptr<PagePicture>> &pages, const PagePlan &plan,
                               QPoint grid, QSize cell, QSize bar)
{
    const double perUnit = plan.scale * PagePicture::dpi / himetricPerInch;
    const int bodyBottom = PagePicture::size.height() - himetricToPixels(pageFooterHeight, PagePicture::dpi);
    ASSERT_EQ(pages.size(), plan.pages.size());
    for (size_t k = 0; k < pages.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "page " << k + 1 << " of " << pages.size());
        EXPECT_TRUE(QRect(QPoint(0, 0), PagePicture::size).contains(pages[k]->boundingRect()))
            << "painted over " << pages[k]->boundingRect().x() << "," << pages[k]->boundingRect().y() << " "
            << pages[k]->boundingRect().width() << "x" << pages[k]->boundingRect().height();
        int count = 0;
        const QRect scale = scalePixels(pages[k]->image(), count);
        // Most of the bar's middle three quarters.
        EXPECT_GT(count, 0.5 * 0.75 * bar.width() * bar.height() * perUnit * perUnit);
        const double cellsRight = (grid.x() + plan.pages[k].columns * cell.width()) * perUnit;
        EXPECT_GT(scale.left(), cellsRight);
        EXPECT_NEAR(scale.top(), (grid.y() + bar.height() / 8) * perUnit, bar.height() / 8 * perUnit + 2);
        EXPECT_LT(scale.bottom(), bodyBottom);
    }
}

TEST(PrintedPages, EveryPageOfASplitMatrixShowsTheColourScaleInsideThePage)
{
    Document document;
    makeStudy(document, 75);
    editStudy(document, [&](Study &s) {
        s.similarity.emplace().countedParticipants = 4;
        ASSERT_TRUE(s.similarity->matrix.allocate(150));
    });
    PagePicture measure;
    const MatrixGeometry geometry = layoutMatrix(document, &measure);
    QPainter planner(&measure);
    const MatrixPages planned = planMatrixPages(document, planner, PrintScaling::RealSize);
    planner.end();
    ASSERT_GE(planned.plan.pages.size(), 6u);
    ASSERT_GT(planned.plan.pages.back().firstColumn, 0);
    const auto pages = printedPages([&](QPainter &painter, const std::function<bool()> &newPage) {
        return printMatrixPages(document, painter, newPage, PrintScaling::RealSize);
    });
    expectTheScaleOnEveryPage(pages, planned.plan, geometry.grid, {geometry.cell, geometry.cell},
                              geometry.legendBar.size());
}

TEST(PrintedPages, EveryPageOfASplitPlacementMatrixShowsTheColourScaleInsideThePage)
{
    Document document;
    makeStudy(document, 75);
    // Categories that hold no card leave every cell white.
    CategoryTable table;
    table.placedAnywhere.assign(150, 4);
    for (int k = 0; k < 40; ++k) {
        Category category;
        category.name = u"Category %1"_s.arg(k + 1);
        table.categories.push_back(category);
    }
    PagePicture measure;
    const PlacementGeometry geometry = layoutPlacements(document, table, &measure);
    ASSERT_FALSE(geometry.isEmpty());
    QPainter planner(&measure);
    const PagePlan plan = planPlacementPages(document, table, planner, PrintScaling::RealSize).plan;
    planner.end();
    ASSERT_GE(plan.pages.size(), 3u);
    ASSERT_GT(plan.pages.back().firstColumn, 0);
    const auto pages = printedPages([&](QPainter &painter, const std::function<bool()> &newPage) {
        return printPlacementPages(document, table, painter, newPage, PrintScaling::RealSize);
    });
    expectTheScaleOnEveryPage(pages, plan, geometry.grid, {geometry.cellWidth, geometry.cellHeight},
                              geometry.legendBar.size());
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
