#pragma once
// The quads a segment's strip makes, for edge loops and edge rings. Two consecutive triangles of
// an unbroken run of the strip (strip_walk.h) share an edge; when their four vertices differ
// they make a quad, whose diagonal is that shared edge and whose sides are the other four edges.
// Each run is paired from its start: triangle t and t + 1 make a quad when they can, and the
// pairing goes on from t + 2; a triangle that cannot pair with the next one is left alone and
// the pairing goes on from the next. So a row of quads written as one run (top, bottom, top,
// bottom, ...) gives its quads, however the runs of the strip are joined.

#include "model/model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace vw {

class StripQuads {
public:
    explicit StripQuads(const Segment& segment);

    // Every quad side once, lower vertex first, in the order the strip first names them.
    const std::vector<std::array<uint32_t, 2>>& sides() const { return m_sides; }

    // The vertices of the edge loop through side a-b: across every vertex met, on to the side
    // opposite the one it came by, both ways; a walk ends on a vertex that is not a corner of
    // exactly four quads closed around it (a pole, the segment's border) or that a lone triangle
    // touches, and before a hidden vertex (flags as HiddenVertices::flagsOf gives them). Empty
    // when a-b is no quad side or either end is hidden.
    std::vector<uint32_t> loop(uint32_t a, uint32_t b, std::span<const uint8_t> hidden) const;
    // The vertices of the edge ring through side a-b: the side opposite across each quad, both
    // ways, until a side that is the border, borders a lone triangle or more than two faces, or
    // has a hidden end. Empty as for loop.
    std::vector<uint32_t> ring(uint32_t a, uint32_t b, std::span<const uint8_t> hidden) const;

private:
    using Quad = std::array<uint32_t, 4>; // corners in order round the quad
    struct EdgeFaces {
        std::array<uint32_t, 2> quads{}; // the first two quads on the side
        uint32_t quadCount = 0;
        uint32_t triangleCount = 0; // lone triangles on the edge
    };

    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    void addLoneTriangle(uint32_t a, uint32_t b, uint32_t c);
    const EdgeFaces* facesOf(uint32_t a, uint32_t b) const;
    // The vertex across v from u in a regular fan of four quads around v; none (-1) otherwise.
    int64_t across(uint32_t u, uint32_t v) const;
    // One way of a loop from side u-v on through v, adding what it meets to out.
    void walkLoop(uint32_t u, uint32_t v, std::span<const uint8_t> hidden,
                  std::vector<uint8_t>& met, std::vector<uint32_t>& out) const;
    // One way of a ring from side a-b across quad q, adding what it meets to out.
    void walkRing(uint32_t a, uint32_t b, uint32_t q, std::span<const uint8_t> hidden,
                  std::vector<uint32_t>& out) const;

    size_t m_vertexCount;
    std::vector<Quad> m_quads;
    std::vector<std::vector<uint32_t>> m_quadsAt; // per vertex, the quads it is a corner of
    std::vector<uint8_t> m_onLoneTriangle;        // per vertex
    std::unordered_map<uint64_t, EdgeFaces> m_edges;
    std::vector<std::array<uint32_t, 2>> m_sides;
};

// A quad side of the working data: vertices a and b of working segment `segment`.
struct WorkingSide {
    size_t segment = 0;
    uint32_t a = 0, b = 0;
};

// Where a working vertex shows on a screen (segment, vertex), or none where it does not show.
using ScreenPlace = std::function<std::optional<std::array<double, 2>>(size_t, uint32_t)>;

// The quad side of the working data nearest screen point (x, y), within reach of it, among the
// sides whose two ends show; the first in segment and strip order among equally near ones.
std::optional<WorkingSide> nearestQuadSide(const std::vector<Segment>& data, double x, double y,
                                           double reach, const ScreenPlace& place);

} // namespace vw
