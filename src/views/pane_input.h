#pragma once
// What the pane hands to the mouse and key tools: one pointer event as plain values, and the
// interface the tools' event frame implements.

#include <cstdint>

namespace vw {

// Button mask: 1 left, 2 right, 4 middle. Modifier mask: 1 Shift, 2 Ctrl, 4 Alt.
// The position is in twips on the drawing surface, unrounded.
struct PointerInput {
    int buttons = 0;
    int modifiers = 0;
    float x = 0;
    float y = 0;
};

// The receiver of the drawing surface's pointer events and of the pane's key presses.
class PaneInput {
public:
    virtual ~PaneInput() = default;
    virtual void press(const PointerInput& input) = 0;
    virtual void move(const PointerInput& input) = 0;
    virtual void release(const PointerInput& input) = 0;
    virtual void keyPress(uint16_t keyAscii) = 0;
    // Wheel notches over the surface, positive away from the user.
    virtual void wheel(const PointerInput&, int) {}
};

} // namespace vw
