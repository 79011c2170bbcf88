#pragma once
// How the Preview shades a surface, which the thumbnails copy: a light at the eye that lights both
// sides of a face, and vertex alpha that fades a colour. The Preview's shaders take these values
// from here.

namespace vw {

// The share of a face's colour that shows however far the face is turned away from the eye; the
// rest grows with how squarely it faces the eye, so no face is ever black.
constexpr double kAmbientLight = 0.3;

// The share of a vertex colour that still shows at alpha 0, so that such vertices can be found;
// the rest fades with alpha towards the background.
constexpr double kLeastCover = 0.2;

} // namespace vw
