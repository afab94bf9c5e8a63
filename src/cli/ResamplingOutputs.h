#pragma once

#include "cli/ExportCommand.h"

#include <cstdio>

namespace sortana {

class Document;
class Platform;

// The replicates, sub-samples and seed export runs with when it is not told otherwise.
inline constexpr int defaultReplicates = 1000;
inline constexpr int defaultSubsets = 200;
inline constexpr int fewestRuns = 10;
inline constexpr int mostRuns = 10000;

// Whether export is asked for any resampling figure.
bool wantsResampling(const ExportOptions &options);

// Writes the support, stability and adequacy files and prints the cophenetic correlation that
// the options ask for, running the replicates and sub-samples unless the document holds
// them for the same numbers and seed. Progress goes to `err` when it is a terminal. Returns
// the exit status: 0 written, 1 when the study cannot be resampled or a file not written.
int writeResamplingOutputs(const ExportOptions &options, const Document &document, Platform &platform,
                           std::FILE *out, std::FILE *err);

} // namespace sortana
