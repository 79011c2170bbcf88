#pragma once
// Two pieces of work at once, for the loader and the saver.

#include <functional>
#include <system_error>
#include <thread>

namespace vw {

// Runs first on a second thread while second runs here; both here when no thread can start.
inline void runSideBySide(const std::function<void()>& first, const std::function<void()>& second) {
    std::jthread side;
    try {
        side = std::jthread(first);
    } catch (const std::system_error&) {
        first();
    }
    second();
}

} // namespace vw
