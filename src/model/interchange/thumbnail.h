#pragma once
// Pictures of a model drawn on the processor, for file managers' thumbnails: no display and no
// OpenGL needed.

#include "model/interchange/png_writer.h"
#include "model/model.h"

namespace vw {

// The model from the front (x to the right, the file's y up, z towards the viewer), fitted
// into a size x size picture on a transparent background: every segment filled in its vertex
// colours (a segment without colours in grey) and shaded by the slope of each face, as the
// Preview shows it with the light at the eye. Vertex alpha fades a colour as the Preview does,
// here towards transparency.
RgbaPicture frontThumbnail(const Model& model, int size);

// A plain picture for a model that cannot be drawn, such as a delta model whose companion
// files are elsewhere.
RgbaPicture placeholderThumbnail(int size);

} // namespace vw
