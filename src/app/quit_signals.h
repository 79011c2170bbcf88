#pragma once
// SIGTERM and SIGHUP (a logout, a system shutdown, a plain kill) end the editor through its event
// loop, as a quit does, instead of where it stands: a handler may do almost nothing, so it only
// writes the signal into a pipe that the event loop watches.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace vw {

class QuitSignals : public QObject {
public:
    // onSignal runs on the event loop after one or more signals, while this object lives.
    explicit QuitSignals(std::function<void()> onSignal);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    void readSignal();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vw
