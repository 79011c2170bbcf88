#include "preview/gl_support.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace vw {

QSurfaceFormat previewSurfaceFormat() {
    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    // OpenGL ES where Qt is built for it or the application's default format asks for it.
    if (QOpenGLContext::openGLModuleType() == QOpenGLContext::LibGLES ||
        QSurfaceFormat::defaultFormat().renderableType() == QSurfaceFormat::OpenGLES) {
        format.setRenderableType(QSurfaceFormat::OpenGLES);
        format.setVersion(3, 0);
    } else {
        format.setRenderableType(QSurfaceFormat::OpenGL);
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
    }
    return format;
}

bool canDrawPreview() {
    static const bool available = [] {
        QOpenGLContext context;
        context.setFormat(previewSurfaceFormat());
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface))
            return false;
        const QSurfaceFormat made = context.format();
        context.doneCurrent();
        const int needed = context.isOpenGLES() ? 3 : 3 * 10 + 3;
        const int version = context.isOpenGLES() ? made.majorVersion()
                                                 : made.majorVersion() * 10 + made.minorVersion();
        return version >= needed;
    }();
    return available;
}

} // namespace vw
