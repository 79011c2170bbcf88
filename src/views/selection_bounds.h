#pragma once
// The box the Scale and Rotate tools work on: the bounds of the selected working vertices along
// a view's two axes.

#include "model/model.h"
#include "views/view_params.h"

#include <vector>

namespace vw {

// With nothing selected the box keeps its start values, left and top 999999, right and bottom
// -999999. A NaN coordinate becomes the left or top edge, never the right or bottom one.
struct SelectionBounds {
    float left = 999999, top = 999999, right = -999999, bottom = -999999;
};
SelectionBounds selectionBounds(const std::vector<Segment>& data, const ViewParams& view);

} // namespace vw
