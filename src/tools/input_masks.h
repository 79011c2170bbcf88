#pragma once
// Button and modifier masks of a pointer event. The tools compare whole masks: "Shift" means
// Shift and nothing else, "the left button" the left button alone.

#include "views/pane_input.h"

namespace vw {

inline bool isLeftAlone(int buttons) {
    return buttons == kLeftButton;
}
inline bool isShiftAlone(int modifiers) {
    return modifiers == kShiftMask;
}
inline bool isShiftOrCtrlAlone(int modifiers) {
    return modifiers == kShiftMask || modifiers == kCtrlMask;
}

} // namespace vw
