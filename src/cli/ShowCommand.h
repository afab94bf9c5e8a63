#pragma once

#include <QString>

#include <cstdio>

namespace sortana {

class Platform;

// Loads a document file and prints its summary, settings, items and leaf order as
// key=value lines. Returns the exit status: 0 shown, 1 when the file could not be loaded.
int runShow(const QString &documentPath, Platform &platform, std::FILE *out);

} // namespace sortana
