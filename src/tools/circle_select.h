#pragma once
// Circle select: a circle about the pointer that paints working vertices into the selection, or
// out of it, in the plane views and in the Preview. While it is on, the circle follows the
// pointer; a press starts a stroke, every move with a button held paints what the circle covers,
// and the release makes the stroke one change of the selection (a stroke that adds counts each
// newly selected vertex in SelCount, as a box does; one that removes leaves the number still
// selected). Until the release the stroke's vertices show as marks over the plane view. Hidden
// vertices are never painted; in the Preview only the vertices the surface does not hide are,
// unless X-ray is on, as a box select decides it. The radius is in pixels and kept between uses.

#include "preview/preview_input.h"
#include "tools/selection.h"
#include "views/pane_input.h"

#include <QPointF>

#include <cstdint>
#include <vector>

class PreviewView;

namespace vw {

class Pane;

class CircleSelect {
public:
    static constexpr double kSmallestRadius = 4;
    static constexpr double kLargestRadius = 400;
    static constexpr double kFirstRadius = 25;

    explicit CircleSelect(Pane& pane);

    void start();
    // Off: a stroke under way is kept, and the circle goes from the Preview.
    void end();
    bool isOn() const { return m_on; }
    bool isPainting() const { return m_stroke != Stroke::None; }
    double radius() const { return m_radius; }

    // Whether a press removes rather than adds, for a caller that takes the user's hand as it
    // comes: the middle button, or the left one with Shift.
    static bool removes(int buttons, int modifiers);

    // Plane views, positions in twips as the pane takes them.
    void press(const PointerInput& input, bool remove);
    // Paints while a button is held; otherwise only moves the circle.
    void move(const PointerInput& input);
    void release();
    // Esc or a right click: the stroke is dropped, the selection unchanged.
    void cancel();
    // The circle at the pointer and the stroke's marks, over the frame last composed.
    OverlayGround overlayGround() const;
    void drawOverlay(QImage& picMain) const;
    OverlayGeometry overlayGeometry() const;

    // The Preview, positions in window pixels.
    void previewPress(const PreviewPointer& pointer, PreviewView& view, bool remove);
    void previewMove(const PreviewPointer& pointer, PreviewView& view);
    void previewRelease(const PreviewPointer& pointer, PreviewView& view);

    // Wheel notches, positive away from the user: each grows the radius by a quarter, or shrinks
    // it as much, within the limits.
    void wheel(int notches);

private:
    enum class Stroke : uint8_t { None, Adding, Removing };

    void beginStroke(bool remove);
    // Whether the working data still has the shape the stroke began on; a stroke over data
    // that changed under it paints and selects nothing.
    bool strokeFits() const;
    // Adds to the stroke every working vertex not yet in it for which covered holds.
    template <class Covered> void paint(Covered covered);
    void paintPlane(float x, float y);
    void paintPreview(const PreviewPointer& pointer, PreviewView& view);
    // The stroke's vertices as they will be: selected marks, or unselected ones.
    void drawStrokeMarks(QImage& picMain) const;
    void showOnPreview(const PreviewPointer& pointer, PreviewView& view);
    void applyStroke();

    Pane& m_pane;
    bool m_on = false;
    Stroke m_stroke = Stroke::None;
    double m_radius = kFirstRadius;
    float m_x = 0, m_y = 0; // the pointer in a plane view, in twips
    std::vector<VertexIndex> m_painted;
    std::vector<std::vector<uint8_t>> m_inStroke; // per working segment and vertex
    // The Preview showing the circle, and where.
    PreviewView* m_shownOn = nullptr;
    QPointF m_previewAt;
};

} // namespace vw
