#include "model/files/background_removal.h"

#include "model/files/file_io.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

namespace vw {

namespace {

void removeNow(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// Counts the removals under way, each on a thread of its own. A child made by fork inherits the
// count but none of the threads, so the count belongs to the process that made it.
class Removals {
public:
    void add(std::filesystem::path file) {
        std::unique_lock lock(m_mutex);
        adopt();
        ++m_pending;
        try {
            std::thread([this, file] {
                removeNow(file);
                finish();
            }).detach();
        } catch (const std::system_error&) {
            --m_pending;
            lock.unlock();
            removeNow(file);
        }
    }

    void waitIdle() {
        std::unique_lock lock(m_mutex);
        adopt();
        m_done.wait(lock, [this] { return m_pending == 0; });
    }

private:
    void adopt() {
        const long pid = platform::processId();
        if (m_pid != pid)
            m_pending = 0;
        m_pid = pid;
    }

    void finish() {
        const std::lock_guard lock(m_mutex);
        if (--m_pending == 0)
            m_done.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_done;
    size_t m_pending = 0;
    long m_pid = 0;
};

// Never destroyed, so that a removal can be waited for from any static's destructor; the process
// waits for those still under way as it ends.
Removals& removals() {
    static Removals* const instance = [] {
        auto* made = new Removals;
        std::atexit(waitForRemovals);
        return made;
    }();
    return *instance;
}

} // namespace

void removeInBackground(std::filesystem::path file) {
    removals().add(std::move(file));
}

void waitForRemovals() {
    removals().waitIdle();
}

} // namespace vw
