#pragma once
// The status bar's words for a transform under way: the tool, its limit, the typed text and the
// amount applied ("Move along X: 2*3 = 6", "Scale 0.5", "Rotate about Z 90°",
// "Move D: 3.2, 0, -1"), in the sheet's orientation.

#include "tools/transform_drag.h"

#include <QString>

namespace vw {

QString transformReadout(const TransformDrag& drag, const std::vector<Segment>& data);

} // namespace vw
