#include "support/ExternalTool.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace sortana::test {

QByteArray runTool(const QString &tool, const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " is missing: run scripts/install-deps.sh";
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << tool.toStdString() << " did not finish";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << tool.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << tool.toStdString() << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

} // namespace sortana::test
