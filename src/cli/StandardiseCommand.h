#pragma once

#include <QString>

namespace sortana {

class Platform;

// Reads a standardisation file (original,standard) and stores it in the document, written
// safely. Returns the exit status: 0 stored, 1 when the document or the file could not be
// read or used, or the document could not be saved.
int runStandardise(const QString &documentPath, const QString &mapPath, Platform &platform);

} // namespace sortana
