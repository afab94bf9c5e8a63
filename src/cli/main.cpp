// sortana-cli: the headless front end on the same core as the desktop program.
#include "cli/SurveyCommand.h"
#include "platform/ConsolePlatform.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int usageStatus = 2;

int usage()
{
    std::fputs("Usage: sortana-cli survey INPUT\n", stderr);
    return usageStatus;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("survey")) {
        sortana::ConsolePlatform platform;
        return sortana::runSurvey(args[1], platform, stdout);
    }
    return usage();
}
