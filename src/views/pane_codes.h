#pragma once
// The numbers the pane and the rest of the program share for its tools and its tabs.

#include <array>
#include <cstdint>

namespace vw {

// Tool codes held in toolMode; any other value means no tool.
enum ToolCode : uint8_t {
    kToolSelect = 1,
    kToolMove = 2,
    kToolPan = 3,
    kToolZoom = 4,
    kToolScale = 5,
    kToolRotate = 6,
};

// The tools that transform the selection.
constexpr std::array<uint8_t, 3> kTransformTools{kToolMove, kToolScale, kToolRotate};
constexpr bool isTransformTool(uint8_t code) {
    return code == kToolMove || code == kToolScale || code == kToolRotate;
}

// Tab indexes of the pane; tabs 1 to 4 have a view, tab 5 has none.
enum TabIndex : int {
    kTabXY = 1,
    kTabYZ = 2,
    kTabXZ = 3,
    kTabUV = 4,
    kTabPreview = 5,
};

} // namespace vw
