#pragma once
// Colours that read as behind: the vertex marks the surface hides and the gizmo's negative ends.

#include "views/pane_colours.h"

#include <QRgb>

namespace vw {

// Three fifths of the way towards the Preview's background.
constexpr QRgb dimmed(QRgb colour) {
    const auto blend = [](int value, int ground) { return (2 * value + 3 * ground + 2) / 5; };
    return qRgb(blend(qRed(colour), qRed(kBackGround)), blend(qGreen(colour), qGreen(kBackGround)),
                blend(qBlue(colour), qBlue(kBackGround)));
}

} // namespace vw
