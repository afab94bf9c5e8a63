// sortana-cli: the headless front end on the same core as the desktop program.
#include "cli/CommandLine.h"
#include "cli/PrefixedStandardError.h"
#include "platform/ConsolePlatform.h"

#include <QGuiApplication>
#include <QHashSeed>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

// Standard error carries the program's own messages, one line each; Qt's diagnostics about
// its surroundings (a missing runtime folder, say) would only be noise there.
void keepOnlyFatalQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", sortana::ConsolePlatform::consoleLine(message).toUtf8().constData());
        std::fflush(stderr);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const sortana::PrefixedStandardError prefixedStandardError;
    qInstallMessageHandler(keepOnlyFatalQtMessages);
    // Past a file size limit a write must fail and be reported like a full disk instead of
    // ending the process with its temporary files behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // Pictures need fonts, not a display: without a platform of its own choosing the command
    // line draws off screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A report for a fixed date is made again byte for byte: otherwise the order of a PDF's
    // fonts follows hashes seeded anew in every run.
    if (qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
        QHashSeed::setDeterministicGlobalSeed();
    QGuiApplication app(argc, argv);
    return sortana::runCommandLine(QCoreApplication::arguments().mid(1), stdout, stderr);
}
