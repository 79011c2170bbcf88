#pragma once
// The tool palette's state: buttons 1 to 6 by tool code, enabled or not, and the one shown
// pressed.

#include <array>

namespace vw {

class ToolPalette {
public:
    bool isEnabled(int position) const {
        return position >= 1 && position <= 6 && m_enabled[position - 1];
    }
    // False when nothing changed: a position off the palette, or the state it had.
    bool setEnabled(int position, bool enabled) {
        if (position < 1 || position > 6 || m_enabled[position - 1] == enabled)
            return false;
        m_enabled[position - 1] = enabled;
        return true;
    }
    int pressed() const { return m_pressed; }
    void press(int position) { m_pressed = position; }

private:
    std::array<bool, 6> m_enabled{};
    int m_pressed = 0;
};

} // namespace vw
