// sortana-cli: the headless front end on the same core as the desktop program.
#include "cli/ExitStatus.h"
#include "cli/ImportCommand.h"
#include "cli/ShowCommand.h"
#include "dendrogram/PictureExport.h"
#include "cli/SurveyCommand.h"
#include "platform/ConsolePlatform.h"

#include <QGuiApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

// Standard error carries the program's own messages, one line each; Qt's diagnostics about
// its surroundings (a missing runtime folder, say) would only be noise there.
void keepOnlyFatalQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(keepOnlyFatalQtMessages);
    // Past a file size limit a write must fail and be reported like a full disk instead of
    // ending the process with its temporary files behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // Pictures need fonts, not a display: without a platform of its own choosing the command
    // line draws off screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    if (command == u"import")
        return sortana::runImport(args.mid(1));
    if (command == u"survey" && args.size() == 2) {
        sortana::ConsolePlatform platform;
        return sortana::runSurvey(args[1], platform, stdout);
    }
    if (command == u"show" && args.size() == 2) {
        sortana::ConsolePlatform platform;
        return sortana::runShow(args[1], platform, stdout);
    }
    if (command == u"render" && args.size() == 3 && sortana::isPicturePath(args[2])) {
        sortana::ConsolePlatform platform;
        return sortana::runRender(args[1], args[2], platform);
    }
    return sortana::usage();
}
