#include "model/interchange/float_text.h"

#include <charconv>
#include <cmath>

namespace vw {

std::string shortestFloat(float value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[32]; // the longest shortest form of a float is 15 characters
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

} // namespace vw
