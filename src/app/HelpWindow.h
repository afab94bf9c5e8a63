#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QStringView>
#include <QWidget>

class QTextBrowser;

namespace sortana {

class Platform;

// Pages of the guide that the program opens, with the section where there is one.
namespace HelpPage {
inline constexpr QStringView start = u"index.html";
inline constexpr QStringView options = u"import.html#options";
} // namespace HelpPage

// Where the guide may be, in the order to look: where the installation puts it, relative to
// the program's folder (so an installed copy can move as a whole), then the sources, for a
// program run from its build tree.
QStringList helpFolders(const QString &programFolder = QCoreApplication::applicationDirPath());
// The first of the folders that holds the guide's start page; empty when none does.
QString findHelpFolder(const QStringList &folders);

// The user guide, HTML pages shown offline; links between its pages are followed here, links
// to anything else go to the desktop.
class HelpWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(HelpWindow)

public:
    // Shows `page` (a file of the guide, with a section after "#" if wanted) in the help
    // window of the main window that `from` belongs to, made on first use. Null, after telling
    // the user, when the guide is in none of the folders.
    static HelpWindow *open(QWidget &from, QStringView page, Platform &platform,
                            const QStringList &folders = helpFolders());

    QTextBrowser &browser() const { return *m_browser; }

private:
    explicit HelpWindow(QWidget &home);
    // A modal dialog blocks every window but its own: the guide moves onto the dialog that
    // asked for it, so it can be read beside it, and back when the dialog closes.
    void moveOnto(QWidget &host);
    void returnHome();

    QTextBrowser *m_browser;
    QPointer<QWidget> m_home;
};

// The help window of a main window (or of a dialog that has none), wherever it is shown;
// null when the guide has not been opened there.
HelpWindow *helpWindowOf(const QWidget &mainWindow);

} // namespace sortana
