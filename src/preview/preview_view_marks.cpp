// The Preview's vertex marks, each judged against a copy of the frame's depth by the test a click
// makes: bright where a click reaches the vertex, dimmed behind the surface in X-ray or when the
// View strip asks for it, else left out.

#include "preview/dimmed.h"
#include "preview/gl_convert.h"
#include "preview/preview_view.h"

#include <cmath>

void PreviewView::prepareMarks(const std::vector<vw::SegmentSpan>& shown, bool coarse) {
    if (m_xray)
        drawSurfaceDepth(shown, coarse);
    const double scale = devicePixelRatioF();
    const QSize frame(static_cast<int>(std::lround(width() * scale)),
                      static_cast<int>(std::lround(height() * scale)));
    m_marksJudged = m_depthCopy.copy(*this, defaultFramebufferObject(), frame);
}

void PreviewView::drawSurfaceDepth(const std::vector<vw::SegmentSpan>& shown, bool coarse) {
    m_flat->bind();
    setCameraUniforms(*m_flat);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    // Pushed back as the drawn surface is, so the marks are judged alike with X-ray on or off.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    glEnable(m_restart);
    m_vertices.bind();
    glEnableVertexAttribArray(vw::kAttributePosition);
    for (const vw::SegmentSpan& span : shown) {
        const SurfaceRange range = surfaceRange(span, coarse);
        range.indexes->bind();
        setPositionAttribute(span.firstVertex);
        drawInPieces(range.indexes == &m_strips ? GL_TRIANGLE_STRIP : GL_TRIANGLES, range.first,
                     range.count);
    }
    glDisable(m_restart);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void PreviewView::useMarks(QRgb colour, float size) {
    const vw::OrbitCamera& camera = m_scene.camera();
    const vw::SurfaceTolerance tolerance = vw::surfaceTolerance(camera);
    m_marks->bind();
    setCameraUniforms(*m_marks);
    m_marks->setUniformValue("pointSize", size);
    m_marks->setUniformValue("colour", vw::glColour(colour));
    m_marks->setUniformValue("behindColour", vw::glColour(vw::dimmed(colour)));
    m_marks->setUniformValue("judged", m_marksJudged);
    m_marks->setUniformValue("orthographic", camera.orthographic);
    m_marks->setUniformValue("nearPlane", static_cast<float>(camera.nearPlane()));
    m_marks->setUniformValue("farPlane", static_cast<float>(camera.farPlane()));
    m_marks->setUniformValue("onSurface", static_cast<float>(tolerance.onSurface));
    m_marks->setUniformValue("slant", static_cast<float>(tolerance.slant));
    m_marks->setUniformValue("showBehind", m_xray || m_scene.options.dimHidden);
    m_marks->setUniformValue("surfaceDepth", 1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, m_depthCopy.texture());
    glActiveTexture(GL_TEXTURE0);
}

void PreviewView::drawMarkPoints(const std::vector<float>& points) {
    m_overlayBuffer.bind();
    m_overlayBuffer.allocate(points.data(), static_cast<int>(points.size() * sizeof(float)));
    glEnableVertexAttribArray(vw::kAttributePosition);
    glVertexAttribPointer(vw::kAttributePosition, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float),
                          nullptr);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(points.size() / 3));
}
