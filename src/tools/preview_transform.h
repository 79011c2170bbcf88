#pragma once
// Move, Scale and Rotate in the Preview. Each drag transforms the selection from where it was at
// the press, as one edit of the document: Move in the plane facing the camera through the
// selection's centre, Scale by the pointer's distance from the centre on screen, Rotate by its
// angle about the centre, about the view axis. X, Y or Z limits a drag to that model axis, Shift
// with it to the plane without it; the same key again lifts the limit. A number typed during
// the drag sets the amount (units, factor, degrees); Enter ends the drag.

#include "preview/preview_input.h"
#include "preview/space.h"

#include <vector>

class PreviewView;

namespace vw {

class Pane;
class ToolFeedback;

class PreviewTransform {
public:
    enum class Kind { Move, Scale, Rotate };

    PreviewTransform(Pane& pane, ToolFeedback& feedback, PreviewView& view)
        : m_pane(pane), m_feedback(feedback), m_view(view) {}

    // Opens the drag's edit when vertices are selected, unless the file could not keep it: then
    // the drag does nothing and the status bar says why.
    void press(Kind kind, const PreviewPointer& pointer);
    void move(const PreviewPointer& pointer);
    // Closes the edit as one undoable step.
    void release();
    void key(int key, const QString& text, int modifiers);
    // Every value comes back as it was at the press.
    void cancel();
    bool isDragging() const { return m_dragging; }

private:
    void apply();
    Vec3 moveDelta() const;
    double scaleFactor() const;
    double turnAngle() const;
    Vec3 turnAxis() const;
    bool typedAmount(double& amount) const;
    void finish();

    Pane& m_pane;
    ToolFeedback& m_feedback;
    PreviewView& m_view;
    Kind m_kind = Kind::Move;
    bool m_dragging = false;
    // Every working vertex's position at the press, by segment, and the selection's box centre,
    // both in file orientation (y up) as the camera sees them.
    std::vector<std::vector<Vec3>> m_start;
    Vec3 m_centre;
    Vec3 m_centreOnScreen;
    double m_pressX = 0, m_pressY = 0, m_x = 0, m_y = 0;
    int m_axes = 0; // 1 x, 2 y, 4 z; 0 free
    QString m_typed;
    float m_angleBefore = 0;
};

} // namespace vw
