#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <QDir>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

using Reader = StudyFixture;

const QByteArray workedExample = "IApple\r\nIBanana\r\nICarrot\r\nGFruit\r\nP7\r\nG1\r\nI1f3\r\nI2f1\r\nS\r\nI3\r\n"
                                 "G\r\nI2\r\nPAnna\r\nG1\r\nI1\r\nI3f2\r\n";

TEST_F(Reader, WorkedExample)
{
    ASSERT_TRUE(surveyText(workedExample));
    EXPECT_TRUE(summary.useFit);
    EXPECT_TRUE(summary.useSubGroups);
    ASSERT_EQ(read(), 3);
    EXPECT_TRUE(platform.messages().isEmpty());
    EXPECT_EQ(summary.weightedScale(), 4.0);

    // Counts above the diagonal, weighted scores below it.
    EXPECT_EQ(cell(0, 1), 1);
    EXPECT_EQ(cell(1, 0), 8);
    EXPECT_EQ(cell(0, 2), 2);
    EXPECT_EQ(cell(2, 0), 6 + 10);
    EXPECT_EQ(cell(1, 2), 1);
    EXPECT_EQ(cell(2, 1), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cell(i, i), 0);

    const std::vector<ParticipantRecord> participants = {
        {u"P7"_s, 2, 4, 3, 10},
        {u"Anna"_s, 1, 2, 1, 5},
    };
    EXPECT_EQ(analysis.participants, participants);
    // Banana's lone card in the second group is taken back out of its totals.
    const std::vector<ItemPlacement> placements = {{2, 6}, {1, 1}, {2, 5}};
    EXPECT_EQ(analysis.itemPlacements, placements);
    EXPECT_EQ(analysis.itemNames, (QStringList{u"Apple"_s, u"Banana"_s, u"Carrot"_s}));
    EXPECT_EQ(analysis.groupNames, QStringList{u"Fruit"_s});

    EXPECT_EQ(cards(),
              u"P7\r\n\t\"Fruit\"\r\n\t\t\"Apple\"\r\n\t\t\"Banana\"\r\n\t\t\"---\"\r\n\t\t\"Carrot\"\r\n"
              u"\t\"-----\"\r\n\t\t\"Banana\"\r\n"
              u"Anna\r\n\t\"Fruit\"\r\n\t\t\"Apple\"\r\n\t\t\"Carrot\"\r\n"_s);
}

TEST_F(Reader, SuccessfulReadLeavesEveryFileOpenForTheExport)
{
    ASSERT_TRUE(surveyText(workedExample));
    ASSERT_EQ(read(), 3);
    for (const TextFile *file : {&analysis.inputFile, &analysis.cardsFile, &analysis.itemsFile,
                                 &analysis.participantsFile, &analysis.matrixFile, &analysis.weightedMatrixFile})
        EXPECT_TRUE(file->isOpen());
    analysis.closeFiles();
    EXPECT_FALSE(analysis.inputFile.isOpen());
}

TEST_F(Reader, PairWeightsFollowTheOptions)
{
    // Item 1 and 2 share a sub-group; 3 is behind a sub-group line.
    const QByteArray study = "IA\nIB\nIC\nP1\nG\nI1f2\nI2\nS\nI3f1\n";
    struct Case {
        bool useFit, useSubGroups;
        int copies;
        int ab, ac, bc;
        double scoreScale;
    };
    const Case cases[] = {
        {false, false, 1, 1, 1, 1, 1.0},
        {false, true, 1, 2, 1, 1, 2.0},
        {true, false, 1, 5, 3, 4, 2.0},
        {true, true, 2, 10, 3, 4, 8.0},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(surveyText(study));
        summary.useFit = c.useFit;
        summary.useSubGroups = c.useSubGroups;
        summary.copiesPerParticipant = c.copies;
        ASSERT_EQ(read(), 3);
        EXPECT_EQ(cell(1, 0), c.ab);
        EXPECT_EQ(cell(2, 0), c.ac);
        EXPECT_EQ(cell(2, 1), c.bc);
        EXPECT_EQ(summary.weightedScale(), c.scoreScale);
        analysis.closeFiles();
    }
}

TEST_F(Reader, FitScoresZeroAndAboveThree)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1f9\nI2f0\n"));
    summary.useFit = true;
    ASSERT_EQ(read(), 2);
    EXPECT_EQ(platform.texts(), QStringList{u"Warning - invalid data ignored at line 6 (participant id P1)"_s});
    EXPECT_EQ(analysis.participants.front().fitTotal, 9);

    platform.clear();
    summary.useFit = false;
    ASSERT_EQ(read(), 2);
    EXPECT_TRUE(platform.messages().isEmpty());
    EXPECT_EQ(cell(1, 0), 1);
}

TEST_F(Reader, TwoCopiesMakeARepeatedCardAPairButNoCell)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI1\nI2\n"));
    summary.copiesPerParticipant = 2;
    ASSERT_EQ(read(), 2);
    EXPECT_TRUE(platform.messages().isEmpty());
    EXPECT_EQ(cell(0, 1), 2);
    EXPECT_EQ(cell(0, 0), 0);
    EXPECT_EQ(analysis.participants.front().pairs, 3);
    EXPECT_EQ(analysis.itemPlacements[0].placements, 2);
}

TEST_F(Reader, OneCopyWarnsOncePerRepeatingLine)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI1\nI1\nI2\n"));
    ASSERT_EQ(read(), 2);
    // Line 7 repeats a card the group holds twice already: still one warning.
    EXPECT_EQ(platform.texts(),
              (QStringList{u"Warning - duplicate item found at line 6 (participant id P1)"_s,
                           u"Warning - duplicate item found at line 7 (participant id P1)"_s}));
    // The later card pairs with every copy, and the duplicates are no pairs of their own.
    EXPECT_EQ(cell(0, 1), 3);
    EXPECT_EQ(analysis.participants.front().pairs, 3);
}

TEST_F(Reader, ExpertIsHeldApart)
{
    ASSERT_TRUE(surveyText("IA\nIB\nIC\nPExpert\nG\nI1\nI2\nG\nI3\nP2\nG\nI2\nI3\nG\nI1\n"));
    summary.useExpert = true;
    ASSERT_EQ(read(), 3);
    EXPECT_EQ(analysis.expertMatrix.at(0, 1), 1);
    EXPECT_EQ(cell(0, 1), 0);
    EXPECT_EQ(cell(1, 2), 1);
    EXPECT_EQ(analysis.participants.size(), 2u);
    EXPECT_EQ(analysis.participants.front().id, u"Expert"_s);
    // Neither the expert's cards nor the lone cards of anyone count as placements.
    const std::vector<ItemPlacement> placements = {{0, 0}, {1, 1}, {1, 1}};
    EXPECT_EQ(analysis.itemPlacements, placements);
    // Without fit the mean is placements over card sets of the counted participants.
    summary.participantCount = 2;
    EXPECT_EQ(analysis.itemMeanScores(), (std::vector<double>{0.0, 1.0, 1.0}));
}

TEST_F(Reader, KindsInEitherCaseAndOtherLinesIgnored)
{
    ASSERT_TRUE(surveyText("ia\nIb\ngDeclared\np1\ng1\nx I2\n# G2\n G1\ni1\n\ns\nI2\nzz\n"));
    ASSERT_EQ(read(), 2);
    EXPECT_TRUE(platform.messages().isEmpty());
    EXPECT_EQ(cards(), u"P1\r\n\t\"Declared\"\r\n\t\t\"a\"\r\n\t\t\"---\"\r\n\t\t\"b\"\r\n"_s);
}

TEST_F(Reader, LinesBeforeTheFirstGroupFormAnUncountedGroup)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nI1\nI2\nG\nI1\n"));
    platform.script({MessageAnswer::Ok});
    ASSERT_EQ(read(), 2);
    EXPECT_EQ(platform.texts(), QStringList{u"Warning - missing group record at line 4 (participant id P1)"_s});
    EXPECT_EQ(cell(0, 1), 1);
    EXPECT_EQ(analysis.participants.front().groups, 1);
    EXPECT_EQ(analysis.participants.front().items, 3);
}

TEST_F(Reader, SecondReadStartsAfresh)
{
    const QByteArray study = "IA\nIB\nGOne\nPFirst\nG2\nI1\nI1\nI2\nPSecond\nG\nI2\nI1\n";
    ASSERT_TRUE(surveyText(study));
    platform.script({MessageAnswer::Cancel});
    ASSERT_EQ(read(), 0);
    for (const TextFile *file : {&analysis.inputFile, &analysis.cardsFile, &analysis.weightedMatrixFile})
        EXPECT_FALSE(file->isOpen());

    platform.clear();
    summary.copiesPerParticipant = 2;
    ASSERT_EQ(read(), 2);
    EXPECT_TRUE(platform.messages().isEmpty());
    EXPECT_EQ(analysis.participants.size(), 2u);
    EXPECT_EQ(analysis.groupNames, QStringList{u"One"_s});
    EXPECT_EQ(analysis.itemNames.size(), 2);
    EXPECT_EQ(cell(0, 1), 3);
    // Group 2 lies beyond the one declared name, also on the second read.
    EXPECT_TRUE(cards().startsWith(u"First\r\n\t\"G2\"\r\n"_s));
}

TEST_F(Reader, SubGroupBeforeTheFirstParticipantEndsNobody)
{
    ASSERT_TRUE(surveyText("IA\nIB\nS\nP1\nG\nI1\nI2\nP2\nG\nI1\nI2\n"));
    ASSERT_EQ(read(), 2);
    ASSERT_EQ(analysis.participants.size(), 2u);
    EXPECT_EQ(analysis.participants[0], (ParticipantRecord{u"P1"_s, 1, 2, 1, 2}));
    EXPECT_EQ(analysis.participants[1].id, u"P2"_s);
    EXPECT_EQ(
        cards(),
        u"\t\t\"---\"\r\nP1\r\n\t\"-----\"\r\n\t\t\"A\"\r\n\t\t\"B\"\r\nP2\r\n\t\"-----\"\r\n\t\t\"A\"\r\n\t\t\"B\"\r\n"_s);
}

TEST_F(Reader, Utf16InputAndLastLineWithoutLineFeed)
{
    writeBytes(path(u"wide.txt"_s), utf16LeWithMark(u"IÄpfel\r\nIBirne\r\nP1\r\nG\r\nI1\r\nI2"_s));
    summary.fileName = path(u"wide.txt"_s);
    ASSERT_TRUE(analysis.surveyInputFile());
    analysis.setInputFileName(summary.fileName);
    presetOptions();
    ASSERT_EQ(read(), 2);
    EXPECT_EQ(cell(0, 1), 1);
    EXPECT_EQ(cards(), u"P1\r\n\t\"-----\"\r\n\t\t\"Äpfel\"\r\n\t\t\"Birne\"\r\n"_s);
}

TEST_F(Reader, PathsLongerThanTheOldLimitWork)
{
    QString folder = dir.path();
    while (folder.size() < 400)
        folder += u"/a-rather-long-folder-name-for-a-study"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n", folder.sliced(dir.path().size() + 1) + u"/study.txt"_s));
    EXPECT_EQ(read(), 2);
}

} // namespace
