#include "preview/preview_scene.h"

#include <cmath>

namespace vw {
namespace {

// A model opens seen from the front, a little from the right and above.
constexpr double kOpeningYaw = 0.5;
constexpr double kOpeningPitch = 0.35;
constexpr double kZoomPerStep = 0.85;

} // namespace

PreviewScene::PreviewScene(const Model& model) : m_model(model) {
    openModel();
}

void PreviewScene::rebuild() {
    m_mesh.rebuild(m_model);
    m_needsRebuild = false;
    m_fullFrameMs = 0;
}

void PreviewScene::documentChanged(const DocumentChange& change) {
    if (change.model) {
        openModel();
        return;
    }
    for (const VertexRange& range : change.vertices) {
        // An edit that changed a segment's shape needs new buffers, not a patch.
        if (!m_mesh.fits(m_model, range))
            m_needsRebuild = true;
        m_mesh.verticesChanged(range);
    }
}

void PreviewScene::openModel() {
    m_needsRebuild = true;
    const bool known = m_cameras.count(m_model.modelPath) != 0;
    OrbitCamera& camera = m_cameras[m_model.modelPath];
    // The viewport and the projection chosen on the View strip carry over to the model opened.
    if (m_camera != nullptr) {
        camera.setViewport(m_camera->width, m_camera->height);
        if (known)
            vw::setOrthographic(camera, m_camera->orthographic);
        else
            camera.orthographic = m_camera->orthographic;
    }
    m_camera = &camera;
    setScene(camera, shownBounds(m_model, {}));
    if (!known) {
        camera.yaw = kOpeningYaw;
        camera.pitch = kOpeningPitch;
        fitAll();
        m_untouched = true;
    }
}

void PreviewScene::setViewport(int width, int height) {
    m_camera->setViewport(width, height);
    if (m_untouched)
        fitAll();
}

void PreviewScene::fitAll() {
    Bounds box = shownBounds(m_model, shown);
    if (box.empty())
        box = shownBounds(m_model, {});
    fitCamera(*m_camera, box);
}

void PreviewScene::fitSelection() {
    fitCamera(*m_camera, selectionBounds(m_model));
    m_untouched = false;
}

void PreviewScene::setOrthographic(bool orthographic) {
    vw::setOrthographic(*m_camera, orthographic);
}

void PreviewScene::lookFrom(ViewDirection direction) {
    m_camera->lookFrom(direction);
    m_untouched = false;
}

void PreviewScene::press(int buttons, int modifiers, double x, double y) {
    const bool shift = modifiers == 1;
    if (buttons == 1 && !shift)
        m_drag = Drag::Orbit;
    else if (buttons == 2 || buttons == 4 || (buttons == 1 && shift))
        m_drag = Drag::Pan;
    else
        m_drag = Drag::None;
    m_lastX = x;
    m_lastY = y;
}

void PreviewScene::drag(double x, double y) {
    if (m_drag == Drag::Orbit)
        m_camera->orbit(x - m_lastX, y - m_lastY);
    else if (m_drag == Drag::Pan)
        m_camera->pan(x - m_lastX, y - m_lastY);
    if (m_drag != Drag::None)
        m_untouched = false;
    m_lastX = x;
    m_lastY = y;
}

void PreviewScene::release() {
    m_drag = Drag::None;
}

void PreviewScene::wheel(double x, double y, double steps) {
    m_camera->zoomAt(x, y, std::pow(kZoomPerStep, steps));
    m_untouched = false;
    m_wheeling = true;
}

void PreviewScene::wheelSettled() {
    m_wheeling = false;
}

bool PreviewScene::drawsCoarse() const {
    return moving() && m_fullFrameMs > kSlowFrameMs && m_mesh.triangleCount() > kCoarseTriangles;
}

void PreviewScene::fullFrameDrawn(double milliseconds) {
    m_fullFrameMs = milliseconds;
}

void PreviewScene::selectedPoints(std::vector<float>& out) const {
    out.clear();
    for (const Segment& segment : m_model.curData)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                out.insert(out.end(), {vertex.x, -vertex.y, vertex.z});
}

void PreviewScene::shownWorkingPoints(const HiddenVertices& hidden, std::vector<float>& out) const {
    out.clear();
    for (size_t i = 0; i < m_model.curData.size(); ++i) {
        const std::vector<Vertex>& verts = m_model.curData[i].verts;
        for (size_t j = 0; j < verts.size(); ++j)
            if (!hidden.isHidden(i, j))
                out.insert(out.end(), {verts[j].x, -verts[j].y, verts[j].z});
    }
}

} // namespace vw
