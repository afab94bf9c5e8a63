// sortana-cli: the headless front end on the same core as the desktop program.
#include "cli/ExitStatus.h"
#include "cli/ImportCommand.h"
#include "cli/ShowCommand.h"
#include "cli/SurveyCommand.h"
#include "platform/ConsolePlatform.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
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
    return sortana::usage();
}
