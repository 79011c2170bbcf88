#pragma once
// The Preview drawn with OpenGL: the shown segments as lit triangles in their vertex colours or
// the image map, the wireframe on request, the selected working vertices as points (bright where
// a click reaches them, dimmed or left out behind the surface) and the navigation gizmo in the
// corner. Make one only where canDrawPreview() holds.

#include "model/editing/history/document.h"
#include "model/editing/selection/hidden_vertices.h"
#include "preview/depth_copy.h"
#include "preview/preview_input.h"
#include "preview/preview_picking.h"
#include "preview/preview_scene.h"
#include "preview/preview_shaders.h"
#include "preview/preview_view_keys.h"
#include "preview/strip_triangles.h"

#include <QImage>
#include <QOpenGLBuffer>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>
#include <QOpenGLWidget>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class PreviewView : public QOpenGLWidget, protected QOpenGLExtraFunctions {
    Q_OBJECT
public:
    explicit PreviewView(vw::Document& document, QWidget* parent = nullptr);
    ~PreviewView() override;

    vw::PreviewScene& scene() { return m_scene; }

    void setImageMap(const QImage& picture);
    // The View options and the tree's check boxes; each redraws.
    void setOptions(const vw::PreviewOptions& options);
    void setOrthographic(bool orthographic);
    void setShown(vw::ShownFilter shown);
    void shownChanged();
    void fitAll();
    void fitSelection();
    // Looks from one of the six sides, keeping the target, distance and projection.
    void viewAlong(vw::ViewDirection direction);
    // Perspective to orthographic and back, announced by orthographicToggled.
    void toggleOrthographic();
    // Asks for a new frame of a changed surface; picking reads depth only from a frame drawn
    // since.
    void redraw();
    // Sends what edits changed to the GPU now, as the next frame would first, and waits for it.
    void sendPendingVertices();

    // The tools' side of the pointer; null leaves every pointer event to the camera.
    void setInput(vw::PreviewInput* input);
    // Options > Keys: the map its keys are read from.
    void setKeyMap(vw::KeyMap map) { m_keyMap = map; }
    // X-ray: picking reaches every working vertex, and the surface is drawn see-through.
    void setXray(bool xray);
    // The working vertices hidden from view, which the edit mesh leaves out; they outlive the
    // view.
    void setHidden(const vw::HiddenVertices* hidden) { m_hidden = hidden; }
    bool xray() const { return m_xray; }
    // The depth of the frame as now seen over a window rectangle, drawn first when the last
    // frame is out of date; none in X-ray, where nothing hides a vertex.
    std::optional<vw::DepthPatch> depthOver(double x1, double y1, double x2, double y2);
    // A box select's rubber band, in window pixels.
    void setBand(std::optional<QRectF> band);
    // The lines a transform is held to: through a point, along the file axes in the mask
    // (1 x, 2 y, 4 z), each in its axis colour.
    struct AxisGuide {
        vw::Vec3 through;
        int axes = 0;
    };
    void setGuide(std::optional<AxisGuide> guide);
    // The soft selection's reach around the pointer during a soft drag, in window pixels.
    struct SoftCircle {
        QPointF centre;
        double radius = 0;
    };
    void setSoftCircle(std::optional<SoftCircle> circle);
    // The 3D cursor's small cross, at its projection (file-oriented); none while unplaced.
    void setCursorMark(std::optional<vw::Vec3> at);

    // Still frames draw simplified versions of the segments where many triangles fall on one pixel
    // (built in the background after each model opens and each edit settles); off, they draw
    // every triangle.
    void setSimplifies(bool simplifies);
    // Whether every segment's simplified versions are built and in use.
    bool detailReady() const;

    // Bytes of vertex data sent to the GPU since the view was made, and the bytes its buffers
    // hold now.
    size_t bytesSent() const { return m_bytesSent; }
    // Frames drawn since the view was made.
    size_t framesDrawn() const { return m_framesDrawn; }
    size_t bufferBytes() const;

    // Where the shaders' sources come from, set before the view is first shown; tests break them.
    using ShaderSourceMaker = std::function<vw::PreviewShaderSources(bool es)>;
    void setShaderSources(ShaderSourceMaker make) { m_makeShaderSources = std::move(make); }

signals:
    // The shaders could not be built; the reason is one line.
    void failed(const QString& reason);
    // The view's own key switched the projection.
    void orthographicToggled(bool orthographic);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The view keys of the key map (previewViewKey); every other key goes on to the pane window.
    void keyPressEvent(QKeyEvent* event) override;
    // Takes the numpad's view keys before any shortcut does.
    bool event(QEvent* event) override;

private:
    void releaseGl();
    void buildPrograms(bool es);
    // Marks the frame out of date and asks for a new one.
    void changed();
    // Besides what marks the frame out of date, what it was drawn for: a camera, size or option
    // changed through the scene shows here.
    struct FrameKey {
        vw::Mat4 view, projection;
        QSize size;
        qreal devicePixelRatio = 1;
        bool coarse = false;
        vw::PreviewOptions options;
        bool operator==(const FrameKey&) const = default;
    };
    FrameKey frameKey() const;
    void updateBuffers();
    // The edges every segment needs for the wireframe, or only the working data's for the edit
    // mesh; built again when what is built no longer covers what is drawn.
    bool edgesCover(bool all) const;
    void updateEdges(bool all);
    void updateCoarse();
    // Sends every vertex's place on the image map, the first time the map shows.
    void updateMapping();
    bool showsImageMap() const { return m_scene.options.imageMap && !m_imageMap.isNull(); }
    void updateDetail();
    // Takes in the simplified versions built on the worker thread and starts the next segment's;
    // redraws once all are built.
    void buildDetail();
    void updateImageMap();
    void setPositionAttribute(uint32_t firstVertex);
    void setSurfaceAttributes(uint32_t firstVertex);
    // Simplified versions are shaded with the full surface's vertex normals.
    void setNormals(bool simplified, uint32_t firstVertex);
    void drawSurface(const std::vector<vw::SegmentSpan>& shown, bool coarse);
    // The triangles a span is drawn from, and whether they take the full surface's normals.
    struct SurfaceRange {
        QOpenGLBuffer* indexes;
        uint32_t first, count;
        bool smooth;
    };
    SurfaceRange surfaceRange(const vw::SegmentSpan& span, bool coarse);
    void drawEdges(const std::vector<vw::SegmentSpan>& shown);
    void drawSelectedPoints();
    void drawEditMesh();
    // Copies the frame's depth for the marks to be judged against; X-ray, which leaves the depth
    // to no face, first draws the surface's depth alone.
    void prepareMarks(const std::vector<vw::SegmentSpan>& shown, bool coarse);
    void drawSurfaceDepth(const std::vector<vw::SegmentSpan>& shown, bool coarse);
    // Binds the marks' program for marks of this colour and size in pixels.
    void useMarks(QRgb colour, float size);
    void drawMarkPoints(const std::vector<float>& points);
    void perform(const vw::PreviewViewAction& action);
    void drawGizmo();
    // A press on one of the gizmo's discs looks from its end; true when one was hit.
    bool lookFromGizmo(double x, double y);
    void drawOverlays();
    void drawOverlayLines(const std::vector<float>& points, GLenum mode, QRgb colour);
    void drawSoftCircle();
    void drawCursorMark();
    // Draws count entries of the bound indexes from first (for points, count vertices), in pieces
    // small enough that the renderer never holds a large part of a frame at once.
    void drawInPieces(GLenum mode, uint32_t first, uint32_t count);
    // Counts primitives sent since the last flush, and flushes when they are many; each batch so
    // handed over waits for the one before it.
    void handOver(size_t primitives);
    // Drops the fence of a frame's last batch, which the next frame does not wait for.
    void forgetLastBatch();
    void setCameraUniforms(QOpenGLShaderProgram& program);
    void setWindowUniforms(QOpenGLShaderProgram& program);
    bool showsEditMesh() const { return m_input && m_input->actsOnPreview(); }
    vw::PreviewPointer pointerOf(const QMouseEvent& event) const;
    // Reads the depth over device pixels into patch: from the frame's depth buffer, or where
    // OpenGL ES cannot read that, from the surface drawn again with its depth as colour.
    void readFrameDepth(vw::DepthPatch& patch, int frameHeight);
    void readDepthAsColour(vw::DepthPatch& patch, QSize frame);

    vw::Document& m_document;
    vw::Subscription m_subscription;
    vw::PreviewScene m_scene;
    QImage m_imageMap;
    bool m_imageMapChanged = true;
    bool m_edgesBuilt = false;
    bool m_edgesOfAll = false;
    int32_t m_edgesPart = 0, m_edgesSeg = 0; // the working data they were built for
    bool m_coarseBuilt = false;
    bool m_simplifies = true;
    QTimer m_wheelSettling;
    QTimer m_detailBuilding;
    std::future<vw::SegmentDetail> m_detailJob;
    uint64_t m_detailTicket = 0;
    bool m_needsUpload = true;
    size_t m_bytesSent = 0;
    size_t m_framesDrawn = 0;
    size_t m_unflushed = 0;
    GLsync m_lastBatch = nullptr; // the fence after the batch last handed over
    std::vector<float> m_points, m_pointsSent;
    vw::PreviewInput* m_input = nullptr;
    vw::KeyMap m_keyMap = vw::KeyMap::Designed;
    bool m_xray = false;
    const vw::HiddenVertices* m_hidden = nullptr;
    // The left button belongs to the tool from its press to its release.
    bool m_toolDrag = false;
    bool m_depthStale = true;
    bool m_frameCurrent = false;
    GLenum m_restart = 0; // the switch that restarts strips at vw::kStripRestart
    FrameKey m_frameKey;
    std::optional<QRectF> m_band;
    std::optional<AxisGuide> m_guide;
    std::optional<SoftCircle> m_softCircle;
    std::optional<vw::Vec3> m_cursorMark;

    ShaderSourceMaker m_makeShaderSources = vw::previewShaderSources;
    std::unique_ptr<QOpenGLShaderProgram> m_surface, m_flat, m_depthColour, m_marks;
    vw::DepthCopy m_depthCopy;
    bool m_marksJudged = false; // the frame's depth was copied for the marks
    std::unique_ptr<QOpenGLFramebufferObject> m_depthTarget;
    QOpenGLVertexArrayObject m_vao;
    QOpenGLBuffer m_vertices{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer m_mapping{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer m_strips{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_edges{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_coarse{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_detail{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_normals{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer m_pointBuffer{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer m_overlayBuffer{QOpenGLBuffer::VertexBuffer};
    std::unique_ptr<QOpenGLTexture> m_texture;
    size_t m_stripBytes = 0, m_edgeBytes = 0, m_coarseBytes = 0, m_detailBytes = 0,
           m_mappingBytes = 0, m_normalBytes = 0;
};
