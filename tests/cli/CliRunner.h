#pragma once

#include <QString>
#include <QStringList>

namespace sortana::test {

struct CliRun {
    int status;
    QString out;
    QString err;
};

// Runs sortana-cli with the arguments, in the given working folder (or the current one),
// with writes past fileSizeLimit bytes failing as on a full disk when a limit is given, and
// with the given NAME=value settings added to its environment.
CliRun runCli(const QStringList &arguments, const QString &workingFolder = {}, qint64 fileSizeLimit = -1,
              const QStringList &environment = {});
// The same with the address space limited to that many bytes: allocations past it fail.
CliRun runCliInMemory(const QStringList &arguments, const QString &workingFolder, qint64 addressSpace);

} // namespace sortana::test
