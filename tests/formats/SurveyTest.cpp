#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <QFile>

#include <sys/stat.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

using Survey = StudyFixture;

TEST_F(Survey, CountsAndFeatures)
{
    // Ten lines: the survey makes eleven read attempts.
    ASSERT_TRUE(surveyText("IA\r\nIB\r\n\r\nGDeclared\r\nP1\r\nG1\r\nI1 no fit here\r\nPAnna\r\ng\r\ni2\n"));
    EXPECT_EQ(summary.fileType, 1);
    EXPECT_EQ(summary.itemCount, 2);
    EXPECT_EQ(summary.lineCount, 11);
    EXPECT_EQ(summary.groupCount, 2);
    EXPECT_EQ(summary.participantCount, 2);
    // An f anywhere in a placement line, even in a word, counts as fit data.
    EXPECT_TRUE(summary.hasFitData);
    EXPECT_FALSE(summary.hasSubGroups);
    EXPECT_TRUE(platform.messages().isEmpty());

    // The same file surveyed again gives the same counts.
    const StudySummary first = summary;
    ASSERT_TRUE(analysis.surveyInputFile());
    EXPECT_EQ(summary.itemCount, first.itemCount);
    EXPECT_EQ(summary.lineCount, first.lineCount);
    EXPECT_EQ(summary.participantCount, first.participantCount);
}

TEST_F(Survey, SubGroupAnywhereAndFitOnlyAfterTheFirstParticipant)
{
    ASSERT_TRUE(surveyText("IFig\nS\nP1\nG\nI1\n"));
    EXPECT_TRUE(summary.hasSubGroups);
    EXPECT_FALSE(summary.hasFitData); // the f of "Fig" is an item name, not a placement
    EXPECT_TRUE(summary.useSubGroups);
}

TEST_F(Survey, UnidentifiedFiles)
{
    const QString unidentified = u"Unidentified file type\nPlease provide an input file in Sortana format"_s;
    for (const QByteArray &study :
         {QByteArray("\n  \nP1\nIA\n"), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFIA\nP1\n"), QByteArray(" IA\n")}) {
        platform.clear();
        EXPECT_FALSE(surveyText(study));
        EXPECT_EQ(summary.fileType, 0);
        EXPECT_EQ(platform.messages(),
                  QList<ScriptedPlatform::Message>({{unidentified, MessageIcon::Stop, MessageButtons::Ok}}));
    }
}

TEST_F(Survey, EmptyAndIrregularFilesAndFilesThatCannotBeOpened)
{
    const QByteArray empties[] = {
        "", "\r\n \t\n", "\xEF\xBB\xBF", "\xEF\xBB\xBF\n\n", "\xFF\xFE", utf16LeWithMark(u" \r\n"_s)};
    for (const QByteArray &empty : empties) {
        platform.clear();
        EXPECT_FALSE(surveyText(empty)) << empty.toHex().toStdString();
        EXPECT_EQ(platform.texts(), QStringList{u"The input file "_s + path(u"study.txt"_s) + u" is empty"_s});
        EXPECT_EQ(summary.itemCount, 0);
    }

    const QString fifo = path(u"pipe.txt"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &irregular : {fifo, dir.path(), u"/dev/zero"_s}) {
        platform.clear();
        summary.fileName = irregular;
        EXPECT_FALSE(analysis.surveyInputFile());
        EXPECT_EQ(platform.texts(), QStringList{u"The input file "_s + irregular + u" is not a regular file"_s});
    }

    platform.clear();
    summary.fileName = path(u"missing.txt"_s);
    EXPECT_FALSE(analysis.surveyInputFile());
    EXPECT_EQ(platform.texts(),
              QStringList{u"Failed to open input file\nMake sure it is not in use in other applications"_s});
}

// Files saved by editors and spreadsheets often start with a UTF-8 mark: it is skipped on
// every pass, so the study reads as without it.
TEST_F(Survey, Utf8MarkIsSkippedInEveryPass)
{
    ASSERT_TRUE(surveyText("\xEF\xBB\xBFIA\nIB\nP1\nG\nI1\nI2\n"));
    EXPECT_EQ(summary.itemCount, 2);
    ASSERT_EQ(analysis.Read(), 2);
    EXPECT_EQ(analysis.itemNames.first(), u"A"_s);
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(Survey, Utf16File)
{
    writeBytes(path(u"wide.txt"_s), utf16LeWithMark(u"IA\r\nIB\r\nP1\r\nG\r\nI1f2\r\nS\r\n"_s));
    summary.fileName = path(u"wide.txt"_s);
    ASSERT_TRUE(analysis.surveyInputFile());
    EXPECT_EQ(summary.itemCount, 2);
    EXPECT_TRUE(summary.hasFitData);
    EXPECT_TRUE(summary.hasSubGroups);
    EXPECT_EQ(summary.lineCount, 7);
}

TEST_F(Survey, TooManyItemNamesAreRefused)
{
    QByteArray study;
    for (int i = 0; i < 32768; ++i)
        study += "Iitem\n";
    EXPECT_FALSE(surveyText(study + "P1\nG\nI1\n"));
    EXPECT_EQ(platform.texts(),
              QStringList{u"Error - too many items for analysis (32768)\nAt most 32767 items can be analysed"_s});
}

// The core links no workbook reader: a program hands it one, and without it a workbook is
// refused in words rather than read as text.
TEST_F(Survey, AWorkbookIsReadThroughTheLoaderTheProgramGives)
{
    summary.fileName = path(u"study.xlsx"_s);
    writeBytes(summary.fileName, "not a zip");
    TableOptions options;
    options.sheet = u"Sorts"_s;
    analysis.setTableInput(options);
    EXPECT_FALSE(analysis.surveyInputFile());
    EXPECT_EQ(platform.texts(),
              QStringList{u"Workbooks cannot be read here\nSave the sheet as a CSV file and try again"_s});

    static QString sheetAsked;
    analysis.setWorkbookLoader([](const QString &, const QString &sheet, Table &table, QString &) {
        sheetAsked = sheet;
        table.rows = {{u"participant"_s, u"card"_s, u"category"_s},
                      {u"p1"_s, u"Apple"_s, u"Fruit"_s},
                      {u"p1"_s, u"Pear"_s, u"Fruit"_s}};
        return true;
    });
    ASSERT_TRUE(analysis.surveyInputFile());
    EXPECT_EQ(sheetAsked, u"Sorts"_s);
    EXPECT_EQ(summary.itemCount, 2);
    EXPECT_EQ(summary.participantCount, 1);
}

TEST(OutputNaming, AnalysisFilesLieBesideTheInput)
{
    struct Case {
        QString input;
        QString cards;
        QString weighted;
    };
    const Case cases[] = {
        {u"/studies/Fruit.txt"_s, u"/studies/Fruit-Cards.csv"_s, u"/studies/Fruit-WeightedMatrix.csv"_s},
        {u"/studies/Fruit"_s, u"/studies/Fruit-Cards.csv"_s, u"/studies/Fruit-WeightedMatrix.csv"_s},
        {u"/st.udies/v1.2.txt"_s, u"/st.udies/v1.2-Cards.csv"_s, u"/st.udies/v1.2-WeightedMatrix.csv"_s},
        {u"Fruit.txt"_s, u"Fruit-Cards.csv"_s, u"Fruit-WeightedMatrix.csv"_s},
    };
    ScriptedPlatform platform;
    for (const Case &c : cases) {
        AnalysisFileNames names;
        StudySummary summary;
        CardSortAnalysis analysis(names, summary, platform);
        analysis.setInputFileName(c.input);
        EXPECT_EQ(names.inputPath, c.input);
        EXPECT_EQ(names.cardsPath, c.cards);
        EXPECT_EQ(names.weightedMatrixPath, c.weighted);
    }
}

TEST_F(Survey, NamesFollowTheFileOnDisk)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n", u"Fruit.Study.TXT"_s));
    EXPECT_EQ(names.cardsPath, path(u"Fruit.Study-Cards.csv"_s));
    EXPECT_EQ(names.itemsPath, path(u"Fruit.Study-Items.csv"_s));
    EXPECT_EQ(names.participantsPath, path(u"Fruit.Study-Participants.csv"_s));
    EXPECT_EQ(names.matrixPath, path(u"Fruit.Study-Matrix.csv"_s));
    EXPECT_EQ(names.weightedMatrixPath, path(u"Fruit.Study-WeightedMatrix.csv"_s));
}

} // namespace
