#pragma once

#include "platform/Progress.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace sortana {

struct Study;

// The participants a sub-study draws from: the counted ones, by their index in the
// document's sorts, in file order (never the expert). Empty without the sorts.
std::vector<int> resamplingParticipants(const Study &study);

// Why the study cannot be resampled, in a sentence for the user; empty when it can.
QString resamplingProblem(const Study &study);

} // namespace sortana
