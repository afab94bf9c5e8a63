#include "app/HelpWindow.h"

#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace sortana {

QStringList helpFolders(const QString &programFolder)
{
    return {QDir::cleanPath(programFolder + u'/' + QStringLiteral(SORTANA_HELP_FROM_PROGRAM)),
            QStringLiteral(SORTANA_HELP_SOURCE_DIR)};
}

QString findHelpFolder(const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (QFileInfo(QDir(folder).filePath(HelpPage::start.toString())).isFile())
            return folder;
    }
    return {};
}

HelpWindow *helpWindowOf(const QWidget &mainWindow)
{
    // Without a meta-object of its own, a help window is told from other widgets by its type.
    const QList<QWidget *> children = mainWindow.findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (auto *window = dynamic_cast<HelpWindow *>(child))
            return window;
    }
    return nullptr;
}

HelpWindow::HelpWindow(QWidget &home) : QWidget(&home, Qt::Window), m_browser(new QTextBrowser), m_home(&home)
{
    setWindowTitle(tr("Sortana Help"));
    m_browser->setOpenExternalLinks(true);
    m_browser->document()->setDocumentMargin(12);

    auto *bar = new QToolBar;
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *back =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QAction *forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"), m_browser,
                                      &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    // The browser's own home is the first page it showed, which need not be the start page.
    bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("&Contents"), this,
                   [this] { m_browser->setSource(m_browser->source().resolved(QUrl(HelpPage::start.toString()))); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser, 1);
    resize(760, 680);
}

HelpWindow *HelpWindow::open(QWidget &from, QStringView page, Platform &platform, const QStringList &folders)
{
    const QString folder = findHelpFolder(folders);
    if (folder.isEmpty()) {
        platform.fileFailure(formatMessage(tr("Cannot find Sortana Help.\nIts pages belong in the folder %s"),
                                           {QDir::toNativeSeparators(folders.value(0))}));
        return nullptr;
    }
    QWidget *home = &from;
    while (home->parentWidget())
        home = home->parentWidget();
    HelpWindow *window = helpWindowOf(*home);
    if (!window)
        window = new HelpWindow(*home);
    QWidget *asking = from.window();
    if (asking->isModal() && qobject_cast<QDialog *>(asking))
        window->moveOnto(*asking);
    else
        window->returnHome();
    window->show();
    window->raise();
    window->activateWindow();
    window->m_browser->setSource(QUrl::fromLocalFile(folder + u'/').resolved(QUrl(page.toString())));
    return window;
}

void HelpWindow::moveOnto(QWidget &host)
{
    if (parentWidget() == &host)
        return;
    const bool shown = isVisible();
    const QPoint place = pos();
    setParent(&host, windowFlags());
    if (shown) {
        show();
        // Shown again, it is placed anew by the desktop. It goes back through its native window:
        // the widget still holds the old place, so moving the widget would do nothing.
        windowHandle()->setFramePosition(place);
    }
    if (auto *dialog = qobject_cast<QDialog *>(&host))
        connect(dialog, &QDialog::finished, this, &HelpWindow::returnHome, Qt::UniqueConnection);
}

void HelpWindow::returnHome()
{
    if (m_home)
        moveOnto(*m_home);
}

} // namespace sortana
