// Pictures and printed pages as other programs see them: the SVG drawn by librsvg, the PDF
// drawn by poppler. The tools are part of the test set-up (scripts/install-deps.sh): a
// missing one fails the test rather than letting it pass unchecked.
#include "analysis/TreeSupport.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "support/ChainTree.h"
#include "support/DocumentEdits.h"
#include "support/ExternalTool.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "tasks/ImportRun.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using sortana::test::runTool;
using namespace Qt::StringLiterals;

namespace {

// Pages and pictures are rendered at 254 dots per inch: one pixel is 0.1 mm.
constexpr int renderDpi = 254;
constexpr int unitsPerPixel = 10;
// The screen the pictures stand in for: 17 pixels at 96 dots per inch is 4.5 mm.
constexpr ReferenceScreen screen{17, 96};
constexpr int screenMargin = 450;

struct PixelRun {
    int start;
    int length;
};

bool isDark(QRgb pixel) { return qGray(pixel) < 128; }
bool isInked(QRgb pixel) { return qGray(pixel) < 240; }

// The runs of pixels along one column that pass the test.
std::vector<PixelRun> runsDown(const QImage &image, int x, bool (*test)(QRgb))
{
    std::vector<PixelRun> runs;
    for (int y = 0; y < image.height(); ++y) {
        if (!test(image.pixel(x, y)))
            continue;
        if (!runs.empty() && runs.back().start + runs.back().length == y)
            ++runs.back().length;
        else
            runs.push_back({y, 1});
    }
    return runs;
}

int toPixels(int himetric) { return (std::abs(himetric) + unitsPerPixel / 2) / unitsPerPixel; }

class Picture : public ::testing::Test {
protected:
    Picture()
    {
        // Six items joined one after the other, in three groups, with fit bars.
        const QStringList names{u"Apples"_s, u"Pears"_s, u"Plums"_s, u"Leeks"_s, u"Onions"_s, u"Bread"_s};
        editStudy(document, [&](Study &s) { s.clusterTree = test::chainTree({4.0, 3.5, 2.0, 1.5, 0.5}); });
        editStudy(document, [&](Study &s) { s.itemNames = QStringList(names); });
        editStudy(document, [&](Study &s) { s.itemCount = int(names.size()); });
        editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(names.size(), 3.0); });
        editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
        editStudy(document, [&](Study &s) { s.summary.useFit = true; });
        editStudy(document, [&](Study &s) { s.participantCount = 4; });
        setSetting(document, &Settings::numberOfGroups, 3);
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // Runs a tool and loads the PNG it wrote.
    static QImage render(const QString &tool, const QStringList &arguments, const QString &png)
    {
        runTool(tool, arguments);
        QImage image(png);
        EXPECT_FALSE(image.isNull()) << tool.toStdString();
        return image.convertToFormat(QImage::Format_RGB32);
    }
    QImage renderPdf(const QString &pdf)
    {
        const QString base = pdf.chopped(4);
        return render(u"pdftoppm"_s, {u"-r"_s, QString::number(renderDpi), u"-png"_s, u"-singlefile"_s, pdf, base},
                      base + u".png"_s);
    }
    QImage renderSvg(const QString &svg)
    {
        const QString png = svg.chopped(4) + u".png"_s;
        const QString dpi = QString::number(renderDpi);
        return render(u"rsvg-convert"_s, {u"-d"_s, dpi, u"-p"_s, dpi, u"-b"_s, u"white"_s, u"-o"_s, png, svg}, png);
    }
    // The picture file as another program draws it, at renderDpi: SVG by librsvg, PDF by
    // poppler, and PNG (written at renderDpi) as it is.
    QImage saveAndRender(const QString &name, ScriptedPlatform &platform)
    {
        const QString file = path(name);
        if (!savePicture(document, file, platform, renderDpi))
            return {};
        if (name.endsWith(u".svg"_s))
            return renderSvg(file);
        if (name.endsWith(u".pdf"_s))
            return renderPdf(file);
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }
    // Where the rows, joins and labels of the picture the file holds stand.
    DendrogramGeometry layout(const QString &file = u".svg"_s) const
    {
        const int dpi = file.endsWith(u".pdf"_s) ? pdfDpi : file.endsWith(u".png"_s) ? defaultPngDpi : svgDpi;
        return *pictureLayout(document, ReferenceScreen{}, dpi);
    }

    // Every row's leaf line crosses the column just left of the tree's right end, a hairline
    // thick: 0.25 mm is two and a half pixels, two to four with a renderer's smoothing.
    void expectHairlineLeafLines(const QImage &image, const DendrogramGeometry &drawn, const char *what)
    {
        const std::vector<PixelRun> lines = runsDown(image, toPixels(drawn.treeRight - 100), isDark);
        for (size_t k = 0; k < drawn.leafOrder.size(); ++k) {
            const int centre = toPixels(drawn.firstRowCentre - int(k) * drawn.rowHeight);
            const auto line = std::find_if(lines.begin(), lines.end(), [centre](const PixelRun &run) {
                return run.start - 2 <= centre && centre <= run.start + run.length + 1;
            });
            ASSERT_NE(line, lines.end()) << what << ": no line in row " << k;
            EXPECT_GE(line->length, 2) << what << ": row " << k;
            EXPECT_LE(line->length, 4) << what << ": row " << k;
        }
    }

    QTemporaryDir dir;
    Document document;
};

TEST_F(Picture, SvgTreeAndGroupLinesAreDrawnByAnotherRenderer)
{
    const QByteArray svg = svgPicture(document, screen, u"Dendogram"_s);
    ASSERT_FALSE(svg.isEmpty());
    QFile file(path(u"tree.svg"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(svg);
    file.close();
    const QImage image = renderSvg(path(u"tree.svg"_s));
    ASSERT_FALSE(image.isNull());
    const DendrogramGeometry drawn = layout();
    expectHairlineLeafLines(image, drawn, "svg");

    // The dotted group lines cross the right margin, where nothing else is drawn.
    const std::set<int> boundaries = drawn.groupBoundaries;
    ASSERT_EQ(boundaries.size(), 2u);
    std::set<int> expectedRows;
    for (const int boundary : boundaries)
        expectedRows.insert(toPixels(-drawn.margin.height() + boundary));
    std::set<int> dottedRows;
    for (int y = 0; y < image.height(); ++y) {
        int dots = 0;
        for (int x = toPixels(15000 - drawn.margin.width()); x < image.width(); ++x)
            dots += isDark(image.pixel(x, y));
        if (dots >= 5)
            dottedRows.insert(y);
    }
    ASSERT_FALSE(dottedRows.empty());
    for (const int row : dottedRows) {
        const bool nearBoundary = std::any_of(expectedRows.begin(), expectedRows.end(),
                                              [row](int expected) { return std::abs(row - expected) <= 2; });
        EXPECT_TRUE(nearBoundary) << row;
    }
    for (const int expected : expectedRows) {
        const bool drawnThere = std::any_of(dottedRows.begin(), dottedRows.end(),
                                            [expected](int row) { return std::abs(row - expected) <= 2; });
        EXPECT_TRUE(drawnThere) << expected;
    }
}

TEST_F(Picture, PrintedAndPdfPagesKeepTheScreensMarginsAndLineWidth)
{
    ScriptedPlatform platform;
    const struct {
        const char *what;
        std::function<bool(const QString &)> write;
    } cases[] = {
        {"printed on A4",
         [&](const QString &pdf) {
             QPdfWriter printer(pdf);
             printer.setResolution(1200);
             printer.setPageSize(QPageSize(QPageSize::A4));
             printer.setPageMargins(QMarginsF(0, 0, 0, 0));
             return printPage(document, printer, screen);
         }},
        {"saved as a PDF picture", [&](const QString &pdf) { return savePicture(document, pdf, platform); }},
    };
    int index = 0;
    for (const auto &[what, write] : cases) {
        const QString pdf = path(QStringLiteral("page%1.pdf").arg(index++));
        ASSERT_TRUE(write(pdf)) << what;
        const DendrogramGeometry drawn = layout(pdf);
        EXPECT_EQ(drawn.margin, QSize(screenMargin, screenMargin)) << what;
        const QImage page = renderPdf(pdf);
        ASSERT_FALSE(page.isNull()) << what;
        expectHairlineLeafLines(page, drawn, what);

        // The separator strip starts one margin below the top, half a margin right of the
        // tree's end, and the fit bars one margin right of the strip.
        const int stripX = toPixels(drawn.separatorRect.left + 25);
        const std::vector<PixelRun> strip = runsDown(page, stripX, isInked);
        ASSERT_FALSE(strip.empty()) << what;
        EXPECT_NEAR(strip.front().start, toPixels(screenMargin), 1) << what;
        const int firstRow = toPixels(drawn.firstRowCentre);
        int treeEnd = stripX;
        while (treeEnd > 0 && !isDark(page.pixel(treeEnd, firstRow)))
            --treeEnd;
        int stripLeft = treeEnd + 1;
        while (stripLeft < stripX && !isInked(page.pixel(stripLeft, firstRow)))
            ++stripLeft;
        EXPECT_NEAR(stripLeft - treeEnd, toPixels(screenMargin / 2), 2) << what;
    }
    EXPECT_TRUE(platform.messages().isEmpty());
}

// A name of 60 characters runs far past the drawing's right edge: every kind of picture widens
// to hold it whole, a margin after it, while the document's drawing size stays as it was.
TEST_F(Picture, ANameOfSixtyCharactersIsHeldWholeInEveryPicture)
{
    const QString name = u"Opening hours of the reading rooms on public school holidays"_s;
    ASSERT_EQ(name.size(), 60);
    editStudy(document, [&](Study &s) { s.itemNames.replace(5, name); });
    ScriptedPlatform platform;
    for (const QString &file : {u"wide.svg"_s, u"wide.png"_s, u"wide.pdf"_s}) {
        const QImage image = saveAndRender(file, platform);
        ASSERT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_EQ(document.drawingSize.cx, 15000) << file.toStdString();
        EXPECT_GT(image.width(), toPixels(15000) + 200) << file.toStdString();
        // The last ink in the long name's row, clear of the dotted group lines at its edges.
        const DendrogramGeometry drawn = layout(file);
        const auto row = size_t(std::find(drawn.leafOrder.begin(), drawn.leafOrder.end(), 5) - drawn.leafOrder.begin());
        const int top = toPixels(drawn.rowsTop - int(row) * drawn.rowHeight);
        int lastInk = 0;
        for (int y = top + 3; y < top + toPixels(drawn.rowHeight) - 3; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (isDark(image.pixel(x, y)))
                    lastInk = std::max(lastInk, x);
            }
        }
        EXPECT_GT(lastInk, toPixels(15000)) << file.toStdString();
        EXPECT_NEAR(image.width() - 1 - lastInk, toPixels(screenMargin), 15) << file.toStdString();
    }
    EXPECT_TRUE(platform.messages().isEmpty());
}

// The scale as other programs draw it: a tick every 10 % where the layout puts it, the
// labelled ones longer, below the drawing's height; turned off, the picture ends there.
TEST_F(Picture, TheScaleStandsBelowTheDrawingWhereTheLayoutPutsIt)
{
    ScriptedPlatform platform;
    for (const QString &file : {u"scale.svg"_s, u"scale.pdf"_s}) {
        const QImage image = saveAndRender(file, platform);
        ASSERT_FALSE(image.isNull()) << file.toStdString();
        const DendrogramGeometry drawn = layout(file);
        ASSERT_TRUE(drawn.scale);
        const SimilarityScale &scale = *drawn.scale;
        EXPECT_EQ(scale.axisY, -document.drawingSize.cy);
        EXPECT_NEAR(image.height(), toPixels(drawn.height + scale.height), 1) << file.toStdString();
        const int axis = toPixels(scale.axisY);
        for (size_t k = 0; k < scale.tickX.size(); ++k) {
            const int x = toPixels(scale.tickX[k]);
            const int length = toPixels(scale.axisY - scale.tickBottom[k]);
            // Down the tick, and not as far again below it (a label's room is further down).
            int ink = 0;
            for (int y = axis + 2; y < axis + length - 1; ++y)
                ink += isDark(image.pixel(x, y)) || isDark(image.pixel(x - 1, y)) || isDark(image.pixel(x + 1, y));
            EXPECT_EQ(ink, length - 3) << file.toStdString() << " tick " << k;
            // Halfway to the next tick, nothing hangs from the axis.
            if (k + 1 < scale.tickX.size()) {
                const int between = toPixels((scale.tickX[k] + scale.tickX[k + 1]) / 2);
                EXPECT_FALSE(isDark(image.pixel(between, axis + 5))) << file.toStdString() << " after tick " << k;
            }
        }
    }

    setSetting(document, &Settings::showSimilarityScale, false);
    const QImage without = saveAndRender(u"plain.pdf"_s, platform);
    EXPECT_NEAR(without.height(), toPixels(document.drawingSize.cy), 1);
    EXPECT_TRUE(platform.messages().isEmpty());
}

// The support of every join and the stability of every band, of seven cards that six
// participants all sorted alike: drawn where the layout puts them when shown, and the
// picture as it was without them when not.
TEST_F(Picture, JoinSupportAndGroupStabilityAreDrawnOnlyWhenShown)
{
    Document study;
    QByteArray raw = "IA\nIB\nIC\nID\nIE\nIF\nIG\n";
    for (int p = 1; p <= 6; ++p)
        raw += "P" + QByteArray::number(p) + "\nG\nI1\nI2\nI3\nG\nI4\nI5\nG\nI6\nI7\n";
    ASSERT_NO_FATAL_FAILURE(test::importDocument(raw, study, [](ImportRun &run) { run.setCheckStudyShape(false); }));
    setSetting(study, &Settings::numberOfGroups, 3);
    ScriptedPlatform platform;
    const QString plain = path(u"plain.svg"_s);
    ASSERT_TRUE(savePicture(study, plain, platform));

    study.setTreeSupport(computeTreeSupport(study.study(), 20, 1, {}));
    ASSERT_TRUE(study.treeSupport());
    const QString held = path(u"held.svg"_s);
    ASSERT_TRUE(savePicture(study, held, platform));
    QFile plainFile(plain);
    QFile heldFile(held);
    ASSERT_TRUE(plainFile.open(QIODevice::ReadOnly) && heldFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(heldFile.readAll(), plainFile.readAll());

    setSetting(study, &Settings::showJoinSupport, true);
    const QString shown = path(u"shown.svg"_s);
    ASSERT_TRUE(savePicture(study, shown, platform));
    QFile shownFile(shown);
    ASSERT_TRUE(shownFile.open(QIODevice::ReadOnly));
    const QByteArray svg = shownFile.readAll();
    EXPECT_EQ(svg.count(">100<"), 6);
    EXPECT_EQ(svg.count(">stability 100.0 %<"), 3);

    // As another program draws it, ink where each label stands, and the names held whole to
    // the right of the widest.
    const QImage image = renderSvg(shown);
    ASSERT_FALSE(image.isNull());
    const DendrogramGeometry drawn = *pictureLayout(study, ReferenceScreen{}, svgDpi);
    ASSERT_EQ(drawn.joinSupport.size(), 6u);
    ASSERT_EQ(drawn.bandStability.size(), 3u);
    for (const std::vector<PlacedText> *texts : {&drawn.joinSupport, &drawn.bandStability}) {
        for (const PlacedText &text : *texts) {
            int ink = 0;
            for (int x = toPixels(text.topLeft.x()); x < toPixels(text.topLeft.x() + text.size.width()); ++x) {
                for (int y = toPixels(text.topLeft.y()); y < toPixels(text.topLeft.y() - text.size.height()); ++y)
                    ink += isDark(image.pixel(x, y));
            }
            EXPECT_GT(ink, 10) << text.text.toStdString();
            EXPECT_LE(toPixels(text.topLeft.x() + text.size.width()), image.width());
        }
    }
    EXPECT_TRUE(platform.messages().isEmpty());
}

} // namespace
