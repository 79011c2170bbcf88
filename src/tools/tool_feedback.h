#pragma once
// What the tools show outside the pane: the pointer shape over the drawing surface and the
// text of the status bar's first panel, announced to the window side.

#include "tools/pointer_shape.h"

#include <QObject>
#include <QString>

namespace vw {

class ToolFeedback : public QObject {
    Q_OBJECT
public:
    void setPointer(PointerShape shape) {
        if (shape == m_pointer)
            return;
        m_pointer = shape;
        emit pointerChanged(shape);
    }
    PointerShape pointer() const { return m_pointer; }

    void showStatus(const QString& text) {
        m_status = text;
        emit statusShown(text);
    }
    const QString& status() const { return m_status; }

signals:
    // A tool asked for a different pointer shape.
    void pointerChanged(vw::PointerShape shape);
    // A tool showed a status text.
    void statusShown(const QString& text);

private:
    PointerShape m_pointer = PointerShape::Arrow;
    QString m_status;
};

} // namespace vw
