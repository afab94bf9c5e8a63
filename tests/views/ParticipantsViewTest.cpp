#include "views/ParticipantsView.h"
#include "support/DocumentEdits.h"

#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"
#include "views/DendrogramView.h"

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// Nine cards in three kinds. The first participant is the expert; five sort much alike; then
// everything in one group, every card alone, one-letter names, and a sort across the kinds.
const QByteArray studyWithBadSorts =
    "IApple\nIPear\nIBanana\nICarrot\nILeek\nIPotato\nIHammer\nISaw\nIDrill\n"
    "PExpert\nGFruit\nI1\nI2\nI3\nGVegetables\nI4\nI5\nI6\nGTools\nI7\nI8\nI9\n"
    "PAnna\nGFruit\nI1\nI2\nI3\nGVegetables\nI4\nI5\nI6\nGTools\nI7\nI8\nI9\n"
    "PBen\nGFruit\nI1\nI2\nI3\nGGreens\nI4\nI5\nGRoots\nI6\nGTools\nI7\nI8\nI9\n"
    "PCara\nGFruit\nI1\nI2\nGFood\nI3\nI4\nI5\nI6\nGTools\nI7\nI8\nI9\n"
    "PDan\nGfruit\nI1\nI2\nI3\nGveg\nI4\nI5\nI6\nGDIY\nI7\nI8\nI9\n"
    "PEve\nGProduce\nI1\nI2\nI3\nI4\nI5\nI6\nGTools\nI7\nI8\nI9\n"
    "PFinn\nGEverything\nI1\nI2\nI3\nI4\nI5\nI6\nI7\nI8\nI9\n"
    "PGus\nGOne\nI1\nGTwo\nI2\nGThree\nI3\nGFour\nI4\nGFive\nI5\nGSix\nI6\nGSeven\nI7\nGEight\nI8\nGNine\nI9\n"
    "PHal\nGa\nI1\nI2\nI3\nGb\nI4\nI5\nI6\nGc\nI7\nI8\nI9\n"
    "PIda\nGStuff\nI1\nI4\nI7\nGThings\nI2\nI5\nI8\nGMore\nI3\nI6\nI9\n";

constexpr qint32 expert = 0, finn = 6, gus = 7, hal = 8;

class ParticipantsViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        input = dir.filePath(u"study.txt"_s);
        writeBytes(input, studyWithBadSorts);
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        run.summary().useExpert = true;
        ASSERT_TRUE(run.checkOptions());
        ASSERT_TRUE(run.finish());
        ASSERT_TRUE(completeImport(document, run));
        document.setModified(false);
        view = std::make_unique<ParticipantsView>(&document, platform);
        view->resize(900, 500);
        view->show();
        view->initialUpdate();
        // Every change to the table's model, and to the sorted order shown, is checked as it happens.
        for (QAbstractItemModel *model : {sourceModel(), view->table().model()})
            testers.push_back(
                std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Fatal));
        view->setFilesChooser([this](const QString &initial) {
            offeredNames << initial;
            return chosenName.isEmpty() ? initial : chosenName;
        });
    }
    void TearDown() override
    {
        testers.clear();
        view.reset();
    }
    QString cell(int participant, int column) const
    {
        return sourceModel()->index(participant, column).data().toString();
    }
    QAbstractItemModel *sourceModel() const
    {
        return static_cast<QSortFilterProxyModel *>(view->table().model())->sourceModel();
    }
    QPushButton *button(const QString &name) const { return view->findChild<QPushButton *>(name); }

    QTemporaryDir dir;
    QString input;
    ScriptedPlatform platform;
    Document document;
    std::unique_ptr<ParticipantsView> view;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    QStringList offeredNames;
    QString chosenName;
};

TEST_F(ParticipantsViewTest, ShowsEveryParticipantsFiguresAndTheRepresentativeSorts)
{
    ASSERT_TRUE(view->checks());
    const ParticipantChecks &checks = *view->checks();
    QAbstractItemModel *shown = sourceModel();
    ASSERT_EQ(shown->rowCount(), 10);
    for (const ParticipantCheck &check : checks.rows) {
        const int p = check.index;
        EXPECT_EQ(cell(p, ParticipantsView::Number), QString::number(p + 1));
        EXPECT_EQ(cell(p, ParticipantsView::Participant), check.id);
        EXPECT_EQ(cell(p, ParticipantsView::Groups), QString::number(check.groups));
        EXPECT_EQ(cell(p, ParticipantsView::Cards), QString::number(check.cards));
        EXPECT_EQ(cell(p, ParticipantsView::MeanDistance), meanDistanceText(check));
        if (check.checked) {
            EXPECT_EQ(cell(p, ParticipantsView::Flags), flagTexts(check.flags).join(u", "_s));
        }
        // Flagged rows are shaded, the others are not.
        EXPECT_EQ(shown->index(p, ParticipantsView::Number).data(Qt::BackgroundRole).isValid(), check.flags != 0) << p;
    }
    EXPECT_TRUE(cell(finn, ParticipantsView::Flags).contains(u"one group"_s));
    EXPECT_TRUE(cell(gus, ParticipantsView::Flags).contains(u"each card alone"_s));
    EXPECT_TRUE(cell(hal, ParticipantsView::Flags).contains(u"one-letter names"_s));
    EXPECT_TRUE(cell(expert, ParticipantsView::MeanDistance).isEmpty());
    EXPECT_TRUE(cell(expert, ParticipantsView::Flags).contains(u"expert"_s));

    // The representative sorts, most representative first, group by group with their names.
    ASSERT_FALSE(checks.representative.empty());
    const QString representative = view->representativeText();
    const ParticipantCheck &first = checks.rows[size_t(checks.representative.front())];
    EXPECT_TRUE(representative.contains(u"1. "_s + first.id)) << representative.toStdString();
    EXPECT_TRUE(representative.contains(u"Fruit: Apple, Pear"_s)) << representative.toStdString();
    EXPECT_EQ(view->leftOutLine(), u"Every participant is counted."_s);
}

TEST_F(ParticipantsViewTest, SortsByEveryColumn)
{
    QAbstractItemModel *sorted = view->table().model();
    for (const int column : {int(ParticipantsView::Participant), int(ParticipantsView::Groups),
                             int(ParticipantsView::MeanDistance), int(ParticipantsView::Flags)}) {
        view->table().sortByColumn(column, Qt::DescendingOrder);
        for (int r = 1; r < sorted->rowCount(); ++r) {
            const QVariant above = sorted->index(r - 1, column).data(Qt::UserRole + 1);
            const QVariant below = sorted->index(r, column).data(Qt::UserRole + 1);
            EXPECT_FALSE(QVariant::compare(above, below) == QPartialOrdering::Less) << column << ' ' << r;
        }
    }
    // Numbers sort as numbers: nine groups come before three.
    view->table().sortByColumn(ParticipantsView::Groups, Qt::DescendingOrder);
    EXPECT_EQ(sorted->index(0, ParticipantsView::Participant).data().toString(), u"Gus"_s);
    view->table().sortByColumn(ParticipantsView::Number, Qt::AscendingOrder);
    EXPECT_EQ(sorted->index(0, ParticipantsView::Participant).data().toString(), u"Expert"_s);
}

TEST_F(ParticipantsViewTest, TicksAllFlaggedButNeverTheExpert)
{
    EXPECT_FALSE(view->setTicked(expert, true));
    EXPECT_FALSE(view->setTicked(42, true));
    EXPECT_FALSE(button(u"analyseAgain"_s)->isEnabled());
    EXPECT_FALSE(button(u"includeAll"_s)->isEnabled());

    EXPECT_TRUE(view->setTicked(1, true));
    button(u"tickAllFlagged"_s)->click();
    std::vector<qint32> expected = {1};
    for (const ParticipantCheck &check : view->checks()->rows) {
        if (check.flags != 0 && check.index != 1)
            expected.push_back(check.index);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(view->ticked(), expected);
    for (const qint32 bad : {finn, gus, hal})
        EXPECT_TRUE(std::binary_search(expected.begin(), expected.end(), bad)) << bad;
    EXPECT_TRUE(button(u"analyseAgain"_s)->isEnabled());
}

TEST_F(ParticipantsViewTest, AnalyseAgainLeavesTheTickedOutAndEveryWindowFollows)
{
    DendrogramView dendrogram(&document, platform);
    dendrogram.resize(600, 400);
    dendrogram.show();
    dendrogram.initialUpdate();
    ParticipantsView second(&document, platform);
    second.initialUpdate();
    const std::shared_ptr<const ClusterTree> treeBefore = document.study().clusterTree;

    view->tickAllFlagged();
    const std::vector<qint32> flagged = view->ticked();
    ASSERT_FALSE(flagged.empty());
    ASSERT_TRUE(view->analyseAgain()) << platform.texts().join(u" | "_s).toStdString();

    // The name offered is the input's with the number left out, and the files are written.
    ASSERT_EQ(offeredNames.size(), 1);
    EXPECT_EQ(QFileInfo(offeredNames[0]).fileName(), u"study-without-%1-Cards.csv"_s.arg(flagged.size()));
    for (const QString &suffix : {u"Cards"_s, u"Items"_s, u"Participants"_s, u"Matrix"_s, u"WeightedMatrix"_s})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(u"study-without-%1-%2.csv"_s.arg(flagged.size()).arg(suffix))));
    EXPECT_EQ(document.study().leftOut, flagged);
    EXPECT_TRUE(document.isModified());
    EXPECT_NE(document.study().clusterTree, treeBefore);
    // Both participants windows say who is left out, and keep every participant's row.
    for (const ParticipantsView *shown : {view.get(), &second}) {
        EXPECT_TRUE(shown->leftOutLine().contains(u"Finn (#7)"_s)) << shown->leftOutLine().toStdString();
        EXPECT_EQ(shown->ticked(), flagged);
        EXPECT_EQ(shown->table().model()->rowCount(), 10);
    }
    EXPECT_FALSE(button(u"analyseAgain"_s)->isEnabled());
    EXPECT_TRUE(button(u"includeAll"_s)->isEnabled());

    // A name of the user's choice, given with or without "-Cards.csv"; Include All brings
    // everybody back.
    chosenName = dir.filePath(u"everyone"_s);
    ASSERT_TRUE(view->includeAll());
    EXPECT_EQ(QFileInfo(offeredNames[1]).fileName(), u"study-Cards.csv"_s);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(u"everyone-Matrix.csv"_s)));
    EXPECT_TRUE(document.study().leftOut.empty());
    EXPECT_TRUE(view->ticked().empty());
    EXPECT_EQ(view->leftOutLine(), u"Every participant is counted."_s);
}

TEST_F(ParticipantsViewTest, ARefusedOrCancelledAnalysisLeavesTheDocumentAsItWas)
{
    const std::shared_ptr<const ClusterTree> treeBefore = document.study().clusterTree;
    // Everybody but the expert: nobody would be left to count.
    for (qint32 p = 1; p < 10; ++p)
        view->setTicked(p, true);
    EXPECT_FALSE(view->analyseAgain());
    EXPECT_EQ(platform.messages().size(), 1);
    EXPECT_TRUE(offeredNames.isEmpty());

    for (qint32 p = 2; p < 10; ++p)
        view->setTicked(p, false);
    view->setFilesChooser([](const QString &) { return QString(); });
    EXPECT_FALSE(view->analyseAgain());
    EXPECT_TRUE(document.study().leftOut.empty());
    EXPECT_EQ(document.study().clusterTree, treeBefore);
    EXPECT_FALSE(document.isModified());
}

TEST_F(ParticipantsViewTest, ADocumentWithoutTheSortsSaysSo)
{
    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    view->documentUpdated(UpdateHint::NewStudy);
    EXPECT_FALSE(view->checks());
    EXPECT_FALSE(view->canCopy());
    const auto labels = view->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel *label) {
        return label->isVisible() && label->text() == QString::fromUtf16(sortsMissingMessage);
    }));
}

// The distances between every two sorts need memory by the square of the participants:
// 20,000 of them need 1.6 GB, more than the test lets the process have. The window says so
// once and stays, empty, until another study comes.
TEST_F(ParticipantsViewTest, ChecksThatDoNotFitInMemoryAreToldOnceAndTheWindowStays)
{
#ifdef SORTANA_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit in a small address space";
#endif
    const StudySorts few = *document.study().sorts;
    StudySorts many = few;
    many.participants.resize(20'000, few.participants[1]);
    {
        const AddressSpaceLimit limit(rlim_t(256) << 20);
        editStudy(document, [&](Study &s) { s.sorts = std::move(many); });
    }
    EXPECT_EQ(platform.texts(), QStringList{u"There is not enough memory to check the participants."_s});
    EXPECT_FALSE(view->checks());
    EXPECT_EQ(sourceModel()->rowCount(), 0);
    for (const QString &name : {u"tickAllFlagged"_s, u"analyseAgain"_s, u"includeAll"_s})
        EXPECT_FALSE(button(name)->isEnabled()) << name.toStdString();
    setSetting(document, &Settings::numberOfGroups, 4);
    EXPECT_EQ(platform.messages().size(), 1);

    editStudy(document, [&](Study &s) { s.sorts = few; });
    ASSERT_TRUE(view->checks());
    EXPECT_EQ(sourceModel()->rowCount(), 10);
    EXPECT_EQ(platform.messages().size(), 1);
}

TEST_F(ParticipantsViewTest, CopyFindAndPrintWorkOnTheTable)
{
    view->copyToClipboard();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], u"#\tParticipant\tGroups\tCards\tMean distance (%)\tFlags"_s);
    EXPECT_TRUE(lines[7].startsWith(u"7\tFinn\t1\t9\t"_s)) << lines[7].toStdString();

    EXPECT_TRUE(view->findNext(u"an"_s)); // Anna, then Dan, then Anna again
    EXPECT_EQ(view->table().currentIndex().data().toString(), u"Anna"_s);
    EXPECT_TRUE(view->findNext(u"an"_s));
    EXPECT_EQ(view->table().currentIndex().data().toString(), u"Dan"_s);
    EXPECT_TRUE(view->findNext(u"an"_s));
    EXPECT_EQ(view->table().currentIndex().data().toString(), u"Anna"_s);
    EXPECT_FALSE(view->findNext(u"zz"_s));

    // Printed as a table with the representative sorts.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"participants.pdf"_s));
    ASSERT_TRUE(view->printTo(printer));
    EXPECT_TRUE(readBytes(dir.filePath(u"participants.pdf"_s)).startsWith("%PDF"));
}

TEST(AnalysisFileNaming, TheChosenNameNamesAllFive)
{
    for (const QString &chosen :
         {u"/data/out/new-Cards.csv"_s, u"/data/out/new-cards.CSV"_s, u"/data/out/new.csv"_s, u"/data/out/new"_s}) {
        const AnalysisFileNames names = analysisFilesNamedBy(chosen, u"/data/study.txt"_s);
        EXPECT_EQ(names.inputPath, u"/data/study.txt"_s);
        EXPECT_EQ(names.cardsPath, u"/data/out/new-Cards.csv"_s) << chosen.toStdString();
        EXPECT_EQ(names.weightedMatrixPath, u"/data/out/new-WeightedMatrix.csv"_s);
    }
}

} // namespace
