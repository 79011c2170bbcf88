#pragma once
// Whether this machine can draw the Preview: an OpenGL 3.3 core (or OpenGL ES 3) context that
// can be made current. Asked before any GL widget exists, since a QOpenGLWidget on a platform
// without OpenGL fails when it is shown.

#include <QSurfaceFormat>

namespace vw {

QSurfaceFormat previewSurfaceFormat();
bool canDrawPreview();

} // namespace vw
