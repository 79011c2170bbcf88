#pragma once
// What the pane hands to the mouse and key tools and asks of them: one pointer event as plain
// values, and the interface the tools' event frame implements, which also draws the current
// tool's overlay.

#include <QImage>
#include <Qt>

#include <array>
#include <cstdint>

namespace vw {

// The masks the program tests: buttons 1 left, 2 right, 4 middle; modifiers 1 Shift, 2 Ctrl,
// 4 Alt.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

inline int buttonMask(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? kLeftButton : 0) |
           (buttons & Qt::RightButton ? kRightButton : 0) |
           (buttons & Qt::MiddleButton ? kMiddleButton : 0);
}

inline int modifierMask(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? kShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? kCtrlMask : 0) |
           (modifiers & Qt::AltModifier ? kAltMask : 0);
}

// One pointer event: the button and modifier masks, and the position in twips on the drawing
// surface, unrounded.
struct PointerInput {
    int buttons = 0;
    int modifiers = 0;
    float x = 0;
    float y = 0;
};

// What the current tool's overlay lies over on a tick.
enum class OverlayGround : uint8_t {
    None,      // no overlay: the pane redraws in full when a change asks for it
    LastFrame, // the frame last composed, as it is (a rubber band)
    NewFrame,  // a frame composed anew whenever the working data, the view or the overlay moved
};

// The numbers an overlay is drawn from, bit for bit: a tick whose overlay gives the same ones
// over the same frame does nothing.
using OverlayGeometry = std::array<uint32_t, 8>;

// The receiver of the drawing surface's pointer events and of the pane's key presses, and the
// drawer of the current tool's overlay.
class PaneInput {
public:
    virtual ~PaneInput() = default;
    virtual void press(const PointerInput& input) = 0;
    virtual void move(const PointerInput& input) = 0;
    virtual void release(const PointerInput& input) = 0;
    virtual void keyPress(uint16_t keyAscii) = 0;
    // Wheel notches over the surface, positive away from the user.
    virtual void wheel(const PointerInput&, int) {}

    virtual OverlayGround overlayGround() const { return OverlayGround::None; }
    // Draws the overlay on picMain, over its ground.
    virtual void drawOverlay(QImage& /*picMain*/) const {}
    virtual OverlayGeometry overlayGeometry() const { return {}; }
};

} // namespace vw
