#pragma once

#include <QString>
#include <QStringList>

namespace sortana::test {

struct CliRun {
    int status;
    QString out;
    QString err;
};

// Runs sortana-cli with the arguments, in the given working folder (or the current one).
CliRun runCli(const QStringList &arguments, const QString &workingFolder = {});

} // namespace sortana::test
