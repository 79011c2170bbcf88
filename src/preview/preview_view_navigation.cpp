// The Preview's navigation: the view keys and the gizmo in the top right corner, drawn over the
// frame in window pixels.

#include "preview/dimmed.h"
#include "preview/nav_gizmo.h"
#include "preview/preview_view.h"

#include <QKeyEvent>

#include <cmath>
#include <numbers>

namespace {

constexpr QRgb kGizmoLetter = qRgb(20, 20, 20);
constexpr double kBarHalfWidth = 1;
constexpr double kLetterHalfWidth = 3, kLetterHalfHeight = 4;
constexpr int kDiscSides = 24;

void addPoint(std::vector<float>& points, double x, double y) {
    points.insert(points.end(), {float(x), float(y), 0.0f});
}

// A fan round the end's centre.
std::vector<float> disc(const vw::GizmoEnd& end) {
    std::vector<float> points;
    addPoint(points, end.x, end.y);
    for (int i = 0; i <= kDiscSides; ++i) {
        const double turn = 2 * std::numbers::pi * i / kDiscSides;
        addPoint(points, end.x + end.radius * std::cos(turn), end.y + end.radius * std::sin(turn));
    }
    return points;
}

// Two triangles from the middle to the end, two pixels wide.
std::vector<float> bar(const vw::NavigationGizmo& gizmo, const vw::GizmoEnd& end) {
    const double dx = end.x - gizmo.centreX, dy = end.y - gizmo.centreY;
    const double length = std::hypot(dx, dy);
    const double nx = length > 0 ? -dy / length * kBarHalfWidth : 0;
    const double ny = length > 0 ? dx / length * kBarHalfWidth : 0;
    std::vector<float> points;
    for (const auto& [x, y] : {std::pair{gizmo.centreX + nx, gizmo.centreY + ny},
                               {gizmo.centreX - nx, gizmo.centreY - ny},
                               {end.x + nx, end.y + ny},
                               {end.x + nx, end.y + ny},
                               {gizmo.centreX - nx, gizmo.centreY - ny},
                               {end.x - nx, end.y - ny}})
        addPoint(points, x, y);
    return points;
}

// X, Y or Z as strokes over the end's centre, in a box of -1 to 1 each way (y down).
std::vector<float> letter(const vw::GizmoEnd& end) {
    static const std::vector<std::pair<double, double>> kStrokes[3] = {
        {{-1, -1}, {1, 1}, {1, -1}, {-1, 1}},
        {{-1, -1}, {0, 0}, {1, -1}, {0, 0}, {0, 0}, {0, 1}},
        {{-1, -1}, {1, -1}, {1, -1}, {-1, 1}, {-1, 1}, {1, 1}}};
    std::vector<float> points;
    for (const auto& [x, y] : kStrokes[end.axis])
        addPoint(points, end.x + x * kLetterHalfWidth, end.y + y * kLetterHalfHeight);
    return points;
}

} // namespace

void PreviewView::viewAlong(vw::ViewDirection direction) {
    m_scene.lookFrom(direction);
    redraw();
}

void PreviewView::toggleOrthographic() {
    const bool orthographic = !m_scene.camera().orthographic;
    setOrthographic(orthographic);
    emit orthographicToggled(orthographic);
}

void PreviewView::perform(const vw::PreviewViewAction& action) {
    using Kind = vw::PreviewViewAction::Kind;
    switch (action.kind) {
    case Kind::LookFrom:
        viewAlong(action.direction);
        break;
    case Kind::ToggleOrthographic:
        toggleOrthographic();
        break;
    case Kind::FitAll:
        fitAll();
        break;
    case Kind::FitSelection:
        fitSelection();
        break;
    }
}

bool PreviewView::event(QEvent* event) {
    // Home on a numpad without Num Lock looks from the top here, not Fit Model of the View menu.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers().testFlag(Qt::KeypadModifier) &&
            vw::previewViewKey(m_keyMap, key->keyCombination())) {
            event->accept();
            return true;
        }
    }
    return QOpenGLWidget::event(event);
}

bool PreviewView::lookFromGizmo(double x, double y) {
    const std::optional<vw::ViewDirection> direction =
        vw::gizmoViewAt(vw::navigationGizmo(m_scene.camera()), x, y);
    if (direction)
        viewAlong(*direction);
    return direction.has_value();
}

void PreviewView::drawGizmo() {
    const vw::NavigationGizmo gizmo = vw::navigationGizmo(m_scene.camera());
    glDisable(GL_DEPTH_TEST);
    m_flat->bind();
    setWindowUniforms(*m_flat);
    m_flat->setUniformValue("pointSize", 1.0f);
    glEnableVertexAttribArray(vw::kAttributePosition);
    for (const vw::GizmoEnd& end : gizmo.ends) {
        const QRgb colour = vw::kAxisColours[end.axis];
        if (!end.positive) {
            drawOverlayLines(disc(end), GL_TRIANGLE_FAN, vw::dimmed(colour));
            continue;
        }
        drawOverlayLines(bar(gizmo, end), GL_TRIANGLES, colour);
        drawOverlayLines(disc(end), GL_TRIANGLE_FAN, colour);
        drawOverlayLines(letter(end), GL_LINES, kGizmoLetter);
    }
    glEnable(GL_DEPTH_TEST);
}
