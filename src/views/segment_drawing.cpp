#include "views/segment_drawing.h"

#include "model/strip_walk.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <algorithm>

namespace vw {
namespace {

// A mark reaches 30 twips to each side of its vertex.
constexpr int32_t kMarkReach = 30;

// The pixels of the mark of a vertex at a whole-twip pane position, without floating point.
QRect markAround(QPoint pane) {
    const int32_t left = twipToPixel(pane.x() - kMarkReach);
    const int32_t top = twipToPixel(pane.y() - kMarkReach);
    return QRect(left, top, twipToPixel(pane.x() + kMarkReach) - left,
                 twipToPixel(pane.y() + kMarkReach) - top);
}

QPoint placed(const Vertex& vertex, const ViewParams& view) {
    // Far beyond any surface, and far enough from the int32 limits for a mark's reach.
    constexpr int32_t far = 1 << 30;
    return QPoint(std::clamp(toPane(vertex.coord(view.axisH), view.zoom, view.originX), -far, far),
                  std::clamp(toPane(vertex.coord(view.axisV), view.zoom, view.originY), -far, far));
}

} // namespace

void SegmentDrawing::place(const std::vector<Vertex>& verts, const ViewParams& view) {
    m_placed.resize(verts.size());
    m_pixels.resize(verts.size());
    for (size_t i = 0; i < verts.size(); ++i) {
        const QPoint pane = placed(verts[i], view);
        m_placed[i] = pane;
        m_pixels[i] = QPoint(twipToPixel(pane.x()), twipToPixel(pane.y()));
    }
}

void SegmentDrawing::edges(const Segment& segment, Raster& raster, QRgb pen,
                           const ViewParams& view) {
    const std::vector<int16_t>& strip = segment.strip;
    if (strip.size() < 3)
        return;
    place(segment.verts, view);
    forEachStripTriangle(strip, m_placed.size(),
                         [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool afterDrawn) {
                             const QPoint p0 = m_pixels[i0], p1 = m_pixels[i1], p2 = m_pixels[i2];
                             // The previous triangle drew this edge from the other end; on the
                             // canvas a line's pixels do not depend on its direction, so drawing
                             // it again would change nothing.
                             if (!afterDrawn || !raster.contains(p0) || !raster.contains(p1))
                                 raster.line(p0, p1, pen);
                             raster.line(p2, p1, pen);
                             raster.line(p0, p2, pen);
                         });
}

void SegmentDrawing::unselectedMarks(const std::vector<Vertex>& verts, QImage& canvas,
                                     const ViewParams& view, std::span<const uint8_t> hiddenFlags) {
    place(verts, view);
    Raster raster(canvas);
    for (size_t i = 0; i < verts.size(); ++i) {
        if (verts[i].selected != 0 || (i < hiddenFlags.size() && hiddenFlags[i] != 0))
            continue;
        raster.framedBox(markAround(m_placed[i]), kMarkFill, kMarkOutline);
    }
}

void SegmentDrawing::selectedMarks(const std::vector<Vertex>& verts, QImage& canvas,
                                   const ViewParams& view) {
    Raster raster(canvas);
    for (const Vertex& vertex : verts)
        if (vertex.selected != 0)
            raster.fillBox(markAround(placed(vertex, view)), kMarkSelected);
}

} // namespace vw
