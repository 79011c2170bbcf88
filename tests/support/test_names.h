#pragma once
// Parts of parameterised test names made from a case's values, so each CTest name is short,
// readable and the same from run to run.

#include <string>
#include <string_view>

namespace vw::test {

// Letters and digits of text, each word capitalised: "two triangles" gives "TwoTriangles".
std::string nameOf(std::string_view text);

// A number in its shortest form in name characters: -2.5f gives "Minus2_5", 1e-3f "1eMinus3".
std::string nameOf(float value);

} // namespace vw::test
