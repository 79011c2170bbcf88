#pragma once
// Cursors for the pointer shapes: Qt's standard ones, and small pictures of our own for
// zooming in and out and for moving vertices.

#include "tools/pointer_shape.h"

#include <QCursor>

namespace vw {

QCursor cursorFor(PointerShape shape);

} // namespace vw
