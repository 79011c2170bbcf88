#pragma once
// The Preview drawn with OpenGL: the shown segments as lit triangles in their vertex colours or
// the image map, the wireframe on request, and the selected working vertices as points on top.
// Make one only where canDrawPreview() holds.

#include "model/editing/document.h"
#include "preview/preview_scene.h"
#include "preview/preview_shaders.h"

#include <QImage>
#include <QOpenGLBuffer>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>
#include <QOpenGLWidget>
#include <QTimer>

#include <functional>
#include <memory>
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

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Home fits the shown model, F the selection; every other key goes on to the pane window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void releaseGl();
    void buildPrograms(bool es);
    void updateBuffers();
    void updateEdges();
    void updateCoarse();
    void updateImageMap();
    void setPositionAttribute(uint32_t firstVertex);
    void setSurfaceAttributes(uint32_t firstVertex);
    void drawSurface(const std::vector<vw::SegmentSpan>& shown, bool coarse);
    void drawEdges(const std::vector<vw::SegmentSpan>& shown);
    void drawSelectedPoints();
    void setCameraUniforms(QOpenGLShaderProgram& program);

    vw::Document& m_document;
    vw::Subscription m_subscription;
    vw::PreviewScene m_scene;
    QImage m_imageMap;
    bool m_imageMapChanged = true;
    bool m_edgesBuilt = false;
    bool m_coarseBuilt = false;
    QTimer m_wheelSettling;
    bool m_needsUpload = true;
    size_t m_bytesSent = 0;
    size_t m_framesDrawn = 0;
    std::vector<float> m_points, m_pointsSent;

    ShaderSourceMaker m_makeShaderSources = vw::previewShaderSources;
    std::unique_ptr<QOpenGLShaderProgram> m_surface, m_flat;
    QOpenGLVertexArrayObject m_vao;
    QOpenGLBuffer m_vertices{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer m_triangles{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_edges{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_coarse{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer m_pointBuffer{QOpenGLBuffer::VertexBuffer};
    std::unique_ptr<QOpenGLTexture> m_texture;
    size_t m_triangleBytes = 0, m_edgeBytes = 0, m_coarseBytes = 0;
};
