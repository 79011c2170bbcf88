#include "preview/preview_shaders.h"

#include "model/shading.h"

namespace vw {
namespace {

QByteArray header(bool es) {
    return es ? QByteArrayLiteral("#version 300 es\nprecision highp float;\n")
              : QByteArrayLiteral("#version 330 core\n");
}

// Always with a decimal point: OpenGL ES takes no integer where a float is due.
QByteArray glslFloat(double value) {
    return QByteArray::number(value, 'f', 9);
}

// The shading the thumbnails copy, as GLSL constants; each complement is worked out here so that
// the shader adds the same two numbers it always has.
QByteArray shadingConstants() {
    return "const float ambientLight = " + glslFloat(kAmbientLight) +
           ";\nconst float directLight = " + glslFloat(1 - kAmbientLight) +
           ";\nconst float leastCover = " + glslFloat(kLeastCover) +
           ";\nconst float alphaCover = " + glslFloat(1 - kLeastCover) + ";\n";
}

QByteArray surfaceVertexShader(bool es) {
    return header(es) + R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec4 colour;
layout(location = 3) in vec4 normal;
uniform mat4 view;
uniform mat4 projection;
out vec3 viewPosition;
out vec3 viewNormal;
out vec2 mapCoord;
out vec4 vertexColour;
void main() {
    vec4 p = view * vec4(position, 1.0);
    viewPosition = p.xyz;
    viewNormal = mat3(view) * normal.xyz;
    mapCoord = texCoord;
    vertexColour = colour;
    gl_Position = projection * p;
}
)";
}

// The face's normal comes from the screen-space slopes of its position, so an edit moves the
// shading with the vertices. A simplified surface stands for one
// whose triangles are smaller than a pixel, where each pixel shows the surface's own normal: it
// takes the full surface's vertex normals instead of its coarser faces'. The light sits at the eye
// and lights both sides, so no face is ever black. Alpha shades the colour towards the background,
// all but the share that stays at alpha 0 so such vertices can still be found. Opacity below 1
// draws the surface see-through (X-ray).
QByteArray surfaceFragmentShader(bool es) {
    return header(es) + shadingConstants() + R"(
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 mapCoord;
in vec4 vertexColour;
uniform sampler2D imageMap;
uniform bool smoothNormals;
uniform bool useImageMap;
uniform bool orthographic;
uniform vec3 background;
uniform float opacity;
out vec4 fragColour;
void main() {
    vec3 normal = smoothNormals ? normalize(viewNormal)
                                : normalize(cross(dFdx(viewPosition), dFdy(viewPosition)));
    vec3 toEye = orthographic ? vec3(0.0, 0.0, 1.0) : normalize(-viewPosition);
    float light = ambientLight + directLight * abs(dot(normal, toEye));
    vec3 base = useImageMap ? texture(imageMap, mapCoord).rgb : vertexColour.rgb;
    float cover = leastCover + alphaCover * vertexColour.a;
    fragColour = vec4(mix(background, base * light, cover), opacity);
}
)";
}

QByteArray flatVertexShader(bool es) {
    return header(es) + R"(
layout(location = 0) in vec3 position;
uniform mat4 view;
uniform mat4 projection;
uniform float pointSize;
void main() {
    gl_Position = projection * (view * vec4(position, 1.0));
    gl_PointSize = pointSize;
}
)";
}

QByteArray flatFragmentShader(bool es) {
    return header(es) + R"(
uniform vec3 colour;
out vec4 fragColour;
void main() {
    fragColour = vec4(colour, 1.0);
}
)";
}

// The pick's test (preview_picking.cpp) for each vertex: the nearest surface in the two by two
// device pixels whose centres surround it, and the distance from the eye it stands for, plus the
// tolerance. A mark left out goes outside the clip volume, where nothing is drawn.
QByteArray marksVertexShader(bool es) {
    return header(es) + R"(
layout(location = 0) in vec3 position;
uniform mat4 view;
uniform mat4 projection;
uniform float pointSize;
uniform highp sampler2D surfaceDepth;
uniform bool judged;
uniform bool orthographic;
uniform float nearPlane;
uniform float farPlane;
uniform float onSurface;
uniform float slant;
uniform bool showBehind;
flat out int behind;
float viewDistance(float windowDepth) {
    float ndc = 2.0 * windowDepth - 1.0;
    if (orthographic)
        return (ndc * (farPlane - nearPlane) + farPlane + nearPlane) / 2.0;
    return 2.0 * farPlane * nearPlane / ((farPlane + nearPlane) - ndc * (farPlane - nearPlane));
}
float surfaceAround(vec2 ndc) {
    ivec2 size = textureSize(surfaceDepth, 0);
    vec2 pixel = vec2(ndc.x + 1.0, 1.0 - ndc.y) / 2.0 * vec2(size) - 0.5;
    ivec2 first = clamp(ivec2(floor(pixel)), ivec2(0), size - 1);
    ivec2 second = min(first + 1, size - 1);
    // Rows counted from the top, as the pick reads them; the texture's run from the bottom.
    int top = size.y - 1 - first.y, bottom = size.y - 1 - second.y;
    return min(min(texelFetch(surfaceDepth, ivec2(first.x, top), 0).r,
                   texelFetch(surfaceDepth, ivec2(second.x, top), 0).r),
               min(texelFetch(surfaceDepth, ivec2(first.x, bottom), 0).r,
                   texelFetch(surfaceDepth, ivec2(second.x, bottom), 0).r));
}
void main() {
    vec4 seen = view * vec4(position, 1.0);
    gl_Position = projection * seen;
    gl_PointSize = pointSize;
    behind = 0;
    if (!judged || !(gl_Position.w > 0.0))
        return;
    float surface = surfaceAround(gl_Position.xy / gl_Position.w);
    if (surface >= 1.0)
        return;
    float away = -seen.z;
    if (away <= viewDistance(surface) + onSurface + slant * (orthographic ? 1.0 : away))
        return;
    behind = 1;
    if (!showBehind)
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
}
)";
}

QByteArray marksFragmentShader(bool es) {
    return header(es) + R"(
flat in int behind;
uniform vec3 colour;
uniform vec3 behindColour;
out vec4 fragColour;
void main() {
    fragColour = vec4(behind != 0 ? behindColour : colour, 1.0);
}
)";
}

} // namespace

QByteArray depthColourFragmentShader(bool es) {
    return header(es) + R"(
out vec4 fragColour;
void main() {
    float depth = gl_FragCoord.z;
    vec3 bytes = vec3(depth, fract(depth * 255.0), fract(depth * 65025.0));
    bytes.xy -= bytes.yz / 255.0;
    fragColour = vec4(bytes, 1.0);
}
)";
}

PreviewShaderSources previewShaderSources(bool es) {
    return {surfaceVertexShader(es), surfaceFragmentShader(es), flatVertexShader(es),
            flatFragmentShader(es),  marksVertexShader(es),     marksFragmentShader(es)};
}

} // namespace vw
