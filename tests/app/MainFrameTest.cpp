#include "analysis/NodeRegistry.h"
#include "app/CImportExportWizard.h"
#include "app/CMainFrame.h"
#include "app/DocumentFrame.h"
#include "app/Resources.h"
#include "app/SingleInstance.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentLinks.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

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
        PendingImportPath.clear();
        frame->show();
        // Every import wizard that comes up is noted with its step 1 input, then cancelled.
        QObject::connect(&wizardWatch, &QTimer::timeout, [this] {
            if (auto *wizard = dynamic_cast<CImportExportWizard *>(QApplication::activeModalWidget())) {
                wizardInputs << wizard->findChild<QLineEdit *>(controlName(ControlId::inputFile))->text();
                wizard->reject();
            }
        });
        wizardWatch.start(5);
    }
    void TearDown() override
    {
        frame.reset();
        PendingImportPath.clear();
    }

    // Lets posted commands run.
    void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    QString documentFile(const QString &name)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, readBytes(u"" SORTANA_GOLDEN_DIR "/medium/expected/medium.klus"_s));
        return path;
    }
    QString dataFile(const QString &name)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, readBytes(u"" SORTANA_EXAMPLES_DIR "/small-study.txt"_s));
        return path;
    }
    QStringList menuTitles() const
    {
        QStringList titles;
        for (const QAction *menu : frame->menuBar()->actions())
            titles << menu->text();
        return titles;
    }
    bool enabled(int commandId) const { return frame->action(commandId)->isEnabled(); }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"settings.ini"_s), QSettings::IniFormat};
    ScriptedPlatform platform;
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(platform, settings);
    QTimer wizardWatch;
    QStringList wizardInputs;
};

const QStringList shortMenus = {u"&File"_s, u"&View"_s, u"&Help"_s};
const QStringList documentMenus = {u"&File"_s, u"&Edit"_s, u"&View"_s, u"&Window"_s, u"&Help"_s};

TEST_F(MainFrameTest, NewShowsAnEmptyWindowAndTheWizardAtOnce)
{
    EXPECT_EQ(menuTitles(), shortMenus);
    frame->newDocument();
    settle();
    ASSERT_EQ(frame->frames().size(), 1);
    EXPECT_EQ(wizardInputs, QStringList{QString()});
    EXPECT_FALSE(frame->activeFrame()->document().hasStudy());
    EXPECT_EQ(frame->activeFrame()->windowTitle(), u"Untitled1"_s);
    EXPECT_EQ(menuTitles(), documentMenus);
    for (const int id : {CommandId::copy, CommandId::properties, CommandId::fileSave, CommandId::fileSaveAs})
        EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(MainFrameTest, FilesAreRoutedByType)
{
    const QString document = documentFile(u"study.KLUS"_s);
    const QString data = dataFile(u"study.txt"_s);
    const QString missing = dir.filePath(u"missing.klus"_s);
    const struct {
        QString path;
        bool loaded;
    } cases[] = {{document, true}, {data, false}, {missing, false}};
    const std::function<void(CMainFrame &, const QString &)> routes[] = {
        [](CMainFrame &f, const QString &path) { f.openFile(path); },
        [](CMainFrame &f, const QString &path) { f.dropFiles({path}); },
        [](CMainFrame &f, const QString &path) { EXPECT_TRUE(f.executeRequest(SingleInstance::openRequest(path))); },
    };
    for (const auto &route : routes) {
        for (const auto &c : cases) {
            frame = std::make_unique<CMainFrame>(platform, settings);
            wizardInputs.clear();
            PendingImportPath.clear();
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

    frame = std::make_unique<CMainFrame>(platform, settings);
    wizardInputs.clear();
    frame->dropFiles({data, first});
    settle();
    EXPECT_EQ(frame->frames().size(), 1);
    EXPECT_EQ(wizardInputs, QStringList{data});
}

TEST_F(MainFrameTest, OpenRequestsOfTheLimitLengthOrOpenDialogsAreRefused)
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

    QDialog dialog(frame.get());
    dialog.setModal(true);
    dialog.show();
    EXPECT_FALSE(frame->executeRequest(longest));
    dialog.hide();
    EXPECT_TRUE(frame->executeRequest(longest));
    EXPECT_EQ(frame->frames().size(), 1);
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
    for (const int id : {CommandId::copy, CommandId::properties, CommandId::fileSave, CommandId::importExport,
                         CommandId::print, CommandId::printPreview})
        EXPECT_TRUE(enabled(id)) << id;
    // Offered but never available: the program has nothing to cut, paste, undo or split.
    for (const int id : {CommandId::cut, CommandId::paste, CommandId::undo, CommandId::nextPane,
                         CommandId::previousPane})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(frame->action(CommandId::copy)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(u"Ctrl+C"_s), QKeySequence(u"Ctrl+Ins"_s)}));
    EXPECT_EQ(frame->action(CommandId::importExport)->statusTip(), u"Import raw data and export analysis files"_s);
    EXPECT_EQ(frame->action(CommandId::importExport)->toolTip(), u"Import and Export"_s);

    frame->action(CommandId::fileClose)->trigger();
    settle();
    EXPECT_TRUE(frame->frames().isEmpty());
    EXPECT_EQ(menuTitles(), shortMenus);
    EXPECT_FALSE(enabled(CommandId::fileSave));
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
    frame->activeFrame()->document().SetModifiedFlag(true);
    const QByteArray before = readBytes(path);

    platform.script({MessageAnswer::Cancel});
    frame->action(CommandId::fileClose)->trigger();
    settle();
    EXPECT_EQ(platform.texts(), QStringList{u"Save changes to study.klus?"_s});
    EXPECT_EQ(frame->frames().size(), 1);

    platform.script({MessageAnswer::No});
    frame->action(CommandId::fileClose)->trigger();
    settle();
    EXPECT_TRUE(frame->frames().isEmpty());
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(MainFrameTest, SaveWritesTheDocumentAndSaveAsAsksForAName)
{
    const QString path = documentFile(u"study.klus"_s);
    frame->openFile(path);
    const QString copy = dir.filePath(u"copy"_s);
    frame->setSaveFileChooser([&](const QString &initial) {
        EXPECT_EQ(initial, path);
        return copy;
    });
    frame->action(CommandId::fileSaveAs)->trigger();
    EXPECT_EQ(readBytes(copy + u".klus"_s), readBytes(path));
    EXPECT_EQ(frame->activeFrame()->windowTitle(), u"copy.klus"_s);
    EXPECT_EQ(frame->recentFiles().paths().constFirst(), copy + u".klus"_s);
}

TEST_F(MainFrameTest, TheNodesGoWithTheMainWindow)
{
    frame->openFile(documentFile(u"study.klus"_s));
    EXPECT_GT(NodeRegistry::instance().size(), 0u);
    frame.reset();
    EXPECT_EQ(NodeRegistry::instance().size(), 0u);
    EXPECT_EQ(CurrentDialogBar, nullptr);
}

} // namespace
