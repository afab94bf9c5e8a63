#pragma once

#include "platform/Progress.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace sortana {

class Document;

// The participants a sub-study draws from: the counted ones, by their index in the
// document's sorts, in file order (never the expert). Empty without the sorts.
std::vector<int> resamplingParticipants(const Document &doc);

// Why the study cannot be resampled, in a sentence for the user; empty when it can.
QString resamplingProblem(const Document &doc);

// Forgets the stored support, stability and adequacy figures: what the code that changes
// the study calls, as they no longer describe it.
void dropResamplingResults(Document &doc);

} // namespace sortana
