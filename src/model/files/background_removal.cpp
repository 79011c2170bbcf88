#include "model/files/background_removal.h"

#include "model/files/file_io.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace vw {

namespace {

void removeNow(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// One worker thread, started by the first removal, takes the files from a queue in turn. A child
// made by fork inherits the queue but not the thread, so both belong to the process that made
// them.
class Removals {
public:
    void add(std::filesystem::path file) {
        std::unique_lock lock(m_mutex);
        adopt();
        if (!m_stopped && startWorker()) {
            m_queue.push_back(std::move(file));
            m_wake.notify_one();
            return;
        }
        lock.unlock();
        removeNow(file);
    }

    void waitIdle() {
        std::unique_lock lock(m_mutex);
        adopt();
        m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    }

    // Lets the worker finish the queue and ends it; removals asked for later are done at once.
    void stop() {
        std::unique_lock lock(m_mutex);
        adopt();
        m_stopped = true;
        m_wake.notify_one();
        const std::unique_ptr<std::thread> worker = std::move(m_worker);
        lock.unlock();
        if (worker)
            worker->join();
    }

private:
    void adopt() {
        const long pid = platform::processId();
        if (m_pid != 0 && m_pid != pid) {
            // The parent's thread does not run here and its queue is the parent's to finish.
            // Destroying a std::thread that was never joined ends the process, so it is let go.
            static_cast<void>(m_worker.release());
            m_queue.clear();
            m_busy = false;
        }
        m_pid = pid;
    }

    // False when no thread can start.
    bool startWorker() {
        if (m_worker)
            return true;
        try {
            m_worker = std::make_unique<std::thread>([this] { work(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_stopped; });
            if (m_queue.empty())
                return;
            const std::filesystem::path file = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            lock.unlock();
            removeNow(file);
            lock.lock();
            m_busy = false;
            if (m_queue.empty())
                m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::filesystem::path> m_queue;
    std::unique_ptr<std::thread> m_worker;
    bool m_busy = false;
    bool m_stopped = false;
    long m_pid = 0;
};

// Never destroyed, so that a removal can be asked for or waited for from any static's destructor;
// the worker finishes the queue and is joined as the process ends.
Removals& removals() {
    static Removals* const instance = [] {
        auto* made = new Removals;
        std::atexit([] { removals().stop(); });
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
