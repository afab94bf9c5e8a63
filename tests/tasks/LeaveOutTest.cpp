// Leaving participants out runs the import engine again on the kept sorts: the analysis
// files must be those of importing the input without those participants' lines.
#include "tasks/LeaveOut.h"
#include "analysis/LeftOut.h"
#include "support/DocumentEdits.h"

#include "analysis/Adequacy.h"
#include "analysis/AnalysisSink.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "formats/CardSortAnalysis.h"
#include "study/ClusterTree.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/DocumentFile.h"
#include "tasks/ImportRun.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <numeric>
#include <random>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

struct Options {
    bool fit = false;
    bool subGroups = false;
    bool expert = false;
    int copies = 1;
};

// A study as its opening lines (items, declared groups, a header) and one block of lines
// per participant.
struct Study {
    QByteArray head;
    std::vector<QByteArray> participants;

    QByteArray without(const std::vector<qint32> &leftOut) const
    {
        QByteArray text = head;
        for (size_t p = 0; p < participants.size(); ++p) {
            if (std::find(leftOut.begin(), leftOut.end(), qint32(p)) == leftOut.end())
                text += participants[p];
        }
        return text;
    }
};

// The five files' texts, each after its kind, so that a difference reads as text.
QStringList fiveFiles(const AnalysisFileNames &names)
{
    QStringList texts;
    for (const QString *path :
         {&names.cardsPath, &names.itemsPath, &names.participantsPath, &names.matrixPath, &names.weightedMatrixPath}) {
        const QByteArray bytes = readBytes(*path);
        texts << path->section(u'-', -1) + u'\n'
                + QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
    }
    return texts;
}

// Imports the file with the options into the document; the test fails when it cannot.
void import(const QString &path, const Options &options, Document &document, ScriptedPlatform &platform,
            const QString &outputFolder = {})
{
    ImportRun run(platform);
    run.setOutputFolder(outputFolder);
    ASSERT_TRUE(run.chooseInput(path));
    StudySummary &s = run.summary();
    s.useFit = options.fit;
    s.useSubGroups = options.subGroups;
    s.useExpert = options.expert;
    s.copiesPerParticipant = options.copies;
    run.setCheckStudyShape(false);
    ASSERT_TRUE(run.checkOptions());
    ASSERT_TRUE(run.finish());
    ASSERT_TRUE(completeImport(document, run));
}

// Declared groups, fit scores, sub-groups, a card placed twice, cards before any group line,
// an empty group, an item line that places nothing and sub-group lines that no card follows:
// the files must come out the same.
const Study raw{"IApple\nIBanana\nICarrot\nIDate\nIEgg\nIFig\nGFruit\nGVeg\n",
                {
                    "P1\nG1\nI1f3\nI2f3\nI4f2\nG2\nI3\nI5f1\nG\nI6\n",
                    "P2\nGSweet things\nS\nI1f2\nI2f1\nS\nI4\nI6f3\nS\nGOther\nI3f1\nI5f2\n",
                    "P3\nG1\nI1\nI2\nI9\nI3\nI4\nI5\nI6\n",
                    "P4\nGa\nI1f1\nGb\nI2f2\nGc\nI3f3\nGd\nI4\nGe\nI5\nI6\nS\n",
                    "P5\nG\nI1f3\nI1f2\nI2\nS\nI3\nG2\nI4\nI5f2\nI6\nG7\n",
                    "P6\nI2\nI3\nGFruit\nI1\nI4\nGVeg\nI5\nI6\n",
                    "PAnn\nS\nG1\nI1\nI6\nG2\nS\nI2\nI3\nS\nI4\nI5\n",
                }};

TEST(LeaveOut, TheFilesAreThoseOfTheInputWithoutTheParticipantsLines)
{
    const struct {
        const char *what;
        Options options;
        std::vector<qint32> leftOut;
    } cases[] = {
        {"fit, sub-groups, two copies and the expert", {true, true, true, 2}, {2, 4}},
        {"no options", {}, {0, 6}},
        {"sub-groups in the input but not used", {true, false, false, 1}, {3}},
        {"the expert and all but two", {false, true, true, 2}, {1, 2, 3, 4}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString input = dir.filePath(u"study.txt"_s);
        writeBytes(input, raw.without({}));
        QDir().mkdir(dir.filePath(u"by-hand"_s));
        const QString byHand = dir.filePath(u"by-hand/study-without.txt"_s);
        writeBytes(byHand, raw.without(c.leftOut));

        ScriptedPlatform platform;
        Document document;
        import(input, c.options, document, platform);
        Document expected;
        import(byHand, c.options, expected, platform);
        platform.clear();

        const AnalysisFileNames files = leftOutFileNames(document, int(c.leftOut.size()));
        EXPECT_EQ(QDir(dir.path()).relativeFilePath(files.cardsPath),
                  u"study-without-%1-Cards.csv"_s.arg(c.leftOut.size()));
        ASSERT_TRUE(analyseAgain(document, c.leftOut, files, platform));
        EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
        EXPECT_EQ(fiveFiles(files), fiveFiles(analysisFileNames(byHand)));

        // The document holds the study of the kept participants, and still every sort.
        EXPECT_EQ(document.study().leftOut, c.leftOut);
        EXPECT_TRUE(document.isModified());
        EXPECT_EQ(document.study().sorts->participants.size(), raw.participants.size());
        EXPECT_EQ(document.study().participantCount, expected.study().participantCount);
        EXPECT_EQ(document.study().totalGroups, expected.study().totalGroups);
        EXPECT_EQ(document.study().summary.lineCount, expected.study().summary.lineCount);
        EXPECT_EQ(document.settings().numberOfGroups, expected.settings().numberOfGroups);
        EXPECT_EQ(document.study().itemAverageFit, expected.study().itemAverageFit);
        EXPECT_EQ(document.study().similarity->matrix.size(), expected.study().similarity->matrix.size());
        EXPECT_TRUE(std::equal(document.study().similarity->matrix.data(),
                               document.study().similarity->matrix.data() + 36,
                               expected.study().similarity->matrix.data()));
        EXPECT_EQ(document.study().similarity->countedParticipants, expected.study().similarity->countedParticipants);

        // Include All brings everybody back, under the input's own names.
        const QStringList everybody = fiveFiles(analysisFileNames(input));
        ASSERT_TRUE(analyseAgain(document, {}, leftOutFileNames(document, 0), platform));
        EXPECT_TRUE(document.study().leftOut.empty());
        EXPECT_EQ(fiveFiles(analysisFileNames(input)), everybody);
        Document whole;
        import(input, c.options, whole, platform);
        EXPECT_EQ(document.study().summary.lineCount, whole.study().summary.lineCount);
        EXPECT_EQ(document.study().summary.groupCount, whole.study().summary.groupCount);
        EXPECT_EQ(document.study().summary.participantCount, whole.study().summary.participantCount);
    }
}

// Resampling draws from the participants the study keeps: once some are left out, its figures
// are those of the study imported without them, and the figures of before are dropped.
TEST(LeaveOut, ResamplingDrawsOnlyTheKeptParticipants)
{
    const std::vector<qint32> leftOut{1, 4};
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.txt"_s);
    writeBytes(input, raw.without({}));
    const QString byHand = dir.filePath(u"without.txt"_s);
    writeBytes(byHand, raw.without(leftOut));
    const Options options{true, true, true, 2};
    ScriptedPlatform platform;
    Document document;
    import(input, options, document, platform);
    Document expected;
    import(byHand, options, expected, platform);

    document.setTreeSupport(computeTreeSupport(document.study(), 20, 5, {}));
    document.setAdequacy(computeAdequacy(document.study(), 10, 5, {}));
    ASSERT_TRUE(document.treeSupport() && document.adequacy());
    ASSERT_TRUE(analyseAgain(document, leftOut, leftOutFileNames(document, 2), platform));
    EXPECT_FALSE(document.treeSupport() || document.adequacy());
    EXPECT_EQ(computeTreeSupport(document.study(), 20, 5, {}), computeTreeSupport(expected.study(), 20, 5, {}));
    EXPECT_EQ(computeAdequacy(document.study(), 10, 5, {}), computeAdequacy(expected.study(), 10, 5, {}));
}

TEST(LeaveOut, ATableGivesTheFilesOfTheTableWithoutTheParticipantsRows)
{
    const Study table{
        "Participant,Card,Category\n",
        {"ann,Apple,Fruit\nann,Banana,Fruit\nann,Carrot,Veg\n", "bob,Apple,Red\nbob,Carrot,Red\nbob,Banana,Long\n",
         "cy,Banana,Fruit\ncy,Apple,fruit\ncy,Carrot,Veg\n", "dee,Apple,X\ndee,Banana,X\ndee,Carrot,X\n"}};
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.csv"_s);
    writeBytes(input, table.without({}));
    QDir().mkdir(dir.filePath(u"by-hand"_s));
    const QString byHand = dir.filePath(u"by-hand/study.csv"_s);
    writeBytes(byHand, table.without({1}));
    ScriptedPlatform platform;
    Document document;
    import(input, {}, document, platform);
    Document expected;
    import(byHand, {}, expected, platform);
    const AnalysisFileNames files = leftOutFileNames(document, 1);
    ASSERT_TRUE(analyseAgain(document, {1}, files, platform));
    EXPECT_EQ(fiveFiles(files), fiveFiles(analysisFileNames(byHand)));
}

TEST(LeaveOut, WhatCannotBeLeftOutIsRefusedAndTheDocumentStaysAsItWas)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.txt"_s);
    writeBytes(input, raw.without({}));
    ScriptedPlatform platform;
    Document document;
    import(input, {false, false, true, 1}, document, platform);
    document.setModified(false);
    const struct {
        std::vector<qint32> leftOut;
        QString message;
    } cases[] = {
        {{0, 3}, u"The expert cannot be left out."_s},
        {{1, 2, 3, 4, 5, 6}, u"Nobody would be left to analyse."_s},
        {{7}, u"The participants to leave out are not participants of this study."_s},
        {{3, 2}, u"The participants to leave out are not participants of this study."_s},
        {{2, 2}, u"The participants to leave out are not participants of this study."_s},
    };
    const std::shared_ptr<const ClusterTree> tree = document.study().clusterTree;
    for (const auto &c : cases) {
        EXPECT_EQ(leaveOutError(document.study(), c.leftOut), c.message);
        platform.clear();
        EXPECT_FALSE(analyseAgain(document, c.leftOut, leftOutFileNames(document, 1), platform));
        EXPECT_EQ(platform.texts(), QStringList{c.message});
    }
    EXPECT_EQ(leaveOutError(document.study(), {1, 2}), std::nullopt);

    // A failed write leaves the document as it was, and no file of the run behind.
    platform.clear();
    AnalysisFileNames files = leftOutFileNames(document, 1);
    files.itemsPath = dir.filePath(u"missing/folder/items.csv"_s);
    EXPECT_FALSE(analyseAgain(document, {2}, files, platform));
    EXPECT_FALSE(platform.messages().isEmpty());
    EXPECT_EQ(document.study().clusterTree, tree);
    EXPECT_TRUE(document.study().leftOut.empty());
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(filesIn(dir.path()).filter(u"without"_s), QStringList{});

    const QString sortsMissing =
        u"This document was saved without the participants' sorts. Import the study again to add them."_s;
    EXPECT_EQ(leaveOutError(sortana::Study{}, {}), sortsMissing);
    Document empty;
    platform.clear();
    EXPECT_FALSE(analyseAgain(empty, {}, files, platform));
    EXPECT_EQ(platform.texts(), QStringList{sortsMissing});
}

TEST(LeaveOut, TheFilesAreNamedAfterTheInputBesideIt)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"study.v2.txt"_s), raw.without({}));
    ScriptedPlatform platform;
    Document document;
    import(dir.filePath(u"study.v2.txt"_s), {}, document, platform);
    const AnalysisFileNames three = leftOutFileNames(document, 3);
    EXPECT_EQ(three.inputPath, dir.filePath(u"study.v2.txt"_s));
    EXPECT_EQ(three.cardsPath, dir.filePath(u"study.v2-without-3-Cards.csv"_s));
    EXPECT_EQ(three.weightedMatrixPath, dir.filePath(u"study.v2-without-3-WeightedMatrix.csv"_s));
    EXPECT_EQ(leftOutFileNames(document, 0).itemsPath, dir.filePath(u"study.v2-Items.csv"_s));
    // A document saved elsewhere, by a program that did not keep the analysis files' folder,
    // whose input was named from the folder of the import.
    document.analysisFolder.clear();
    editStudy(document, [&](sortana::Study &s) { s.summary.fileName = u"study.v2.txt"_s; });
    document.pathName = u"/somewhere/else/study.klus"_s;
    EXPECT_EQ(leftOutFileNames(document, 1).participantsPath, u"/somewhere/else/study.v2-without-1-Participants.csv"_s);
}

// The folder chosen for the import's files is kept with the document: Analyse Again and
// Include All write there, until the folder is gone.
TEST(LeaveOut, TheFilesGoWhereTheLastAnalysisWroteItsOwn)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"input"_s);
    QDir(dir.path()).mkpath(u"out"_s);
    const QString input = dir.filePath(u"input/study.txt"_s);
    writeBytes(input, raw.without({}));
    const QString out = dir.filePath(u"out"_s);
    ScriptedPlatform platform;
    Document document;
    import(input, {}, document, platform, out);
    platform.clear(); // the study's own warnings
    EXPECT_EQ(document.analysisFolder, out);

    const AnalysisFileNames two = leftOutFileNames(document, 2);
    EXPECT_EQ(two.cardsPath, dir.filePath(u"out/study-without-2-Cards.csv"_s));
    EXPECT_EQ(two.inputPath, input);
    ASSERT_TRUE(analyseAgain(document, {1, 3}, two, platform));
    EXPECT_TRUE(QFileInfo::exists(two.weightedMatrixPath));
    const AnalysisFileNames everybody = leftOutFileNames(document, 0);
    EXPECT_EQ(everybody.itemsPath, dir.filePath(u"out/study-Items.csv"_s));

    // Files named elsewhere in the dialog move the folder there.
    QDir(dir.path()).mkpath(u"chosen"_s);
    AnalysisFileNames chosen = analysisFileNames(dir.filePath(u"chosen/all.csv"_s));
    chosen.inputPath = input;
    ASSERT_TRUE(analyseAgain(document, {}, chosen, platform));
    EXPECT_EQ(document.analysisFolder, dir.filePath(u"chosen"_s));

    // The folder goes with the document; once it is gone, the files go beside the input.
    const QString saved = dir.filePath(u"study.klus"_s);
    ASSERT_TRUE(saveDocumentFile(document, saved, platform));
    Document loaded;
    ASSERT_TRUE(openDocumentFile(loaded, saved, platform));
    EXPECT_EQ(leftOutFileNames(loaded, 1).cardsPath, dir.filePath(u"chosen/study-without-1-Cards.csv"_s));
    ASSERT_TRUE(QDir(dir.filePath(u"chosen"_s)).removeRecursively());
    EXPECT_EQ(leftOutFileNames(loaded, 1).cardsPath, dir.filePath(u"input/study-without-1-Cards.csv"_s));
    EXPECT_EQ(leftOutFileNames(loaded, 0).cardsPath, dir.filePath(u"input/study-Cards.csv"_s));

    // A document from before the folder was kept has no such section, and saves without it.
    loaded.analysisFolder.clear();
    ArchiveWriter older;
    loaded.serialize(older);
    writeBytes(saved, older.bytes());
    Document old;
    ASSERT_TRUE(openDocumentFile(old, saved, platform));
    EXPECT_TRUE(old.analysisFolder.isEmpty());
    EXPECT_EQ(leftOutFileNames(old, 2).cardsPath, dir.filePath(u"input/study-without-2-Cards.csv"_s));
    ArchiveWriter again;
    old.serialize(again);
    EXPECT_EQ(again.bytes(), older.bytes());
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
}

// Cards sorted by every participant into ten groups at random.
QByteArray randomStudy(int cards, int participants)
{
    std::mt19937 random(35);
    QByteArray text;
    for (int card = 1; card <= cards; ++card)
        text += "ICard " + QByteArray::number(card) + '\n';
    std::vector<int> order(static_cast<size_t>(cards));
    std::iota(order.begin(), order.end(), 1);
    for (int p = 1; p <= participants; ++p) {
        text += 'P' + QByteArray::number(p) + '\n';
        std::shuffle(order.begin(), order.end(), random);
        for (int k = 0; k < cards; ++k)
            text += (k % (cards / 10) == 0 ? "G\nI" : "I") + QByteArray::number(order[size_t(k)]) + '\n';
    }
    return text;
}

// Every Analyse Again takes a new tree, and the one it replaces goes: nothing of the earlier
// trees stays behind, however often the user analyses again. The engine a workbook export
// runs on the kept sorts leaves no tree behind either.
TEST(LeaveOut, AnalysingAgainKeepsOnlyTheCurrentTree)
{
    const int cards = 200;
    const int participants = 12;
    QTemporaryDir dir;
    const QString input = dir.filePath(u"study.txt"_s);
    writeBytes(input, randomStudy(cards, participants));
    ScriptedPlatform platform;
    Document document;
    const std::size_t nodesBefore = ClusterTree::liveNodes();
    import(input, {}, document, platform);
    ASSERT_EQ(ClusterTree::liveNodes() - nodesBefore, std::size_t(cards - 1));

    [[maybe_unused]] qint64 heapAtRound10 = 0;
    for (int round = 1; round <= 200; ++round) {
        ASSERT_TRUE(analyseAgain(document, {round % participants}, leftOutFileNames(document, 1), platform));
        ASSERT_EQ(ClusterTree::liveNodes() - nodesBefore, std::size_t(cards - 1)) << "round " << round;
        if (round == 10)
            heapAtRound10 = qint64(mallinfo2().uordblks);
    }
#ifndef SORTANA_SANITIZED
    // The sanitizers' allocator keeps its own books, which mallinfo2() does not see.
    EXPECT_LT(qint64(mallinfo2().uordblks) - heapAtRound10, qint64(1) << 20);
#endif

    // The workbook's run of the engine over the kept study.
    struct : AnalysisSink {
        void write(AnalysisFile, const AnalysisRow &) override {}
    } discard;
    ASSERT_TRUE(analyseKept(document.study(), discard, platform));
    EXPECT_EQ(ClusterTree::liveNodes() - nodesBefore, std::size_t(cards - 1));
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
}

TEST(LeaveOut, WhoIsLeftOutIsSaidWithTheirPlaceInTheFile)
{
    sortana::Study study;
    EXPECT_EQ(leftOutText(study), QString());
    study.sorts.emplace();
    for (const char *id : {"P1", "P2", "P2", "Ann"})
        study.sorts->participants.push_back({QString::fromLatin1(id), true, {}});
    study.leftOut = {2, 3};
    EXPECT_EQ(leftOutText(study), u"2 of 4: P2 (#3), Ann (#4)"_s);
}

} // namespace
