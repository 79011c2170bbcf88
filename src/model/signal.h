#pragma once
// One kind of change and the listeners to it. A listener stays subscribed while its
// Subscription lives; either of the two may go first. Plain C++, so the model library, the
// command-line tool and the editor announce changes the same way.

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vw {

class Subscription {
public:
    Subscription() = default;
    Subscription(std::weak_ptr<void> owner, std::function<void()> cancel)
        : m_owner(std::move(owner)), m_cancel(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept = default;
    Subscription& operator=(Subscription&& other) noexcept {
        reset();
        m_owner = std::move(other.m_owner);
        m_cancel = std::move(other.m_cancel);
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    // Ends the subscription now; the listener is not called again.
    void reset() {
        if (m_owner.lock() && m_cancel)
            m_cancel();
        m_owner.reset();
        m_cancel = nullptr;
    }

private:
    std::weak_ptr<void> m_owner;
    std::function<void()> m_cancel;
};

// Raises a flag for the life of a scope, leaving it as it was after: marks who is acting while
// it handles an event, so that news of its own changes can be told from others'.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag), m_was(flag) { flag = true; }
    ~ScopedFlag() { m_flag = m_was; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

template <class... Args> class Signal {
public:
    using Listener = std::function<void(Args...)>;

    [[nodiscard]] Subscription subscribe(Listener listener) {
        const uint64_t id = m_state->next++;
        m_state->listeners.emplace_back(id, std::move(listener));
        std::weak_ptr<State> state = m_state;
        return Subscription(m_state, [state, id] {
            if (const auto alive = state.lock())
                std::erase_if(alive->listeners,
                              [id](const auto& entry) { return entry.first == id; });
        });
    }

    // Calls every listener subscribed when it starts, in the order they subscribed. A listener
    // ended by an earlier one in the same round is not called.
    void send(Args... args) const {
        const std::shared_ptr<State> state = m_state;
        std::vector<uint64_t> ids;
        ids.reserve(state->listeners.size());
        for (const auto& entry : state->listeners)
            ids.push_back(entry.first);
        for (const uint64_t id : ids) {
            for (const auto& entry : state->listeners) {
                if (entry.first != id)
                    continue;
                const Listener listener = entry.second;
                listener(args...);
                break;
            }
        }
    }

private:
    struct State {
        uint64_t next = 1;
        std::vector<std::pair<uint64_t, Listener>> listeners;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace vw
