#include "tools/transform_drag.h"

#include "tools/amount_expression.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <string_view>

namespace vw {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

double& along(Vec3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

Vec3 unitAxis(int axis) {
    Vec3 unit;
    along(unit, axis) = 1;
    return unit;
}

bool isOneAxis(uint8_t axes) {
    return std::popcount(unsigned(axes)) == 1;
}

// The part of a displacement the limit lets through: along one axis, or in the plane of two.
Vec3 limited(Vec3 delta, uint8_t axes) {
    if (axes == 0)
        return delta;
    for (int axis = 0; axis < 3; ++axis)
        if (!(axes & (1 << axis)))
            along(delta, axis) = 0;
    return delta;
}

// Rodrigues' rotation of v about the unit axis.
Vec3 rotatedAbout(const Vec3& v, const Vec3& axis, double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    return v * c + axis.cross(v) * s + axis * (axis.dot(v) * (1 - c));
}

double nearestStep(double value, double step) {
    return std::nearbyint(value / step) * step;
}

// The nearest of the vertices that pass, on screen, to (x, y) within reach along both axes.
template <class Passes>
std::optional<std::pair<size_t, size_t>> nearestOnScreen(const std::vector<Segment>& data,
                                                         const ViewProjection& view, double x,
                                                         double y, double reach, Passes passes) {
    std::optional<std::pair<size_t, size_t>> nearest;
    double best = 0;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            if (!passes(i, j, data[i].verts[j]))
                continue;
            const Vec3 at = view.toScreen(fileOf(data[i].verts[j]));
            const double dx = at.x - x, dy = at.y - y;
            if (!(std::fabs(dx) <= reach && std::fabs(dy) <= reach))
                continue;
            const double distance = dx * dx + dy * dy;
            if (!nearest || distance < best) {
                nearest = std::pair{i, j};
                best = distance;
            }
        }
    return nearest;
}

} // namespace

void TransformDrag::begin(TransformKind kind, const std::vector<Segment>& data, const Vec3& centre,
                          double pressX, double pressY, const ViewProjection& view,
                          double grabReach) {
    m_kind = kind;
    m_start.clear();
    // Every working vertex, not only the selected ones: soft selection passes unselected
    // vertices through the change too, each from where it was at the press.
    for (const Segment& segment : data) {
        std::vector<Vec3>& starts = m_start.emplace_back();
        starts.reserve(segment.verts.size());
        for (const Vertex& vertex : segment.verts)
            starts.push_back(fileOf(vertex));
    }
    m_centre = centre;
    m_centreOnScreen = view.toScreen(centre);
    m_pressX = pressX;
    m_pressY = pressY;
    m_offered = view.offeredAxes();
    m_axes = 0;
    m_typed.clear();
    m_angle = 0;
    m_factor = 1;
    m_grabbed = grabReach > 0 ? nearestOnScreen(data, view, pressX, pressY, grabReach,
                                                [](size_t, size_t, const Vertex& vertex) {
                                                    return vertex.selected != 0;
                                                })
                              : std::nullopt;
    m_on = true;
}

void TransformDrag::end() {
    m_on = false;
    m_start.clear();
}

bool TransformDrag::limitTo(int axis, bool shift) {
    if (axis < 0 || axis > 2)
        return false;
    // Shift with an axis off a plane view's plane leaves that plane itself.
    const uint8_t axes = shift ? uint8_t(m_offered & ~(1 << axis)) : uint8_t(1 << axis);
    if ((axes & m_offered) != axes || axes == 0)
        return false;
    m_axes = m_axes == axes ? 0 : axes;
    return true;
}

bool TransformDrag::type(char c) {
    constexpr std::string_view kTyped = "0123456789.,+-*/()";
    // Long enough for any amount a hand types, short enough to bound the parser's nesting.
    constexpr size_t kLongest = 64;
    if (kTyped.find(c) == std::string_view::npos || m_typed.size() >= kLongest)
        return false;
    m_typed += c == ',' ? '.' : c;
    return true;
}

bool TransformDrag::erase() {
    if (m_typed.empty())
        return false;
    m_typed.pop_back();
    return true;
}

std::optional<double> TransformDrag::amount() const {
    return m_typed.empty() ? std::nullopt : evaluateAmount(m_typed);
}

std::optional<Vec3> TransformDrag::movedSoFar(const std::vector<Segment>& data) const {
    if (!m_on || data.size() != m_start.size())
        return std::nullopt;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size() && j < m_start[i].size(); ++j)
            if (data[i].verts[j].selected != 0)
                return fileOf(data[i].verts[j]) - m_start[i][j];
    return std::nullopt;
}

Vec3 TransformDrag::moveDelta(double x, double y, const ViewProjection& view,
                              const MoveSnapping& snapping) const {
    if (typesNothingWhole())
        return {};
    const Vec3 dragged = limited(view.onFacingPlane(m_centre, x, y) -
                                     view.onFacingPlane(m_centre, m_pressX, m_pressY),
                                 m_axes);
    if (const std::optional<double> typed = amount()) {
        // Along the one axis allowed, else the way the pointer went, else x; in the model's units
        // and directions (its y is the file's negated).
        Vec3 direction =
            isOneAxis(m_axes) ? unitAxis(std::countr_zero(unsigned(m_axes))) : dragged.normalized();
        if (direction.length() == 0)
            direction = unitAxis(0);
        if (isOneAxis(m_axes))
            direction.y = -direction.y;
        return direction * *typed;
    }
    if (snapping.gridStep > 0)
        return {nearestStep(dragged.x, snapping.gridStep),
                nearestStep(dragged.y, snapping.gridStep),
                nearestStep(dragged.z, snapping.gridStep)};
    return dragged;
}

std::optional<Vec3> TransformDrag::snapToVertex(const Vec3& delta, const std::vector<Segment>& data,
                                                const ViewProjection& view, double reach,
                                                const HiddenVertices* hidden) const {
    if (!m_grabbed)
        return std::nullopt;
    const Vec3& from = m_start[m_grabbed->first][m_grabbed->second];
    const Vec3 landing = view.toScreen(from + delta);
    const auto target = nearestOnScreen(
        data, view, landing.x, landing.y, reach, [&](size_t i, size_t j, const Vertex& vertex) {
            return vertex.selected == 0 && !(hidden && hidden->isHidden(i, j));
        });
    if (!target)
        return std::nullopt;
    // From the grabbed vertex as it was, so it lands on the other bit for bit; a plane view
    // keeps the depth.
    return limited(fileOf(data[target->first].verts[target->second]) - from,
                   m_axes != 0 ? m_axes : m_offered);
}

double TransformDrag::scaleFactor(double x, double y) const {
    if (typesNothingWhole())
        return 1;
    if (const std::optional<double> typed = amount())
        return *typed;
    const double atPress = std::hypot(m_pressX - m_centreOnScreen.x, m_pressY - m_centreOnScreen.y);
    const double now = std::hypot(x - m_centreOnScreen.x, y - m_centreOnScreen.y);
    return atPress > 0 ? now / atPress : 1;
}

Vec3 TransformDrag::turnAxis(const ViewProjection& view) const {
    const Vec3 towardsEye = view.towardsViewer();
    if (!isOneAxis(m_axes))
        return towardsEye;
    // Turned so a turn on screen goes the way the pointer turns.
    const Vec3 axis = unitAxis(std::countr_zero(unsigned(m_axes)));
    return axis.dot(towardsEye) < 0 ? axis * -1 : axis;
}

double TransformDrag::turnAngle(double x, double y) const {
    if (typesNothingWhole())
        return 0;
    if (const std::optional<double> degrees = amount())
        return *degrees * kDegree;
    const double atPress = std::atan2(m_pressY - m_centreOnScreen.y, m_pressX - m_centreOnScreen.x);
    const double now = std::atan2(y - m_centreOnScreen.y, x - m_centreOnScreen.x);
    // Screen rows run down, so the pointer's angle grows clockwise.
    return std::remainder(atPress - now, 2 * std::numbers::pi);
}

void TransformDrag::apply(std::vector<Segment>& data, double x, double y,
                          const ViewProjection& view, const MoveSnapping& snapping) {
    if (!m_on || data.size() != m_start.size())
        return;
    for (size_t i = 0; i < data.size(); ++i)
        if (data[i].verts.size() != m_start[i].size())
            return;
    // Worked out once per step, in file orientation; the model's y is the file's negated.
    Vec3 delta;
    if (m_kind == TransformKind::Move) {
        delta = moveDelta(x, y, view, snapping);
        if (snapping.toVertex && m_typed.empty())
            delta =
                snapToVertex(delta, data, view, snapping.reach, snapping.hidden).value_or(delta);
    }
    const double factor = m_kind == TransformKind::Scale ? scaleFactor(x, y) : 1;
    m_factor = factor;
    m_angle = m_kind == TransformKind::Rotate ? turnAngle(x, y) : 0;
    const Vec3 axis = turnAxis(view);
    m_turnedAbout = axis;
    const uint8_t scaled = m_axes != 0 ? m_axes : m_offered;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            Vertex& vertex = data[i].verts[j];
            if (vertex.selected == 0)
                continue;
            const Vec3& start = m_start[i][j];
            Vec3 out = start;
            if (m_kind == TransformKind::Move)
                out = start + delta;
            else if (m_kind == TransformKind::Rotate)
                out = m_centre + rotatedAbout(start - m_centre, axis, m_angle);
            else
                for (int a = 0; a < 3; ++a)
                    if (scaled & (1 << a))
                        along(out, a) =
                            along(m_centre, a) + (along(out, a) - along(m_centre, a)) * factor;
            vertex.x = static_cast<float>(out.x);
            vertex.y = static_cast<float>(-out.y);
            vertex.z = static_cast<float>(out.z);
        }
}

} // namespace vw
