#include "document/CSortanaMdiDoc.h"
#include "document/DocumentLinks.h"
#include "document/ImportRun.h"
#include "platform/ScriptedPlatform.h"
#include "support/RecordingBar.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <numeric>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Participants that made the given numbers of groups of the two items.
QByteArray studyWithGroups(const std::vector<int> &groupsPerParticipant)
{
    QByteArray study = "IA\nIB\n";
    int participant = 0;
    for (const int groups : groupsPerParticipant) {
        study += "P" + QByteArray::number(++participant) + "\nG\nI1\nI2\n";
        for (int g = 1; g < groups; ++g)
            study += "G\nI1\n";
    }
    return study;
}

struct RecordingView : DocumentView {
    void OnUpdate(int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

TEST(CompleteImport, TheDocumentTakesTheStudyAndIsNamedAfterTheInput)
{
    const std::pair<std::vector<int>, int> cases[] = {{{5, 6, 8}, 6}, {{3, 4}, 4}, {{1, 1, 2}, 1}};
    for (const auto &[groups, expectedGroups] : cases) {
        QTemporaryDir dir;
        const QString input = dir.filePath(u"Card Sort.Data.TXT"_s);
        writeBytes(input, studyWithGroups(groups));
        ScriptedPlatform platform;
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        ASSERT_TRUE(run.checkOptions());
        ASSERT_TRUE(run.finish());

        CSortanaMdiDoc document;
        RecordingView view;
        document.addView(&view);
        document.fontSize = 20;
        ASSERT_TRUE(document.CompleteImport(run));
        EXPECT_TRUE(platform.messages().isEmpty());
        EXPECT_EQ(document.numberOfGroups, expectedGroups);
        EXPECT_EQ(document.totalGroups, std::accumulate(groups.begin(), groups.end(), 0));
        EXPECT_EQ(document.participantCount, int(groups.size()));
        EXPECT_EQ(document.itemCount, 2);
        EXPECT_EQ(*document.itemNames, (QStringList{u"A"_s, u"B"_s}));
        ASSERT_NE(document.clusterRoot, nullptr);
        EXPECT_EQ(run.clusterAnalysis().root, nullptr);
        EXPECT_EQ(document.summary->fileName, input);
        EXPECT_EQ(document.itemAverageFit->size(), 2u);
        EXPECT_EQ(document.fontSize, 20);
        EXPECT_TRUE(document.IsModified());
        EXPECT_EQ(document.title, u"Card Sort.Data"_s);
        EXPECT_EQ(document.pathName, dir.filePath(u"Card Sort.Data.klus"_s));
        EXPECT_FALSE(QFileInfo::exists(document.pathName));
        EXPECT_EQ(view.hints, std::vector<int>{1});
    }
}

TEST(CompleteImport, TheDialogBarFollowsTheDocument)
{
    CSortanaMdiDoc document;
    document.AttachDialogBar();
    EXPECT_EQ(document.dialogBar, nullptr);

    RecordingBar bar;
    CurrentDialogBar = &bar;
    document.AttachDialogBar();
    EXPECT_EQ(bar.shown, &document);
    EXPECT_EQ(bar.loads, 1);
    // Closing another document leaves the bar on the one it shows.
    CSortanaMdiDoc other;
    other.AttachDialogBar();
    document.OnCloseDocument();
    EXPECT_EQ(bar.shown, &other);
    other.OnCloseDocument();
    EXPECT_EQ(bar.shown, nullptr);
    CurrentDialogBar = nullptr;
}

TEST(CompleteImport, NewDocumentDefaults)
{
    const CSortanaMdiDoc document;
    EXPECT_FALSE(document.hasStudy());
    EXPECT_EQ(document.fontName, u"Arial"_s);
    EXPECT_EQ(document.fontSize, 12);
    EXPECT_EQ(document.numberOfGroups, 2);
    EXPECT_EQ(document.colour1, 0xFFFFFFu);
    EXPECT_EQ(document.colour2, 0xFFFFFFu);
    EXPECT_EQ(document.drawingSize, (DrawingSize{15000, 10000}));
}

} // namespace
