#include "analysis/TreeSupport.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "formats/Archive.h"
#include "support/ChainTree.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/DocumentFile.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// 254 dots per inch: one pixel is 10 units of 0.01 mm, so the margins are 170 x 170.
constexpr int scrollBarExtent = 17;
constexpr int margin = 170;

class Layout : public ::testing::Test {
protected:
    Layout() : image(200, 200, QImage::Format_ARGB32), painter(&image)
    {
        image.setDotsPerMeterX(10000);
        image.setDotsPerMeterY(10000);
        painter.end();
        painter.begin(&image);
        surface = std::make_unique<DrawingSurface>(painter, false, scrollBarExtent);
    }
    // A study of the named items: every item joined to the cluster before it, a chain with
    // the similarities given (the first join first).
    void chain(const QStringList &names, const std::vector<double> &similarities)
    {
        editStudy(document, [&](Study &s) { s.clusterTree = test::chainTree(similarities); });
        editStudy(document, [&](Study &s) { s.itemNames = QStringList(names); });
        editStudy(document, [&](Study &s) { s.itemCount = int(names.size()); });
        editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(names.size(), 1.5); });
        editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
        editStudy(document, [&](Study &s) { s.summary.useExpert = false; });
        editStudy(document, [&](Study &s) { s.participantCount = 4; });
    }
    const DendrogramGeometry &draw()
    {
        Draw(document, *surface, {});
        // The layout the drawing made, made again on the same surface.
        drawn = layOutDendrogram(document, *surface, {});
        return *drawn;
    }

    std::optional<DendrogramGeometry> drawn;
    QImage image;
    QPainter painter;
    std::unique_ptr<DrawingSurface> surface;
    Document document;
};

TEST_F(Layout, ColumnsRowsAndMargins)
{
    chain({u"A"_s, u"B"_s, u"C"_s}, {4.0, 1.0});
    const DendrogramGeometry &layout = draw();
    EXPECT_EQ(layout.margin, QSize(margin, margin));
    // Short names end one margin before the right edge.
    EXPECT_EQ(layout.labelLeft, 15000 - margin - layout.labelWidth);
    // Without fit bars the tree ends one margin before the names.
    EXPECT_EQ(layout.fitBarLeft, layout.labelLeft);
    EXPECT_EQ(layout.treeRight, layout.labelLeft - margin);
    EXPECT_EQ(layout.treeLeft, margin);
    EXPECT_GT(layout.rowHeight, 0);
    EXPECT_EQ(layout.height, 3 * layout.rowHeight + 2 * margin);
    EXPECT_EQ(document.drawingSize, (DrawingSize{15000, layout.height}));
    EXPECT_EQ(layout.firstRowCentre, -margin - layout.rowHeight / 2);
    EXPECT_EQ(layout.separatorRect.left, layout.treeRight + margin / 2);
    EXPECT_EQ(layout.separatorRect.right, layout.separatorRect.left + 50);
    EXPECT_EQ(layout.separatorRect.bottom, -margin - 3 * layout.rowHeight);
    EXPECT_EQ(layout.leafOrder, (std::vector<int>{0, 1, 2}));
}

TEST_F(Layout, WideNamesMoveTheColumnUntilTheMiddle)
{
    chain({u"A"_s, QString(10, u'W'), u"C"_s}, {4.0, 1.0});
    const DendrogramGeometry &wider = draw();
    ASSERT_LT(wider.labelWidth, 7500 - margin);
    EXPECT_EQ(wider.labelLeft, 15000 - margin - wider.labelWidth);
    ASSERT_TRUE(wider.scale);
    EXPECT_EQ(wider.extent, QSize(15000, wider.height + wider.scale->height));

    // Names wider than the right half start at the middle and run past the edge.
    editStudy(document, [](Study &s) { s.itemNames.replace(1, QString(40, u'W')); });
    const DendrogramGeometry &wide = draw();
    ASSERT_GT(wide.labelWidth, 7500 - margin);
    EXPECT_EQ(wide.labelLeft, 7500);
    // The extent holds them; the drawing keeps its width.
    ASSERT_TRUE(wide.scale);
    EXPECT_EQ(wide.extent, QSize(7500 + wide.labelWidth + margin, wide.height + wide.scale->height));
    EXPECT_EQ(document.drawingSize.cx, 15000);
}

// The scale reads the layout's own similarity axis: a join of similarity s stands where the
// scale puts s as a share of the most a pair can score, give or take the joins' 2 mm grid.
// With the expert the most is never reached; a document of the first file version has no
// summary of its options and reads its axis from the participant count and fit alone.
TEST_F(Layout, TheScaleReadsTheLayoutsSimilarityAxis)
{
    const auto golden = [](const QString &study) {
        return QStringLiteral(SORTANA_GOLDEN_DIR) + u'/' + study + u"/expected/"_s + study + u".klus"_s;
    };
    // The same study as the first file version writes it: its version, and nothing after the
    // drawing size (the later version's file name and the summary's eleven numbers).
    const auto firstVersion = [&](const QString &study) {
        Document later;
        ScriptedPlatform platform;
        EXPECT_TRUE(openDocumentFile(later, golden(study), platform));
        ArchiveWriter writer;
        later.serialize(writer);
        QByteArray bytes = writer.bytes();
        bytes.chop(4 + 2 * later.study().summary.fileName.size() + 11 * 4);
        bytes[18] = '0'; // KLUS-1-1 becomes KLUS-1-0
        return bytes;
    };
    const struct {
        const char *what;
        QByteArray file;
    } cases[] = {
        {"without the expert", readBytes(golden(u"worked-example"_s))},
        {"with the expert", readBytes(golden(u"expert-fit-subgroups"_s))},
        {"version 1.0, with the expert", firstVersion(u"expert-fit-subgroups"_s)},
    };
    std::vector<double> mostScores;
    for (const auto &c : cases) {
        ArchiveReader reader(c.file);
        ASSERT_TRUE(document.serialize(reader)) << c.what;
        const StudySummary &s = document.study().summary;
        const double most = (s.useSubGroups ? 2 : 1) * (s.useFit ? 3 : 1) * s.copiesPerParticipant
            * double(document.study().participantCount);
        mostScores.push_back(most);
        const DendrogramGeometry &layout = draw();
        ASSERT_TRUE(layout.scale) << c.what;
        const SimilarityScale &scale = *layout.scale;
        ASSERT_EQ(scale.tickX.size(), 11u) << c.what;
        // 0 % where the layout puts similarity 0, 100 % at the whole span.
        EXPECT_EQ(scale.tickX.front(), layout.treeLeft) << c.what;
        const int span = layout.treeRight - margin - layout.treeLeft;
        EXPECT_EQ(scale.tickX.back() - scale.tickX.front(), span) << c.what;
        for (size_t k = 0; k < scale.tickX.size(); ++k)
            EXPECT_NEAR(scale.tickX[k], layout.treeLeft + span * double(k) / 10, 0.5) << c.what << k;
        ASSERT_FALSE(layout.joins.empty());
        for (const NodePlacement &join : layout.joins) {
            const double read = layout.treeLeft + span * join.similarity / most;
            EXPECT_LE(layout.treeLeft + join.x, read + 0.5) << c.what << join.similarity;
            EXPECT_GT(layout.treeLeft + join.x, read - 200.5) << c.what << join.similarity;
        }
        // Labels under their ticks at 0, 50 and 100 % at least, below the drawing's height.
        std::set<int> labelled;
        for (const ScaleLabel &label : scale.labels) {
            labelled.insert(label.percent);
            EXPECT_EQ(label.text, QString::number(label.percent) + u" %"_s);
            // Centred on the tick, unless that would start it past the drawing's left edge.
            const int tick = scale.tickX[size_t(label.percent / 10)];
            EXPECT_NEAR(label.topLeft.x(), std::max(0.0, tick - label.width / 2.0), 1) << c.what;
            EXPECT_LT(label.topLeft.y(), scale.tickBottom[size_t(label.percent / 10)]) << c.what;
            EXPECT_GT(label.width, 0) << c.what;
        }
        EXPECT_TRUE(labelled.contains(0) && labelled.contains(50) && labelled.contains(100)) << c.what;
        EXPECT_EQ(scale.axisY, -layout.height) << c.what;
        EXPECT_EQ(document.drawingSize.cy, layout.height) << c.what;
        EXPECT_EQ(layout.extent.height(), layout.height + scale.height) << c.what;
    }
    // The first version leaves the sub-groups out of the most a pair can score.
    EXPECT_NE(mostScores[2], mostScores[1]);
}

TEST_F(Layout, TheScaleIsLeftOutWhenOffOrWithNothingToRead)
{
    chain({u"A"_s, u"B"_s, u"C"_s}, {4.0, 1.0});
    EXPECT_TRUE(draw().scale);
    const struct {
        const char *what;
        std::function<void(Document &)> change;
    } cases[] = {
        {"turned off", [](Document &d) { setSetting(d, &Settings::showSimilarityScale, false); }},
        {"no participants, so no most to score",
         [](Document &d) { editStudy(d, [](Study &s) { s.participantCount = 0; }); }},
        {"a drawing too narrow for a tree", [](Document &d) { d.drawingSize.cx = 1000; }},
    };
    for (const auto &c : cases) {
        chain({u"A"_s, u"B"_s, u"C"_s}, {4.0, 1.0});
        c.change(document);
        const DendrogramGeometry &layout = draw();
        EXPECT_FALSE(layout.scale) << c.what;
        EXPECT_EQ(layout.extent.height(), layout.height) << c.what;
    }
}

TEST_F(Layout, JoinsStandOnTheGridAndSingleItemsJoinAtTheUpperRow)
{
    // maxScore is 4 participants: a similarity of 4 is the whole span.
    chain({u"A"_s, u"B"_s, u"C"_s, u"D"_s}, {4.0, 2.7, 0.3});
    const DendrogramGeometry &layout = draw();
    ASSERT_EQ(layout.joins.size(), 3u);
    const int span = layout.treeRight - margin - layout.treeLeft;
    for (const NodePlacement &placement : layout.joins)
        EXPECT_EQ(placement.x % 200, 0);
    EXPECT_EQ(layout.joins[0].x, int(span + 0.5) / 200 * 200);
    EXPECT_EQ(layout.joins[0].y, 0); // the upper item's row
    EXPECT_EQ(layout.joins[1].y, -layout.rowHeight); // half way to row 2
    EXPECT_EQ(layout.joins[0].splitY, -layout.rowHeight);
    // Every leaf line starts at treeRight and ends one unit short of a grid step.
    for (size_t k = 0; k < layout.pathPoints.size(); ++k) {
        if (layout.pathSteps[k] == PathStep::MoveTo && layout.pathPoints[k].x() == layout.treeRight) {
            EXPECT_EQ((layout.pathPoints[k + 1].x() - layout.treeLeft + 1) % 200, 0);
        }
    }
}

TEST_F(Layout, GroupBoundariesAreTheLoosestJoins)
{
    chain({u"A"_s, u"B"_s, u"C"_s, u"D"_s}, {4.0, 2.7, 0.3});
    const int row = draw().rowHeight;
    const std::pair<int, std::set<int>> cases[] = {
        {1, {}},
        {2, {-3 * row}},
        {3, {-3 * row, -2 * row}},
        {9, {-3 * row, -2 * row, -row}},
    };
    for (const auto &[groups, boundaries] : cases) {
        setSetting(document, &Settings::numberOfGroups, groups);
        EXPECT_EQ(draw().groupBoundaries, boundaries) << groups;
    }
}

TEST_F(Layout, NoBandLineCrossesAJoinsSupport)
{
    // Joins every row apart, their figures just above them: with a group a row, every band
    // line runs close by one.
    const QStringList names{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s, u"G"_s, u"H"_s};
    chain(names, {7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0});
    TreeSupport support;
    support.replicates = 20;
    support.joinSupport = {100.0, 95.5, 90.0, 85.0, 80.0, 75.0, 70.0};
    document.setTreeSupport(support);
    setSetting(document, &Settings::showJoinSupport, true);
    for (const int groups : {2, 4, 8}) {
        setSetting(document, &Settings::numberOfGroups, groups);
        const DendrogramGeometry &drawn = draw();
        ASSERT_EQ(drawn.joinSupport.size(), names.size() - 1);
        for (const PlacedText &label : drawn.joinSupport) {
            for (const int boundary : drawn.groupBoundaries) {
                const int line = drawn.rowsTop + boundary;
                EXPECT_FALSE(label.topLeft.y() - label.size.height() <= line && line <= label.topLeft.y())
                    << groups << " groups: " << label.text.toStdString() << " across the line at " << line;
            }
        }
    }
}

TEST_F(Layout, FitBarsAndTheSurfaceFont)
{
    chain({u"A"_s, u"B"_s}, {2.0});
    editStudy(document, [&](Study &s) { s.summary.useFit = true; });
    const DendrogramGeometry &withFit = draw();
    EXPECT_GT(withFit.fitBarFullWidth, 0);
    EXPECT_EQ(withFit.fitBarLeft, withFit.labelLeft - margin - withFit.fitBarFullWidth);
    EXPECT_EQ(withFit.fitBarWidths, (std::vector<int>(2, int(withFit.fitBarFullWidth * 1.5 / 3 + 0.5))));

    // Size 0 keeps the surface's own font.
    setSetting(document, &Settings::fontSize, 0);
    const int expectedHeight = surface->toHimetricY(QFontMetricsF(painter.font(), &image).height());
    EXPECT_EQ(draw().rowHeight, expectedHeight);
}

TEST_F(Layout, DamagedTreesDrawWithoutReadingOutside)
{
    chain({u"A"_s, u"B"_s}, {2.0});
    auto damaged = std::make_shared<ClusterTree>();
    damaged->setRoot(&damaged->add({&damaged->add({nullptr, nullptr, 1e300, 7, -3}), nullptr, -1.0, 99, 1 << 30}));
    editStudy(document, [&](Study &s) { s.clusterTree = damaged; });
    const DendrogramGeometry &layout = draw();
    EXPECT_EQ(layout.leafOrder, (std::vector<int>{7, -3, 1 << 30}));
    EXPECT_EQ(layout.fitBarWidths, (std::vector<int>{0, 0, 0}));
}

// Values no import gives but a damaged document or an absurd fit score can: the drawing
// stays within its arithmetic (the sanitized build checks every case).
TEST_F(Layout, ExtremeValuesDrawWithoutOverflow)
{
    const int intMax = std::numeric_limits<int>::max();
    const int intMin = std::numeric_limits<int>::min();
    const struct {
        const char *what;
        std::function<void(Document &)> damage;
    } cases[] = {
        {"a mean fit of two billion",
         [](Document &d) { editStudy(d, [](Study &s) { s.itemAverageFit.assign(2, 2e9); }); }},
        {"a negative mean fit", [](Document &d) { editStudy(d, [](Study &s) { s.itemAverageFit.assign(2, -2e9); }); }},
        {"the widest drawing",
         [=](Document &d) {
             d.drawingSize = {intMax, intMax};
         }},
        {"the narrowest drawing",
         [=](Document &d) {
             d.drawingSize = {intMin, intMin};
         }},
        {"a negative width",
         [](Document &d) {
             d.drawingSize = {-15000, 10000};
         }},
        {"a name kilometres wide",
         [](Document &d) {
             editStudy(d, [](Study &s) { s.itemNames.first() = QString(200'000, u'W'); });
             setSetting(d, &Settings::fontSize, 1000);
         }},
        {"32,767 rows at 1000 points",
         [](Document &d) {
             QStringList names(32767, u"x"_s);
             editStudy(d, [&](Study &s) {
                 s.clusterTree = test::chainTree(std::vector<double>(std::size_t(names.size() - 1), 1.0));
             });
             editStudy(d, [&](Study &s) { s.itemNames = QStringList(names); });
             editStudy(d, [&](Study &s) { s.itemAverageFit = std::vector<double>(names.size(), 3.0); });
             setSetting(d, &Settings::fontSize, 1000);
             setSetting(d, &Settings::numberOfGroups, 32767);
         }},
    };
    for (const auto &c : cases) {
        chain({u"A"_s, u"B"_s}, {2.0});
        editStudy(document, [&](Study &s) { s.summary.useFit = true; });
        c.damage(document);
        const DendrogramGeometry &layout = draw();
        EXPECT_GE(layout.height, 0) << c.what;
        EXPECT_GE(document.drawingSize.cy, 0) << c.what;
    }
}

// A damaged drawing size must not make a raster picture of gigabytes: refused before
// anything is allocated, while vector pictures of it are still written.
TEST_F(Layout, RasterPicturesAreBounded)
{
    chain({u"A"_s, u"B"_s}, {2.0});
    document.drawingSize = {150'000'000, 10000};
    QTemporaryDir dir;
    ScriptedPlatform platform;
    EXPECT_FALSE(savePicture(document, dir.filePath(u"huge.png"_s), platform));
    ASSERT_EQ(platform.texts().size(), 1);
    const QString message = platform.texts().front();
    EXPECT_TRUE(message.startsWith(u"The picture would be too large (8858268 x "_s)) << message.toStdString();
    EXPECT_TRUE(message.endsWith(u" pixels)"_s)) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"huge.png"_s)));
    EXPECT_TRUE(pictureImage(document, {}, 150).isNull());
    EXPECT_TRUE(savePicture(document, dir.filePath(u"huge.svg"_s), platform));
}

// The whole drawing of two studies, as the picture files keep it: columns, rows, joins, bands,
// fit bars, names and the similarity scale in one comparison. Any change of a drawing rule
// shows here first; without the scale the pictures are those of the program before it.
TEST(GoldenPicture, StudiesDrawAsTheyAlwaysHave)
{
    for (const QString &study : {u"worked-example"_s, u"expert-fit-subgroups"_s}) {
        for (const bool scale : {false, true}) {
            Document document;
            ScriptedPlatform platform;
            ASSERT_TRUE(openDocumentFile(
                document, QStringLiteral(SORTANA_GOLDEN_DIR) + u'/' + study + u"/expected/"_s + study + u".klus"_s,
                platform));
            setSetting(document, &Settings::showSimilarityScale, scale);
            QTemporaryDir dir;
            const QString picture = dir.filePath(u"picture.svg"_s);
            ASSERT_TRUE(savePicture(document, picture, platform));
            const QString name = study + (scale ? u"-scale.svg"_s : u".svg"_s);
            EXPECT_EQ(readBytes(picture), readBytes(QStringLiteral(SORTANA_PICTURES_DIR) + u'/' + name))
                << name.toStdString();
        }
    }
}

TEST_F(Layout, EmptyDocumentDrawsNothing)
{
    EXPECT_EQ(Draw(document, *surface, {}), QSize(15000, 10000));
    EXPECT_FALSE(layOutDendrogram(document, *surface, {}));
}

} // namespace
