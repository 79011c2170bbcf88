#pragma once
// Values as the Preview's shaders take them.

#include "preview/space.h"

#include <QColor>
#include <QMatrix4x4>
#include <QVector3D>

namespace vw {

inline QVector3D glColour(QRgb rgb) {
    return QVector3D(qRed(rgb), qGreen(rgb), qBlue(rgb)) / 255.0f;
}

inline QMatrix4x4 glMatrix(const Mat4& matrix) {
    const std::array<float, 16> values = matrix.toFloats();
    return QMatrix4x4(values.data()).transposed();
}

} // namespace vw
