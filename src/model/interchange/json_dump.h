#pragma once
// The loaded model as JSON, for scripts and tests that want to see what the loader read.

#include "model/interchange/float_text.h"
#include "model/model.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace vw {

// A float as a JSON value: shortestFloat, with non-finite values quoted as strings.
std::string jsonFloat(float value);

// Writes {"result", "fileVersion", "modelFormat", "parts": [{"segments": [...]}]} and, for
// the delta layout (result 10), "baseMeshes"; one line, ending in a newline.
void writeModelJson(std::ostream& out, const Model& model, uint8_t result);

} // namespace vw
