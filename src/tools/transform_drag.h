#pragma once
// The arithmetic of a Move, Scale or Rotate drag in any view, from where every working vertex was
// at the press: the pointer's way through the view's projection, limited to one model axis or to
// the plane of two, or an amount typed during the drag; a Move snaps to grid steps or lands a
// grabbed vertex on another. X, Y or Z limits the drag to that axis, Shift with it to the plane
// without it, and the same key again lifts the limit; a number typed sets the amount (model units,
// a factor, degrees), as a number or as arithmetic on numbers ("2*3"), and Backspace takes back
// its last character; while the typed text is not a whole expression the drag changes nothing.

#include "model/editing/edit_session.h"
#include "model/editing/exact_transform.h"
#include "model/editing/selection/hidden_vertices.h"
#include "model/model.h"
#include "preview/space.h"
#include "tools/view_projection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vw {

// How a Move snaps during one step: grid steps in model units (0 for none), and whether a
// grabbed vertex lands on the nearest other one within reach (pointer units) on screen.
struct MoveSnapping {
    double gridStep = 0;
    bool toVertex = false;
    double reach = 0;
    const HiddenVertices* hidden = nullptr; // never landed on
};

class TransformDrag {
public:
    // Takes every working vertex's position, the centre it works about (file orientation) and
    // the press (pointer units), and grabs the selected vertex nearest the press within
    // grabReach along both axes, for snapping to a vertex.
    void begin(TransformKind kind, const std::vector<Segment>& data, const Vec3& centre,
               double pressX, double pressY, const ViewProjection& view, double grabReach);
    void end();
    bool isOn() const { return m_on; }
    TransformKind kind() const { return m_kind; }
    const Vec3& centre() const { return m_centre; }
    // Whether an axis limit or a typed amount has taken over from the pointer alone.
    bool isLimitedOrTyped() const { return m_axes != 0 || !m_typed.empty(); }

    // The axes the keys may limit the drag to, the view's own unless set after begin().
    void offerAxes(uint8_t axes) { m_offered = axes; }
    // X, Y or Z (axis 0 to 2), with Shift or not (the offered axes but that one). An axis the
    // view does not offer is not taken alone.
    bool limitTo(int axis, bool shift);
    // One character of the amount: a digit, a point (or comma), + - * / or a parenthesis.
    bool type(char c);
    // Backspace.
    bool erase();
    uint8_t axes() const { return m_axes; }
    uint8_t offeredAxes() const { return m_offered; }
    const std::string& typed() const { return m_typed; }
    // The typed amount's value; none while nothing or no whole expression is typed.
    std::optional<double> amount() const;

    // Sets the selected vertices of data for the pointer at (x, y). Unselected ones are left.
    void apply(std::vector<Segment>& data, double x, double y, const ViewProjection& view,
               const MoveSnapping& snapping = {});
    // The angle of the last turn, radians; the factor of the last scale.
    double angle() const { return m_angle; }
    double factor() const { return m_factor; }
    // The axis of the last turn, file-oriented.
    const Vec3& turnedAbout() const { return m_turnedAbout; }
    // How far the first selected vertex has come from the press, file-oriented; none without
    // one.
    std::optional<Vec3> movedSoFar(const std::vector<Segment>& data) const;

private:
    bool typesNothingWhole() const { return !m_typed.empty() && !amount(); }
    Vec3 moveDelta(double x, double y, const ViewProjection& view,
                   const MoveSnapping& snapping) const;
    std::optional<Vec3> snapToVertex(const Vec3& delta, const std::vector<Segment>& data,
                                     const ViewProjection& view, double reach,
                                     const HiddenVertices* hidden) const;
    double scaleFactor(double x, double y) const;
    Vec3 turnAxis(const ViewProjection& view) const;
    double turnAngle(double x, double y) const;

    bool m_on = false;
    TransformKind m_kind = TransformKind::Move;
    std::vector<std::vector<Vec3>> m_start; // every working vertex at the press, by segment
    Vec3 m_centre;
    Vec3 m_centreOnScreen;
    double m_pressX = 0, m_pressY = 0;
    uint8_t m_offered = kAllAxes;
    uint8_t m_axes = 0; // 0 free
    std::string m_typed;
    double m_angle = 0;
    double m_factor = 1;
    Vec3 m_turnedAbout;
    std::optional<std::pair<size_t, size_t>> m_grabbed; // for snapping to a vertex
};

// The file-oriented position of a vertex (the model's y is the file's negated).
inline Vec3 fileOf(const Vertex& vertex) {
    return {vertex.x, -double(vertex.y), vertex.z};
}

// The centre of the box around the selected vertices, file-oriented; none without a selection.
inline std::optional<Vec3> fileSelectionCentre(const std::vector<Segment>& data) {
    const std::optional<std::array<double, 3>> centre = selectionCentre(data);
    if (!centre)
        return std::nullopt;
    return Vec3{(*centre)[0], -(*centre)[1], (*centre)[2]};
}

// The session's pivot, file-oriented; none without a selection.
inline std::optional<Vec3> filePivot(const EditSession& session) {
    const std::optional<ModelPoint> pivot = session.pivotPoint();
    if (!pivot)
        return std::nullopt;
    return Vec3{(*pivot)[0], -(*pivot)[1], (*pivot)[2]};
}

} // namespace vw
