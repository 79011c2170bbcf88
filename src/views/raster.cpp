#include "views/raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vw {
namespace {

// 26.6 fixed point, truncated toward zero like QPainter's raster engine.
int32_t toFixed6(double value) {
    return static_cast<int32_t>(value * 64.0);
}

// (numerator << 16) / denominator, truncated toward zero; 32-bit division where it is exact.
int64_t fixedRatio16(int32_t numerator, int32_t denominator) {
    if (std::abs(numerator) <= 0x7fff)
        return static_cast<int32_t>(static_cast<uint32_t>(numerator) << 16) / denominator;
    return static_cast<int64_t>(numerator) * 65536 / denominator;
}

} // namespace

void copyCanvas(const QImage& from, QImage& to) {
    if (from.size() != to.size() || from.bytesPerLine() != to.bytesPerLine()) {
        to = from.copy();
        return;
    }
    if (!from.isNull())
        std::memcpy(to.bits(), from.constBits(), static_cast<size_t>(from.sizeInBytes()));
}

Raster::Raster(QImage& image)
    : m_pixels(reinterpret_cast<uint32_t*>(image.bits())),
      m_stride(image.bytesPerLine() / static_cast<ptrdiff_t>(sizeof(uint32_t))),
      m_width(image.width()), m_height(image.height()) {}

void Raster::line(QPoint from, QPoint to, QRgb colour) {
    const uint32_t pixel = colour | 0xff000000u;
    if (from == to) {
        if (pixel != m_passColour)
            stopPassingOver();
        else if (!m_left.empty() && contains(from) &&
                 m_pixels[from.y() * m_stride + from.x()] != pixel)
            m_notFullStale |= --m_left[size_t((from.y() >> kTileShift) * m_tilesPerRow +
                                              (from.x() >> kTileShift))] == 0;
        plot<true>(from.x(), from.y(), pixel);
        return;
    }
    if (contains(from) && contains(to)) {
        fixedLine<false>(from.x() * 64, from.y() * 64, to.x() * 64, to.y() * 64, pixel);
        return;
    }
    // The same rough clip as the raster engine: to one pixel beyond the left and top edges and
    // two beyond the right and bottom ones, in floating point, before going to fixed point.
    const double xmin = -1, xmax = m_width + 1, ymin = -1, ymax = m_height + 1;
    double x1 = from.x(), y1 = from.y(), x2 = to.x(), y2 = to.y();
    if (x1 < xmin) {
        if (x2 <= xmin)
            return;
        y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
        x1 = xmin;
    } else if (x1 > xmax) {
        if (x2 >= xmax)
            return;
        y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
        x1 = xmax;
    }
    if (x2 < xmin) {
        y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
        x2 = xmin;
    } else if (x2 > xmax) {
        y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
        x2 = xmax;
    }
    if (y1 < ymin) {
        if (y2 <= ymin)
            return;
        x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
        y1 = ymin;
    } else if (y1 > ymax) {
        if (y2 >= ymax)
            return;
        x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
        y1 = ymax;
    }
    if (y2 < ymin) {
        x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
        y2 = ymin;
    } else if (y2 > ymax) {
        x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
        y2 = ymax;
    }
    fixedLine<true>(toFixed6(x1), toFixed6(y1), toFixed6(x2), toFixed6(y2), pixel);
}

template <bool Checked>
void Raster::fixedLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (!m_mayPass || colour != m_passColour) {
        stopPassingOver();
        stepLine<Checked, false>(x1, y1, x2, y2, colour);
        return;
    }
    if (m_left.empty() && m_drawn > 4 * uint64_t(m_width) * uint64_t(m_height))
        countTiles();
    if (m_left.empty()) {
        stepLine<Checked, false>(x1, y1, x2, y2, colour);
        return;
    }
    // A line wholly within full tiles changes nothing; a pixel's margin covers the square cap.
    if (!allFull((std::min(x1, x2) >> 6) - 1, (std::min(y1, y2) >> 6) - 1,
                 (std::max(x1, x2) >> 6) + 1, (std::max(y1, y2) >> 6) + 1))
        stepLine<Checked, true>(x1, y1, x2, y2, colour);
}

bool Raster::allFull(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t tileRows = static_cast<int32_t>(m_left.size()) / m_tilesPerRow;
    if (m_notFullStale) {
        const size_t stride = size_t(m_tilesPerRow) + 1;
        m_notFullBefore.assign(stride * size_t(tileRows + 1), 0);
        for (int32_t r = 0; r < tileRows; ++r) {
            for (int32_t c = 0; c < m_tilesPerRow; ++c) {
                m_notFullBefore[(r + 1) * stride + c + 1] =
                    m_notFullBefore[r * stride + c + 1] + m_notFullBefore[(r + 1) * stride + c] -
                    m_notFullBefore[r * stride + c] + (m_left[r * m_tilesPerRow + c] != 0);
            }
        }
        m_notFullStale = false;
    }
    const int32_t left = std::max(x1, 0) >> kTileShift, top = std::max(y1, 0) >> kTileShift;
    const int32_t right = (std::min(x2, m_width - 1) >> kTileShift) + 1;
    const int32_t bottom = (std::min(y2, m_height - 1) >> kTileShift) + 1;
    if (left >= right || top >= bottom)
        return true;
    const size_t stride = size_t(m_tilesPerRow) + 1;
    return m_notFullBefore[bottom * stride + right] - m_notFullBefore[top * stride + right] -
               m_notFullBefore[bottom * stride + left] + m_notFullBefore[top * stride + left] ==
           0;
}

// One pixel per step along the longer axis, the other coordinate stepping in 16.16 fixed point.
// End points are put in order along the longer axis, so a line and its reverse are the same
// pixels; the square cap reaches half a pixel past both ends, which draws both end points.
template <bool Checked, bool Counted>
void Raster::stepLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
    if (!steep && x1 == x2)
        return;
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int64_t step = fixedRatio16(y2 - y1, x2 - x1);
    int64_t across = static_cast<int64_t>(y1) * 1024 - (step >> 1);
    x1 -= 32;
    x2 += 32;
    int32_t along = (x1 + 32) >> 6;
    const int32_t end = (x2 + 32) >> 6;
    const int32_t round = step > 0 ? 32 : 0;
    across += ((static_cast<int64_t>(along) * 64 + round - x1) * step) >> 6;
    if constexpr (!Counted) {
        m_drawn += static_cast<uint64_t>(std::max(end - along, 0));
        for (; along < end; ++along, across += step) {
            const auto other = static_cast<int32_t>(across >> 16);
            if (steep)
                plot<Checked>(other, along, colour);
            else
                plot<Checked>(along, other, colour);
        }
        return;
    }
    while (along < end) {
        const auto other = static_cast<int32_t>(across >> 16);
        const int32_t x = steep ? other : along, y = steep ? along : other;
        if (Checked && !contains(QPoint(x, y))) {
            ++along;
            across += step;
            continue;
        }
        uint16_t& left = m_left[size_t((y >> kTileShift) * m_tilesPerRow + (x >> kTileShift))];
        if (left != 0) {
            uint32_t& pixel = m_pixels[y * m_stride + x];
            if (pixel != colour && --left == 0)
                m_notFullStale = true;
            pixel = colour;
            ++along;
            across += step;
            continue;
        }
        // The same steps as one at a time, up to the first outside this full tile.
        const int32_t tileEnd = ((along >> kTileShift) + 1) << kTileShift;
        int64_t steps = std::min(tileEnd, end) - along;
        if (step > 0) {
            const int64_t next = int64_t(((other >> kTileShift) + 1) << kTileShift) << 16;
            steps = std::min(steps, (next - across + step - 1) / step);
        } else if (step < 0) {
            const int64_t first = int64_t((other >> kTileShift) << kTileShift) << 16;
            steps = std::min(steps, (across - first) / -step + 1);
        }
        along += static_cast<int32_t>(steps);
        across += steps * step;
    }
}

void Raster::passOverFullTiles(QRgb colour) {
    m_passColour = colour | 0xff000000u;
    m_mayPass = true;
}

void Raster::countTiles() {
    const int32_t tileSize = 1 << kTileShift;
    m_tilesPerRow = (m_width + tileSize - 1) >> kTileShift;
    m_left.assign(size_t(m_tilesPerRow) * size_t((m_height + tileSize - 1) >> kTileShift), 0);
    for (int32_t y = 0; y < m_height; ++y) {
        const uint32_t* row = m_pixels + y * m_stride;
        uint16_t* tiles = &m_left[size_t((y >> kTileShift) * m_tilesPerRow)];
        for (int32_t c = 0; c < m_tilesPerRow; ++c) {
            const int32_t width = std::min(tileSize, m_width - (c << kTileShift));
            const uint32_t* run = row + (c << kTileShift);
            uint16_t count = 0;
            for (int32_t x = 0; x < width; ++x)
                count += run[x] != m_passColour;
            tiles[c] += count;
        }
    }
    m_notFullStale = true;
}

void Raster::stopPassingOver() {
    m_mayPass = false;
    m_left.clear();
}

void Raster::fillBox(const QRect& box, QRgb colour) {
    stopPassingOver();
    const uint32_t pixel = colour | 0xff000000u;
    const QRect area = box.intersected(QRect(0, 0, m_width, m_height));
    for (int32_t y = area.top(); y <= area.bottom(); ++y) {
        uint32_t* row = m_pixels + y * m_stride;
        std::fill(row + area.left(), row + area.right() + 1, pixel);
    }
}

void Raster::framedBox(const QRect& box, QRgb fill, QRgb outline) {
    stopPassingOver();
    if (box.width() < 2 || box.height() < 2 || !contains(box.topLeft()) ||
        !contains(box.bottomRight())) {
        fillBox(box, fill);
        outlineBox(box, outline);
        return;
    }
    // Whole on the image, as nearly every vertex mark is: one pass, row by row.
    const uint32_t inside = fill | 0xff000000u;
    const uint32_t ring = outline | 0xff000000u;
    uint32_t* row = m_pixels + box.top() * m_stride + box.left();
    const int32_t width = box.width();
    std::fill(row, row + width, ring);
    for (int32_t y = 1; y + 1 < box.height(); ++y) {
        row += m_stride;
        row[0] = ring;
        std::fill(row + 1, row + width - 1, inside);
        row[width - 1] = ring;
    }
    row += m_stride;
    std::fill(row, row + width, ring);
}

void Raster::outlineBox(const QRect& box, QRgb colour) {
    fillBox(QRect(box.left(), box.top(), box.width(), 1), colour);
    fillBox(QRect(box.left(), box.bottom(), box.width(), 1), colour);
    fillBox(QRect(box.left(), box.top(), 1, box.height()), colour);
    fillBox(QRect(box.right(), box.top(), 1, box.height()), colour);
}

} // namespace vw
