#include "app/DocumentFrame.h"
#include "app/HelpWindow.h"
#include "app/ImportWizard.h"
#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/SettingsBar.h"
#include "app/SingleInstance.h"
#include "cli/CliRunner.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "drawing/DendrogramLayout.h"
#include "formats/Archive.h"
#include "study/ClusterTree.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/DocumentFile.h"
#include "views/DendrogramView.h"
#include "views/MatrixView.h"
#include "views/ParticipantsView.h"

#include "document/DocumentText.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QSet>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include <memory>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame->show();
        // Every import wizard that comes up is noted with its step 1 input, then cancelled.
        QObject::connect(&wizardWatch, &QTimer::timeout, [this] {
            if (auto *wizard = dynamic_cast<ImportWizard *>(QApplication::activeModalWidget())) {
                wizardInputs << wizard->findChild<QLineEdit *>(controlName(ControlId::inputFile))->text();
                wizard->reject();
            }
        });
        wizardWatch.start(5);
    }
    void TearDown() override { frame.reset(); }

    // Lets posted commands run.
    void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    QString documentFile(const QString &name)
    {
        QString path = dir.filePath(name);
        writeBytes(path, readBytes(u"" SORTANA_GOLDEN_DIR "/medium/expected/medium.klus"_s));
        return path;
    }
    // The small example study imported by sortana-cli as study.klus, open in a window.
    void openImportedStudy()
    {
        const QString document = dir.filePath(u"study.klus"_s);
        const CliRun import = runCli({u"import"_s, u"" SORTANA_EXAMPLES_DIR "/small-study.txt"_s, u"--outdir"_s,
                                      dir.path(), u"--document"_s, document});
        ASSERT_EQ(import.status, 0) << import.err.toStdString();
        frame->openFile(document);
        settle();
    }
    QString dataFile(const QString &name)
    {
        QString path = dir.filePath(name);
        writeBytes(path, readBytes(u"" SORTANA_EXAMPLES_DIR "/small-study.txt"_s));
        return path;
    }
    // The small example imported by sortana-cli into a document of the study's own: its sorts
    // included.
    QString importedDocument()
    {
        const QString document = dir.filePath(u"study.klus"_s);
        const CliRun import = runCli({u"import"_s, u"" SORTANA_EXAMPLES_DIR "/small-study.txt"_s, u"--outdir"_s,
                                      dir.path(), u"--document"_s, document});
        EXPECT_EQ(import.status, 0) << import.err.toStdString();
        return document;
    }
    QStringList menuTitles() const
    {
        QStringList titles;
        for (const QAction *menu : frame->menuBar()->actions())
            titles << menu->text();
        return titles;
    }
    // A command of the main window, found by its object name as tools find it.
    QAction *command(const QString &name) const { return frame->findChild<QAction *>(name); }
    bool enabled(const QString &name) const { return command(name)->isEnabled(); }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"settings.ini"_s), QSettings::IniFormat};
    ScriptedPlatform platform;
    std::unique_ptr<MainWindow> frame = std::make_unique<MainWindow>(platform, settings);
    QTimer wizardWatch;
    QStringList wizardInputs;
};

const QStringList shortMenus = {u"&File"_s, u"&View"_s, u"&Help"_s};
const QStringList documentMenus = {u"&File"_s, u"&Edit"_s, u"&View"_s, u"&Analysis"_s, u"&Window"_s, u"&Help"_s};

TEST_F(MainFrameTest, NewShowsAnEmptyWindowAndTheWizardAtOnce)
{
    EXPECT_EQ(menuTitles(), shortMenus);
    frame->newDocument();
    settle();
    ASSERT_EQ(frame->frames().size(), 1);
    EXPECT_EQ(wizardInputs, QStringList{QString()});
    EXPECT_FALSE(frame->activeFrame()->document().hasStudy());
    EXPECT_EQ(frame->activeFrame()->windowTitle(), u"Untitled1[*]"_s);
    EXPECT_EQ(menuTitles(), documentMenus);
    for (const QString &name : {u"copy"_s, u"properties"_s, u"fileSave"_s, u"fileSaveAs"_s})
        EXPECT_FALSE(enabled(name)) << name.toStdString();
    // New is always available, and its button is drawn in full strength to say so.
    const QImage icon = command(u"fileNew"_s)->icon().pixmap(16, 16).toImage();
    int strong = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x)
            strong += qAlpha(icon.pixel(x, y)) > 200 && qGray(icon.pixel(x, y)) < 100;
    }
    EXPECT_GE(strong, 16);
}

TEST_F(MainFrameTest, FilesAreRoutedByType)
{
    const QString document = documentFile(u"study.KLUS"_s);
    const QString data = dataFile(u"study.txt"_s);
    const QString missing = dir.filePath(u"missing.txt"_s);
    const struct {
        QString path;
        bool loaded;
    } cases[] = {{document, true}, {data, false}, {missing, false}};
    const std::function<void(MainWindow &, const QString &)> routes[] = {
        [](MainWindow &f, const QString &path) { f.openFile(path); },
        [](MainWindow &f, const QString &path) { f.dropFiles({path}); },
        [](MainWindow &f, const QString &path) { EXPECT_TRUE(f.executeRequest(SingleInstance::openRequest(path))); },
    };
    for (const auto &route : routes) {
        for (const auto &c : cases) {
            frame = std::make_unique<MainWindow>(platform, settings);
            wizardInputs.clear();
            route(*frame, c.path);
            settle();
            ASSERT_EQ(frame->frames().size(), 1) << c.path.toStdString();
            EXPECT_EQ(frame->activeFrame()->document().hasStudy(), c.loaded);
            // Anything but a document is the input of an import that starts at once.
            EXPECT_EQ(wizardInputs, c.loaded ? QStringList() : QStringList{c.path});
        }
    }
    EXPECT_EQ(platform.messages().size(), 0);
}

TEST_F(MainFrameTest, TheFirstDroppedFileDecides)
{
    const QString first = documentFile(u"first.klus"_s);
    const QString second = documentFile(u"second.klus"_s);
    const QString data = dataFile(u"study.txt"_s);
    frame->dropFiles({first, second, data});
    settle();
    EXPECT_EQ(frame->frames().size(), 3);
    EXPECT_EQ(wizardInputs, QStringList{data});

    frame = std::make_unique<MainWindow>(platform, settings);
    wizardInputs.clear();
    frame->dropFiles({data, first});
    settle();
    EXPECT_EQ(frame->frames().size(), 1);
    EXPECT_EQ(wizardInputs, QStringList{data});
}

TEST_F(MainFrameTest, OpenRequestsOfTheLimitLengthAreRefused)
{
    const QString document = documentFile(u"study.klus"_s);
    // Padding the path with "./" and "/" keeps it naming the same file.
    const auto requestOfLength = [&](qsizetype length) {
        const qsizetype padding = length - SingleInstance::openRequest(document).size();
        QString path = document;
        path.insert(dir.path().size() + 1, u"./"_s.repeated(padding / 2) + u"/"_s.repeated(padding % 2));
        return SingleInstance::openRequest(path);
    };
    const QString longest = requestOfLength(SingleInstance::maxRequestLength - 1);
    ASSERT_EQ(longest.size(), SingleInstance::maxRequestLength - 1);
    EXPECT_FALSE(frame->executeRequest(longest + u" "_s));
    EXPECT_FALSE(frame->executeRequest(u"open the file"_s));
    EXPECT_TRUE(frame->frames().isEmpty());

    EXPECT_TRUE(frame->executeRequest(longest));
    EXPECT_EQ(frame->frames().size(), 1);
}

// Files sent while dialogs are open wait for the last one to close, then open in the order
// they came.
TEST_F(MainFrameTest, OpenRequestsWaitForTheLastDialogToClose)
{
    const QString first = documentFile(u"first.klus"_s);
    const QString second = documentFile(u"second.klus"_s);
    const QString third = documentFile(u"third.klus"_s);
    QDialog outer(frame.get());
    outer.setModal(true);
    outer.show();
    QDialog inner(&outer);
    inner.setModal(true);
    inner.show();
    EXPECT_TRUE(frame->executeRequest(SingleInstance::openRequest(first)));
    EXPECT_TRUE(frame->executeRequest(SingleInstance::openRequest(second)));
    settle();
    EXPECT_TRUE(frame->frames().isEmpty());
    inner.hide();
    settle();
    EXPECT_TRUE(frame->frames().isEmpty()) << "a dialog is still open";
    outer.hide();
    // One that arrives before the waiting ones have opened goes after them.
    EXPECT_TRUE(frame->executeRequest(SingleInstance::openRequest(third)));
    settle();
    QStringList opened;
    for (const DocumentFrame *window : frame->frames())
        opened << window->document().pathName;
    EXPECT_EQ(opened, (QStringList{first, second, third}));
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
}

// A document window's title carries Qt's mark of unsaved changes, and so does the main
// window's while that document is the active one.
TEST_F(MainFrameTest, TheTitlesMarkUnsavedChanges)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    DocumentFrame *window = frame->activeFrame();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), u"study.klus[*]"_s);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(frame->windowTitle(), u"Sortana - study.klus"_s);

    command(u"similarityScale"_s)->trigger();
    settle();
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(frame->windowTitle(), u"Sortana - study.klus*"_s);

    command(u"fileSave"_s)->trigger();
    settle();
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(frame->windowTitle(), u"Sortana - study.klus"_s);
}

TEST_F(MainFrameTest, RequestsTravelFromALaterStart)
{
    const QString serverName = u"sortana-test-%1"_s.arg(QCoreApplication::applicationPid());
    SingleInstance running;
    QStringList received;
    ASSERT_TRUE(running.listen(serverName, [&](const QString &request) { received << request; }));
    EXPECT_TRUE(SingleInstance::passToRunningInstance(serverName, u"/data/study.txt"_s));
    EXPECT_TRUE(SingleInstance::passToRunningInstance(serverName, u"/data/"_s + u"x"_s.repeated(600)));
    const QDeadlineTimer deadline(5000);
    while (received.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    settle();
    EXPECT_EQ(received, QStringList{SingleInstance::openRequest(u"/data/study.txt"_s)});
    EXPECT_EQ(SingleInstance::requestedPath(received.value(0)), u"/data/study.txt"_s);
}

TEST_F(MainFrameTest, MenusAndCommandsFollowTheActiveDocument)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    EXPECT_EQ(menuTitles(), documentMenus);
    for (const QString &name :
         {u"copy"_s, u"properties"_s, u"fileSave"_s, u"importExport"_s, u"print"_s, u"printPreview"_s})
        EXPECT_TRUE(enabled(name)) << name.toStdString();
    // Offered but never available: the program has nothing to cut, paste, undo or split.
    for (const QString &name : {u"cut"_s, u"paste"_s, u"undo"_s, u"nextPane"_s, u"previousPane"_s})
        EXPECT_FALSE(enabled(name)) << name.toStdString();
    EXPECT_EQ(command(u"copy"_s)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(u"Ctrl+C"_s), QKeySequence(u"Ctrl+Ins"_s)}));
    EXPECT_EQ(command(u"importExport"_s)->statusTip(), u"Import raw data and export analysis files"_s);
    EXPECT_EQ(command(u"importExport"_s)->toolTip(), u"Import and Export"_s);

    command(u"fileClose"_s)->trigger();
    settle();
    EXPECT_TRUE(frame->frames().isEmpty());
    EXPECT_EQ(menuTitles(), shortMenus);
    EXPECT_FALSE(enabled(u"fileSave"_s));
}

// Code, tests and tools find a command by its object name alone.
TEST_F(MainFrameTest, EveryCommandOnTheMenusAndToolbarIsFoundByItsName)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    QList<QAction *> items = frame->menuBar()->actions() + frame->findChild<QToolBar *>(u"toolBar"_s)->actions();
    // The list grows by each submenu's entries as it is walked.
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QAction *item = items[i];
        if (item->menu()) {
            items += item->menu()->actions();
        } else if (!item->isSeparator()) {
            EXPECT_TRUE(!item->objectName().isEmpty() && frame->action(item->objectName()) == item)
                << item->text().toStdString();
        }
    }
}

TEST_F(MainFrameTest, HelpOpensTheGuideAtItsStartPage)
{
    QAction *help = command(u"help"_s);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    // In the Help menu with or without a document.
    for (const bool withDocument : {false, true}) {
        if (withDocument) {
            frame->openFile(documentFile(u"study.klus"_s));
            settle();
        }
        const QMenu *helpMenu = frame->menuBar()->actions().constLast()->menu();
        EXPECT_EQ(helpMenu->actions().constFirst(), help) << withDocument;
    }
    help->trigger();
    HelpWindow *window = helpWindowOf(*frame);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->browser().source().fileName(), u"index.html"_s);
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(MainFrameTest, TheSimilarityMatrixOpensInAWindowOfItsOwn)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    EXPECT_TRUE(command(u"similarityMatrix"_s)->isEnabled());
    command(u"similarityMatrix"_s)->trigger();
    settle();
    ASSERT_EQ(frame->frames().size(), 2);
    DocumentFrame *matrix = frame->activeFrame();
    EXPECT_EQ(matrix->kind(), DocumentFrame::Kind::SimilarityMatrix);
    EXPECT_NE(dynamic_cast<MatrixView *>(&matrix->view()), nullptr);
    EXPECT_EQ(matrix->windowTitle(), u"study.klus:2 - Similarity Matrix[*]"_s);
    // A document saved without its matrix has nothing to copy in that window.
    EXPECT_FALSE(enabled(u"copy"_s));

    command(u"newWindow"_s)->trigger();
    settle();
    ASSERT_EQ(frame->frames().size(), 3);
    EXPECT_EQ(frame->activeFrame()->kind(), DocumentFrame::Kind::Dendrogram);
    EXPECT_TRUE(enabled(u"copy"_s));
}

TEST_F(MainFrameTest, TheParticipantsOpenInAWindowOfTheirOwn)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    ASSERT_TRUE(enabled(u"participants"_s));
    command(u"participants"_s)->trigger();
    settle();
    ASSERT_EQ(frame->frames().size(), 2);
    DocumentFrame *participants = frame->activeFrame();
    EXPECT_EQ(participants->kind(), DocumentFrame::Kind::Participants);
    EXPECT_NE(dynamic_cast<ParticipantsView *>(&participants->view()), nullptr);
    EXPECT_EQ(participants->windowTitle(), u"study.klus:2 - Participants[*]"_s);
    // This document was saved without the sorts: nothing to copy, and never a picture.
    EXPECT_FALSE(enabled(u"copy"_s));
    EXPECT_FALSE(enabled(u"exportPicture"_s));

    // An empty document has no participants to show.
    frame->newDocument();
    settle();
    EXPECT_FALSE(enabled(u"participants"_s));
}

// Analyse Again in the participants window writes the UTF-8 copies as the user last chose on
// the wizard's step 3.
TEST_F(MainFrameTest, AnalyseAgainFollowsTheRememberedChoiceOfUtf8Copies)
{
    frame->openFile(importedDocument());
    settle();
    command(u"participants"_s)->trigger();
    settle();
    auto *view = dynamic_cast<ParticipantsView *>(&frame->activeFrame()->view());
    ASSERT_NE(view, nullptr);
    for (const bool chosen : {false, true}) {
        chooseUtf8CsvCopies(settings, chosen);
        const QString name = chosen ? u"with"_s : u"without"_s;
        view->setFilesChooser([&](const QString &) { return dir.filePath(name + u"-Cards.csv"_s); });
        ASSERT_TRUE(view->includeAll()) << platform.texts().join(u" | "_s).toStdString();
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(name + u"-Matrix.csv"_s)));
        EXPECT_EQ(QFileInfo::exists(dir.filePath(name + u"-Matrix-utf8.csv"_s)), chosen);
    }
}

// File > Export Picture draws what the active window shows, through the same functions as
// sortana-cli render: the dendrogram or the matrix, as the type and resolution chosen.
TEST_F(MainFrameTest, ExportPictureWritesWhatTheActiveWindowShows)
{
    ASSERT_NO_FATAL_FAILURE(openImportedStudy());
    ASSERT_TRUE(enabled(u"exportPicture"_s));
    QStringList offered;
    PictureTarget answer{dir.filePath(u"tree.png"_s), 300};
    frame->setPictureChooser([&](const QString &initial) {
        offered << initial;
        return answer;
    });
    command(u"exportPicture"_s)->trigger();
    const QImage tree(dir.filePath(u"tree.png"_s));
    ASSERT_FALSE(tree.isNull());
    EXPECT_EQ(std::lround(tree.dotsPerMeterX() * 0.0254), 300);
    // 150 mm at 300 dots per inch, give or take a name past the drawing's edge.
    EXPECT_GE(tree.width(), 1772);

    command(u"similarityMatrix"_s)->trigger();
    settle();
    answer = {dir.filePath(u"matrix.pdf"_s), 150};
    command(u"exportPicture"_s)->trigger();
    EXPECT_TRUE(readBytes(dir.filePath(u"matrix.pdf"_s)).startsWith("%PDF"));
    EXPECT_EQ(offered, (QStringList{dir.filePath(u"study.svg"_s), dir.filePath(u"study-matrix.svg"_s)}));

    // Cancelled, nothing is written.
    const QStringList before = filesIn(dir.path());
    answer = {};
    command(u"exportPicture"_s)->trigger();
    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();

    // A matrix window on a document saved without its matrix has no picture to give.
    frame->openFile(documentFile(u"older.klus"_s));
    command(u"similarityMatrix"_s)->trigger();
    settle();
    EXPECT_FALSE(enabled(u"exportPicture"_s));
}

// The report is written from a copy of the study on a thread of its own: it says what the
// command line's report of the same document says, byte for byte.
TEST_F(MainFrameTest, ExportReportWritesTheActiveDocumentsReport)
{
    ASSERT_NO_FATAL_FAILURE(openImportedStudy());
    ASSERT_TRUE(enabled(u"exportReport"_s));
    QStringList offered;
    QString answer = dir.filePath(u"report.html"_s);
    frame->setReportChooser([&](const QString &initial) {
        offered << initial;
        return answer;
    });
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    command(u"exportReport"_s)->trigger();
    const CliRun cli = runCli({u"report"_s, dir.filePath(u"study.klus"_s), dir.filePath(u"cli.html"_s)}, {}, -1,
                              {u"SOURCE_DATE_EPOCH=1700000000"_s});
    qunsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(cli.status, 0);
    EXPECT_EQ(offered, QStringList{dir.filePath(u"study-report.html"_s)});
    EXPECT_EQ(readBytes(dir.filePath(u"report.html"_s)), readBytes(dir.filePath(u"cli.html"_s)));
    EXPECT_FALSE(frame->activeFrame()->document().isModified());

    // Cancelled, nothing is written; a folder that is not there is told of.
    const QStringList before = filesIn(dir.path());
    answer.clear();
    command(u"exportReport"_s)->trigger();
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
    answer = dir.filePath(u"missing/report.pdf"_s);
    command(u"exportReport"_s)->trigger();
    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_EQ(platform.texts(), QStringList{u"Failed to save report.\nMake sure the folder exists and is writable"_s});
}

// Every menu reaches each of its entries with a key of its own.
TEST_F(MainFrameTest, AccessKeysAreUniqueInEveryMenu)
{
    ASSERT_NO_FATAL_FAILURE(openImportedStudy());
    const std::function<void(const QMenu &)> check = [&](const QMenu &menu) {
        QStringList keys;
        for (const QAction *action : menu.actions()) {
            if (action->menu())
                check(*action->menu());
            const QString text = action->text();
            const qsizetype amp = text.indexOf(u'&');
            if (amp >= 0 && amp + 1 < text.size() && !action->isSeparator()) {
                const QString key = text.mid(amp + 1, 1).toLower();
                EXPECT_FALSE(keys.contains(key)) << menu.title().toStdString() << ": " << text.toStdString();
                keys << key;
            }
        }
    };
    for (const QAction *menu : frame->menuBar()->actions())
        check(*menu->menu());
}

// File > Export Workbook writes the active document's workbook beside it; a document saved
// without the sorts is refused with the reason and nothing is written.
TEST_F(MainFrameTest, ExportWorkbookWritesTheActiveDocumentsWorkbook)
{
    frame->openFile(importedDocument());
    settle();
    ASSERT_TRUE(enabled(u"exportWorkbook"_s));
    QStringList offered;
    QString answer = dir.filePath(u"study.xlsx"_s);
    frame->setWorkbookChooser([&](const QString &initial) {
        offered << initial;
        return answer;
    });
    command(u"exportWorkbook"_s)->trigger();
    EXPECT_EQ(offered, QStringList{dir.filePath(u"study.xlsx"_s)});
    EXPECT_TRUE(readBytes(dir.filePath(u"study.xlsx"_s)).startsWith("PK"));
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();

    frame->openFile(documentFile(u"older.klus"_s));
    settle();
    answer = dir.filePath(u"older.xlsx"_s);
    command(u"exportWorkbook"_s)->trigger();
    EXPECT_FALSE(QFile::exists(answer));
    EXPECT_EQ(platform.texts(), QStringList{QString::fromUtf16(sortsMissingMessage)});
}

// View > Categories and View > Placements open windows of their own; the placement matrix
// is exported as a picture like the other windows, and View > Group Names is the document's
// setting, which marks it modified.
TEST_F(MainFrameTest, CategoriesPlacementsAndGroupNamesComeFromTheViewMenu)
{
    frame->openFile(importedDocument());
    settle();
    QAction &names = *command(u"groupNames"_s);
    ASSERT_TRUE(names.isEnabled());
    EXPECT_FALSE(names.isChecked());
    names.trigger();
    EXPECT_TRUE(frame->activeFrame()->document().settings().showGroupNames);
    EXPECT_TRUE(frame->activeFrame()->document().isModified());

    command(u"categoriesWindow"_s)->trigger();
    settle();
    EXPECT_EQ(frame->activeFrame()->kind(), DocumentFrame::Kind::Categories);
    EXPECT_EQ(frame->activeFrame()->windowTitle(), u"study.klus:2 - Categories[*]"_s);
    EXPECT_FALSE(enabled(u"exportPicture"_s));

    command(u"placementsWindow"_s)->trigger();
    settle();
    EXPECT_EQ(frame->activeFrame()->kind(), DocumentFrame::Kind::Placements);
    QStringList offered;
    frame->setPictureChooser([&](const QString &initial) {
        offered << initial;
        return PictureTarget{dir.filePath(u"placements.svg"_s), 150};
    });
    ASSERT_TRUE(enabled(u"exportPicture"_s));
    command(u"exportPicture"_s)->trigger();
    EXPECT_EQ(offered, QStringList{dir.filePath(u"study-placements.svg"_s)});
    EXPECT_TRUE(readBytes(dir.filePath(u"placements.svg"_s)).contains("<svg"));
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
}

// The resampling commands, their options taken as offered: Check Stability turns the join
// support on, Enough Participants opens its chart once a document and exports it.
TEST_F(MainFrameTest, TheResamplingCommandsShowTheirResults)
{
    ASSERT_NO_FATAL_FAILURE(openImportedStudy());
    Document &document = frame->activeFrame()->document();
    QAction &support = *command(u"joinSupport"_s);
    EXPECT_FALSE(support.isEnabled());
    const auto acceptOptions = [] {
        QTimer::singleShot(0, [] {
            if (auto *options = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                options->accept();
        });
    };

    acceptOptions();
    command(u"checkStability"_s)->trigger();
    settle();
    ASSERT_TRUE(document.treeSupport());
    EXPECT_EQ(document.treeSupport()->replicates, 1000);
    EXPECT_TRUE(support.isEnabled());
    EXPECT_TRUE(support.isChecked());
    const auto &dendrogram = dynamic_cast<const DendrogramView &>(frame->activeFrame()->view());
    ASSERT_TRUE(dendrogram.screenGeometry());
    EXPECT_FALSE(dendrogram.screenGeometry()->joinSupport.empty());

    for (int time = 0; time < 2; ++time) {
        acceptOptions();
        command(u"enoughParticipants"_s)->trigger();
        settle();
    }
    ASSERT_TRUE(document.adequacy());
    EXPECT_EQ(document.adequacy()->subsets, 200);
    EXPECT_EQ(frame->frames().size(), 2);
    ASSERT_EQ(frame->activeFrame()->kind(), DocumentFrame::Kind::EnoughParticipants);
    QStringList offered;
    frame->setPictureChooser([&](const QString &initial) {
        offered << initial;
        return PictureTarget{dir.filePath(u"chart.png"_s), 150};
    });
    command(u"exportPicture"_s)->trigger();
    EXPECT_EQ(offered, QStringList{dir.filePath(u"study-enough-participants.svg"_s)});
    // 160 by 110 mm at 150 dots per inch.
    EXPECT_EQ(QImage(dir.filePath(u"chart.png"_s)).size(), QSize(945, 650));
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'\n').toStdString();
}

// View > Similarity Scale shows the active document's own setting, and a change applies to the
// document: its windows, its file and its modified flag.
TEST_F(MainFrameTest, TheSimilarityScaleIsTheActiveDocumentsSetting)
{
    QAction &scale = *command(u"similarityScale"_s);
    EXPECT_FALSE(scale.isEnabled());
    const QString hiddenPath = documentFile(u"hidden.klus"_s);
    {
        Document document;
        ASSERT_TRUE(openDocumentFile(document, hiddenPath, platform));
        setSetting(document, &Settings::showSimilarityScale, false);
        ASSERT_TRUE(saveDocumentFile(document, hiddenPath, platform));
    }
    frame->openFile(documentFile(u"shown.klus"_s));
    DocumentFrame *shown = frame->activeFrame();
    frame->openFile(hiddenPath);
    DocumentFrame *hidden = frame->activeFrame();
    settle();
    EXPECT_TRUE(scale.isEnabled());
    EXPECT_TRUE(scale.isCheckable());
    EXPECT_FALSE(scale.isChecked());
    frame->documentArea().setActiveSubWindow(shown);
    settle();
    EXPECT_TRUE(scale.isChecked());

    scale.trigger();
    settle();
    Document &document = shown->document();
    EXPECT_FALSE(document.settings().showSimilarityScale);
    EXPECT_TRUE(document.isModified());
    const auto &dendrogram = dynamic_cast<const DendrogramView &>(shown->view());
    ASSERT_TRUE(dendrogram.screenGeometry());
    EXPECT_FALSE(dendrogram.screenGeometry()->scale);
    // The other document keeps its own.
    EXPECT_FALSE(hidden->document().settings().showSimilarityScale);
    EXPECT_FALSE(hidden->document().isModified());
    command(u"fileSave"_s)->trigger();
    Document saved;
    ASSERT_TRUE(openDocumentFile(saved, document.pathName, platform));
    EXPECT_FALSE(saved.settings().showSimilarityScale);

    scale.trigger();
    settle();
    EXPECT_TRUE(document.settings().showSimilarityScale);
    EXPECT_TRUE(dendrogram.screenGeometry()->scale);
    EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
}

TEST_F(MainFrameTest, RecentFilesKeepTheLastEightNewestFirst)
{
    QStringList opened;
    for (int i = 1; i <= 10; ++i) {
        opened.prepend(documentFile(u"study%1.klus"_s.arg(i)));
        frame->openFile(opened.constFirst());
    }
    frame->openFile(opened[3]);   // already open: shown, and not listed twice
    const QStringList expected = opened.mid(0, RecentFiles::capacity);
    EXPECT_EQ(frame->recentFiles().paths(), expected);
    EXPECT_EQ(settings.value(u"Recent File List/File1"_s).toString(), expected.constFirst());
    EXPECT_EQ(RecentFiles(settings).paths(), expected);
}

TEST_F(MainFrameTest, ClosingAModifiedDocumentAsksToSave)
{
    const QString path = documentFile(u"study.klus"_s);
    frame->openFile(path);
    frame->activeFrame()->document().setModified(true);
    const QByteArray before = readBytes(path);

    platform.script({MessageAnswer::Cancel});
    command(u"fileClose"_s)->trigger();
    settle();
    EXPECT_EQ(platform.texts(), QStringList{u"Save changes to study.klus?"_s});
    EXPECT_EQ(frame->frames().size(), 1);

    platform.script({MessageAnswer::No});
    command(u"fileClose"_s)->trigger();
    settle();
    EXPECT_TRUE(frame->frames().isEmpty());
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(MainFrameTest, SaveWritesTheDocumentAndSaveAsAsksForAName)
{
    const QString path = documentFile(u"study.klus"_s);
    frame->openFile(path);
    QString copy = dir.filePath(u"copy"_s);
    frame->setSaveFileChooser([&](const QString &initial) {
        EXPECT_EQ(initial, path);
        return copy;
    });
    command(u"fileSaveAs"_s)->trigger();
    // The document as it stands: its window has laid it out, which settled the drawing's height.
    ArchiveWriter expected;
    frame->activeFrame()->document().serialize(expected);
    EXPECT_EQ(readBytes(copy + u".klus"_s), expected.bytes());
    EXPECT_EQ(frame->activeFrame()->windowTitle(), u"copy.klus[*]"_s);
    EXPECT_EQ(frame->recentFiles().paths().constFirst(), copy + u".klus"_s);
}

TEST_F(MainFrameTest, DocumentWindowsFitTheAreaAndAMaximisedOneMakesTheNextMaximised)
{
    // A document drawn 300 mm tall, and in letters tall enough to stay so: far taller than
    // the document area.
    const QString tall = documentFile(u"tall.klus"_s);
    {
        Document document;
        ASSERT_TRUE(openDocumentFile(document, tall, platform));
        document.drawingSize.cy = 30000;
        setSetting(document, &Settings::fontSize, 36);
        ASSERT_TRUE(saveDocumentFile(document, tall, platform));
    }
    const QWidget &area = *frame->documentArea().viewport();
    const auto insideArea = [&](const QWidget &widget) {
        const QRect placed(widget.mapTo(&area, QPoint(0, 0)), widget.size());
        return area.rect().contains(placed);
    };
    frame->openFile(tall);
    settle();
    DocumentFrame *first = frame->activeFrame();
    ASSERT_NE(first, nullptr);
    // The first document window fills the area; restored, it fits the area.
    EXPECT_TRUE(first->isMaximized());
    first->showNormal();
    settle();
    EXPECT_TRUE(insideArea(*first));
    const QScrollBar &scroll = *first->view().verticalScrollBar();
    EXPECT_TRUE(scroll.isVisible());
    EXPECT_TRUE(insideArea(scroll));
    EXPECT_GT(scroll.maximum(), 0);
    const QSize firstSize = first->size();
    frame->openFile(documentFile(u"second.klus"_s));
    settle();
    const QSize secondSize = frame->activeFrame()->size();

    // While one window is maximised the next opens maximised; restored, it has the size it
    // would have had, and the other windows keep theirs.
    first->showMaximized();
    frame->openFile(documentFile(u"third.klus"_s));
    settle();
    DocumentFrame *third = frame->activeFrame();
    ASSERT_EQ(frame->frames().size(), 3);
    ASSERT_EQ(third, frame->frames().back());
    EXPECT_TRUE(third->isMaximized());
    EXPECT_EQ(third->geometry(), area.rect());
    EXPECT_TRUE(insideArea(third->view()));
    EXPECT_FALSE(first->isMaximized());
    EXPECT_EQ(first->size(), firstSize);
    EXPECT_EQ(frame->frames()[1]->size(), secondSize);
    // The main window names the active document once, maximised or not.
    EXPECT_EQ(frame->windowTitle(), u"Sortana - third.klus"_s);
    third->showNormal();
    settle();
    EXPECT_EQ(frame->windowTitle(), u"Sortana - third.klus"_s);
    EXPECT_EQ(third->size(), secondSize);
    EXPECT_TRUE(insideArea(*third));
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST_F(MainFrameTest, TheWindowMenuListsTheOpenWindowsWithTheActiveOneChecked)
{
    for (const QString &name : {u"one.klus"_s, u"two.klus"_s, u"three.klus"_s})
        frame->openFile(documentFile(name));
    settle();
    command(u"similarityMatrix"_s)->trigger();
    settle();
    QMenu *windows = nullptr;
    for (QAction *menu : frame->menuBar()->actions()) {
        if (menu->text() == u"&Window"_s)
            windows = menu->menu();
    }
    ASSERT_NE(windows, nullptr);
    const auto entries = [&] {
        emit windows->aboutToShow();
        QStringList texts;
        for (const QAction *entry : windows->actions()) {
            if (entry->isCheckable())
                texts << (entry->isChecked() ? u"* "_s : u"  "_s) + entry->text();
        }
        return texts;
    };
    EXPECT_EQ(entries(), (QStringList{u"  &1 one.klus"_s, u"  &2 two.klus"_s, u"  &3 three.klus:1"_s,
                                      u"* &4 three.klus:2 - Similarity Matrix"_s}));
    // Choosing an entry activates its window; the list follows a window that closed.
    emit windows->aboutToShow();
    windows->actions()[windows->actions().size() - 3]->trigger();
    settle();
    EXPECT_EQ(frame->activeFrame(), frame->frames()[1]);
    frame->frames()[0]->close();
    settle();
    EXPECT_EQ(entries(), (QStringList{u"* &1 two.klus"_s, u"  &2 three.klus:1"_s,
                                      u"  &3 three.klus:2 - Similarity Matrix"_s}));
}

TEST_F(MainFrameTest, TheMainWindowsPlaceAndThePrintScalingAreRemembered)
{
    frame->setGeometry(120, 90, 830, 610);
    command(u"printFitToOnePage"_s)->trigger();
    settle();
    const QRect placed = frame->geometry();
    frame->close();
    frame = std::make_unique<MainWindow>(platform, settings);
    EXPECT_EQ(frame->geometry().size(), placed.size());
    EXPECT_EQ(frame->printScaling(), PrintScaling::FitToOnePage);
    EXPECT_TRUE(command(u"printFitToOnePage"_s)->isChecked());
    EXPECT_FALSE(command(u"printRealSize"_s)->isChecked());
}

TEST_F(MainFrameTest, CopyGroupsAndFindWorkOnTheActiveDocument)
{
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    DocumentFrame *active = frame->activeFrame();
    ASSERT_NE(active, nullptr);
    command(u"copyGroups"_s)->trigger();
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), groupsText(active->document()));
    EXPECT_EQ(copied->data(u"text/plain;charset=utf-8"_s), groupsText(active->document()).toUtf8());
    EXPECT_FALSE(enabled(u"copyMatrixText"_s));

    QStringList asked;
    frame->setFindTextChooser([&](const QString &initial) {
        asked << initial;
        return u"zzz-no-such-card"_s;
    });
    command(u"find"_s)->trigger();
    EXPECT_EQ(asked, QStringList{QString()});
    ASSERT_EQ(platform.messages().size(), 1);
    EXPECT_EQ(platform.messages()[0].text, u"Cannot find \"zzz-no-such-card\"."_s);
    // Find Next asks no more while it has a text.
    command(u"findNext"_s)->trigger();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(platform.messages().size(), 2);
}

TEST_F(MainFrameTest, CascadeKeepsWindowsUsableAndStepsThemByATitleBar)
{
    for (const QSize mainSize : {QSize(1000, 760), QSize(420, 330)}) {
        frame = std::make_unique<MainWindow>(platform, settings);
        frame->resize(mainSize);
        frame->show();
        for (int i = 1; i <= 4; ++i)
            frame->openFile(documentFile(u"study%1.klus"_s.arg(i)));
        settle();
        // One window very small, one maximised: both are cascaded like the rest.
        frame->frames()[1]->resize(120, 80);
        frame->frames()[2]->showMaximized();
        command(u"cascade"_s)->trigger();
        settle();
        const QSize room = frame->documentArea().viewport()->size();
        const QSize least = QSize(400, 300).boundedTo(room);
        QList<QMdiSubWindow *> stack = frame->documentArea().subWindowList(QMdiArea::StackingOrder);
        ASSERT_EQ(stack.size(), 4);
        QStyleOptionTitleBar titleBar;
        titleBar.initFrom(stack[0]);
        const int step = stack[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, &titleBar, stack[0]);
        for (qsizetype i = 0; i < stack.size(); ++i) {
            const QMdiSubWindow &window = *stack[i];
            EXPECT_FALSE(window.isMaximized()) << i;
            EXPECT_GE(window.width(), least.width()) << i;
            EXPECT_GE(window.height(), least.height()) << i;
            EXPECT_TRUE(QRect(QPoint(0, 0), room).contains(window.geometry())) << i;
            if (i > 0 && window.pos() != QPoint(0, 0)) {
                EXPECT_EQ(window.pos() - stack[i - 1]->pos(), QPoint(step, step)) << i;
            }
        }
        // In the roomy area no window starts again at the corner.
        if (mainSize.width() == 1000) {
            EXPECT_EQ(stack.back()->pos(), QPoint(3 * step, 3 * step));
        }
    }
}

TEST_F(MainFrameTest, TheSettingsBarWaitsForADocumentWindowAndShowsTheActiveOnesDocument)
{
    EXPECT_FALSE(frame->dialogBar().isEnabled());
    frame->openFile(documentFile(u"study.klus"_s));
    settle();
    EXPECT_TRUE(frame->dialogBar().isEnabled());
    Document *first = &frame->activeFrame()->document();
    EXPECT_EQ(frame->dialogBar().attachedDocument(), first);
    frame->openFile(documentFile(u"other.klus"_s));
    settle();
    Document *second = &frame->activeFrame()->document();
    ASSERT_NE(second, first);
    EXPECT_EQ(frame->dialogBar().attachedDocument(), second);
    command(u"fileClose"_s)->trigger();
    settle();
    EXPECT_EQ(frame->dialogBar().attachedDocument(), first);
    command(u"fileClose"_s)->trigger();
    settle();
    EXPECT_FALSE(frame->dialogBar().isEnabled());
    EXPECT_EQ(frame->dialogBar().attachedDocument(), nullptr);
}

TEST_F(MainFrameTest, AMissingDocumentIsNamedAndLeavesTheRecentFiles)
{
    const QString gone = documentFile(u"gone.klus"_s);
    const QString kept = documentFile(u"kept.klus"_s);
    frame->openFile(gone);
    frame->openFile(kept);
    command(u"fileClose"_s)->trigger();
    command(u"fileClose"_s)->trigger();
    settle();
    ASSERT_EQ(frame->recentFiles().paths(), (QStringList{kept, gone}));
    ASSERT_TRUE(QFile::remove(gone));

    // From the recent files menu, from the command line and from a later start alike.
    const std::function<void()> opens[] = {
        [&] {
            QMenu *file = frame->menuBar()->actions().constFirst()->menu();
            emit file->aboutToShow();
            for (QAction *entry : file->actions()) {
                if (entry->toolTip() == gone)
                    entry->trigger();
            }
        },
        [&] { EXPECT_FALSE(frame->openFile(gone)); },
        [&] { EXPECT_FALSE(frame->executeRequest(SingleInstance::openRequest(gone))); },
    };
    for (const auto &open : opens) {
        platform.clear();
        open();
        settle();
        EXPECT_EQ(platform.texts(),
                  QStringList{u"Cannot open %1.\nThe file does not exist: it may have been moved, renamed or deleted."_s
                                  .arg(gone)});
        EXPECT_EQ(platform.messages().value(0).icon, MessageIcon::Stop);
        EXPECT_TRUE(frame->frames().isEmpty());
        EXPECT_TRUE(wizardInputs.isEmpty());
        EXPECT_EQ(frame->recentFiles().paths(), QStringList{kept});
    }
}

TEST_F(MainFrameTest, TheNodesGoWithTheMainWindow)
{
    const std::size_t nodesBefore = ClusterTree::liveNodes();
    frame->openFile(documentFile(u"study.klus"_s));
    EXPECT_GT(ClusterTree::liveNodes(), nodesBefore);
    frame.reset();
    EXPECT_EQ(ClusterTree::liveNodes(), nodesBefore);
}

} // namespace
