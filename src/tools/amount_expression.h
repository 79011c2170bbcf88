#pragma once
// The amount typed during a transform: a number or arithmetic on numbers ("2*3", "1/3",
// "-(1+2)/4"): + - * /, parentheses and unary minus, with the usual precedence.

#include <optional>
#include <string_view>

namespace vw {

// The value, or none for text that is not a whole expression, divides by zero or overflows.
std::optional<double> evaluateAmount(std::string_view text);

} // namespace vw
