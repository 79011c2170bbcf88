#pragma once
// What the Preview hands to the tools layer: pointer events in window pixels and the keys typed
// during a drag. While the current tool does not select or transform, the camera keeps the
// pointer as before.

#include <QString>

namespace vw {

// Button mask 1 left, 2 right, 4 middle; modifier mask 1 Shift, 2 Ctrl, 4 Alt; window pixels.
struct PreviewPointer {
    int buttons = 0;
    int modifiers = 0;
    double x = 0, y = 0;
};

class PreviewInput {
public:
    virtual ~PreviewInput() = default;
    // Whether the current tool selects or transforms in the Preview (the edit mesh shows then);
    // the left button is then the tool's, the middle one orbits and the right one pans.
    virtual bool actsOnPreview() const = 0;
    // The left button pressed alone, the pointer moved (any buttons, or none), the left button
    // released.
    virtual void press(const PreviewPointer& pointer) = 0;
    virtual void move(const PreviewPointer& pointer) = 0;
    virtual void release(const PreviewPointer& pointer) = 0;
    // A key typed during a drag (Qt's key code, its text, the modifier mask); the drag takes
    // every key, so no tool letter changes the tool under it.
    virtual void key(int key, const QString& text, int modifiers) = 0;
    // Wheel notches (positive away from the user); true when the tools took them, so the camera
    // does not zoom.
    virtual bool wheel(int /*notches*/) { return false; }
    virtual bool isDragging() const = 0;
    // Esc or a right click: the drag puts back what it changed and ends.
    virtual void cancel() = 0;
    // A press of any button, and a release, during a modal action (isDragging without the left
    // button's drag): a modal transform ends on a left click keeping what it did, or on a right
    // click putting it back; circle select paints with the left or middle button and ends on the
    // right one.
    virtual void modalPress(const PreviewPointer& pointer, int button) = 0;
    virtual void modalRelease(const PreviewPointer& pointer) = 0;
    // Shift with a right click, no drag under way: true when it placed the 3D cursor, so the
    // camera does not take the press.
    virtual bool placeCursor(const PreviewPointer& /*pointer*/) { return false; }
};

} // namespace vw
