#include "support/watched_child.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vw::test {

namespace {

// Hands every event in buffer to onFile; false once it asked for the child's end.
bool tellEvents(const char* buffer, ssize_t length, pid_t child,
                const std::function<bool(const std::string&, pid_t)>& onFile) {
    for (const char* at = buffer; at < buffer + length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0 && !onFile(event->name, child))
            return false;
        at += sizeof(inotify_event) + event->len;
    }
    return true;
}

} // namespace

bool runWatchingFolder(const std::filesystem::path& folder, const std::function<void()>& action,
                       const std::function<bool(const std::string& name, pid_t child)>& onFile) {
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        action();
        ::_exit(0);
    }
    alignas(inotify_event) char buffer[8192];
    bool alive = true;
    int status = 0;
    for (;;) {
        pollfd ready{watch, POLLIN, 0};
        ::poll(&ready, 1, 10);
        const ssize_t got = ::read(watch, buffer, sizeof buffer);
        if (got > 0 && alive) {
            ::kill(child, SIGSTOP);
            alive = tellEvents(buffer, got, child, onFile);
            ::kill(child, alive ? SIGCONT : SIGKILL);
            continue;
        }
        if (::waitpid(child, &status, WNOHANG) == child)
            break;
    }
    ::close(watch);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vw::test
