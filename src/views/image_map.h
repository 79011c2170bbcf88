#pragma once
// The image map the UV view shows until the user chooses a picture of their own.

#include <QImage>

namespace vw {

// A 128 x 128 labelled grid: four by four cells, columns A to D, rows 1 to 4.
QImage builtInImageMap();

} // namespace vw
