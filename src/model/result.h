#pragma once
// The outcome of an operation of the model library that can fail: success, or the one-line
// reason it failed, in the words the program shows the user.

#include <string>
#include <utility>

namespace vw {

class [[nodiscard]] Result {
public:
    // Success.
    Result() = default;
    static Result failure(std::string reason) { return Result(std::move(reason)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // Why it failed; empty on success.
    const std::string& reason() const { return m_reason; }

private:
    explicit Result(std::string reason) : m_reason(std::move(reason)), m_failed(true) {}

    std::string m_reason;
    bool m_failed = false;
};

} // namespace vw
