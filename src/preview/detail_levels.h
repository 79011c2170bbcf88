#pragma once
// Simplified versions of a segment's triangles for still frames: where many triangles fall on one
// pixel, a version whose surface stays within a fraction of a pixel of the full one looks the same
// and draws in a fraction of the time. Each version indexes the segment's own vertices, so it
// shares the full mesh's vertex buffer; an edit of the segment makes its versions stale.

#include "model/model.h"
#include "preview/camera.h"

#include <cstdint>
#include <vector>

namespace vw {

// The largest distance on screen, in device pixels, a drawn surface may lie from the full one.
constexpr double kDetailPixels = 0.35;

// Nor may a version's triangles cover more than this many device pixels each on average: the
// shading between the full surface's vertices then keeps its detail.
constexpr double kDetailTriangleArea = 2.0;

struct DetailLevel {
    std::vector<uint16_t> triangles;
    double error = 0;    // model units the surface may lie from the full one
    double meanArea = 0; // of its triangles, in square model units
    uint32_t first = 0;  // where the triangles lie in the packed index list
};

// A segment's versions, finest first, the sphere holding its vertices (y up), and each vertex's
// normal on the full surface for the versions to be shaded with: x, y and z as signed bytes (y
// up) and a zero byte, in one word as the buffer takes it.
struct SegmentDetail {
    Vec3 centre;
    double radius = 0;
    std::vector<DetailLevel> levels;
    std::vector<uint32_t> normals;
};

// The versions of one segment, given its full triangles (indexes into verts, all in range). A
// segment with a position that is not finite, or too few triangles to gain from it, gets none.
SegmentDetail buildSegmentDetail(const std::vector<Vertex>& verts,
                                 const std::vector<uint16_t>& triangles);

// The coarsest level whose error stays within kDetailPixels on screen for this camera, whose
// viewport counts devicePixelRatio device pixels per pixel; null when only the full triangles do.
const DetailLevel* levelFor(const SegmentDetail& detail, const OrbitCamera& camera,
                            double devicePixelRatio);

} // namespace vw
