#pragma once
// How far two frames read back from the screen differ.

#include <QImage>

#include <algorithm>
#include <cstdlib>

namespace test_frames {

// Colours this close count as the same: shading rounds differently on differently cut triangles.
constexpr int kLevelsAlike = 8;

// The share of pixels whose colour differs by more than kLevelsAlike in some channel.
inline double shareDiffering(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 1;
    size_t differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > kLevelsAlike)
                ++differing;
        }
    return double(differing) / (double(a.width()) * a.height());
}

} // namespace test_frames
