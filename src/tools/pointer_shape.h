#pragma once
// The pointer shapes the tools ask for; the pane widget turns them into cursors.

#include <cstdint>

namespace vw {

enum class PointerShape : uint8_t {
    Arrow,
    Crosshair,
    ResizeDiagonalNwSe,
    ResizeDiagonalNeSw,
    ResizeVertical,
    ResizeHorizontal,
    FourWayMove,
    OpenHand,
    ClosedHand,
    ZoomIn,
    ZoomOut,
    Move,
};

} // namespace vw
