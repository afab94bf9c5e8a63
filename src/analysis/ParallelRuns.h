#pragma once

#include "analysis/Resampling.h"

#include <QtGlobal>

#include <functional>
#include <vector>

namespace sortana {

// How many threads a resampling run uses: one per core.
int resamplingWorkers();

// Runs the tasks 0 to count - 1 on `workers` threads. `prepare` is called for one task at a
// time, in task order, so it can take a generator's next outputs into the task's draws,
// and the results never depend on the number of threads; `work` then runs on the worker
// numbered 0 to workers - 1 that prepared it. `progress` is told after every few tasks,
// never by two threads at once. False when it asked to cancel, or memory ran out.
using PrepareTask = std::function<void(qint64 task, std::vector<qint32> &draws)>;
using WorkTask = std::function<void(qint64 task, const std::vector<qint32> &draws, int worker)>;
bool runTasks(qint64 count, int workers, const PrepareTask &prepare, const WorkTask &work,
              const ResamplingProgress &progress);

} // namespace sortana
