#pragma once

#include <QString>

#include <cstdio>

namespace sortana {

class Platform;

// Surveys a raw data file and prints what it found as key=value lines. Returns the exit
// status: 0 when the file was identified, 1 otherwise.
int runSurvey(const QString &inputPath, Platform &platform, std::FILE *out);

} // namespace sortana
