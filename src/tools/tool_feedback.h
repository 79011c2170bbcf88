#pragma once
// What the tools show outside the pane: the pointer shape over the drawing surface and the
// text of the status bar's first panel. The window side listens through the two callbacks.

#include "tools/pointer_shape.h"

#include <QString>

#include <functional>

namespace vw {

class ToolFeedback {
public:
    // Called when a tool asks for a different pointer shape.
    std::function<void(PointerShape)> onPointer;
    // Called with every status text a tool shows.
    std::function<void(const QString&)> onStatus;

    void setPointer(PointerShape shape) {
        if (shape == m_pointer)
            return;
        m_pointer = shape;
        if (onPointer)
            onPointer(shape);
    }
    PointerShape pointer() const { return m_pointer; }

    void showStatus(const QString& text) {
        m_status = text;
        if (onStatus)
            onStatus(text);
    }
    const QString& status() const { return m_status; }

private:
    PointerShape m_pointer = PointerShape::Arrow;
    QString m_status;
};

} // namespace vw
