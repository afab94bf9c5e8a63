#pragma once

#include <QStringList>

namespace sortana {

// sortana-cli import: survey, options, read, clustering and export of one raw data file.
// Returns the exit status: 0 done, 1 refused, failed or cancelled, 2 usage or bad options.
int runImport(const QStringList &arguments);

} // namespace sortana
