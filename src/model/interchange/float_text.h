#pragma once
// Floats as text for the JSON and OBJ writers: exact, short and sign-preserving.

#include <string>

namespace vw {

// The shortest text that reads back as the same float ("-0" keeps its sign); non-finite values
// as nan, inf, -inf.
std::string shortestFloat(float value);

} // namespace vw
