#pragma once

#include <QtGlobal>

#include <functional>

namespace sortana {

// Told how far a long run has come; called from worker threads, a few hundred times a run at
// most, so the caller makes it thread-safe. Returning false cancels the run.
using Progress = std::function<bool(qint64 done, qint64 total)>;

} // namespace sortana
