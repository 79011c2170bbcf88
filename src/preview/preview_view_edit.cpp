// The Preview's side of editing: pointer events handed to the tools, the depth read back for
// picking, the X-ray surface, the edit mesh over the surface and the tools' lines.

#include "preview/gl_convert.h"
#include "preview/nav_gizmo.h"
#include "preview/preview_view.h"
#include "preview/shader_program.h"
#include "views/overlay_drawing.h"
#include "views/pane_colours.h"
#include "views/pane_input.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kDotSize = 3.0f; // unselected working vertices, in pixels
// Long enough to cross any view of the scene.
constexpr double kGuideReach = 4.0;

} // namespace

void PreviewView::redraw() {
    m_depthStale = true;
    changed();
}

void PreviewView::changed() {
    m_frameCurrent = false;
    update();
}

void PreviewView::setInput(vw::PreviewInput* input) {
    m_input = input;
    changed();
}

void PreviewView::setXray(bool xray) {
    m_xray = xray;
    redraw();
}

// The band and the guide are drawn without depth, so the depth stays as it was.
void PreviewView::setBand(std::optional<QRectF> band) {
    m_band = band;
    changed();
}

void PreviewView::setGuide(std::optional<AxisGuide> guide) {
    m_guide = guide;
    changed();
}

void PreviewView::setSoftCircle(std::optional<SoftCircle> circle) {
    if (!circle && !m_softCircle)
        return;
    m_softCircle = circle;
    changed();
}

std::optional<vw::DepthPatch> PreviewView::depthOver(double x1, double y1, double x2, double y2) {
    if (m_xray)
        return std::nullopt;
    vw::DepthPatch patch;
    if (!context() || !isValid())
        return patch;
    makeCurrent();
    if (m_depthStale)
        paintGL();
    const double scale = devicePixelRatioF();
    const int frameWidth = static_cast<int>(std::lround(width() * scale));
    const int frameHeight = static_cast<int>(std::lround(height() * scale));
    // A device pixel more on each side, for the neighbourhood of a vertex on the border.
    const int left = std::clamp(int(std::floor(std::min(x1, x2) * scale)) - 2, 0, frameWidth);
    const int right = std::clamp(int(std::ceil(std::max(x1, x2) * scale)) + 3, 0, frameWidth);
    const int top = std::clamp(int(std::floor(std::min(y1, y2) * scale)) - 2, 0, frameHeight);
    const int bottom = std::clamp(int(std::ceil(std::max(y1, y2) * scale)) + 3, 0, frameHeight);
    patch = {left, top, right - left, bottom - top, scale, {}};
    patch.depth.assign(size_t(patch.width) * size_t(patch.height), 1.0f);
    if (!patch.depth.empty()) {
        if (context()->isOpenGLES())
            readDepthAsColour(patch, QSize(frameWidth, frameHeight));
        else
            readFrameDepth(patch, frameHeight);
    }
    doneCurrent();
    // OpenGL counts rows from the bottom.
    for (int row = 0; row < patch.height / 2; ++row)
        std::swap_ranges(patch.depth.begin() + ptrdiff_t(row) * patch.width,
                         patch.depth.begin() + ptrdiff_t(row + 1) * patch.width,
                         patch.depth.begin() + ptrdiff_t(patch.height - 1 - row) * patch.width);
    patch.spreadNearest();
    return patch;
}

void PreviewView::readFrameDepth(vw::DepthPatch& patch, int frameHeight) {
    glReadPixels(patch.left, frameHeight - patch.top - patch.height, patch.width, patch.height,
                 GL_DEPTH_COMPONENT, GL_FLOAT, patch.depth.data());
}

void PreviewView::readDepthAsColour(vw::DepthPatch& patch, QSize frame) {
    if (!m_depthColour) {
        m_depthColour = std::make_unique<QOpenGLShaderProgram>();
        const vw::PreviewShaderSources sources = m_makeShaderSources(true);
        if (!vw::buildShaderProgram(*m_depthColour, QStringLiteral("depth"), sources.flatVertex,
                                    vw::depthColourFragmentShader(true))
                 .isEmpty())
            return;
    }
    if (!m_depthColour->isLinked())
        return;
    if (!m_depthTarget || m_depthTarget->size() != frame)
        m_depthTarget =
            std::make_unique<QOpenGLFramebufferObject>(frame, QOpenGLFramebufferObject::Depth);
    m_depthTarget->bind();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    m_depthColour->bind();
    setCameraUniforms(*m_depthColour);
    m_vao.bind();
    m_vertices.bind();
    m_strips.bind();
    glEnable(m_restart);
    glEnableVertexAttribArray(vw::kAttributePosition);
    for (const vw::SegmentSpan& span : m_scene.mesh().shownSegments(m_scene.shown)) {
        setPositionAttribute(span.firstVertex);
        glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(span.indexCount), GL_UNSIGNED_SHORT,
                       reinterpret_cast<const void*>(uintptr_t(span.firstIndex) * 2));
    }
    glDisable(m_restart);
    glDisable(GL_POLYGON_OFFSET_FILL);
    std::vector<uint8_t> colours(patch.depth.size() * 4);
    glReadPixels(patch.left, frame.height() - patch.top - patch.height, patch.width, patch.height,
                 GL_RGBA, GL_UNSIGNED_BYTE, colours.data());
    m_vao.release();
    m_depthTarget->release();
    glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    for (size_t i = 0; i < patch.depth.size(); ++i)
        patch.depth[i] = std::min(1.0f, colours[4 * i] / 255.0f + colours[4 * i + 1] / 65025.0f +
                                            colours[4 * i + 2] / 16581375.0f);
}

void PreviewView::setWindowUniforms(QOpenGLShaderProgram& program) {
    QMatrix4x4 projection;
    projection.ortho(0, float(width()), float(height()), 0, -1, 1);
    program.setUniformValue("view", QMatrix4x4());
    program.setUniformValue("projection", projection);
}

void PreviewView::drawEditMesh() {
    const std::vector<vw::SegmentSpan> working = m_scene.mesh().workingSegments(m_document.model());
    m_flat->bind();
    setCameraUniforms(*m_flat);
    // Over the surface, leaving its depth to the surface alone for picking.
    glDepthMask(GL_FALSE);
    if (m_xray)
        glDisable(GL_DEPTH_TEST);
    m_vertices.bind();
    m_edges.bind();
    glEnableVertexAttribArray(vw::kAttributePosition);
    m_flat->setUniformValue("colour", vw::glColour(vw::kBuffPen));
    m_flat->setUniformValue("pointSize", 1.0f);
    for (const vw::SegmentSpan& span : working) {
        setPositionAttribute(span.firstVertex);
        drawInPieces(GL_LINES, span.firstEdge, span.edgeCount);
    }
    // Each dot judged against the surface by itself, as a click judges its vertex.
    glDisable(GL_DEPTH_TEST);
    useMarks(vw::kMarkFill, kDotSize * static_cast<float>(devicePixelRatioF()));
    if (m_hidden != nullptr && m_hidden->count() > 0) {
        // Hidden vertices have no dot: the rest go through a buffer of their own.
        std::vector<float> shown;
        m_scene.shownWorkingPoints(*m_hidden, shown);
        drawMarkPoints(shown);
    } else {
        for (const vw::SegmentSpan& span : working) {
            setPositionAttribute(span.firstVertex);
            drawInPieces(GL_POINTS, 0, span.vertexCount);
        }
    }
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

void PreviewView::drawOverlayLines(const std::vector<float>& points, GLenum mode, QRgb colour) {
    m_overlayBuffer.bind();
    m_overlayBuffer.allocate(points.data(), static_cast<int>(points.size() * sizeof(float)));
    m_flat->setUniformValue("colour", vw::glColour(colour));
    glVertexAttribPointer(vw::kAttributePosition, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float),
                          nullptr);
    glDrawArrays(mode, 0, static_cast<GLsizei>(points.size() / 3));
}

void PreviewView::setCursorMark(std::optional<vw::Vec3> at) {
    m_cursorMark = at;
    changed();
}

void PreviewView::drawOverlays() {
    if (!m_band && !m_guide && !m_softCircle && !m_cursorMark)
        return;
    glDisable(GL_DEPTH_TEST);
    m_flat->bind();
    m_flat->setUniformValue("pointSize", 1.0f);
    glEnableVertexAttribArray(vw::kAttributePosition);
    if (m_guide) {
        setCameraUniforms(*m_flat);
        const double reach = kGuideReach * m_scene.camera().sceneRadius + 1;
        for (int axis = 0; axis < 3; ++axis) {
            if (!(m_guide->axes & (1 << axis)))
                continue;
            vw::Vec3 along;
            (axis == 0 ? along.x : axis == 1 ? along.y : along.z) = reach;
            const vw::Vec3 from = m_guide->through - along, to = m_guide->through + along;
            drawOverlayLines({float(from.x), float(from.y), float(from.z), float(to.x), float(to.y),
                              float(to.z)},
                             GL_LINES, vw::kAxisColours[axis]);
        }
    }
    if (m_band) {
        setWindowUniforms(*m_flat);
        const QRectF r = *m_band;
        drawOverlayLines({float(r.left()), float(r.top()), 0, float(r.right()), float(r.top()), 0,
                          float(r.right()), float(r.bottom()), 0, float(r.left()),
                          float(r.bottom()), 0},
                         GL_LINE_LOOP, vw::kRubberBand);
    }
    if (m_softCircle)
        drawSoftCircle();
    if (m_cursorMark)
        drawCursorMark();
    glEnable(GL_DEPTH_TEST);
}

void PreviewView::drawSoftCircle() {
    constexpr int kSides = 64;
    setWindowUniforms(*m_flat);
    std::vector<float> points;
    points.reserve(3 * kSides);
    for (int i = 0; i < kSides; ++i) {
        const double turn = 2 * std::numbers::pi * i / kSides;
        points.push_back(float(m_softCircle->centre.x() + m_softCircle->radius * std::cos(turn)));
        points.push_back(float(m_softCircle->centre.y() + m_softCircle->radius * std::sin(turn)));
        points.push_back(0);
    }
    drawOverlayLines(points, GL_LINE_LOOP, vw::kSoftCircle);
}

void PreviewView::drawCursorMark() {
    const vw::Vec3 at = m_scene.camera().toWindow(*m_cursorMark);
    if (!(at.z >= -1 && at.z <= 1))
        return;
    const double reach = vw::kCursorCrossPixels;
    setWindowUniforms(*m_flat);
    drawOverlayLines({float(at.x - reach), float(at.y), 0, float(at.x + reach), float(at.y), 0,
                      float(at.x), float(at.y - reach), 0, float(at.x), float(at.y + reach), 0},
                     GL_LINES, vw::kCursorCross);
}

vw::PreviewPointer PreviewView::pointerOf(const QMouseEvent& event) const {
    return {vw::buttonMask(event.buttons()), vw::modifierMask(event.modifiers()),
            event.position().x(), event.position().y()};
}

void PreviewView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const vw::PreviewPointer pointer = pointerOf(*event);
    if (!m_toolDrag && m_input && m_input->isDragging()) {
        m_input->modalPress(pointer, vw::buttonMask(event->button()));
        return;
    }
    // Other buttons pressed during the tool's drag do nothing but cancel it with the right one.
    if (m_toolDrag) {
        if (event->button() == Qt::RightButton && m_input->isDragging())
            m_input->cancel();
        return;
    }
    // The gizmo's discs are neither a pick nor the start of a drag.
    if (event->button() == Qt::LeftButton && lookFromGizmo(pointer.x, pointer.y))
        return;
    if (event->button() == Qt::RightButton && pointer.modifiers == vw::kShiftMask && m_input &&
        !m_scene.moving() && m_input->placeCursor(pointer))
        return;
    if (m_input && m_input->actsOnPreview() && !m_scene.moving()) {
        if (event->button() == Qt::LeftButton && pointer.buttons == vw::kLeftButton) {
            m_toolDrag = true;
            m_input->press(pointer);
            return;
        }
        // The left button is the tool's: the middle one orbits, Shift with it or the right pans.
        const bool orbit = pointer.buttons == vw::kMiddleButton && pointer.modifiers == 0;
        m_scene.press(orbit ? vw::kLeftButton : vw::kRightButton, 0, pointer.x, pointer.y);
        return;
    }
    m_scene.press(pointer.buttons, pointer.modifiers, pointer.x, pointer.y);
}

void PreviewView::mouseMoveEvent(QMouseEvent* event) {
    const vw::PreviewPointer pointer = pointerOf(*event);
    // The tools see every move with no button held too: where a modal drag begins, and its
    // steps.
    if (m_toolDrag || (m_input && (event->buttons() == Qt::NoButton || m_input->isDragging()))) {
        m_input->move(pointer);
        return;
    }
    m_scene.drag(pointer.x, pointer.y);
    if (event->buttons() != Qt::NoButton)
        redraw();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_toolDrag && m_input && m_input->isDragging()) {
        m_input->modalRelease(pointerOf(*event));
        return;
    }
    if (m_toolDrag) {
        if (event->button() == Qt::LeftButton) {
            m_toolDrag = false;
            m_input->release(pointerOf(*event));
        }
        return;
    }
    const bool wasCoarse = m_scene.drawsCoarse();
    m_scene.release();
    if (wasCoarse)
        redraw();
}

void PreviewView::keyPressEvent(QKeyEvent* event) {
    if (m_input && m_input->isDragging()) {
        if (event->key() == Qt::Key_Escape)
            m_input->cancel();
        else
            m_input->key(event->key(), event->text(), vw::modifierMask(event->modifiers()));
        return;
    }
    if (const std::optional<vw::PreviewViewAction> action =
            vw::previewViewKey(m_keyMap, event->keyCombination()))
        perform(*action);
    else
        event->ignore();
}
