#include "cli/CliRunner.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <utility>
#include <vector>

namespace sortana::test {

namespace {

// Each resource's soft limit lowered to its value, in the child alone.
using Limits = std::vector<std::pair<int, rlim_t>>;

CliRun runLimited(const QStringList &arguments, const QString &workingFolder, const Limits &limits,
                  const QStringList &environment)
{
    QProcess process;
    if (!environment.isEmpty()) {
        QProcessEnvironment settings = QProcessEnvironment::systemEnvironment();
        for (const QString &setting : environment)
            settings.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        process.setProcessEnvironment(settings);
    }
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (!limits.empty()) {
        process.setChildProcessModifier([limits] {
            for (const auto &[resource, value] : limits) {
                rlimit limit {};
                getrlimit(resource, &limit);
                limit.rlim_cur = value;
                setrlimit(resource, &limit);
            }
        });
    }
    process.start(QStringLiteral(SORTANA_CLI), arguments);
    EXPECT_TRUE(process.waitForFinished(120'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

CliRun runCli(const QStringList &arguments, const QString &workingFolder, qint64 fileSizeLimit,
              const QStringList &environment)
{
    Limits limits;
    if (fileSizeLimit >= 0)
        limits.emplace_back(RLIMIT_FSIZE, rlim_t(fileSizeLimit));
    return runLimited(arguments, workingFolder, limits, environment);
}

CliRun runCliInMemory(const QStringList &arguments, const QString &workingFolder, qint64 addressSpace)
{
    return runLimited(arguments, workingFolder, {{RLIMIT_AS, rlim_t(addressSpace)}}, {});
}

} // namespace sortana::test
