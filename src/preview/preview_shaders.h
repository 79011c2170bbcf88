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
    // One flat colour: the wireframe, the edges of the edit mesh and the overlays.
    QByteArray flatVertex, flatFragment;
    // Vertex marks, each judged against a copy of the frame's depth as a click judges it: in one
    // colour in front of or on the surface, in another (or left out) behind it.
    QByteArray marksVertex, marksFragment;
};

// With the flat vertex shader: each fragment's depth packed into red, green and blue, for an
// OpenGL ES that cannot read the depth buffer back.
QByteArray depthColourFragmentShader(bool es);

// The Preview's own shaders, for OpenGL ES 3 when es holds.
PreviewShaderSources previewShaderSources(bool es);

} // namespace vw
