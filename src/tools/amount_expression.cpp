#include "tools/amount_expression.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vw {
namespace {

// A recursive descent over: sum = product {(+|-) product}; product = unary {(*|/) unary};
// unary = -unary | +unary | number | (sum).
class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<double> whole() {
        const std::optional<double> value = sum();
        skipSpaces();
        if (!value || m_at != m_text.size() || !std::isfinite(*value))
            return std::nullopt;
        return value;
    }

private:
    std::optional<double> sum() {
        std::optional<double> value = product();
        while (value && (peek() == '+' || peek() == '-')) {
            const char op = m_text[m_at++];
            const std::optional<double> right = product();
            if (!right)
                return std::nullopt;
            *value = op == '+' ? *value + *right : *value - *right;
        }
        return value;
    }

    std::optional<double> product() {
        std::optional<double> value = unary();
        while (value && (peek() == '*' || peek() == '/')) {
            const char op = m_text[m_at++];
            const std::optional<double> right = unary();
            if (!right || (op == '/' && *right == 0))
                return std::nullopt;
            *value = op == '*' ? *value * *right : *value / *right;
        }
        return value;
    }

    std::optional<double> unary() {
        // Nested signs and parentheses are bounded by the text's length, which a typed amount
        // keeps short.
        if (peek() == '-' || peek() == '+') {
            const bool negate = m_text[m_at++] == '-';
            const std::optional<double> value = unary();
            return value && negate ? std::optional(-*value) : value;
        }
        if (peek() == '(') {
            ++m_at;
            const std::optional<double> value = sum();
            if (!value || peek() != ')')
                return std::nullopt;
            ++m_at;
            return value;
        }
        return number();
    }

    std::optional<double> number() {
        skipSpaces();
        const size_t start = m_at;
        bool point = false;
        while (m_at < m_text.size() && (std::isdigit(static_cast<unsigned char>(m_text[m_at])) ||
                                        (m_text[m_at] == '.' && !point))) {
            point = point || m_text[m_at] == '.';
            ++m_at;
        }
        const std::string_view digits = m_text.substr(start, m_at - start);
        double value = 0;
        // from_chars reads the point whatever the process's C locale says.
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
            return std::nullopt;
        return value;
    }

    char peek() {
        skipSpaces();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

    void skipSpaces() {
        while (m_at < m_text.size() && m_text[m_at] == ' ')
            ++m_at;
    }

    std::string_view m_text;
    size_t m_at = 0;
};

} // namespace

std::optional<double> evaluateAmount(std::string_view text) {
    return Parser(text).whole();
}

} // namespace vw
