#include "app/HelpWindow.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QDialog>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// A page of the guide as the help window's browser reads it: the sections it can be opened
// at, and where its links lead.
struct Page {
    QStringList anchors;
    QList<QUrl> links;
};

Page readPage(const QString &path)
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(readBytes(path)));
    Page page;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            page.anchors += format.anchorNames();
            if (!format.anchorHref().isEmpty())
                page.links += QUrl(format.anchorHref());
        }
    }
    return page;
}

// Every link inside the guide leads to a page of it and to a section that page has, and every
// page can be reached from the start page. Links out of the guide are the desktop's to open.
void expectLinksResolve(const QString &folder)
{
    QHash<QString, Page> pages;
    for (const QString &name : QDir(folder).entryList({u"*.html"_s}, QDir::Files))
        pages.insert(name, readPage(QDir(folder).filePath(name)));
    ASSERT_TRUE(pages.contains(HelpPage::start.toString()));
    QStringList reached{HelpPage::start.toString()};
    for (qsizetype next = 0; next < reached.size(); ++next) {
        const QString &name = reached[next];
        for (const QUrl &link : pages.value(name).links) {
            if (!link.scheme().isEmpty())
                continue;
            const QString target = link.path().isEmpty() ? name : link.path();
            ASSERT_TRUE(pages.contains(target)) << name.toStdString() << " links to " << link.toString().toStdString();
            if (link.hasFragment()) {
                EXPECT_TRUE(pages.value(target).anchors.contains(link.fragment()))
                    << name.toStdString() << " links to " << link.toString().toStdString();
            }
            if (!reached.contains(target))
                reached.append(target);
        }
    }
    QStringList all = pages.keys();
    all.sort();
    reached.sort();
    EXPECT_EQ(reached, all);
}

// The pages a page's links lead to whose text starts with the word given, in their order.
QStringList linkedPages(const QString &path, const QString &word)
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(readBytes(path)));
    QStringList pages;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            const QUrl link(part.charFormat().anchorHref());
            if (part.charFormat().isAnchor() && link.scheme().isEmpty() && !link.path().isEmpty()
                && part.text().startsWith(word))
                pages += link.path();
        }
    }
    return pages;
}

TEST(HelpGuide, PreviousAndNextLeadThroughEveryPageOnceInTheContentsOrder)
{
    const QDir folder(u"" SORTANA_HELP_DIR ""_s);
    // The contents: the start page, then every page its links lead to, in their order.
    QStringList contents{HelpPage::start.toString()};
    for (const QString &page : linkedPages(folder.filePath(contents.front()), QString()))
        if (!contents.contains(page))
            contents += page;
    QStringList all = folder.entryList({u"*.html"_s}, QDir::Files);
    QStringList sorted = contents;
    sorted.sort();
    ASSERT_EQ(sorted, all) << "the contents lead to every page";

    QStringList walked{contents.front()};
    for (;;) {
        SCOPED_TRACE(walked.back().toStdString());
        const QStringList next = linkedPages(folder.filePath(walked.back()), u"Next:"_s);
        if (next.isEmpty())
            break;
        // The links at the top and at the bottom of a page agree.
        EXPECT_EQ(next.size(), next.count(next.front()));
        ASSERT_FALSE(walked.contains(next.front())) << "comes back to " << next.front().toStdString();
        walked += next.front();
    }
    EXPECT_EQ(walked, contents);
    for (qsizetype k = 1; k < walked.size(); ++k) {
        const QStringList previous = linkedPages(folder.filePath(walked[k]), u"Previous:"_s);
        EXPECT_EQ(previous, QStringList{walked[k - 1]}) << walked[k].toStdString();
    }
}

TEST(HelpGuide, IsInstalledWhereTheProgramLooksAndItsLinksResolve)
{
    QTemporaryDir prefix;
    QProcess install;
    install.start(
        u"" SORTANA_CMAKE ""_s,
        {u"--install"_s, u"" SORTANA_BUILD_DIR ""_s, u"--prefix"_s, prefix.path(), u"--component"_s, u"help"_s});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    // The installed program looks beside itself first, before the sources of its build.
    const QString program = QDir(prefix.path()).filePath(u"" SORTANA_INSTALL_BINDIR ""_s);
    const QString folder = findHelpFolder(helpFolders(program));
    ASSERT_TRUE(folder.startsWith(prefix.path())) << folder.toStdString();
    expectLinksResolve(folder);
    // What is installed is the whole guide.
    const QStringList pages = QDir(folder).entryList({u"*.html"_s}, QDir::Files);
    EXPECT_EQ(pages, QDir(u"" SORTANA_HELP_DIR ""_s).entryList({u"*.html"_s}, QDir::Files));
}

TEST(HelpWindow, AMissingGuideIsToldAndNoWindowOpens)
{
    QTemporaryDir empty;
    ScriptedPlatform platform;
    QWidget mainWindow;
    EXPECT_EQ(HelpWindow::open(mainWindow, HelpPage::start, platform, {empty.path()}), nullptr);
    EXPECT_EQ(platform.texts(),
              QStringList{u"Cannot find Sortana Help.\nIts pages belong in the folder "_s + empty.path()});
    EXPECT_EQ(helpWindowOf(mainWindow), nullptr);
}

TEST(HelpWindow, OneWindowPerMainWindowFollowsItsLinks)
{
    ScriptedPlatform platform;
    QWidget mainWindow;
    mainWindow.show();
    HelpWindow *window = HelpWindow::open(mainWindow, HelpPage::start, platform);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->browser().source().fileName(), HelpPage::start.toString());
    EXPECT_EQ(window->browser().documentTitle(), u"Sortana Help"_s);
    EXPECT_EQ(HelpWindow::open(mainWindow, u"method.html", platform), window);
    EXPECT_EQ(window->browser().source().fileName(), u"method.html"_s);
    // The pages are UTF-8: the formulas' signs arrive as such.
    EXPECT_TRUE(window->browser().toPlainText().contains(u"Σ"))
        << window->browser().toPlainText().left(300).toStdString();
    window->browser().backward();
    EXPECT_EQ(window->browser().source().fileName(), HelpPage::start.toString());
    EXPECT_TRUE(platform.messages().isEmpty());
}

TEST(HelpWindow, MovesOntoAModalDialogThatAsksAndBackWhenItCloses)
{
    // A modal dialog blocks every window but its own: the guide must be one of its windows
    // while it runs, and outlive it.
    ScriptedPlatform platform;
    QWidget mainWindow;
    mainWindow.show();
    QDialog dialog(&mainWindow);
    HelpWindow *window = nullptr;
    QWidget *parentWhileModal = nullptr;
    QTimer::singleShot(0, &dialog, [&] {
        window = HelpWindow::open(dialog, HelpPage::options, platform);
        parentWhileModal = window ? window->parentWidget() : nullptr;
        dialog.accept();
    });
    dialog.exec();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(parentWhileModal, &dialog);
    EXPECT_EQ(window->parentWidget(), &mainWindow);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(helpWindowOf(mainWindow), window);
    EXPECT_EQ(window->browser().source().fragment(), u"options"_s);
}

} // namespace
