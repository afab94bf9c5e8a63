#pragma once

#include "analysis/Categories.h"
#include "study/Standardisation.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace sortana {

// Rows original,standard as a comma-separated file in UTF-8 that a spreadsheet can edit,
// under the header original,standard.
QByteArray standardisationCsv(const std::vector<StandardEntry> &rows);

// The whole standardisation as the user edits it: every original spelling of every category
// under its shown name, the categories left as they were included, then the entries that
// match none of those spellings (names only the expert or left-out participants used), so
// that reading it back changes nothing.
std::vector<StandardEntry> standardisationRows(const CategoryTable &table, const Standardisation &standardisation);

// Reads such a file. Rows with an empty original or standard are skipped; an original
// (matched by its key) given two different standards is refused, naming both lines.
// Nothing, with the reason in `error`, when the file cannot be used.
std::optional<Standardisation> readStandardisationFile(const QString &path, QString &error);

} // namespace sortana
