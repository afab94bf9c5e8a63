#include "cli/CliRunner.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace sortana::test {

CliRun runCli(const QStringList &arguments, const QString &workingFolder)
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(SORTANA_CLI), arguments);
    EXPECT_TRUE(process.waitForFinished(120'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace sortana::test
