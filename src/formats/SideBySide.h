#pragma once

#include <exception>
#include <thread>

namespace sortana {

// Runs `aside` on a thread of its own while `here` runs on this one, and returns once both
// are done. Whatever either throws comes out here, this thread's first; so a failure to
// allocate on the other thread is told to the user like any other.
template <typename Aside, typename Here> void runSideBySide(Aside &&aside, Here &&here)
{
    std::exception_ptr asideFailure;
    {
        const std::jthread other([&] {
            try {
                aside();
            } catch (...) {
                asideFailure = std::current_exception();
            }
        });
        here();
    }
    if (asideFailure)
        std::rethrow_exception(asideFailure);
}

} // namespace sortana
