#include "tools/preview_transform.h"

#include "model/editing/exact_transform.h"
#include "model/vertex_fields.h"
#include "preview/preview_view.h"
#include "tools/angle_text.h"
#include "tools/drag_edit.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"

#include <bit>
#include <cmath>
#include <numbers>

namespace vw {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

Vec3 fileOf(const Vertex& vertex) {
    return {vertex.x, -double(vertex.y), vertex.z};
}

double& along(Vec3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

Vec3 unitAxis(int axis) {
    Vec3 unit;
    along(unit, axis) = 1;
    return unit;
}

// The part of a displacement the limit lets through: along one axis, or in the plane of two.
Vec3 limited(Vec3 delta, int axes) {
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

} // namespace

void PreviewTransform::press(Kind kind, const PreviewPointer& pointer) {
    static const char* const labels[] = {"Move %n", "Scale %n", "Rotate %n"};
    m_kind = kind;
    m_start.clear();
    const std::optional<std::array<double, 3>> centre = selectionCentre(m_pane.model().curData);
    if (m_pane.SelCount() <= 0 || !centre ||
        !beginDragEdit(m_pane, labels[int(kind)], kPositionFields))
        return;
    // Every working vertex, not only the selected ones: soft selection passes unselected
    // vertices through the change too, each from where it was at the press.
    for (const Segment& segment : m_pane.model().curData) {
        std::vector<Vec3>& starts = m_start.emplace_back();
        starts.reserve(segment.verts.size());
        for (const Vertex& vertex : segment.verts)
            starts.push_back(fileOf(vertex));
    }
    m_centre = {(*centre)[0], -(*centre)[1], (*centre)[2]};
    m_centreOnScreen = m_view.scene().camera().toWindow(m_centre);
    m_pressX = m_x = pointer.x;
    m_pressY = m_y = pointer.y;
    m_axes = 0;
    m_typed.clear();
    m_angleBefore = m_pane.rotAngle;
    m_dragging = true;
}

void PreviewTransform::move(const PreviewPointer& pointer) {
    if (!m_dragging)
        return;
    m_x = pointer.x;
    m_y = pointer.y;
    apply();
}

bool PreviewTransform::typedAmount(double& amount) const {
    bool ok = false;
    amount = QString(m_typed).replace(QChar(','), QChar('.')).toDouble(&ok);
    return ok;
}

Vec3 PreviewTransform::moveDelta() const {
    const OrbitCamera& camera = m_view.scene().camera();
    const Vec3 dragged = limited(camera.onPlaneThrough(m_centre, m_x, m_y) -
                                     camera.onPlaneThrough(m_centre, m_pressX, m_pressY),
                                 m_axes);
    double amount = 0;
    if (!typedAmount(amount))
        return dragged;
    // Along the one axis allowed, else the way the pointer went, else x; in the model's units
    // and directions (its y is the file's negated).
    Vec3 direction = std::popcount(unsigned(m_axes)) == 1
                         ? unitAxis(std::countr_zero(unsigned(m_axes)))
                         : dragged.normalized();
    if (direction.length() == 0)
        direction = unitAxis(0);
    if (std::popcount(unsigned(m_axes)) == 1)
        direction.y = -direction.y;
    return direction * amount;
}

double PreviewTransform::scaleFactor() const {
    double amount = 0;
    if (typedAmount(amount))
        return amount;
    const double atPress = std::hypot(m_pressX - m_centreOnScreen.x, m_pressY - m_centreOnScreen.y);
    const double now = std::hypot(m_x - m_centreOnScreen.x, m_y - m_centreOnScreen.y);
    return atPress > 0 ? now / atPress : 1;
}

Vec3 PreviewTransform::turnAxis() const {
    const Vec3 towardsEye = m_view.scene().camera().forward() * -1;
    if (std::popcount(unsigned(m_axes)) != 1)
        return towardsEye;
    // Turned so a turn on screen goes the way the pointer turns.
    const Vec3 axis = unitAxis(std::countr_zero(unsigned(m_axes)));
    return axis.dot(towardsEye) < 0 ? axis * -1 : axis;
}

double PreviewTransform::turnAngle() const {
    double degrees = 0;
    if (typedAmount(degrees))
        return degrees * kDegree;
    const double atPress = std::atan2(m_pressY - m_centreOnScreen.y, m_pressX - m_centreOnScreen.x);
    const double now = std::atan2(m_y - m_centreOnScreen.y, m_x - m_centreOnScreen.x);
    // Window rows run down, so the pointer's angle grows clockwise.
    return std::remainder(atPress - now, 2 * std::numbers::pi);
}

void PreviewTransform::apply() {
    // Worked out once per step, in file orientation; the model's y is the file's negated.
    const Vec3 delta = m_kind == Kind::Move ? moveDelta() : Vec3{};
    const double factor = m_kind == Kind::Scale ? scaleFactor() : 1;
    const double angle = m_kind == Kind::Rotate ? turnAngle() : 0;
    const Vec3 axis = turnAxis();
    m_pane.session().dragStep([&](std::vector<Segment>& data) {
        if (data.size() != m_start.size())
            return;
        for (size_t i = 0; i < data.size(); ++i) {
            if (data[i].verts.size() != m_start[i].size())
                return;
        }
        for (size_t i = 0; i < data.size(); ++i)
            for (size_t j = 0; j < data[i].verts.size(); ++j) {
                Vertex& vertex = data[i].verts[j];
                if (vertex.selected == 0)
                    continue;
                const Vec3& start = m_start[i][j];
                Vec3 out = start;
                if (m_kind == Kind::Move)
                    out = start + delta;
                else if (m_kind == Kind::Rotate)
                    out = m_centre + rotatedAbout(start - m_centre, axis, angle);
                else
                    for (int a = 0; a < 3; ++a)
                        if (m_axes == 0 || (m_axes & (1 << a)))
                            along(out, a) =
                                along(m_centre, a) + (along(out, a) - along(m_centre, a)) * factor;
                vertex.x = static_cast<float>(out.x);
                vertex.y = static_cast<float>(-out.y);
                vertex.z = static_cast<float>(out.z);
            }
    });
    if (m_kind == Kind::Rotate) {
        m_pane.isOnRotater = true;
        m_pane.rotAngle = static_cast<float>(angle);
        m_feedback.showStatus(angleText(m_pane.rotAngle));
    }
    m_view.setGuide(m_axes == 0 ? std::nullopt
                                : std::optional(PreviewView::AxisGuide{m_centre, m_axes}));
}

void PreviewTransform::key(int key, const QString& text, int modifiers) {
    if (!m_dragging)
        return;
    if (key == Qt::Key_X || key == Qt::Key_Y || key == Qt::Key_Z) {
        const int axis = key - Qt::Key_X;
        const int axes = modifiers == 1 ? 7 & ~(1 << axis) : 1 << axis;
        m_axes = m_axes == axes ? 0 : axes;
    } else if (key == Qt::Key_Backspace) {
        m_typed.chop(1);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        release();
        return;
    } else if (text.size() == 1 && (text[0].isDigit() || text == "." || text == "," ||
                                    (text == "-" && m_typed.isEmpty()))) {
        m_typed += text;
    } else {
        return;
    }
    apply();
}

void PreviewTransform::finish() {
    m_dragging = false;
    m_start.clear();
    m_view.setGuide(std::nullopt);
    if (m_kind == Kind::Rotate) {
        m_pane.isOnRotater = false;
        m_pane.rotAngle = m_angleBefore;
        m_feedback.showStatus(m_feedback.status());
    }
}

void PreviewTransform::release() {
    if (!m_dragging)
        return;
    m_pane.document().endDrag();
    finish();
}

void PreviewTransform::cancel() {
    if (!m_dragging)
        return;
    m_pane.document().cancelDrag();
    finish();
    m_pane.markChanged();
}

} // namespace vw
