#include "app/CSortanaMdiApp.h"
#include "app/Resources.h"
#include "SortanaVersion.h"

#include <QApplication>

#include <csignal>

int main(int argc, char **argv)
{
    // Past a file size limit a write must fail and be reported like a full disk instead of
    // ending the program with the user's work unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Verdell"));
    QApplication::setApplicationName(QStringLiteral("Sortana"));
    QApplication::setApplicationVersion(QStringLiteral(SORTANA_VERSION));
    QApplication::setWindowIcon(sortana::applicationIcon());
    QApplication::setDesktopFileName(QStringLiteral("sortana"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    sortana::CSortanaMdiApp app;
    switch (app.InitInstance(arguments)) {
    case sortana::CSortanaMdiApp::Start::PassedOn: return 0;
    case sortana::CSortanaMdiApp::Start::Failed: return 1;
    case sortana::CSortanaMdiApp::Start::Running: break;
    }
    return QApplication::exec();
}
