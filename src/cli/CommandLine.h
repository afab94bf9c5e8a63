#pragma once

#include <QStringList>

#include <cstdio>

namespace sortana {

// Runs what sortana-cli's arguments (the program name left out) ask for: a command, the
// help or the version, both printed on `out`. An argument that cannot be used is named on
// `err` in one line, followed by the usage. Returns the exit status: 0 done, 1 refused,
// failed or cancelled, 2 usage.
int runCommandLine(const QStringList &arguments, std::FILE *out, std::FILE *err);

} // namespace sortana
