#include "app/HelpWindow.h"
#include "app/ImportWizard.h"
#include "app/Resources.h"
#include "app/StudySummaryPanel.h"
#include "app/TableMappingPanel.h"
#include "formats/ImportMessages.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <array>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString copiesMessage = u"Please provide a value for the number of copies between 1 and 10"_s;

// Participants who each sorted both items into one group; with fit scores and a sub-group
// when asked for.
QByteArray study(int participants, bool fitAndSubGroups)
{
    QByteArray text = "IA\nIB\n";
    for (int p = 1; p <= participants; ++p) {
        text += "P" + QByteArray::number(p) + "\nG\n";
        text += fitAndSubGroups ? "I1F3\nS sub\nI2F2\n" : "I1\nI2\n";
    }
    return text;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override { wizard.show(); }

    QString write(const QByteArray &bytes, const QString &name = u"study.txt"_s)
    {
        QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }
    template <typename Control> Control &control(int id)
    {
        auto *found = wizard.findChild<Control *>(controlName(id));
        EXPECT_NE(found, nullptr) << id;
        return *found;
    }
    // Enters the path on step 1 and presses Next.
    void openStudy(const QString &path)
    {
        control<QLineEdit>(ControlId::inputFile).setText(path);
        wizard.next();
    }
    QString text(int id) { return control<QLabel>(id).text(); }
    StudySummary &summary() { return wizard.run().summary(); }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    QTemporaryDir settingsDir;
    QSettings settings{settingsDir.filePath(u"settings.ini"_s), QSettings::IniFormat};
    ImportWizard wizard{platform, nullptr, &settings};
};

TEST_F(WizardTest, StepOneRefusesWhatCannotBeImported)
{
    // Items and a participant, but no group record: nothing to analyse.
    const QString noGroups = write("IA\nIB\nP1\n", u"no-groups.txt"_s);
    const QString notSortana = write("hello\n", u"letter.txt"_s);
    const QString empty = write("\xEF\xBB\xBF \n", u"empty.txt"_s);
    const struct {
        QString input;
        QString message;
    } cases[] = {
        {QString(), u"Please provide the name of a data file to be imported"_s},
        {noGroups, u"There is insufficient data in this file\n(the number of groups, items or participants is 0)"_s},
        {notSortana, u"Unidentified file type\nPlease provide an input file in Sortana format"_s},
        {dir.filePath(u"missing.txt"_s), QString::fromUtf16(messages::inputOpenFailed)},
        {empty, u"The input file "_s + empty + u" is empty"_s},
        // A device would be read for ever, a FIFO would block the program.
        {u"/dev/zero"_s, u"The input file /dev/zero is not a regular file"_s},
        {dir.path(), u"The input file "_s + dir.path() + u" is not a regular file"_s},
    };
    for (const auto &c : cases) {
        platform.clear();
        openStudy(c.input);
        EXPECT_EQ(wizard.currentId(), ImportWizard::OpenStep) << c.message.toStdString();
        EXPECT_EQ(platform.texts(), QStringList{c.message});
        EXPECT_EQ(control<QLineEdit>(ControlId::inputFile).text(), c.input);
    }
    EXPECT_EQ(wizard.inputPath(), QString());
}

TEST_F(WizardTest, StepOnePresetsThePendingPathButKeepsWhatWasTyped)
{
    wizard.presetInput = u"/data/pending.txt"_s;
    wizard.restart();
    EXPECT_EQ(control<QLineEdit>(ControlId::inputFile).text(), wizard.presetInput);
    EXPECT_EQ(wizard.windowTitle(), u"Import and Export - Step 1 of 3"_s);

    const QString path = write(study(3, false));
    openStudy(path);
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(wizard.windowTitle(), u"Import and Export - Step 2 of 3"_s);
    wizard.back();
    EXPECT_EQ(control<QLineEdit>(ControlId::inputFile).text(), path);
}

TEST_F(WizardTest, StepTwoShowsTheSurveyAndTheMaximumScore)
{
    openStudy(write(study(9, true)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(control<PathLabel>(ControlId::fileName).path(), dir.filePath(u"study.txt"_s));
    EXPECT_EQ(text(ControlId::fileType), u"Sortana"_s);
    EXPECT_EQ(text(ControlId::features), u"Quality of fit, Sub-groups"_s);
    EXPECT_EQ(text(ControlId::participants), u"9"_s);
    EXPECT_EQ(text(ControlId::itemNames), u"2"_s);
    EXPECT_TRUE(control<QCheckBox>(ControlId::useFit).isChecked());
    EXPECT_TRUE(control<QCheckBox>(ControlId::useSubGroups).isChecked());
    EXPECT_TRUE(control<QCheckBox>(ControlId::useExpert).isEnabled());
    EXPECT_EQ(text(ControlId::maximumScore), u"Maximum score 6 per item x 9 participants = \n54 maximum per cell"_s);

    control<QLineEdit>(ControlId::copies).setText(u"2"_s);
    control<QCheckBox>(ControlId::useExpert).click();
    EXPECT_EQ(text(ControlId::participants), u"8"_s);
    EXPECT_EQ(text(ControlId::maximumScore), u"Maximum score 12 per item x 8 participants = \n96 maximum per cell"_s);
    control<QCheckBox>(ControlId::useExpert).click();
    EXPECT_EQ(text(ControlId::maximumScore), u"Maximum score 12 per item x 9 participants = \n108 maximum per cell"_s);
    control<QCheckBox>(ControlId::useFit).click();
    control<QCheckBox>(ControlId::useSubGroups).click();
    EXPECT_EQ(text(ControlId::maximumScore), u"Maximum score 2 per item x 9 participants = \n18 maximum per cell"_s);
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(WizardTest, StepTwoLinksToTheOptionsInTheGuide)
{
    openStudy(write(study(3, true)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    auto &link = control<QLabel>(ControlId::optionsHelp);
    EXPECT_TRUE(link.isVisible());
    EXPECT_TRUE(link.text().contains(u">What do these options mean?<"_s));
    // Clicked as the user clicks it: on the words.
    const QPoint onText(link.contentsRect().left() + 10, link.height() / 2);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, onText, link.mapToGlobal(onText), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&link, &event);
    }
    HelpWindow *help = helpWindowOf(wizard);
    ASSERT_NE(help, nullptr);
    QTextBrowser &browser = help->browser();
    EXPECT_EQ(browser.source().fileName(), u"import.html"_s);
    EXPECT_EQ(browser.source().fragment(), u"options"_s);
    // The section's heading is in view, scrolled to rather than left below the top of the page.
    QTextBlock heading = browser.document()->begin();
    while (heading.isValid() && heading.text() != u"What do these options mean?"_s)
        heading = heading.next();
    ASSERT_TRUE(heading.isValid());
    const int top = browser.verticalScrollBar()->value();
    const qreal headingTop = browser.document()->documentLayout()->blockBoundingRect(heading).top();
    EXPECT_GT(top, 0);
    EXPECT_GE(headingTop, top);
    EXPECT_LT(headingTop, top + browser.viewport()->height() / 4);
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(WizardTest, KeepsOneWidthOverItsSteps)
{
    const int width = wizard.width();
    openStudy(write(study(3, true)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(wizard.width(), width);
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::FinishStep);
    EXPECT_EQ(wizard.width(), width);
    wizard.back();
    wizard.back();
    EXPECT_EQ(wizard.width(), width);
}

// A table's reading as step 2 shows it: layout, header and the column of each role (-1 for
// "(none)"), in the order participant, card, card id, category, category id.
struct ShownReading {
    int layout;
    bool header;
    std::array<int, 5> columns;
};

class WizardTableTest : public WizardTest {
protected:
    // The table's controls are shown and hidden together.
    bool tableShown() { return control<QComboBox>(ControlId::tableLayout).isVisible(); }
    QComboBox &column(int id) { return control<QComboBox>(id); }
    ShownReading shown()
    {
        ShownReading reading{control<QComboBox>(ControlId::tableLayout).currentIndex(),
                             control<QCheckBox>(ControlId::tableHeader).isChecked(), {}};
        const int ids[] = {ControlId::participantColumn, ControlId::cardColumn, ControlId::cardIdColumn,
                           ControlId::categoryColumn, ControlId::categoryIdColumn};
        for (std::size_t role = 0; role < 5; ++role)
            reading.columns[role] = column(ids[role]).currentData().toInt();
        return reading;
    }
    // As the user picks an entry: the entry whose column is given, or the layout by index.
    void choose(QComboBox &combo, int data)
    {
        const int index = &combo == &control<QComboBox>(ControlId::tableLayout) ? data : combo.findData(data);
        ASSERT_GE(index, 0);
        combo.setCurrentIndex(index);
        emit combo.activated(index);
    }
};

void expectReading(const ShownReading &shown, const ShownReading &expected, const char *what)
{
    EXPECT_EQ(shown.layout, expected.layout) << what;
    EXPECT_EQ(shown.header, expected.header) << what;
    EXPECT_EQ(shown.columns, expected.columns) << what;
}

TEST_F(WizardTableTest, StepTwoShowsHowATableIsReadAndHidesThatForRawData)
{
    const struct {
        const char *name;
        QByteArray text;
        QString fileType;
        ShownReading reading;
        int participants;
        int items;
        QStringList firstPreviewRow;
        int previewRows;
    } cases[] = {
        {"long.csv",
         "card_id,card_label,category_id,category_label,user_id\n"
         "1,Apple,10,Fruit,u1\n2,Carrot,11,Veg,u1\n1,Apple,20,Sweet,u2\n2,Carrot,20,Sweet,u2\n"
         "1,Apple,30,Red,u3\n2,Carrot,31,Orange,u3\n1,Apple,40,Food,u4\n",
         u"Card-sort table, one row per card"_s, {0, true, {4, 1, 0, 3, 2}}, 4, 2,
         {u"1"_s, u"Apple"_s, u"10"_s, u"Fruit"_s, u"u1"_s}, TableMappingPanel::previewRows},
        // Without a header nothing names the columns: they are read by position.
        {"headerless.csv", "P1;Apple;Fruit\nP1;Carrot;Veg\nP2;Apple;Food\nP2;Carrot;Food\n",
         u"Card-sort table, one row per card"_s, {0, false, {0, 1, -1, 2, -1}}, 2, 2,
         {u"P1"_s, u"Apple"_s, u"Fruit"_s}, 4},
        {"wide.tsv", "Participant\tApple\tCarrot\tPlum\nP1\tFruit\tVeg\tFruit\nP2\tFood\tFood\t\n",
         u"Card-sort table, one row per participant"_s, {1, true, {0, -1, -1, -1, -1}}, 2, 3,
         {u"P1"_s, u"Fruit"_s, u"Veg"_s, u"Fruit"_s}, 2},
    };
    const int width = wizard.width();
    for (const auto &c : cases) {
        openStudy(write(c.text, QString::fromLatin1(c.name)));
        ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep) << c.name << platform.texts().join(u'|').toStdString();
        EXPECT_EQ(text(ControlId::fileType), c.fileType) << c.name;
        EXPECT_EQ(text(ControlId::participants), QString::number(c.participants)) << c.name;
        EXPECT_EQ(text(ControlId::itemNames), QString::number(c.items)) << c.name;
        EXPECT_TRUE(tableShown()) << c.name;
        expectReading(shown(), c.reading, c.name);
        // In a table of one row per participant the cards are its columns.
        EXPECT_EQ(column(ControlId::cardColumn).isEnabled(), c.reading.layout == 0) << c.name;
        const auto &preview = control<QTableWidget>(ControlId::tablePreview);
        ASSERT_EQ(preview.rowCount(), c.previewRows) << c.name;
        QStringList firstRow;
        for (int col = 0; col < preview.columnCount(); ++col)
            firstRow << preview.item(0, col)->text();
        EXPECT_EQ(firstRow, c.firstPreviewRow) << c.name;
        EXPECT_EQ(wizard.width(), width) << c.name;
        wizard.back();
    }
    EXPECT_TRUE(platform.messages().isEmpty());

    openStudy(write(study(3, false)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(text(ControlId::fileType), u"Sortana"_s);
    EXPECT_FALSE(tableShown());
    EXPECT_FALSE(wizard.run().tableOptions().has_value());
}

TEST_F(WizardTableTest, ChangingTheReadingSurveysAgainAndAReadingThatFailsIsUndone)
{
    const QString path = write("Participant,Card,Category,Theme\n"
                               "P1,Apple,Fruit,Food\nP1,Carrot,Veg,Food\nP1,Plum,Fruit,Food\n"
                               "P2,Apple,Sweet,Food\nP2,Carrot,Root,Garden\nP2,Plum,Sweet,Garden\n",
                               u"study.csv"_s);
    openStudy(path);
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(summary().groupCount, 4);
    control<QLineEdit>(ControlId::copies).setText(u"2"_s);

    // The theme as the category: Food and Garden.
    choose(column(ControlId::categoryColumn), 3);
    EXPECT_EQ(summary().groupCount, 3);   // Food for P1; Food and Garden for P2
    EXPECT_EQ(summary().itemCount, 3);
    EXPECT_EQ(summary().copiesPerParticipant, 2) << "the options stay as the user left them";
    ASSERT_TRUE(wizard.run().tableOptions());
    EXPECT_EQ(wizard.run().tableOptions()->category, u"4"_s);
    expectReading(shown(), {0, true, {0, 1, -1, 3, -1}}, "theme");

    // Switched off, the header row becomes a participant's first card; the columns stay.
    control<QCheckBox>(ControlId::tableHeader).click();
    EXPECT_EQ(summary().lineCount, 7);
    EXPECT_EQ(summary().participantCount, 3);
    expectReading(shown(), {0, false, {0, 1, -1, 3, -1}}, "no header");
    EXPECT_EQ(control<QTableWidget>(ControlId::tablePreview).item(0, 0)->text(), u"Participant"_s);
    control<QCheckBox>(ControlId::tableHeader).click();
    EXPECT_TRUE(platform.messages().isEmpty());

    // The card names of a table of one row per participant are its header row: without it
    // the reading is refused and the previous one stays, survey and all.
    choose(control<QComboBox>(ControlId::tableLayout), 1);
    ASSERT_EQ(summary().fileType, 3);
    EXPECT_EQ(text(ControlId::fileType), u"Card-sort table, one row per participant"_s);
    platform.clear();
    control<QCheckBox>(ControlId::tableHeader).click();
    EXPECT_EQ(platform.texts(),
              QStringList{u"A table with one row per participant needs its header row (the card names)"_s});
    EXPECT_EQ(summary().fileType, 3);
    expectReading(shown(), {1, true, {0, 1, -1, 2, -1}}, "refused");

    // Back to one row per card, then Finish reads the table as chosen.
    choose(control<QComboBox>(ControlId::tableLayout), 0);
    platform.clear();
    choose(column(ControlId::categoryColumn), 3);
    EXPECT_EQ(summary().groupCount, 3);   // Food for P1; Food and Garden for P2
    wizard.next();
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_EQ(wizard.result(), QDialog::Accepted) << platform.texts().join(u'|').toStdString();
    EXPECT_EQ(wizard.run().itemCount(), 3);
    EXPECT_EQ(wizard.inputPath(), path);
}

TEST_F(WizardTableTest, AHeaderlessExportIsReadAsItsCellsTellAndShowsTheRolesFound)
{
    openStudy(QDir(QStringLiteral(SORTANA_TABLES_DIR)).filePath(u"export-headerless.csv"_s));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep) << platform.texts().join(u'|').toStdString();
    EXPECT_TRUE(platform.messages().isEmpty());
    expectReading(shown(), {0, false, {0, 2, 1, 3, -1}}, "export");
    const auto &preview = control<QTableWidget>(ControlId::tablePreview);
    QStringList headers;
    for (int c = 0; c < preview.columnCount(); ++c)
        headers << preview.horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{u"Participant"_s, u"Card id"_s, u"Card"_s, u"Category"_s, u"5"_s, u"6"_s}));
    EXPECT_EQ(summary().participantCount, 3);
    EXPECT_EQ(summary().itemCount, 5);
}

TEST_F(WizardTableTest, ColumnsTheCellsCannotTellAreAskedFor)
{
    openStudy(write("name,email,score\nAnn,ann@example.org,3\nBob,bob@example.org,5\nCy,cy@example.org,3\n",
                    u"people.csv"_s));
    EXPECT_EQ(platform.texts(),
              QStringList{u"The columns of this table could not be told apart.\n"
                          u"Choose its participant, card and category columns on the next step."_s});
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    expectReading(shown(), {0, false, {0, 1, -1, 2, -1}}, "by position");
}

// A header that leaves the participant unnamed, or names it by a bare "ID", still reaches step 2,
// where the participant column is chosen from the table's headings.
TEST_F(WizardTableTest, TheParticipantColumnIsChosenOnStepTwoFromTheHeadings)
{
    QByteArray table = readBytes(QDir(QStringLiteral(SORTANA_TABLES_DIR)).filePath(u"id-column.csv"_s));
    const struct {
        const char *what;
        QString path;
        QStringList messages;
    } cases[] = {
        {"headed ID", write(table, u"id-column.csv"_s), {}},
        {"headed with a name nothing knows",
         write(table.replace(",ID,", ",Person,"), u"person.csv"_s),
         {u"The table has no participant column\nChoose its participant, card and category columns on the next step."_s}},
    };
    for (const auto &c : cases) {
        platform.clear();
        openStudy(c.path);
        ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep) << c.what;
        EXPECT_EQ(platform.texts(), c.messages) << c.what;
        QComboBox &participant = column(ControlId::participantColumn);
        QStringList headings;
        for (int i = 0; i < participant.count(); ++i)
            headings << participant.itemText(i);
        EXPECT_EQ(headings.mid(0, 4),
                  (QStringList{u"1: Card_id"_s, u"2: Card"_s, u"3: Group_id"_s, u"4: Group_name"_s}))
            << c.what;
        // The user tries the card column, then takes the right one.
        choose(participant, 1);
        EXPECT_EQ(summary().participantCount, 4) << c.what;
        choose(participant, 4);
        EXPECT_EQ(summary().participantCount, 3) << c.what;
        expectReading(shown(), {0, true, {4, 1, 0, 3, 2}}, c.what);
        EXPECT_EQ(control<QTableWidget>(ControlId::tablePreview).rowCount(), TableMappingPanel::previewRows) << c.what;
        wizard.next();
        wizard.button(QWizard::FinishButton)->click();
        EXPECT_EQ(wizard.result(), QDialog::Accepted) << c.what << platform.texts().join(u'|').toStdString();
        EXPECT_EQ(wizard.run().itemCount(), 4) << c.what;
        wizard.restart();
        wizard.show();
    }
}

TEST_F(WizardTest, BrowseShowsRawDataAndTablesAtFirst)
{
    QStringList filters;
    QString selected;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        dialog->reject();
    });
    control<QPushButton>(ControlId::browse).click();
    EXPECT_EQ(filters,
              (QStringList{u"Card-sort data (*.txt *.csv *.tsv *.xlsx)"_s, u"Text Files (*.txt)"_s, u"All Files (*)"_s,
                           u"Card-sort tables (*.csv *.tsv *.xlsx)"_s}));
    EXPECT_EQ(selected, filters.value(0));
}

QStringList analysisFiles(const QString &folder, const QString &base)
{
    QStringList paths;
    for (const char *suffix : {"Cards", "Items", "Matrix", "Participants", "WeightedMatrix"})
        paths << QDir(folder).filePath(base + u'-' + QLatin1String(suffix) + u".csv"_s);
    return paths;
}

TEST_F(WizardTest, TheAnalysisFilesGoToTheFolderChosenOnStepOne)
{
    const QString input = write(study(3, false));
    QTemporaryDir other;
    control<QLineEdit>(ControlId::inputFile).setText(input);
    EXPECT_EQ(control<QLineEdit>(ControlId::outputFolder).text(), QDir::toNativeSeparators(dir.path()))
        << "the input's folder at first";
    platform.scriptFolders({other.path()});
    control<QPushButton>(ControlId::chooseFolder).click();
    EXPECT_EQ(control<QLineEdit>(ControlId::outputFolder).text(), QDir::toNativeSeparators(other.path()));
    // Another input keeps the folder chosen.
    control<QLineEdit>(ControlId::inputFile).setText(input + u"x"_s);
    control<QLineEdit>(ControlId::inputFile).setText(input);
    EXPECT_EQ(control<QLineEdit>(ControlId::outputFolder).text(), QDir::toNativeSeparators(other.path()));

    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep) << platform.texts().join(u'|').toStdString();
    wizard.next();
    EXPECT_EQ(control<QPlainTextEdit>(ControlId::exportList).toPlainText().split(u'\n', Qt::SkipEmptyParts),
              analysisFiles(other.path(), u"study"_s));
    wizard.button(QWizard::FinishButton)->click();
    ASSERT_EQ(wizard.result(), QDialog::Accepted);
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"study.txt"_s});
    EXPECT_EQ(wizard.run().outputFolder(), other.path() + u'/');
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(WizardTest, AnUnwritableFolderIsFoundOnStepOneAndAnotherCanBeChosen)
{
    const QString input = write(study(3, false));
    platform.setUnwritable(dir.path());
    const QString refusal = u"The folder "_s + QDir::toNativeSeparators(dir.path())
        + u" cannot be written to.\nChoose another folder for the analysis files."_s;

    platform.script({MessageAnswer::Cancel});
    openStudy(input);
    EXPECT_EQ(wizard.currentId(), ImportWizard::OpenStep);
    ASSERT_EQ(platform.messages().size(), 1);
    EXPECT_EQ(platform.messages().front(),
              (ScriptedPlatform::Message{refusal, MessageIcon::Exclamation, MessageButtons::ChooseFolderCancel}));

    // Choose Folder... with the dialog cancelled stays too.
    platform.clear();
    platform.script({MessageAnswer::ChooseFolder});
    wizard.next();
    EXPECT_EQ(wizard.currentId(), ImportWizard::OpenStep);
    EXPECT_EQ(platform.texts(), QStringList{refusal});

    // A folder that cannot be written either is refused in turn; then one that can.
    QTemporaryDir unwritable;
    QTemporaryDir writable;
    platform.setUnwritable(unwritable.path());
    platform.clear();
    platform.script({MessageAnswer::ChooseFolder, MessageAnswer::ChooseFolder});
    platform.scriptFolders({unwritable.path(), writable.path()});
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(platform.texts(),
              (QStringList{refusal,
                           u"The folder "_s + QDir::toNativeSeparators(unwritable.path())
                               + u" cannot be written to.\nChoose another folder for the "
                                 u"analysis files."_s}));
    EXPECT_EQ(control<QLineEdit>(ControlId::outputFolder).text(), QDir::toNativeSeparators(writable.path()));
    EXPECT_EQ(wizard.run().fileNames().cardsPath, analysisFiles(writable.path(), u"study"_s).front());
    EXPECT_EQ(filesIn(writable.path()), QStringList()) << "the trial file is taken back";
}

TEST_F(WizardTest, AFileGivenAsTheFolderIsRefusedOnStepOne)
{
    const QString input = write(study(3, false));
    const QString notes = write("kept", u"notes"_s);
    control<QLineEdit>(ControlId::inputFile).setText(input);
    control<QLineEdit>(ControlId::outputFolder).setText(notes);
    platform.script({MessageAnswer::Cancel});
    wizard.next();
    EXPECT_EQ(wizard.currentId(), ImportWizard::OpenStep);
    ASSERT_EQ(platform.messages().size(), 1);
    EXPECT_EQ(
        platform.messages().front(),
        (ScriptedPlatform::Message{QDir::toNativeSeparators(notes)
                                       + u" is a file, not a folder.\nChoose another folder for the analysis files."_s,
                                   MessageIcon::Exclamation, MessageButtons::ChooseFolderCancel}));

    QTemporaryDir other;
    platform.clear();
    platform.script({MessageAnswer::ChooseFolder});
    platform.scriptFolders({other.path()});
    wizard.next();
    EXPECT_EQ(wizard.currentId(), ImportWizard::OptionsStep) << platform.texts().join(u'|').toStdString();
    EXPECT_EQ(readBytes(notes), "kept");
}

TEST_F(WizardTest, StepsOneAndThreeNameTheAnalysisFilesThatWillBeReplaced)
{
    const QString input = write(study(3, false));
    writeBytes(dir.filePath(u"study-Matrix.csv"_s), "earlier");
    writeBytes(dir.filePath(u"study-Cards.csv"_s), "earlier");
    const auto existing = [this]() -> QLabel & { return control<QLabel>(ControlId::existingFiles); };
    control<QLineEdit>(ControlId::inputFile).setText(input);
    const QString replaced = u"These files exist and will be replaced:\nstudy-Cards.csv\nstudy-Matrix.csv"_s;
    EXPECT_EQ(existing().text(), replaced);
    EXPECT_TRUE(existing().isVisible());
    wizard.next();
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::FinishStep);
    auto *finishPage = wizard.currentPage();
    EXPECT_EQ(finishPage->findChild<QLabel *>(controlName(ControlId::existingFiles))->text(), replaced);

    // Another folder holds none of them.
    wizard.back();
    wizard.back();
    QTemporaryDir other;
    control<QLineEdit>(ControlId::outputFolder).setText(other.path());
    EXPECT_FALSE(existing().isVisible());
}

// The box for the UTF-8 copies starts as the user left it at the last Finish (a cancel keeps
// nothing); when it is on, both lists of files name the copies too.
TEST_F(WizardTest, TheUtf8CopiesAreRememberedAndListed)
{
    const QString input = write(study(3, false));
    writeBytes(dir.filePath(u"study-Cards-utf8.csv"_s), "earlier");
    const auto existing = [](QWizard &shown) {
        return shown.currentPage()->findChild<QLabel *>(controlName(ControlId::existingFiles))->text();
    };
    const QString copyReplaced = u"These files exist and will be replaced:\nstudy-Cards-utf8.csv"_s;

    control<QLineEdit>(ControlId::inputFile).setText(input);
    EXPECT_EQ(existing(wizard), QString());
    wizard.next();
    wizard.next();
    auto &box = control<QCheckBox>(ControlId::utf8Csv);
    EXPECT_FALSE(box.isChecked());
    box.setChecked(true);
    QStringList written;
    for (const QString &path : analysisFiles(dir.path(), u"study"_s))
        written << path << path.chopped(4) + u"-utf8.csv"_s;
    EXPECT_EQ(control<QPlainTextEdit>(ControlId::exportList).toPlainText().split(u'\n', Qt::SkipEmptyParts), written);
    EXPECT_EQ(existing(wizard), copyReplaced);
    wizard.button(QWizard::FinishButton)->click();
    ASSERT_EQ(wizard.result(), QDialog::Accepted);
    EXPECT_TRUE(wizard.run().utf8CsvCopies());

    ImportWizard next(platform, nullptr, &settings);
    next.show();
    next.findChild<QLineEdit *>(controlName(ControlId::inputFile))->setText(input);
    EXPECT_EQ(existing(next), copyReplaced);
    next.next();
    next.next();
    auto *nextBox = next.findChild<QCheckBox *>(controlName(ControlId::utf8Csv));
    EXPECT_TRUE(nextBox->isChecked());
    nextBox->setChecked(false);
    next.reject();
    EXPECT_TRUE(ImportWizard(platform, nullptr, &settings).run().utf8CsvCopies());
}

TEST(PathElision, ShortensTheFolderNeverTheFileName)
{
    const QFontMetrics metrics(QApplication::font());
    const QString folder = u"/home/researcher/studies/2024/library website redesign/round two"_s;
    const QString name = u"library-website.txt"_s;
    const QString path = folder + u"/"_s + name;
    const int full = metrics.horizontalAdvance(path);
    const int nameOnly = metrics.horizontalAdvance(u"/"_s + name);
    const QString ellipsis(QChar(0x2026));
    const struct {
        int width;
        QString expected;   // empty: shortened in the folder, to fit
    } cases[] = {
        {full, path},
        {full - 1, QString()},
        {nameOnly + 4 * metrics.horizontalAdvance(u"m"_s), QString()},
        {nameOnly, ellipsis + u"/"_s + name},
        {10, ellipsis + u"/"_s + name},
    };
    for (const auto &c : cases) {
        const QString shown = elidePath(path, metrics, c.width);
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(shown, c.expected) << c.width;
            continue;
        }
        EXPECT_TRUE(shown.endsWith(u"/"_s + name)) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(u"/"_s)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(ellipsis)) << shown.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(shown), c.width) << shown.toStdString();
    }
    // A file name without a folder, or a name wider than the room, is never cut.
    EXPECT_EQ(elidePath(name, metrics, 10), name);
    EXPECT_EQ(elidePath(u"C:\\data\\"_s + name, metrics, nameOnly), ellipsis + u"\\"_s + name);
}

TEST_F(WizardTest, StepTwoShowsALongPathWithItsFileNameWhole)
{
    const QString deep = u"a folder with a long name/another folder with a long name/and one more"_s;
    ASSERT_TRUE(QDir(dir.path()).mkpath(deep));
    const QString path = write(study(3, false), deep + u"/the study itself.txt"_s);
    openStudy(path);
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    const PathLabel &label = control<PathLabel>(ControlId::fileName);
    EXPECT_EQ(label.toolTip(), path);
    EXPECT_TRUE(label.text().endsWith(u"/the study itself.txt"_s)) << label.text().toStdString();
    EXPECT_TRUE(label.text().contains(QChar(0x2026))) << label.text().toStdString();
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), label.width());
}

TEST_F(WizardTest, PlainStudyShowsNoFeaturesAndOneParticipantDisablesTheExpert)
{
    openStudy(write(study(1, false)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(text(ControlId::features), QString());
    EXPECT_FALSE(control<QCheckBox>(ControlId::useExpert).isEnabled());
    EXPECT_FALSE(control<QCheckBox>(ControlId::useFit).isChecked());
}

TEST_F(WizardTest, CopiesOutsideOneToTenAreRefused)
{
    openStudy(write(study(3, true)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    const struct {
        QString copies;
        bool accepted;
    } cases[] = {{u"0"_s, false}, {u"11"_s, false}, {QString(), false}, {u"99999999999"_s, false},
                 {u"10"_s, true}, {u"1"_s, true}};
    for (const auto &c : cases) {
        platform.clear();
        control<QLineEdit>(ControlId::copies).setText(c.copies);
        // A change of option checks the copies as well, and keeps the change even if refused.
        control<QCheckBox>(ControlId::useExpert).click();
        const bool expert = control<QCheckBox>(ControlId::useExpert).isChecked();
        EXPECT_EQ(summary().useExpert, expert);
        EXPECT_EQ(platform.texts().isEmpty(), c.accepted) << c.copies.toStdString();
        if (!c.accepted) {
            EXPECT_EQ(text(ControlId::maximumScore), u"Invalid number of copies entered"_s);
        }

        platform.clear();
        wizard.next();
        EXPECT_EQ(wizard.currentId(), c.accepted ? ImportWizard::FinishStep : ImportWizard::OptionsStep)
            << c.copies.toStdString();
        EXPECT_EQ(platform.texts(), c.accepted ? QStringList() : QStringList{copiesMessage});
        if (c.accepted) {
            EXPECT_EQ(summary().copiesPerParticipant, c.copies.toInt());
            wizard.back();
        }
    }
}

TEST_F(WizardTest, NextFromStepOneAgainResetsTheOptions)
{
    openStudy(write(study(3, true)));
    control<QLineEdit>(ControlId::copies).setText(u"4"_s);
    control<QCheckBox>(ControlId::useFit).click();
    control<QCheckBox>(ControlId::useExpert).click();
    EXPECT_EQ(summary().copiesPerParticipant, 4);
    wizard.back();
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    EXPECT_EQ(control<QLineEdit>(ControlId::copies).text(), u"1"_s);
    EXPECT_TRUE(control<QCheckBox>(ControlId::useFit).isChecked());
    EXPECT_FALSE(control<QCheckBox>(ControlId::useExpert).isChecked());
    EXPECT_EQ(summary().copiesPerParticipant, 1);
    EXPECT_FALSE(summary().useExpert);
}

TEST_F(WizardTest, ResetReturnsTheBoxesToWhatTheSurveyFound)
{
    for (const bool features : {true, false}) {
        openStudy(write(study(3, features)));
        control<QCheckBox>(ControlId::useFit).click();
        control<QCheckBox>(ControlId::useSubGroups).click();
        control<QCheckBox>(ControlId::useExpert).click();
        EXPECT_EQ(text(ControlId::participants), u"2"_s);
        control<QPushButton>(ControlId::reset).click();
        EXPECT_EQ(control<QCheckBox>(ControlId::useFit).isChecked(), features);
        EXPECT_EQ(control<QCheckBox>(ControlId::useSubGroups).isChecked(), features);
        EXPECT_FALSE(control<QCheckBox>(ControlId::useExpert).isChecked());
        EXPECT_EQ(text(ControlId::participants), u"3"_s);
        wizard.back();
    }
}

TEST_F(WizardTest, ClickingAnOptionAfterBadCopiesTellsOnceAndTakesEffect)
{
    openStudy(write(study(3, true)));
    ASSERT_EQ(wizard.currentId(), ImportWizard::OptionsStep);
    wizard.activateWindow();
    QApplication::setActiveWindow(&wizard);
    QLineEdit &copies = control<QLineEdit>(ControlId::copies);
    QCheckBox &fit = control<QCheckBox>(ControlId::useFit);
    QCheckBox &expert = control<QCheckBox>(ControlId::useExpert);
    // A click as the window gets it, so the press takes the focus from the copies field.
    const auto click = [&](QWidget &target) {
        const QPoint centre = target.mapTo(&wizard, target.rect().center());
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, centre, wizard.mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(wizard.windowHandle(), &event);
        }
        QCoreApplication::processEvents();
    };
    const auto enterBadCopies = [&] {
        platform.clear();
        copies.setFocus();
        ASSERT_TRUE(copies.hasFocus());
        copies.setText(u"0"_s);
    };

    expert.setChecked(true);
    enterBadCopies();
    click(control<QPushButton>(ControlId::reset));
    EXPECT_EQ(platform.texts(), QStringList{copiesMessage});
    EXPECT_FALSE(expert.isChecked());
    EXPECT_TRUE(copies.hasFocus());

    enterBadCopies();
    click(fit);
    EXPECT_EQ(platform.texts(), QStringList{copiesMessage});
    EXPECT_FALSE(fit.isChecked());
    EXPECT_FALSE(summary().useFit);

    // Leaving the field for another field still checks it, once.
    enterBadCopies();
    click(control<QLineEdit>(ControlId::copies));   // no change of focus: no check
    EXPECT_TRUE(platform.texts().isEmpty());
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(&copies, &tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(platform.texts(), QStringList{copiesMessage});
}

TEST_F(WizardTest, FinishWithAReaderErrorStaysOnStepThree)
{
    const QString input = write(readBytes(u"" SORTANA_GOLDEN_DIR "/cancelled/cancelled.txt"_s), u"cancelled.txt"_s);
    openStudy(input);
    wizard.next();
    ASSERT_EQ(wizard.currentId(), ImportWizard::FinishStep);
    const QString list = control<QPlainTextEdit>(ControlId::exportList).toPlainText();
    EXPECT_EQ(list.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{dir.filePath(u"cancelled-Cards.csv"_s), dir.filePath(u"cancelled-Items.csv"_s),
                           dir.filePath(u"cancelled-Matrix.csv"_s), dir.filePath(u"cancelled-Participants.csv"_s),
                           dir.filePath(u"cancelled-WeightedMatrix.csv"_s)}));

    platform.script({MessageAnswer::Cancel});
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(wizard.currentId(), ImportWizard::FinishStep);
    EXPECT_EQ(platform.texts(), QStringList{u"Warning - duplicate item found at line 18 (participant id P1b)"_s});
    EXPECT_EQ(control<QPlainTextEdit>(ControlId::exportList).toPlainText(), list);
    EXPECT_EQ(platform.busyDepth(), 0);

    // Going on past the warning this time: the same wizard finishes.
    platform.clear();
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_FALSE(wizard.isVisible());
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST_F(WizardTest, FinishReadsAndClusters)
{
    openStudy(write(study(4, true)));
    wizard.next();
    control<QCheckBox>(ControlId::openCsv).setChecked(true);
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
    EXPECT_EQ(wizard.run().itemCount(), 2);
    EXPECT_NE(wizard.run().clusterAnalysis().root(), nullptr);
    EXPECT_TRUE(wizard.openCsvOnCompletion);
    EXPECT_EQ(wizard.inputPath(), dir.filePath(u"study.txt"_s));
    EXPECT_TRUE(platform.messages().isEmpty());
}

} // namespace
