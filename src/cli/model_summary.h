#pragma once
// A human-readable account of a loaded model.

#include "model/model.h"

#include <cstdint>
#include <string>

namespace vw {

// The file, its layout (from loadModel's result), the totals, then each part and segment with
// its vertex and strip counts; one fact per line.
std::string describeModel(const Model& model, uint8_t result);

} // namespace vw
