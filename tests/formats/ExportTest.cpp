#include "analysis/AnalysisRows.h"
#include "analysis/MatrixRows.h"
#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <QFile>

#include <numeric>
#include <random>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

using Export = StudyFixture;

TEST_F(Export, RowsFollowTheLeafOrderAndEveryFileIsClosed)
{
    ASSERT_TRUE(surveyText("IA\nIB\nIC\nP1\nG\nI1f2\nI2\nG\nI3\nP2\nG\nI1f1\nI3f3\n"));
    ASSERT_EQ(read(), 3);
    ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 2, 1}));
    for (const TextFile *file : {&analysis.inputFile, &analysis.cardsFile, &analysis.itemsFile,
                                 &analysis.participantsFile, &analysis.matrixFile, &analysis.weightedMatrixFile})
        EXPECT_FALSE(file->isOpen());
    EXPECT_TRUE(platform.messages().isEmpty());

    // Fit scores 2 and 3 pair at 5, 1 and 3 at 4; the fit doubles scoreScale.
    EXPECT_EQ(readUtf16File(names.weightedMatrixPath),
              u"ItemNo\t\t\"A\"\t\"C\"\t\"B\"\r\n"
              u"1\t\"A\"\t0\t2.0\t2.5\t\r\n"
              u"3\t\"C\"\t2.0\t0\t0.0\t\r\n"
              u"2\t\"B\"\t2.5\t0.0\t0\t\r\n"_s);
    const QStringList items = readUtf16File(names.itemsPath).split(u"\r\n"_s);
    EXPECT_TRUE(items[1].startsWith(u"1\t\"A\"\t2\t2\t 3\t1.5\t"_s)) << items[1].toStdString();
    EXPECT_TRUE(items[2].startsWith(u"3\t\"C\"\t1\t1\t 3\t1.5\t"_s)) << items[2].toStdString();
    EXPECT_TRUE(items[3].startsWith(u"2\t\"B\"\t1\t1\t 3\t1.5\t"_s)) << items[3].toStdString();
}

TEST_F(Export, SameSortsAgreeFully)
{
    ASSERT_TRUE(surveyText("IA\nIB\nIC\nP1\nG\nI1\nI2\nG\nI3\nP2\nG\nI2\nI1\nG\nI3\n"));
    ASSERT_EQ(read(), 3);
    ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 1, 2}));
    EXPECT_EQ(readUtf16File(names.participantsPath),
              u"\"ID\"\t\"Groups\"\t\"Items\"\t\"Pairs\"\t\"AveSize\"\t\"AveFit\"\t\"%AveAlign\"\r\n"
              u"P1\t2\t3\t1\t1.5\t1.0\t100%\r\n"
              u"P2\t2\t3\t1\t1.5\t1.0\t100%\r\n"_s);
    // C was always alone: no placements, no pairs.
    EXPECT_EQ(readUtf16File(names.itemsPath).split(u"\r\n"_s).value(3), u"3\t\"C\"\t0\t0\t 0\t0.0\t100%"_s);
}

TEST_F(Export, ThreeCopiesScaleTheDeviations)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\nP2\nG\nI1\nG\nI2\n"));
    summary.copiesPerParticipant = 3;
    ASSERT_EQ(read(), 2);
    ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 1}));
    // Both deviate by half a pair from the average of 0.5, a sixth of the scale of 3:
    // 100 - 100 x (1/6) / 3 = 94.4.
    const QStringList rows = readUtf16File(names.participantsPath).split(u"\r\n"_s);
    EXPECT_EQ(rows.value(1), u"P1\t1\t2\t1\t2.0\t1.0\t94%"_s);
    EXPECT_EQ(rows.value(2), u"P2\t2\t2\t0\t1.0\t1.0\t94%"_s);
}

// Cells are formatted from a table of every value's text, or one by one where the values
// run past it: both give the same files.
TEST_F(Export, TabledAndCellByCellMatricesAgree)
{
    const QByteArray study = "IA\nIB\nIC\nID\nP1\nG\nI1f3\nI2f1\nS\nI4f2\nG\nI3f1\n"
                             "P2\nG\nI1f2\nI3f3\nI4f1\nG\nI2f2\nP3\nG\nI4f3\nI3f3\nI2f1\nI1f2\n";
    const std::vector<int> order = {2, 0, 3, 1};
    QStringList tabled;
    for (const qint32 tableLimit : {65535, 0}) {
        ASSERT_TRUE(surveyText(study));
        summary.copiesPerParticipant = 3;
        ASSERT_EQ(read(), 4);
        writeParticipantsRows(analysis);
        writeMatrixRows(analysis, order, tableLimit);
        ASSERT_TRUE(analysis.commitFiles());
        const QStringList files = {readUtf16File(names.matrixPath), readUtf16File(names.weightedMatrixPath)};
        if (tabled.isEmpty())
            tabled = files;
        else
            EXPECT_EQ(files, tabled);
    }
    // Weighted scores in tenths, and the diagonal a plain 0 in both.
    EXPECT_TRUE(tabled[1].contains(u"\"C\"\t0\t"_s)) << tabled[1].toStdString();
    EXPECT_TRUE(tabled[1].contains(u".3\t"_s) || tabled[1].contains(u".7\t"_s)) << tabled[1].toStdString();
}

// Small random studies, where sums of squares often print right at a half percent: the exact
// agreement sums must print what adding them up pair by pair prints, with copies, sub-groups,
// cards placed twice and the expert.
TEST_F(Export, ExactAgreementPrintsWhatThePairByPairSumsPrint)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const int items = std::uniform_int_distribution(2, 6)(random);
        const int participants = std::uniform_int_distribution(2, 5)(random);
        const bool withFit = std::bernoulli_distribution(0.5)(random);
        QByteArray study;
        for (int item = 0; item < items; ++item)
            study += "I" + QByteArray(1, char('A' + item)) + "\n";
        for (int participant = 0; participant < participants; ++participant) {
            study += "P" + QByteArray::number(participant) + "\n";
            const int groups = std::uniform_int_distribution(1, 3)(random);
            for (int group = 0; group < groups; ++group) {
                study += "G\n";
                for (int item = 1; item <= items; ++item) {
                    if (std::bernoulli_distribution(0.1)(random))
                        study += "S\n";
                    if (std::bernoulli_distribution(1.0 / groups + 0.1)(random))
                        study += "I" + QByteArray::number(item)
                            + (withFit ? "f" + QByteArray::number(std::uniform_int_distribution(1, 3)(random)) : "")
                            + "\n";
                }
            }
        }
        const int copies = std::uniform_int_distribution(1, 3)(random);
        const bool expert = std::bernoulli_distribution(0.3)(random);
        QStringList files[2];
        for (const AgreementSums sums : {AgreementSums::Exact, AgreementSums::PairByPair}) {
            ASSERT_TRUE(surveyText(study));
            summary.copiesPerParticipant = copies;
            summary.useExpert = expert;
            ASSERT_EQ(read(), items);
            writeParticipantsRows(analysis, sums);
            std::vector<int> order(static_cast<size_t>(items));
            std::iota(order.begin(), order.end(), 0);
            ASSERT_TRUE(writeTreeOrderedFiles(analysis, order));
            files[sums == AgreementSums::Exact ? 0 : 1] = {readUtf16File(names.participantsPath),
                                                           readUtf16File(names.itemsPath)};
        }
        ASSERT_EQ(files[0], files[1]) << study.toStdString();
    }
}

// The participants pass reads the bytes the read read: a file changed or gone in between
// changes nothing.
TEST_F(Export, TheParticipantsPassSeesWhatTheReadSaw)
{
    const QByteArray study = "IA\nIB\nIC\nP1\nG\nI1\nI2\nP2\nG\nI1\nG\nI2\nI3\n";
    ASSERT_TRUE(surveyText(study));
    ASSERT_EQ(read(), 3);
    ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 1, 2}));
    const QString expected = readUtf16File(names.participantsPath);

    for (const QByteArray &meanwhile : {QByteArray("IA\nIB\nIC\nPX\nG\nI1\nI2\nI3\n"), QByteArray()}) {
        ASSERT_TRUE(surveyText(study));
        ASSERT_EQ(read(), 3);
        if (meanwhile.isEmpty())
            QFile::remove(summary.fileName);
        else
            writeBytes(summary.fileName, meanwhile);
        ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 1, 2}));
        EXPECT_EQ(readUtf16File(names.participantsPath), expected);
    }
    EXPECT_TRUE(platform.messages().isEmpty());
}

// A full disk during the export: the earlier run's five files stay as they were, and the
// new ones, complete or not, go.
TEST_F(Export, AFileThatCannotBeWrittenLeavesTheEarlierFiles)
{
    ASSERT_TRUE(surveyText("IA\nIB\nP1\nG\nI1\nI2\n"));
    const QStringList targets = {names.cardsPath, names.itemsPath, names.participantsPath, names.matrixPath,
                                 names.weightedMatrixPath};
    for (const QString &target : targets)
        writeBytes(target, "earlier");
    ASSERT_EQ(read(), 2);
    bool written = true;
    {
        // Room for the small Cards file, not for the Items file with its header.
        const FileSizeLimit full(100);
        written = writeAnalysisFiles(analysis, {0, 1});
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(platform.messages(),
              QList<ScriptedPlatform::Message>({{u"Failed to write items output file\n"
                                                 u"Make sure there is enough free space on the disk"_s,
                                                 MessageIcon::Stop, MessageButtons::Ok}}));
    for (const QString &target : targets)
        EXPECT_EQ(readBytes(target), "earlier") << target.toStdString();
    EXPECT_EQ(filesIn(dir.path()).size(), 6);
    EXPECT_FALSE(analysis.inputFile.isOpen());
}

// The UTF-8 copies belong to the set: one that cannot be written keeps every earlier file of
// the ten, although the five UTF-16 files alone fit.
TEST_F(Export, ACopyThatCannotBeWrittenKeepsAllTenEarlierFiles)
{
    // Names of three-byte characters take half as much room again in UTF-8 as in UTF-16.
    const QByteArray name = QString(500, QChar(0x8A9E)).toUtf8();
    ASSERT_TRUE(surveyText("I" + name + "A\nI" + name + "B\nP1\nG\nI1\nI2\nP2\nG\nI1\nI2\n"));
    constexpr rlim_t limit = 5000;
    ASSERT_EQ(read(), 2);
    {
        const FileSizeLimit full(limit);
        ASSERT_TRUE(writeAnalysisFiles(analysis, {0, 1}));
    }

    QStringList targets;
    for (const QString &path :
         {names.cardsPath, names.itemsPath, names.participantsPath, names.matrixPath, names.weightedMatrixPath})
        targets << path << utf8CsvPath(path);
    for (const QString &target : targets)
        writeBytes(target, "earlier");
    analysis.setUtf8CsvCopies(true);
    ASSERT_EQ(read(), 2);
    bool written = true;
    {
        const FileSizeLimit full(limit);
        written = writeAnalysisFiles(analysis, {0, 1});
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Failed to write cards output file\nMake sure there is enough free space on the disk"_s});
    for (const QString &target : targets)
        EXPECT_EQ(readBytes(target), "earlier") << target.toStdString();
    EXPECT_EQ(filesIn(dir.path()).size(), 11);
}

} // namespace
