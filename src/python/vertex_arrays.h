#pragma once
// NumPy arrays over a segment's own vertices and strip, without copying: strided views of the
// Vertex records, kept alive by the Python model object they name as their base.

#include "script_model.h"

#include <pybind11/numpy.h>

namespace vw::script {

// The kind's fields of segment as an N x 3 (positions, float32), N x 2 (uvs, float32) or N x 4
// (red, green, blue, alpha, uint8) array over the vertices that hold them (those of the block's
// leader, block_sharing.h), read-only where the layout cannot save them. owner is the Python
// object of model.
pybind11::array blockArray(pybind11::handle owner, ScriptModel& model, SegmentRef segment,
                           BlockKind kind);

// The segment's triangle strip, int16, read-only.
pybind11::array stripArray(pybind11::handle owner, ScriptModel& model, SegmentRef segment);

} // namespace vw::script
