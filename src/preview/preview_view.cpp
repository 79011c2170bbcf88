#include "preview/preview_view.h"

#include "preview/draw_pieces.h"
#include "preview/gl_convert.h"
#include "preview/gl_support.h"
#include "preview/preview_shaders.h"
#include "preview/shader_program.h"
#include "views/pane_colours.h"
#include "views/pane_input.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstddef>
#include <utility>

namespace {

constexpr QRgb kWireColour = qRgb(20, 20, 20);
constexpr float kPointSize = 5.0f; // in pixels, so twice as many device pixels on a 2x screen
// The wheel counts as still this long after its last step.
constexpr int kWheelSettleMs = 250;
constexpr GLenum kProgramPointSize = 0x8642; // desktop OpenGL only; ES always takes gl_PointSize
// Restarting strips at an index: desktop OpenGL's switch, whose index is set, and ES's, at the
// largest index.
constexpr GLenum kPrimitiveRestart = 0x8F9D;
constexpr GLenum kPrimitiveRestartFixedIndex = 0x8D69;
constexpr float kXrayOpacity = 0.35f;
// A software renderer keeps every primitive sent until a flush, some hundred bytes each: draws are
// split and handed over this many primitives at a time.
constexpr uint32_t kFlushPrimitives = 16384;
// It also queues batches faster than it draws them, as many as scheduling allows: each batch
// handed over waits for the one before it, so the renderer holds at most two while it always has
// one to work on. A batch not done within a second is no longer waited for.
constexpr GLuint64 kBatchWaitNs = 1'000'000'000;
// Simplified versions are built, on a thread of their own, from this long after the last edit or
// a frame that lacked them, so a drag does not rebuild them at every step and a first frame
// reaches the screen first; whether a segment's are done is looked at this often.
constexpr int kDetailSettleMs = 300;
constexpr int kDetailPollMs = 5;

// Writes vertex bytes into a GL vertex buffer.
class GlBufferSink : public vw::BufferSink {
public:
    explicit GlBufferSink(QOpenGLBuffer& buffer) : m_buffer(buffer) {}
    void write(size_t offsetBytes, const void* data, size_t bytes) override {
        m_buffer.bind();
        m_buffer.write(static_cast<int>(offsetBytes), data, static_cast<int>(bytes));
    }

private:
    QOpenGLBuffer& m_buffer;
};

} // namespace

PreviewView::PreviewView(vw::Document& document, QWidget* parent)
    : QOpenGLWidget(parent), m_document(document), m_scene(document.model()) {
    setFormat(vw::previewSurfaceFormat());
    // The frame is kept between paints, so one still showing what would be drawn is not drawn
    // again (see paintGL).
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setFocusPolicy(Qt::StrongFocus);
    // A modal drag follows the pointer with no button held.
    setMouseTracking(true);
    m_subscription = m_document.subscribe([this](const vw::DocumentChange& change) {
        if (!change.drawsDifferently())
            return;
        m_scene.documentChanged(change);
        if (change.model)
            m_edgesBuilt = m_coarseBuilt = false;
        // The selection shows in points that leave the depth alone.
        if (change.model || !change.vertices.empty())
            m_depthStale = true;
        if (!change.vertices.empty())
            m_detailBuilding.start(kDetailSettleMs);
        changed();
    });
    m_detailBuilding.setSingleShot(true);
    connect(&m_detailBuilding, &QTimer::timeout, this, &PreviewView::buildDetail);
    m_wheelSettling.setSingleShot(true);
    m_wheelSettling.setInterval(kWheelSettleMs);
    connect(&m_wheelSettling, &QTimer::timeout, this, [this] {
        const bool wasCoarse = m_scene.drawsCoarse();
        m_scene.wheelSettled();
        if (wasCoarse)
            redraw();
    });
}

PreviewView::~PreviewView() {
    if (context())
        disconnect(context(), nullptr, this, nullptr);
    makeCurrent();
    releaseGl();
    doneCurrent();
}

void PreviewView::releaseGl() {
    m_texture.reset();
    m_surface.reset();
    m_flat.reset();
    m_depthColour.reset();
    m_depthTarget.reset();
    m_marks.reset();
    m_depthCopy.release(*this);
    for (QOpenGLBuffer* buffer : {&m_vertices, &m_mapping, &m_strips, &m_edges, &m_coarse,
                                  &m_detail, &m_normals, &m_pointBuffer, &m_overlayBuffer})
        buffer->destroy();
    m_vao.destroy();
}

void PreviewView::setImageMap(const QImage& picture) {
    m_imageMap = picture;
    m_imageMapChanged = true;
    redraw();
}

void PreviewView::setOptions(const vw::PreviewOptions& options) {
    m_scene.options = options;
    redraw();
}

void PreviewView::setOrthographic(bool orthographic) {
    m_scene.setOrthographic(orthographic);
    redraw();
}

void PreviewView::setShown(vw::ShownFilter shown) {
    m_scene.shown = std::move(shown);
    redraw();
}

void PreviewView::shownChanged() {
    redraw();
}

void PreviewView::fitAll() {
    m_scene.fitAll();
    redraw();
}

void PreviewView::fitSelection() {
    m_scene.fitSelection();
    redraw();
}

size_t PreviewView::bufferBytes() const {
    return size_t(m_scene.mesh().vertexCount()) * sizeof(vw::PreviewVertex) + m_stripBytes +
           m_mappingBytes + m_edgeBytes + m_coarseBytes + m_detailBytes + m_normalBytes +
           m_pointsSent.size() * sizeof(float);
}

void PreviewView::initializeGL() {
    initializeOpenGLFunctions();
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        releaseGl();
        doneCurrent();
    });
    const bool es = context()->isOpenGLES();
    buildPrograms(es);
    m_vao.create();
    for (QOpenGLBuffer* buffer : {&m_vertices, &m_mapping, &m_strips, &m_edges, &m_coarse,
                                  &m_detail, &m_normals, &m_pointBuffer, &m_overlayBuffer})
        buffer->create();
    m_pointBuffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    m_overlayBuffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    m_vertices.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    m_mapping.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    // A new context holds none of the model: send everything again.
    m_scene.rebuild();
    m_needsUpload = true;
    m_imageMapChanged = true;
    m_edgesBuilt = m_coarseBuilt = false;
    m_pointsSent.clear();
    m_frameCurrent = false;
    if (!es)
        glEnable(kProgramPointSize);
    // Desktop OpenGL 3.1 and later restart at an index it is given; where that call is missing,
    // the fixed index of newer versions is the only way left.
    using SetRestartIndex = void (*)(GLuint);
    const auto setRestartIndex = es ? nullptr
                                    : reinterpret_cast<SetRestartIndex>(
                                          context()->getProcAddress("glPrimitiveRestartIndex"));
    m_restart = setRestartIndex ? kPrimitiveRestart : kPrimitiveRestartFixedIndex;
    if (setRestartIndex)
        setRestartIndex(vw::kStripRestart);
}

void PreviewView::buildPrograms(bool es) {
    const vw::PreviewShaderSources sources = m_makeShaderSources(es);
    m_surface = std::make_unique<QOpenGLShaderProgram>();
    m_flat = std::make_unique<QOpenGLShaderProgram>();
    m_marks = std::make_unique<QOpenGLShaderProgram>();
    QString failure = vw::buildShaderProgram(*m_surface, QStringLiteral("surface"),
                                             sources.surfaceVertex, sources.surfaceFragment);
    if (failure.isEmpty())
        failure = vw::buildShaderProgram(*m_flat, QStringLiteral("flat"), sources.flatVertex,
                                         sources.flatFragment);
    if (failure.isEmpty())
        failure = vw::buildShaderProgram(*m_marks, QStringLiteral("marks"), sources.marksVertex,
                                         sources.marksFragment);
    // paintGL draws nothing without every program; the panel says why instead.
    if (!failure.isEmpty())
        emit failed(failure);
}

void PreviewView::resizeGL(int width, int height) {
    m_scene.setViewport(width, height);
    m_depthStale = true;
    m_frameCurrent = false;
}

void PreviewView::updateBuffers() {
    m_vao.bind();
    if (m_scene.needsRebuild()) {
        m_scene.rebuild();
        m_needsUpload = true;
    }
    if (m_needsUpload) {
        m_needsUpload = false;
        const std::vector<uint16_t> strips = m_scene.mesh().takeStrips();
        m_strips.bind();
        m_stripBytes = strips.size() * sizeof(uint16_t);
        m_strips.allocate(strips.data(), static_cast<int>(m_stripBytes));
        m_vertices.bind();
        m_vertices.allocate(
            static_cast<int>(m_scene.mesh().vertexCount() * sizeof(vw::PreviewVertex)));
        m_edgesBuilt = m_coarseBuilt = false;
        m_normalBytes = m_mappingBytes = 0;
    }
    if (m_scene.mesh().hasPendingVertices()) {
        GlBufferSink sink(m_vertices), mapping(m_mapping);
        m_bytesSent += m_scene.mesh().sendVertices(m_document.model(), sink,
                                                   m_mappingBytes > 0 ? &mapping : nullptr);
    }
    if (showsImageMap() && m_mappingBytes == 0)
        updateMapping();
    const bool allEdges = m_scene.options.wireframe;
    if ((allEdges || showsEditMesh()) && !edgesCover(allEdges))
        updateEdges(allEdges);
    if (m_scene.drawsCoarse() && !m_coarseBuilt)
        updateCoarse();
    if (m_scene.mesh().detailUnpacked() && !m_scene.mesh().detailPending())
        updateDetail();
    if (m_imageMapChanged)
        updateImageMap();
}

void PreviewView::sendPendingVertices() {
    if (!context() || !isValid())
        return;
    makeCurrent();
    updateBuffers();
    glFinish();
    doneCurrent();
}

bool PreviewView::edgesCover(bool all) const {
    const vw::Model& model = m_document.model();
    return m_edgesBuilt &&
           (m_edgesOfAll || (!all && m_edgesPart == model.curPart && m_edgesSeg == model.curSeg));
}

void PreviewView::updateEdges(bool all) {
    const vw::Model& model = m_document.model();
    const std::vector<uint16_t> edges = m_scene.mesh().buildEdges(model, !all);
    m_edgesOfAll = all;
    m_edgesPart = model.curPart;
    m_edgesSeg = model.curSeg;
    m_edges.bind();
    m_edgeBytes = edges.size() * sizeof(uint16_t);
    m_edges.allocate(edges.data(), static_cast<int>(m_edgeBytes));
    m_edgesBuilt = true;
}

void PreviewView::updateCoarse() {
    const std::vector<uint16_t> coarse =
        m_scene.mesh().buildCoarse(m_document.model(), vw::kCoarseTriangles);
    m_coarse.bind();
    m_coarseBytes = coarse.size() * sizeof(uint16_t);
    m_coarse.allocate(coarse.data(), static_cast<int>(m_coarseBytes));
    m_coarseBuilt = true;
}

void PreviewView::updateDetail() {
    if (m_normalBytes == 0) {
        m_normals.bind();
        m_normalBytes = size_t(m_scene.mesh().vertexCount()) * sizeof(uint32_t);
        m_normals.allocate(static_cast<int>(m_normalBytes));
    }
    GlBufferSink sink(m_normals);
    m_scene.mesh().sendDetailNormals(sink);
    const std::vector<uint16_t> packed = m_scene.mesh().packDetail();
    m_detail.bind();
    m_detailBytes = packed.size() * sizeof(uint16_t);
    m_detail.allocate(packed.data(), static_cast<int>(m_detailBytes));
}

void PreviewView::buildDetail() {
    vw::PreviewMesh& mesh = m_scene.mesh();
    if (m_detailJob.valid()) {
        if (m_detailJob.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            m_detailBuilding.start(kDetailPollMs);
            return;
        }
        mesh.detailBuilt(m_detailTicket, m_detailJob.get());
    }
    std::optional<vw::PreviewMesh::DetailRequest> request = mesh.requestDetail(m_document.model());
    if (request) {
        m_detailTicket = request->ticket;
        m_detailJob = std::async(std::launch::async, [job = std::move(*request)] {
            return vw::buildSegmentDetail(job.verts, job.triangles);
        });
        m_detailBuilding.start(kDetailPollMs);
    } else if (!mesh.detailPending()) {
        redraw();
    }
}

void PreviewView::setSimplifies(bool simplifies) {
    m_simplifies = simplifies;
    redraw();
}

bool PreviewView::detailReady() const {
    const vw::PreviewMesh& mesh = m_scene.mesh();
    return !m_scene.needsRebuild() && !mesh.detailPending() && !mesh.detailUnpacked();
}

void PreviewView::updateMapping() {
    m_mapping.bind();
    m_mappingBytes = size_t(m_scene.mesh().vertexCount()) * sizeof(vw::PreviewMapping);
    m_mapping.allocate(static_cast<int>(m_mappingBytes));
    GlBufferSink sink(m_mapping);
    m_bytesSent += m_scene.mesh().sendMapping(m_document.model(), sink);
}

void PreviewView::updateImageMap() {
    m_texture.reset();
    if (!m_imageMap.isNull()) {
        m_texture =
            std::make_unique<QOpenGLTexture>(m_imageMap.convertToFormat(QImage::Format_RGBA8888));
        m_texture->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
        m_texture->setMagnificationFilter(QOpenGLTexture::Linear);
        m_texture->setWrapMode(QOpenGLTexture::Repeat);
    }
    m_imageMapChanged = false;
}

void PreviewView::setPositionAttribute(uint32_t firstVertex) {
    const auto offset = static_cast<uintptr_t>(firstVertex) * sizeof(vw::PreviewVertex);
    glVertexAttribPointer(vw::kAttributePosition, 3, GL_FLOAT, GL_FALSE, sizeof(vw::PreviewVertex),
                          reinterpret_cast<const void*>(offset));
}

void PreviewView::setSurfaceAttributes(uint32_t firstVertex) {
    setPositionAttribute(firstVertex);
    const auto offset = static_cast<uintptr_t>(firstVertex) * sizeof(vw::PreviewVertex);
    glVertexAttribPointer(vw::kAttributeColour, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                          sizeof(vw::PreviewVertex),
                          reinterpret_cast<const void*>(offset + offsetof(vw::PreviewVertex, red)));
    if (m_mappingBytes == 0) {
        glDisableVertexAttribArray(vw::kAttributeTexCoord);
        return;
    }
    m_mapping.bind();
    glEnableVertexAttribArray(vw::kAttributeTexCoord);
    glVertexAttribPointer(
        vw::kAttributeTexCoord, 2, GL_FLOAT, GL_FALSE, sizeof(vw::PreviewMapping),
        reinterpret_cast<const void*>(uintptr_t(firstVertex) * sizeof(vw::PreviewMapping)));
    m_vertices.bind();
}

void PreviewView::handOver(size_t primitives) {
    m_unflushed += primitives;
    if (m_unflushed < kFlushPrimitives)
        return;
    glFlush();
    m_unflushed = 0;
    const GLsync previous =
        std::exchange(m_lastBatch, glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0));
    if (previous == nullptr)
        return;
    // The flush above sent the previous fence, so waiting on it needs no flush of its own.
    glClientWaitSync(previous, 0, kBatchWaitNs);
    glDeleteSync(previous);
}

void PreviewView::drawInPieces(GLenum mode, uint32_t first, uint32_t count) {
    const vw::PieceShape shape = mode == GL_TRIANGLE_STRIP ? vw::kStripPieces
                                 : mode == GL_TRIANGLES    ? vw::kTrianglePieces
                                 : mode == GL_LINES        ? vw::kLinePieces
                                                           : vw::kPointPieces;
    vw::forEachPiece(
        shape, count, kFlushPrimitives, [&](uint32_t from, uint32_t n, uint32_t drawn) {
            if (mode == GL_POINTS) {
                glDrawArrays(mode, static_cast<GLint>(first + from), static_cast<GLsizei>(n));
            } else {
                glDrawElements(mode, static_cast<GLsizei>(n), GL_UNSIGNED_SHORT,
                               reinterpret_cast<const void*>(uintptr_t(first + from) * 2));
            }
            handOver(drawn);
        });
}

void PreviewView::forgetLastBatch() {
    if (m_lastBatch != nullptr)
        glDeleteSync(std::exchange(m_lastBatch, nullptr));
}

void PreviewView::setNormals(bool simplified, uint32_t firstVertex) {
    m_surface->setUniformValue("smoothNormals", simplified);
    if (!simplified) {
        glDisableVertexAttribArray(vw::kAttributeNormal);
        return;
    }
    m_normals.bind();
    glEnableVertexAttribArray(vw::kAttributeNormal);
    glVertexAttribPointer(vw::kAttributeNormal, 4, GL_BYTE, GL_TRUE, sizeof(uint32_t),
                          reinterpret_cast<const void*>(uintptr_t(firstVertex) * sizeof(uint32_t)));
    m_vertices.bind();
}

void PreviewView::setCameraUniforms(QOpenGLShaderProgram& program) {
    program.setUniformValue("view", vw::glMatrix(m_scene.camera().viewMatrix()));
    program.setUniformValue("projection", vw::glMatrix(m_scene.camera().projectionMatrix()));
}

PreviewView::FrameKey PreviewView::frameKey() const {
    const vw::OrbitCamera& camera = m_scene.camera();
    return {camera.viewMatrix(), camera.projectionMatrix(), size(),
            devicePixelRatioF(), m_scene.drawsCoarse(),     m_scene.options};
}

void PreviewView::paintGL() {
    // Qt paints a newly shown view twice, for its size and for showing it; a frame still showing
    // what it would draw is kept instead of drawn again.
    const FrameKey key = frameKey();
    if (m_frameCurrent && key == m_frameKey)
        return;
    m_frameKey = key;
    m_frameCurrent = true;
    ++m_framesDrawn;
    const QColor ground = QColor::fromRgb(vw::kBackGround);
    glClearColor(ground.redF(), ground.greenF(), ground.blueF(), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!m_surface || !m_surface->isLinked() || !m_flat || !m_flat->isLinked() || !m_marks ||
        !m_marks->isLinked())
        return;
    updateBuffers();
    const std::vector<vw::SegmentSpan> shown = m_scene.mesh().shownSegments(m_scene.shown);
    m_vao.bind();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // The coarse triangles stand in while the camera moves; the wireframe waits for the full ones.
    const bool coarse = m_scene.drawsCoarse();
    QElapsedTimer drawing;
    drawing.start();
    drawSurface(shown, coarse);
    if (m_scene.options.wireframe && !coarse)
        drawEdges(shown);
    m_scene.selectedPoints(m_points);
    const bool editMesh = showsEditMesh() && !coarse;
    if (editMesh || !m_points.empty())
        prepareMarks(shown, coarse);
    if (editMesh)
        drawEditMesh();
    drawSelectedPoints();
    drawOverlays();
    drawGizmo();
    forgetLastBatch();
    if (!coarse)
        m_scene.fullFrameDrawn(drawing.nsecsElapsed() / 1e6);
    m_vao.release();
    if (m_scene.mesh().detailPending() && !m_detailBuilding.isActive())
        m_detailBuilding.start(kDetailSettleMs);
    m_depthStale = coarse;
}

void PreviewView::drawSurface(const std::vector<vw::SegmentSpan>& shown, bool coarse) {
    m_surface->bind();
    setCameraUniforms(*m_surface);
    const bool imageMap = showsImageMap() && m_texture;
    m_surface->setUniformValue("useImageMap", imageMap);
    m_surface->setUniformValue("orthographic", m_scene.camera().orthographic);
    m_surface->setUniformValue("background", vw::glColour(vw::kBackGround));
    m_surface->setUniformValue("imageMap", 0);
    m_surface->setUniformValue("opacity", m_xray ? kXrayOpacity : 1.0f);
    if (imageMap)
        m_texture->bind(0);
    // The wireframe lies on the surface; pushing the surface back keeps its lines whole.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    // See-through: blended over what lies behind, leaving the depth to no face.
    if (m_xray) {
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
        glDepthMask(GL_FALSE);
    }
    m_vertices.bind();
    glEnable(m_restart);
    for (int attribute : {vw::kAttributePosition, vw::kAttributeColour})
        glEnableVertexAttribArray(attribute);
    for (const vw::SegmentSpan& span : shown) {
        const SurfaceRange range = surfaceRange(span, coarse);
        range.indexes->bind();
        setNormals(range.smooth, span.firstVertex);
        setSurfaceAttributes(span.firstVertex);
        drawInPieces(range.indexes == &m_strips ? GL_TRIANGLE_STRIP : GL_TRIANGLES, range.first,
                     range.count);
    }
    for (int attribute : {vw::kAttributeTexCoord, vw::kAttributeColour, vw::kAttributeNormal})
        glDisableVertexAttribArray(attribute);
    glDisable(m_restart);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    if (imageMap)
        m_texture->release(0);
}

PreviewView::SurfaceRange PreviewView::surfaceRange(const vw::SegmentSpan& span, bool coarse) {
    if (coarse)
        return {&m_coarse, span.firstCoarse, span.coarseCount, false};
    // Edges drawn over a surface need the very surface they lie on.
    const bool edged = m_scene.options.wireframe ||
                       (showsEditMesh() && vw::isWorkingSegment(m_document.model(), span));
    const vw::DetailLevel* level =
        edged ? nullptr : m_scene.mesh().detailFor(span, m_scene.camera(), devicePixelRatioF());
    // Where a simplified version would do, triangles fall many to a pixel, and the full ones are
    // shaded as it is: each pixel then shows its surface's normal, not one tiny face's.
    if (level != nullptr && m_simplifies)
        return {&m_detail, level->first, static_cast<uint32_t>(level->triangles.size()), true};
    return {&m_strips, span.firstIndex, span.indexCount, level != nullptr};
}

void PreviewView::drawEdges(const std::vector<vw::SegmentSpan>& shown) {
    m_flat->bind();
    setCameraUniforms(*m_flat);
    m_flat->setUniformValue("colour", vw::glColour(kWireColour));
    m_flat->setUniformValue("pointSize", 1.0f);
    m_vertices.bind();
    m_edges.bind();
    for (const vw::SegmentSpan& span : shown) {
        if (span.edgeCount == 0)
            continue;
        setPositionAttribute(span.firstVertex);
        drawInPieces(GL_LINES, span.firstEdge, span.edgeCount);
    }
}

void PreviewView::drawSelectedPoints() {
    if (m_points.empty())
        return;
    m_pointBuffer.bind();
    if (m_points != m_pointsSent) {
        m_pointBuffer.allocate(m_points.data(), static_cast<int>(m_points.size() * sizeof(float)));
        m_pointsSent = m_points;
    }
    glDisable(GL_DEPTH_TEST);
    useMarks(vw::kMarkSelected, kPointSize * static_cast<float>(devicePixelRatioF()));
    glEnableVertexAttribArray(vw::kAttributePosition);
    glVertexAttribPointer(vw::kAttributePosition, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float),
                          nullptr);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(m_points.size() / 3));
}

void PreviewView::wheelEvent(QWheelEvent* event) {
    if (m_input && m_input->wheel(event->angleDelta().y() / 120))
        return;
    m_scene.wheel(event->position().x(), event->position().y(), event->angleDelta().y() / 120.0);
    m_wheelSettling.start();
    redraw();
}
