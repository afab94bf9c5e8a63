#include "analysis/ParallelRuns.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

namespace sortana {

int coreCount()
{
    return std::max(1, QThread::idealThreadCount());
}

void runOnThreads(int threads, const std::function<void(int thread)> &work)
{
    std::vector<std::exception_ptr> failures(std::size_t(std::max(threads, 1)));
    const auto run = [&](int thread) {
        try {
            work(thread);
        } catch (...) {
            failures[std::size_t(thread)] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(failures.size());
        for (int thread = 1; thread < threads; ++thread) {
            // A thread the system cannot start, for want of memory say, leaves its share to
            // the others.
            try {
                helpers.emplace_back(run, thread);
            } catch (const std::exception &) {
                break;
            }
        }
        run(0);
    }
    for (const std::exception_ptr &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

void runSideBySide(const std::function<void()> &aside, const std::function<void()> &here)
{
    // Whichever thread comes to `aside` first runs it: this one, after `here`, when the other
    // could not start.
    std::atomic<bool> asideTaken = false;
    runOnThreads(2, [&](int thread) {
        if (thread == 0)
            here();
        if (!asideTaken.exchange(true))
            aside();
    });
}

bool runTasks(qint64 count, int workers, const PrepareTask &prepare, const WorkTask &work,
              const Progress &progress)
{
    std::mutex taking;
    qint64 next = 0;
    std::mutex telling;
    qint64 done = 0;
    // A few hundred calls at most, however many tasks.
    const qint64 step = std::max<qint64>(1, count / 200);
    std::atomic<bool> cancelled = false;
    if (progress && !progress(0, count))
        return false;

    auto runTasksOn = [&](int worker) {
        std::vector<qint32> draws;
        while (!cancelled.load(std::memory_order_relaxed)) {
            qint64 task = 0;
            {
                const std::lock_guard lock(taking);
                if (next >= count)
                    return;
                task = next++;
                prepare(task, draws);
            }
            work(task, draws, worker);
            const std::lock_guard lock(telling);
            ++done;
            if (progress && (done % step == 0 || done == count) && !progress(done, count))
                cancelled = true;
        }
    };
    // A study too large for a worker's matrices stops the run, as a cancel does, rather than
    // ending the program from a thread.
    auto run = [&](int worker) {
        try {
            runTasksOn(worker);
        } catch (const std::bad_alloc &) {
            cancelled = true;
        }
    };
    runOnThreads(workers, run);
    return !cancelled;
}

} // namespace sortana
