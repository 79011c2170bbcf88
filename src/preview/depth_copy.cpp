#include "preview/depth_copy.h"

namespace vw {
namespace {

struct DepthFormat {
    GLint internal;
    GLenum format, type;
};

// The depth format of the framebuffer's depth attachment; a blit copies depth only between equal
// formats.
DepthFormat depthFormatOf(QOpenGLExtraFunctions& gl) {
    GLint kind = 0, name = 0, internal = GL_DEPTH24_STENCIL8;
    gl.glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &kind);
    if (kind == GL_RENDERBUFFER) {
        gl.glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
        gl.glBindRenderbuffer(GL_RENDERBUFFER, GLuint(name));
        gl.glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT,
                                        &internal);
        gl.glBindRenderbuffer(GL_RENDERBUFFER, 0);
    }
    switch (internal) {
    case GL_DEPTH_COMPONENT16:
        return {internal, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT};
    case GL_DEPTH_COMPONENT24:
        return {internal, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT};
    case GL_DEPTH_COMPONENT32F:
        return {internal, GL_DEPTH_COMPONENT, GL_FLOAT};
    case GL_DEPTH32F_STENCIL8:
        return {internal, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV};
    default:
        return {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8};
    }
}

// Only the blit's own error tells whether the formats matched. Bounded, as a lost context repeats
// its error for ever.
void dropEarlierErrors(QOpenGLExtraFunctions& gl) {
    for (int i = 0; i < 8; ++i)
        if (gl.glGetError() == GL_NO_ERROR)
            return;
}

} // namespace

bool DepthCopy::make(QOpenGLExtraFunctions& gl, GLuint from, QSize size) {
    release(gl);
    m_size = size;
    const DepthFormat format = depthFormatOf(gl);
    gl.glGenTextures(1, &m_texture);
    gl.glBindTexture(GL_TEXTURE_2D, m_texture);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, format.internal, size.width(), size.height(), 0,
                    format.format, format.type, nullptr);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    gl.glGenFramebuffers(1, &m_framebuffer);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_texture, 0);
    const GLenum none = GL_NONE;
    gl.glDrawBuffers(1, &none);
    gl.glReadBuffer(GL_NONE);
    m_complete = gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, from);
    return m_complete;
}

bool DepthCopy::copy(QOpenGLExtraFunctions& gl, GLuint from, QSize size) {
    if ((m_texture == 0 || size != m_size) && !make(gl, from, size))
        return false;
    if (!m_complete)
        return false;
    dropEarlierErrors(gl);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_framebuffer);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.glBlitFramebuffer(0, 0, size.width(), size.height(), 0, 0, size.width(), size.height(),
                         GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, from);
    return gl.glGetError() == GL_NO_ERROR;
}

void DepthCopy::release(QOpenGLExtraFunctions& gl) {
    if (m_framebuffer != 0)
        gl.glDeleteFramebuffers(1, &m_framebuffer);
    if (m_texture != 0)
        gl.glDeleteTextures(1, &m_texture);
    m_framebuffer = m_texture = 0;
    m_complete = false;
}

} // namespace vw
