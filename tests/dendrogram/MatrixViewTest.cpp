#include "analysis/NodeRegistry.h"
#include "dendrogram/DrawingSurface.h"
#include "dendrogram/MatrixView.h"
#include "document/CSortanaMdiDoc.h"
#include "document/ImportRun.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class MatrixViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString input = dir.filePath(u"library.txt"_s);
        writeBytes(input, readBytes(u"" SORTANA_EXAMPLES_DIR "/library-website.txt"_s));
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        ASSERT_TRUE(run.checkOptions());
        ASSERT_TRUE(run.finish());
        ASSERT_TRUE(document.CompleteImport(run));
        view = std::make_unique<MatrixView>(&document, platform);
        view->resize(500, 400);
        view->show();
        view->OnInitialUpdate();
    }
    void TearDown() override
    {
        view.reset();
        NodeRegistry::instance().clear();
    }
    // The viewport pixel at the centre of a cell, or of a row's name, at the current zoom.
    QPoint pixelAt(QPoint drawing) const
    {
        const double dpi = view->viewport()->logicalDpiX();
        return QPoint(int(drawing.x() * dpi / himetricPerInch * view->zoom()) - view->horizontalScrollBar()->value(),
                      int(drawing.y() * dpi / himetricPerInch * view->zoom()) - view->verticalScrollBar()->value());
    }
    QPoint cellCentre(int row, int column)
    {
        const MatrixGeometry &g = view->geometry();
        return pixelAt(g.grid + QPoint(column * g.cell + g.cell / 2, row * g.cell + g.cell / 2));
    }
    void click(QPoint point)
    {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, point, view->viewport()->mapToGlobal(point), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &event);
        }
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    CSortanaMdiDoc document;
    std::unique_ptr<MatrixView> view;
};

TEST_F(MatrixViewTest, HoveringACellNamesThePair)
{
    const std::vector<int> &order = view->geometry().order;
    for (const auto &[row, column] : {std::pair{0, 1}, std::pair{3, 7}, std::pair{5, 5}}) {
        EXPECT_EQ(view->hoverText(cellCentre(row, column)),
                  pairDescription(document, order[size_t(row)], order[size_t(column)]));
    }
    EXPECT_TRUE(view->hoverText(cellCentre(0, 1)).contains(u"Sorted together"_s));
    // Names, the legend and the margins have no pair.
    EXPECT_TRUE(view->hoverText(pixelAt(view->geometry().grid) - QPoint(3, 3)).isEmpty());
}

TEST_F(MatrixViewTest, ClickingANameHighlightsItsRowAndColumnUntilClickedAgain)
{
    const MatrixGeometry &g = view->geometry();
    const QPoint rowName = pixelAt(QPoint(g.grid.x() - g.nameWidth / 2, g.grid.y() + 2 * g.cell + g.cell / 2));
    const QPoint columnName = pixelAt(QPoint(g.grid.x() + 4 * g.cell + g.cell / 2, g.grid.y() - g.nameWidth / 2));
    click(rowName);
    EXPECT_EQ(view->highlightedRow(), 2);
    click(columnName);
    EXPECT_EQ(view->highlightedRow(), 4);
    click(columnName);
    EXPECT_EQ(view->highlightedRow(), std::nullopt);
    // A cell highlights nothing.
    click(cellCentre(1, 1));
    EXPECT_EQ(view->highlightedRow(), std::nullopt);
}

TEST_F(MatrixViewTest, CtrlWheelZoomsAndCtrlZeroFitsTheWholeMatrix)
{
    EXPECT_EQ(view->zoom(), 1.0);
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    const QPoint middle = view->viewport()->rect().center();
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_DOUBLE_EQ(view->zoom(), 1.25);

    QKeyEvent fit(QEvent::KeyPress, Qt::Key_0, Qt::ControlModifier);
    QApplication::sendEvent(view.get(), &fit);
    EXPECT_LT(view->zoom(), 1.0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    // The hover still finds its cell at the new size.
    const std::vector<int> &order = view->geometry().order;
    EXPECT_EQ(view->hoverText(cellCentre(2, 3)), pairDescription(document, order[2], order[3]));
}

TEST_F(MatrixViewTest, TheBarsSettingsApplyAtTheNextUpdate)
{
    for (const int groups : {2, 5, 1}) {
        document.numberOfGroups = groups;
        document.UpdateAllViews(UpdateHint::Redraw);
        EXPECT_EQ(view->geometry().groupStarts.size(), size_t(groups));
    }
    const int cell = view->geometry().cell;
    document.fontSize *= 2;
    document.UpdateAllViews(UpdateHint::Redraw);
    EXPECT_GT(view->geometry().cell, cell * 3 / 2);
    EXPECT_FALSE(view->grab().isNull());
}

TEST_F(MatrixViewTest, CopyOffersTheMatrixAsSvgAndPngAndNeedsTheMatrix)
{
    ASSERT_TRUE(view->canCopy());
    view->copyToClipboard();
    EXPECT_TRUE(platform.messages().isEmpty());
    const QMimeData *offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    EXPECT_TRUE(QString::fromUtf8(offered->data(u"image/svg+xml"_s)).contains(u"<desc>Similarity Matrix</desc>"_s));
    EXPECT_TRUE(offered->hasFormat(u"image/png"_s));

    document.similarity.reset();
    document.UpdateAllViews(UpdateHint::Redraw);
    EXPECT_FALSE(view->canCopy());
    EXPECT_TRUE(view->hoverText(cellCentre(0, 1)).isEmpty());
    // The window says why it is empty.
    EXPECT_FALSE(view->grab().isNull());
}

} // namespace
