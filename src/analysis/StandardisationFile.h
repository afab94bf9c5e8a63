#pragma once

#include "analysis/Standardisation.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace sortana {

// The standardisation as a comma-separated file in UTF-8 that a spreadsheet can edit: the
// header original,standard, then one row per original spelling.
QByteArray standardisationCsv(const Standardisation &standardisation);

// Reads such a file. Rows with an empty original or standard are skipped; an original
// (matched by its key) given two different standards is refused, naming both lines.
// Nothing, with the reason in `error`, when the file cannot be used.
std::optional<Standardisation> readStandardisationFile(const QString &path, QString &error);

} // namespace sortana
