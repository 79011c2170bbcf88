#include "app/quit_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vw {
namespace {

int s_pipe[2] = {-1, -1};

void writeSignal(int signal) {
    const char byte = char(signal);
    // A full pipe already holds a signal the loop has yet to read.
    (void)::write(s_pipe[1], &byte, 1);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal)) {
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    handle(SIGTERM, writeSignal);
    handle(SIGHUP, writeSignal);
}

QuitSignals::~QuitSignals() {
    if (!m_notifier)
        return;
    handle(SIGTERM, SIG_DFL);
    handle(SIGHUP, SIG_DFL);
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

void QuitSignals::readSignal() {
    char byte;
    bool any = false;
    while (::read(s_pipe[0], &byte, 1) == 1)
        any = true;
    if (any)
        m_onSignal();
}

} // namespace vw
