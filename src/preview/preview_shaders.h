#pragma once
// The Preview's shaders, written once for OpenGL 3.3 core and OpenGL ES 3.

#include <QByteArray>

namespace vw {

// Attribute locations shared by both programs.
enum PreviewAttribute : int {
    kAttributePosition = 0,
    kAttributeTexCoord = 1,
    kAttributeColour = 2,
    kAttributeNormal = 3
};

struct PreviewShaderSources {
    // The lit surface: vertex colours or the image map, shaded by a headlight.
    QByteArray surfaceVertex, surfaceFragment;
    // One flat colour: the wireframe and the selected points.
    QByteArray flatVertex, flatFragment;
};

// With the flat vertex shader: each fragment's depth packed into red, green and blue, for an
// OpenGL ES that cannot read the depth buffer back.
QByteArray depthColourFragmentShader(bool es);

// The Preview's own shaders, for OpenGL ES 3 when es holds.
PreviewShaderSources previewShaderSources(bool es);

} // namespace vw
