#pragma once
// Drawing straight into the pixels of a Format_RGB32 image, exactly as QPainter draws without
// antialiasing but without its per-call cost: one-pixel lines (both end points drawn, the same
// pixels as QPainter::drawLine, clipped the same way), filled boxes and box outlines; and one
// canvas copied onto another.

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

namespace vw {

// Copies one canvas onto another of the same size without reallocating the target.
void copyCanvas(const QImage& from, QImage& to);

class Raster {
public:
    explicit Raster(QImage& image);

    void line(QPoint from, QPoint to, QRgb colour);
    // Lines of colour may pass over parts of the image that are already wholly that colour,
    // which changes no pixel: once they have drawn more pixels than the image holds four times
    // over, the pixels not yet that colour are counted per tile, and full tiles are passed over.
    // Drawing anything else stops it.
    void passOverFullTiles(QRgb colour);
    // Every pixel of box (inclusive corners), clipped to the image.
    void fillBox(const QRect& box, QRgb colour);
    // The outermost ring of pixels of box, clipped to the image.
    void outlineBox(const QRect& box, QRgb colour);
    // fillBox with fill, then outlineBox with outline.
    void framedBox(const QRect& box, QRgb fill, QRgb outline);

    bool contains(QPoint pixel) const {
        return static_cast<uint32_t>(pixel.x()) < static_cast<uint32_t>(m_width) &&
               static_cast<uint32_t>(pixel.y()) < static_cast<uint32_t>(m_height);
    }

private:
    // A line between end points in 26.6 fixed point; Checked clips every pixel to the image.
    template <bool Checked>
    void fixedLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
    // fixedLine's steps; Counted counts pixels newly of colour off their tile and passes over
    // full tiles.
    template <bool Checked, bool Counted>
    void stepLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
    void countTiles();
    void stopPassingOver();
    // Whether every tile the pixels x1..x2, y1..y2 (inclusive, clipped to the image) touch is
    // full.
    bool allFull(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    template <bool Checked> void plot(int32_t x, int32_t y, uint32_t colour) {
        if (!Checked || contains(QPoint(x, y)))
            m_pixels[y * m_stride + x] = colour;
    }

    uint32_t* m_pixels;
    ptrdiff_t m_stride;
    int32_t m_width;
    int32_t m_height;

    static constexpr int kTileShift = 5;
    uint32_t m_passColour = 0;
    bool m_mayPass = false;
    uint64_t m_drawn = 0; // pixels the lines of m_passColour have stepped over
    int32_t m_tilesPerRow = 0;
    std::vector<uint16_t> m_left; // per tile, pixels not yet m_passColour; empty while not counting
    // Per tile corner, how many tiles above and to the left are not full; rebuilt when stale.
    std::vector<int32_t> m_notFullBefore;
    bool m_notFullStale = true;
};

} // namespace vw
