#include "app/Application.h"
#include "app/Resources.h"
#include "SortanaVersion.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// Help and version come before the application exists, so that they need no display. Qt's
// own options (-platform, -style) are unknown here and left to the application.
std::optional<int> answerHelpOrVersion(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});
    parser.parse(arguments);
    if (parser.isSet(help)) {
        std::fputs("Usage: sortana [FILE]\n"
                   "\n"
                   "Opens FILE: a .klus document, or any other file as the input of the import wizard.\n"
                   "Without FILE, an empty document and the import wizard. When Sortana is already\n"
                   "running, FILE goes to its window.\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help  Print this help and exit\n"
                   "  --version   Print the version and exit\n",
                   stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs("sortana " SORTANA_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    if (const std::optional<int> status = answerHelpOrVersion(argc, argv))
        return *status;
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
    sortana::Application app;
    switch (app.initInstance(arguments)) {
    case sortana::Application::Start::PassedOn: return 0;
    case sortana::Application::Start::Running: break;
    }
    return QApplication::exec();
}
