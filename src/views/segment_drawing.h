#pragma once
// Segments as the plane views draw them: a segment's triangles as one-pixel lines and each
// vertex's mark as a small box, written straight into the canvas's pixels.

#include "model/model.h"
#include "views/view_params.h"

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <span>
#include <vector>

namespace vw {

class Raster;

class SegmentDrawing {
public:
    // The segment's triangles as lines in pen; strip joints are skipped.
    void edges(const Segment& segment, Raster& raster, QRgb pen, const ViewParams& view);
    // The marks of the unselected vertices, but those flagged in hiddenFlags; and of the
    // selected ones, drawn after every segment's unselected marks so none covers them.
    void unselectedMarks(const std::vector<Vertex>& verts, QImage& canvas, const ViewParams& view,
                         std::span<const uint8_t> hiddenFlags);
    void selectedMarks(const std::vector<Vertex>& verts, QImage& canvas, const ViewParams& view);

private:
    void place(const std::vector<Vertex>& verts, const ViewParams& view);

    std::vector<QPoint> m_placed; // pane positions of the vertices being drawn, reused
    std::vector<QPoint> m_pixels; // and the pixels holding them
};

} // namespace vw
