#pragma once
// A copy of a frame's depth in a texture, for shaders that judge whether the surface hides a
// vertex without reading the depth back to the processor.

#include <QOpenGLExtraFunctions>
#include <QSize>

namespace vw {

class DepthCopy {
public:
    // Copies the depth of framebuffer `from`, size device pixels, and leaves `from` bound; false
    // when this OpenGL cannot make the copy.
    bool copy(QOpenGLExtraFunctions& gl, GLuint from, QSize size);
    GLuint texture() const { return m_texture; }
    // Deletes the texture and framebuffer; the context they were made in must be current.
    void release(QOpenGLExtraFunctions& gl);

private:
    // A texture of the depth format of `from`, which a copy needs, and a framebuffer around it.
    bool make(QOpenGLExtraFunctions& gl, GLuint from, QSize size);

    GLuint m_texture = 0, m_framebuffer = 0;
    QSize m_size;
    bool m_complete = false;
};

} // namespace vw
