#include "document/Document.h"
#include "support/DocumentEdits.h"
#include "support/RecordingView.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
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

TEST(completeImport, TheDocumentTakesTheStudyAndIsNamedAfterTheInput)
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

        Document document;
        setSetting(document, &Settings::fontSize, 20);
        RecordingView view{document};
        ASSERT_TRUE(completeImport(document, run));
        EXPECT_TRUE(platform.messages().isEmpty());
        EXPECT_EQ(document.settings().numberOfGroups, expectedGroups);
        EXPECT_EQ(document.study().totalGroups, std::accumulate(groups.begin(), groups.end(), 0));
        EXPECT_EQ(document.study().participantCount, int(groups.size()));
        EXPECT_EQ(document.study().itemCount, 2);
        EXPECT_EQ(document.study().itemNames, (QStringList{u"A"_s, u"B"_s}));
        ASSERT_NE(document.clusterRoot(), nullptr);
        EXPECT_EQ(run.clusterAnalysis().root(), nullptr);
        EXPECT_EQ(document.study().summary.fileName, input);
        EXPECT_EQ(document.study().itemAverageFit.size(), 2u);
        EXPECT_EQ(document.settings().fontSize, 20);
        EXPECT_TRUE(document.isModified());
        EXPECT_EQ(document.title, u"Card Sort.Data"_s);
        EXPECT_EQ(document.pathName, dir.filePath(u"Card Sort.Data.klus"_s));
        EXPECT_FALSE(QFileInfo::exists(document.pathName));
        EXPECT_EQ(view.hints, std::vector<Emitted>{Emitted::Study});
    }
}

TEST(completeImport, InAnotherFolderTheAnalysisFilesAndTheDocumentGoThere)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.txt"_s);
    writeBytes(input, studyWithGroups({2, 3}));
    const QString other = dir.filePath(u"analysis"_s);
    ASSERT_TRUE(QDir().mkdir(other));
    ScriptedPlatform platform;
    ImportRun run(platform);
    run.setOutputFolder(other);
    ASSERT_TRUE(run.chooseInput(input));
    ASSERT_TRUE(run.finish());
    Document document;
    ASSERT_TRUE(completeImport(document, run));
    EXPECT_EQ(document.pathName, QDir(other).filePath(u"study.klus"_s));
    EXPECT_EQ(filesIn(other),
              (QStringList{u"study-Cards.csv"_s, u"study-Items.csv"_s, u"study-Matrix.csv"_s,
                           u"study-Participants.csv"_s, u"study-WeightedMatrix.csv"_s}));
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"study.txt"_s});
}

TEST(completeImport, NewDocumentDefaults)
{
    const Document document;
    EXPECT_FALSE(document.hasStudy());
    EXPECT_EQ(document.settings().fontName, u"Arial"_s);
    EXPECT_EQ(document.settings().fontSize, 12);
    EXPECT_EQ(document.settings().numberOfGroups, 2);
    EXPECT_EQ(document.settings().colour1, 0xFFFFFFu);
    EXPECT_EQ(document.settings().colour2, 0xFFFFFFu);
    EXPECT_EQ(document.drawingSize, (DrawingSize{15000, 10000}));
}

// The import run as the wizard and the command line drive it: a run that does not finish
// leaves the earlier analysis files as they were and nothing of its own.
class RefusedRun : public ::testing::Test {
protected:
    RefusedRun()
    {
        writeBytes(input, "IA\nIB\nP1\nG\nI1\nI2\nI2\n");
        for (const QString &suffix : {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s})
            writeBytes(dir.filePath(u"study-"_s + suffix + u".csv"_s), "earlier");
        before = filesIn(dir.path());
    }
    bool finish()
    {
        EXPECT_TRUE(run.chooseInput(input));
        EXPECT_TRUE(run.checkOptions());
        return run.finish();
    }
    void expectEarlierFilesKept()
    {
        EXPECT_EQ(filesIn(dir.path()), before);
        for (const QString &name : before) {
            if (name != u"study.txt"_s) {
                EXPECT_EQ(readBytes(dir.filePath(name)), "earlier") << name.toStdString();
            }
        }
    }
    QTemporaryDir dir;
    QString input = dir.filePath(u"study.txt"_s);
    QStringList before;
    ScriptedPlatform platform;
    ImportRun run{platform};
};

TEST_F(RefusedRun, CancelAtAWarning)
{
    platform.script({MessageAnswer::Cancel});
    EXPECT_FALSE(finish());
    EXPECT_EQ(platform.texts(), QStringList{u"Warning - duplicate item found at line 7 (participant id P1)"_s});
    expectEarlierFilesKept();
}

TEST_F(RefusedRun, AStudyThatCannotFitInMemory)
{
    // Two items need little more than the program itself: 32 MiB, 192 bytes for the
    // matrices and the input held in memory.
    const qint64 need = (32 << 20) + 192 + QFileInfo(input).size();
    platform.setMemoryBudget(need - 1);
    EXPECT_FALSE(finish());
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - not enough memory for 2 items\n"
                          u"The analysis needs about 33.6 MB of memory"_s});
    expectEarlierFilesKept();

    platform.clear();
    platform.setMemoryBudget(need);
    ASSERT_TRUE(run.finish());
    EXPECT_TRUE(run.exportAnalysisFiles());
}

TEST_F(RefusedRun, AnotherImportIntoTheSameFolder)
{
    QLockFile other(dir.filePath(u".study-Cards.csv.lock"_s));
    ASSERT_TRUE(other.tryLock(0));
    EXPECT_FALSE(finish());
    EXPECT_EQ(platform.texts(),
              QStringList{u"Another import is writing the analysis files of "_s + input
                          + u"\nTry again when it has finished"_s});
    other.unlock();
    expectEarlierFilesKept();

    // The run holds the lock from the read to the last file, and leaves no lock file behind.
    platform.clear();
    ASSERT_TRUE(run.finish());
    EXPECT_FALSE(QLockFile(dir.filePath(u".study-Cards.csv.lock"_s)).tryLock(0));
    EXPECT_TRUE(run.exportAnalysisFiles());
    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_NE(readBytes(dir.filePath(u"study-Cards.csv"_s)), "earlier");
}

} // namespace
