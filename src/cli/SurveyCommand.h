#pragma once

#include "formats/TableStudy.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace sortana {

class Platform;

// Surveys a raw data file or a table (read as `table` says, or known by its extension) and
// prints what it found as key=value lines. Returns the exit status: 0 when the file was
// identified, 1 otherwise, 2 when the table lacks a column it needs.
int runSurvey(const QString &inputPath, const std::optional<TableOptions> &table, Platform &platform,
              std::FILE *out);

// Writes the raw data file of a table, which imports to the same analysis. The same exit
// statuses.
int runConvert(const QString &tablePath, const QString &outputPath, const TableOptions &table, Platform &platform);

} // namespace sortana
