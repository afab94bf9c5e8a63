#pragma once

#include "platform/Progress.h"

#include <QtGlobal>

#include <functional>
#include <vector>

namespace sortana {

// How many threads the analysis's parallel parts use: one per core.
int coreCount();

// Runs `work` on `threads` threads, numbered 0 to threads - 1, this one being 0, and returns
// once all are done; on fewer, from 0, when the system cannot start them all, so `work` deals
// its tasks out as the threads come free. Whatever one of them throws (memory running out,
// say) comes out here, this thread's first, so the caller tells the user as it would of its
// own failure.
void runOnThreads(int threads, const std::function<void(int thread)> &work);
// Runs `aside` on a thread of its own while `here` runs on this one, as runOnThreads does;
// when the other thread cannot start, this one runs `aside` after `here`.
void runSideBySide(const std::function<void()> &aside, const std::function<void()> &here);

// Runs the tasks 0 to count - 1 on `workers` threads. `prepare` is called for one task at a
// time, in task order, so it can take a generator's next outputs into the task's draws,
// and the results never depend on the number of threads; `work` then runs on the worker
// numbered 0 to workers - 1 that prepared it. `progress` is told after every few tasks,
// never by two threads at once. False when it asked to cancel, or memory ran out.
using PrepareTask = std::function<void(qint64 task, std::vector<qint32> &draws)>;
using WorkTask = std::function<void(qint64 task, const std::vector<qint32> &draws, int worker)>;
bool runTasks(qint64 count, int workers, const PrepareTask &prepare, const WorkTask &work,
              const Progress &progress);

} // namespace sortana
