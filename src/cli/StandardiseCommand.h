#pragma once

#include <QString>

#include <cstdio>

namespace sortana {

class Platform;

// Reads a standardisation file (original,standard) and stores it in the document, written
// safely. Returns the exit status: 0 stored, 1 when the document or the file could not be
// read or used, or the document could not be saved.
int runStandardise(const QString &documentPath, const QString &mapPath, Platform &platform);

// Writes the merges Suggest Merges would offer to `out` as a standardisation file, one row
// per member category; the header alone when there are none. 0, or 1 when the document
// cannot be read or has no sorts.
int runSuggestMerges(const QString &documentPath, Platform &platform, std::FILE *out);

// Writes the whole standardisation as Export Standardisation does, safely. 0, 1 when the
// document cannot be read or has no sorts or the file cannot be written, 2 when the file is
// the document.
int runExportStandardisation(const QString &documentPath, const QString &outPath, Platform &platform);

} // namespace sortana
