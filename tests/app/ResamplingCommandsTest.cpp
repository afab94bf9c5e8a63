#include "app/ResamplingCommands.h"
#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "support/DocumentEdits.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <new>
#include <random>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

// Forty cards in five topics sorted by sixty participants, each of whom moves a few cards
// to another pile: enough work that a run of thousands of replicates is still going when
// the first events are handled.
QByteArray topicStudy()
{
    constexpr int cards = 40;
    constexpr int topics = 5;
    std::mt19937_64 generator(3);
    QByteArray study;
    for (int card = 1; card <= cards; ++card)
        study += "ICard " + QByteArray::number(card) + '\n';
    for (int p = 1; p <= 60; ++p) {
        study += 'P' + QByteArray::number(p) + '\n';
        std::vector<QByteArray> piles(topics);
        for (int card = 1; card <= cards; ++card) {
            const bool moved = generator() % 5 == 0;
            const int pile = moved ? int(generator() % topics) : (card - 1) % topics;
            piles[std::size_t(pile)] += 'I' + QByteArray::number(card) + '\n';
        }
        for (const QByteArray &pile : piles) {
            if (!pile.isEmpty())
                study += "G\n" + pile;
        }
    }
    return study;
}

class ResamplingCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(test::importDocument(topicStudy(), document)); }

    // Clicks Cancel on the progress dialog as soon as the run's event loop turns.
    void cancelSoon()
    {
        QTimer::singleShot(0, &window, [this] {
            auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("resamplingProgress"));
            ASSERT_NE(progress, nullptr);
            QPushButton *cancel = progress->findChild<QPushButton *>();
            ASSERT_NE(cancel, nullptr);
            cancel->click();
        });
    }

    Document document;
    ScriptedPlatform platform;
    QWidget window;
};

TEST_F(ResamplingCommands, CancelKeepsTheEarlierResults)
{
    TreeSupport earlierSupport;
    earlierSupport.seed = 7;
    earlierSupport.replicates = 10;
    earlierSupport.joinSupport.assign(39, 50.0);
    Adequacy earlierAdequacy;
    earlierAdequacy.seed = 7;
    earlierAdequacy.subsets = 10;
    document.setTreeSupport(earlierSupport);
    document.setAdequacy(earlierAdequacy);
    document.setModified(false);

    cancelSoon();
    EXPECT_FALSE(checkStability(document, {mostResamplingCount, 3}, platform, &window));
    cancelSoon();
    EXPECT_FALSE(checkEnoughParticipants(document, {mostResamplingCount, 3}, platform, &window));

    EXPECT_EQ(document.treeSupport(), earlierSupport);
    EXPECT_EQ(document.adequacy(), earlierAdequacy);
    EXPECT_FALSE(document.settings().showJoinSupport);
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(ResamplingCommands, AFinishedRunIsKeptShownAndMarksTheDocument)
{
    document.setModified(false);
    ASSERT_TRUE(checkStability(document, {20, 5}, platform, &window));
    ASSERT_TRUE(document.treeSupport());
    EXPECT_EQ(document.treeSupport(), computeTreeSupport(document.study(), 20, 5, {}));
    EXPECT_TRUE(document.settings().showJoinSupport);
    EXPECT_TRUE(document.isModified());

    ASSERT_TRUE(checkEnoughParticipants(document, {10, 5}, platform, &window));
    EXPECT_EQ(document.adequacy(), computeAdequacy(document.study(), 10, 5, {}));
}

TEST_F(ResamplingCommands, AStudyWithoutItsSortsIsRefusedWithAReason)
{
    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    EXPECT_FALSE(checkStability(document, {20, 5}, platform, &window));
    EXPECT_FALSE(document.treeSupport());
    ASSERT_EQ(platform.messages().size(), 1);
    EXPECT_EQ(platform.messages().front().text, resamplingProblem(document.study()));
}

// A job that gives no result, or runs out of memory on its thread, fails the run and
// leaves the program running.
TEST_F(ResamplingCommands, AJobWithoutAResultFailsTheRun)
{
    const std::function<bool(const Progress &)> jobs[] = {
        [](const Progress &) { return false; },
        [](const Progress &) -> bool { throw std::bad_alloc(); },
    };
    for (const auto &job : jobs)
        EXPECT_EQ(runWithProgress(&window, u"Run"_s, u"Running"_s, job), RunOutcome::Failed);
    EXPECT_EQ(runWithProgress(&window, u"Run"_s, u"Running"_s, [](const Progress &) { return true; }),
              RunOutcome::Finished);
}

} // namespace
