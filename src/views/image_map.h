#pragma once
// The image map the UV view shows until the user chooses a picture of their own, and how the
// UV view draws it.

#include "views/view_params.h"

#include <QImage>

namespace vw {

// A 128 x 128 labelled grid: four by four cells, columns A to D, rows 1 to 4.
QImage builtInImageMap();

// The picture over the unit texture square and each of the eight squares around it.
void drawImageMapTiles(QImage& canvas, const ViewParams& view, const QImage& picture);
// The outline of the unit texture square.
void drawImageMapFrame(QImage& canvas, const ViewParams& view);

} // namespace vw
