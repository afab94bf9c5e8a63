#include "cli/CliRunner.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace sortana::test {

CliRun runCli(const QStringList &arguments, const QString &workingFolder, qint64 fileSizeLimit,
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
    if (fileSizeLimit >= 0) {
        process.setChildProcessModifier([fileSizeLimit] {
            rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(fileSizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(QStringLiteral(SORTANA_CLI), arguments);
    EXPECT_TRUE(process.waitForFinished(120'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace sortana::test
