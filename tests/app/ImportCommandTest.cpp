#include "app/DocumentCommands.h"
#include "app/DocumentTemplate.h"
#include "app/ImportWizard.h"
#include "app/Resources.h"
#include "cli/CliRunner.h"
#include "document/Document.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QStringList analysisSuffixes = {u"-Cards.csv"_s, u"-Participants.csv"_s, u"-Items.csv"_s,
                                      u"-Matrix.csv"_s, u"-WeightedMatrix.csv"_s};

class ImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        input = dir.filePath(u"small-study.txt"_s);
        writeBytes(input, readBytes(u"" SORTANA_EXAMPLES_DIR "/small-study.txt"_s));
        QObject::connect(&importCommand, &QAction::triggered, [this] { ++importsPosted; });
    }

    // Answers the wizard once it is up, as a user would.
    int runImport(const std::function<void(ImportWizard &)> &answer)
    {
        QTimer::singleShot(0, [&] {
            auto *wizard = dynamic_cast<ImportWizard *>(QApplication::activeModalWidget());
            ASSERT_NE(wizard, nullptr);
            answer(*wizard);
            if (wizard->isVisible())
                wizard->reject();
        });
        return importStudy(document, context);
    }

    QTemporaryDir dir;
    QString input;
    ScriptedPlatform platform;
    DocumentTemplate documentTemplate;
    QAction importCommand;
    int importsPosted = 0;
    QString pendingImport;
    CommandContext context{platform, documentTemplate, nullptr, &importCommand, nullptr, &pendingImport};
    Document document;
};

void finishWith(ImportWizard &wizard, bool openCsv)
{
    wizard.next();
    wizard.next();
    wizard.findChild<QCheckBox *>(controlName(ControlId::openCsv))->setChecked(openCsv);
    wizard.button(QWizard::FinishButton)->click();
}

TEST_F(ImportCommandTest, ImportFillsANamedModifiedDocumentAndWritesWhatTheCliWrites)
{
    newDocument(document, context);
    EXPECT_FALSE(canShowProperties(document));
    EXPECT_FALSE(canSave(document));
    pendingImport = input;
    ASSERT_EQ(runImport([](ImportWizard &wizard) { finishWith(wizard, true); }), QDialog::Accepted);

    EXPECT_TRUE(document.hasStudy());
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.title, u"small-study"_s);
    EXPECT_EQ(document.pathName, dir.filePath(u"small-study.klus"_s));
    EXPECT_FALSE(QFile::exists(document.pathName));
    EXPECT_TRUE(canShowProperties(document));
    EXPECT_TRUE(canSave(document));
    EXPECT_EQ(pendingImport, input);
    EXPECT_TRUE(platform.messages().isEmpty());

    QStringList expectedOpened;
    for (const QString &suffix : analysisSuffixes)
        expectedOpened << dir.filePath(u"small-study"_s + suffix);
    EXPECT_EQ(platform.opened(), expectedOpened);

    QTemporaryDir cliDir;
    const CliRun cli = runCli({u"import"_s, input, u"--outdir"_s, cliDir.path()});
    ASSERT_EQ(cli.status, 0) << cli.err.toStdString();
    for (const QString &suffix : analysisSuffixes) {
        const QString name = u"small-study"_s + suffix;
        EXPECT_EQ(readBytes(dir.filePath(name)), readBytes(QDir(cliDir.path()).filePath(name))) << name.toStdString();
    }
}

TEST_F(ImportCommandTest, FilesThatCannotBeOpenedAreReportedOnceWithTheirFolder)
{
    platform.setCanOpen(false);
    pendingImport = input;
    ASSERT_EQ(runImport([](ImportWizard &wizard) { finishWith(wizard, true); }), QDialog::Accepted);
    EXPECT_EQ(platform.opened().size(), 5);
    ASSERT_EQ(platform.messages().size(), 1);
    const ScriptedPlatform::Message &message = platform.messages().constFirst();
    EXPECT_EQ(message.text, u"The analysis files could not be opened: no application opens them on this computer.\n"
                            u"They are in the folder "_s + dir.path());
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(document.hasStudy());
}

TEST_F(ImportCommandTest, CancelLeavesAnEmptyDocumentWithoutAPath)
{
    newDocument(document, context);
    const QString title = document.title;
    EXPECT_TRUE(title.startsWith(u"Untitled"_s));
    pendingImport = input;
    EXPECT_EQ(runImport([](ImportWizard &wizard) { wizard.next(); }), QDialog::Rejected);
    EXPECT_FALSE(document.hasStudy());
    EXPECT_EQ(document.title, title);
    EXPECT_TRUE(document.pathName.isEmpty());
    EXPECT_FALSE(canShowProperties(document));
    // The input chosen before cancelling is offered again next time.
    EXPECT_EQ(pendingImport, input);
    EXPECT_TRUE(platform.opened().isEmpty());
}

TEST_F(ImportCommandTest, CancelKeepsAStudyAndItsName)
{
    pendingImport = input;
    runImport([](ImportWizard &wizard) { finishWith(wizard, false); });
    ASSERT_TRUE(document.hasStudy());
    EXPECT_TRUE(platform.opened().isEmpty());
    const std::shared_ptr<const ClusterTree> tree = document.study().clusterTree;
    const QString path = document.pathName;
    EXPECT_EQ(runImport([](ImportWizard &) {}), QDialog::Rejected);
    EXPECT_EQ(document.study().clusterTree, tree);
    EXPECT_EQ(document.pathName, path);
    EXPECT_EQ(document.title, u"small-study"_s);
}

TEST_F(ImportCommandTest, NewAndOpeningADataFilePostTheImport)
{
    newDocument(document, context);
    EXPECT_EQ(importsPosted, 0);   // not before the new window is up
    QCoreApplication::processEvents();
    EXPECT_EQ(importsPosted, 1);

    Document other;
    EXPECT_EQ(openByType(other, input, context), OpenOutcome::ImportRequested);
    EXPECT_EQ(pendingImport, input);
    EXPECT_TRUE(other.pathName.isEmpty());
    EXPECT_TRUE(other.title.startsWith(u"Untitled"_s));
    QCoreApplication::processEvents();
    EXPECT_EQ(importsPosted, 2);
}

TEST_F(ImportCommandTest, OpeningADocumentFileInAnyCaseLoadsIt)
{
    const QString path = dir.filePath(u"study.KLUS"_s);
    writeBytes(path, readBytes(u"" SORTANA_GOLDEN_DIR "/medium/expected/medium.klus"_s));
    EXPECT_EQ(openByType(document, path, context), OpenOutcome::Loaded);
    EXPECT_TRUE(document.hasStudy());
    EXPECT_FALSE(document.isModified());
    QCoreApplication::processEvents();
    EXPECT_EQ(importsPosted, 0);
    EXPECT_TRUE(pendingImport.isEmpty());
}

} // namespace
