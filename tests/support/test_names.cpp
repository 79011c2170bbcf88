#include "support/test_names.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vw::test {

std::string nameOf(std::string_view text) {
    std::string name;
    bool wordStart = true;
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            wordStart = true;
            continue;
        }
        name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        wordStart = false;
    }
    return name;
}

std::string nameOf(float value) {
    if (std::isnan(value))
        return std::signbit(value) ? "MinusNaN" : "NaN";
    if (std::isinf(value))
        return value < 0 ? "MinusInf" : "Inf";
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string name;
    for (const char* c = text; c != end; ++c) {
        if (*c == '.')
            name += '_';
        else if (*c == '-')
            name += "Minus";
        else if (*c != '+')
            name += *c;
    }
    return name;
}

} // namespace vw::test
