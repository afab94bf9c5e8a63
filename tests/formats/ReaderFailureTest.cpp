#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

using ReaderFailure = StudyFixture;

struct WarningCase {
    const char *study;
    QString message;
};

// Every data warning: OK goes on to the end of the file, Cancel stops the read with every
// file closed and an earlier run's Cards file as it was.
TEST_F(ReaderFailure, IgnoreAllGoesOnWithoutShowingTheRestAndCountsThem)
{
    // Four faulty lines; the second warning is answered Ignore All.
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\nI7\nI8\nP2\nG\nI1\nI9\nI2\nI6\n"));
    platform.script({MessageAnswer::Ok, MessageAnswer::IgnoreAll, MessageAnswer::Cancel});
    EXPECT_EQ(read(), 2);
    EXPECT_EQ(platform.texts(),
              (QStringList{u"Warning - invalid data ignored at line 7 (participant id P1)"_s,
                           u"Warning - invalid data ignored at line 8 (participant id P1)"_s,
                           u"2 further warnings were answered OK without being shown"_s}));
    EXPECT_EQ(platform.messages().back().buttons, MessageButtons::Ok);
    EXPECT_EQ(cell(0, 1), 2) << "the lines after Ignore All are read as after OK";
    analysis.closeFiles();

    // The next read shows its warnings again.
    platform.clear();
    platform.script({MessageAnswer::Cancel});
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(platform.texts(), QStringList{u"Warning - invalid data ignored at line 7 (participant id P1)"_s});
}

TEST_F(ReaderFailure, DataWarningsWithOkAndCancel)
{
    const WarningCase cases[] = {
        {"IA\nIB\nP1\nG\nI1\nI2\nG\nG\nI1\n", u"Warning - empty group at line 8 (participant id P1)"_s},
        {"IA\nIB\nP1\nI1\nG\nI1\nI2\n", u"Warning - missing group record at line 4 (participant id P1)"_s},
        {"IA\nIB\nP1\nG\nI1\nI2\nI3\n", u"Warning - invalid data ignored at line 7 (participant id P1)"_s},
        {"IA\nIB\nP1\nG\nI1\nI2\nI2\n", u"Warning - duplicate item found at line 7 (participant id P1)"_s},
        {"IA\nIB\nP1\nG\nI1\nS\nS\nI2\n", u"Warning - empty sub-group at line 7 (participant id P1)"_s},
        {"IA\nIB\nP1\nG\nI1\nI2\nG\nI99999999999\nI2f99999999999\n",
         u"Warning - invalid data ignored at line 8 (participant id P1)"_s},
    };
    for (const WarningCase &c : cases) {
        ASSERT_TRUE(surveyText(c.study)) << c.study;
        writeBytes(names.cardsPath, "earlier");
        summary.useSubGroups = true;
        platform.clear();
        platform.script({MessageAnswer::Cancel});
        EXPECT_EQ(read(), 0) << c.study;
        ASSERT_EQ(platform.messages().size(), 1) << c.study;
        EXPECT_EQ(platform.messages().front(),
                  (ScriptedPlatform::Message{c.message, MessageIcon::Information, MessageButtons::OkCancelIgnoreAll}));
        EXPECT_FALSE(analysis.cardsFile.isOpen());
        EXPECT_FALSE(analysis.inputFile.isOpen());
        EXPECT_EQ(readBytes(names.cardsPath), "earlier") << c.study;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{u"study-Cards.csv"_s, u"study.txt"_s}));

        platform.clear();
        platform.script({});
        EXPECT_EQ(read(), 2) << c.study;
        ASSERT_FALSE(platform.messages().isEmpty());
        EXPECT_EQ(platform.texts().front(), c.message);
        analysis.closeFiles();
    }
}

TEST_F(ReaderFailure, ErrorsEndTheReadWithFilesClosed)
{
    const std::pair<const char *, QString> cases[] = {
        {"IOnly\nP1\nG\nI1\n", u"Error - too little data for analysis\nCheck that the input file is plain text"_s},
        {"IA\nIB\nGNames only\n", u"Error - too little data for analysis\nCheck that the input file is plain text"_s},
    };
    for (const auto &[study, message] : cases) {
        ASSERT_TRUE(surveyText(study));
        platform.clear();
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(platform.messages(),
                  QList<ScriptedPlatform::Message>({{message, MessageIcon::Exclamation, MessageButtons::Ok}}));
        EXPECT_FALSE(analysis.cardsFile.isOpen());
    }
}

TEST_F(ReaderFailure, FirstParticipantWithoutItemNames)
{
    ASSERT_TRUE(surveyText("GFruit\nP12\nG1\n"));
    EXPECT_EQ(summary.itemCount, 0);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - no item names found prior to first participant (participant id P12)"_s});
}

TEST_F(ReaderFailure, FilesThatCannotBeOpenedOrCreated)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n"));
    const QString blocked = path(u"no-such-folder/x.csv"_s);
    const struct {
        QString AnalysisFileNames::*path;
        QString message;
    } cases[] = {
        {&AnalysisFileNames::inputPath,
         u"Failed to open input file\nMake sure it is not in use in other applications"_s},
        {&AnalysisFileNames::cardsPath,
         u"Failed to create cards output file\nMake sure it is not in use in other applications"_s},
        {&AnalysisFileNames::itemsPath,
         u"Failed to create items output file\nMake sure it is not in use in other applications"_s},
        {&AnalysisFileNames::participantsPath,
         u"Failed to create participants output file\nMake sure it is not in use in other applications"_s},
        {&AnalysisFileNames::matrixPath,
         u"Failed to create matrix output file\nMake sure it is not in use in other applications"_s},
        {&AnalysisFileNames::weightedMatrixPath,
         u"Failed to create weighted matrix output file\nMake sure it is not in use in other applications"_s},
    };
    const AnalysisFileNames good = names;
    for (const auto &c : cases) {
        names = good;
        names.*c.path = blocked;
        platform.clear();
        EXPECT_EQ(read(), -1);
        EXPECT_EQ(platform.messages(),
                  QList<ScriptedPlatform::Message>({{c.message, MessageIcon::Stop, MessageButtons::Ok}}));
        EXPECT_FALSE(analysis.inputFile.isOpen());
        EXPECT_FALSE(analysis.cardsFile.isOpen());
    }
}

// Numbers and sizes that the 32-bit totals cannot hold are refused, never wrapped.
TEST_F(ReaderFailure, TotalsThatWouldOverflowAreRefused)
{
    const std::pair<const char *, QString> cases[] = {
        {"IA\nIB\nP1\nG\nI1f2000000000\nI2f2000000000\n",
         u"Error - number too large at line 6 (participant id P1)\n"
         u"A pair count, score or total of this study exceeds 2147483647"_s},
        {"IA\nIB\nP1\nG\nI1f2000000000\nG\nI2f2000000000\n",
         u"Error - number too large at line 7 (participant id P1)\n"
         u"A pair count, score or total of this study exceeds 2147483647"_s},
    };
    for (const auto &[study, message] : cases) {
        ASSERT_TRUE(surveyText(study));
        platform.clear();
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(platform.texts(), QStringList{message});
        EXPECT_FALSE(analysis.cardsFile.isOpen());
    }
}

TEST_F(ReaderFailure, FileChangedSinceTheSurveyIsRefused)
{
    ASSERT_TRUE(surveyText("IA\nIB\nIC\nP1\nG\nI1\nI3\n"));
    writeBytes(summary.fileName, "IA\nIB\nP1\nG\nI1\nI3\n");
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - the input file has changed since it was surveyed (participant id P1)\n"
                          u"Please start the import again"_s});
}

TEST_F(ReaderFailure, TooManyItemsAreRefusedBeforeAnythingIsAllocated)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n"));
    summary.itemCount = 32768;
    EXPECT_EQ(read(), -1);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - too many items for analysis (32768)\nAt most 32767 items can be analysed"_s});
    EXPECT_FALSE(analysis.pairMatrix);
    EXPECT_TRUE(analysis.itemAlignmentSums.empty());
}

TEST_F(ReaderFailure, OverlongLineIsReported)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n"));
    QByteArray bytes = readBytes(summary.fileName);
    bytes += "I" + QByteArray(TextFile::maxLineLength, '1') + "\n";
    writeBytes(summary.fileName, bytes);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - line 7 is too long\nLines of more than 16777216 characters cannot be read"_s});
}

} // namespace
