#include "model/editing/selection/quad_loops.h"

#include "model/strip_walk.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vw {
namespace {

using Triangle = std::array<uint32_t, 3>;

uint64_t edgeKey(uint32_t a, uint32_t b) {
    return (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
}

bool isHidden(std::span<const uint8_t> hidden, uint32_t vertex) {
    return vertex < hidden.size() && hidden[vertex] != 0;
}

// Sorted, each vertex once, for callers that treat the result as a set.
std::vector<uint32_t> asSet(std::vector<uint32_t> vertices) {
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    return vertices;
}

using Point = std::array<double, 2>;

// The distance from p to the line segment a-b.
double distanceToSide(Point p, Point a, Point b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double length2 = dx * dx + dy * dy;
    const double along =
        length2 > 0 ? std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2, 0.0, 1.0)
                    : 0.0;
    return std::hypot(p[0] - (a[0] + along * dx), p[1] - (a[1] + along * dy));
}

} // namespace

StripQuads::StripQuads(const Segment& segment)
    : m_vertexCount(segment.verts.size()), m_quadsAt(m_vertexCount),
      m_onLoneTriangle(m_vertexCount, 0) {
    // The triangle just before, while it waits for a partner.
    std::optional<Triangle> waiting;
    forEachStripTriangle(segment.strip, m_vertexCount,
                         [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool afterDrawn) {
                             const Triangle here{uint32_t(i0), uint32_t(i1), uint32_t(i2)};
                             if (waiting && afterDrawn && here[2] != (*waiting)[0]) {
                                 // a b c then b c d: the quad a b d c, diagonal b-c.
                                 addQuad((*waiting)[0], (*waiting)[1], here[2], (*waiting)[2]);
                                 waiting.reset();
                                 return;
                             }
                             if (waiting)
                                 addLoneTriangle((*waiting)[0], (*waiting)[1], (*waiting)[2]);
                             waiting = here;
                         });
    if (waiting)
        addLoneTriangle((*waiting)[0], (*waiting)[1], (*waiting)[2]);
}

void StripQuads::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    const uint32_t quad = uint32_t(m_quads.size());
    const Quad corners{a, b, c, d};
    m_quads.push_back(corners);
    for (size_t i = 0; i < 4; ++i) {
        const uint32_t from = corners[i], to = corners[(i + 1) % 4];
        m_quadsAt[from].push_back(quad);
        EdgeFaces& faces = m_edges[edgeKey(from, to)];
        if (faces.quadCount == 0)
            m_sides.push_back({std::min(from, to), std::max(from, to)});
        if (faces.quadCount < 2)
            faces.quads[faces.quadCount] = quad;
        ++faces.quadCount;
    }
}

void StripQuads::addLoneTriangle(uint32_t a, uint32_t b, uint32_t c) {
    for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}}) {
        ++m_edges[edgeKey(from, to)].triangleCount;
        m_onLoneTriangle[from] = 1;
    }
}

const StripQuads::EdgeFaces* StripQuads::facesOf(uint32_t a, uint32_t b) const {
    const auto found = m_edges.find(edgeKey(a, b));
    return found == m_edges.end() ? nullptr : &found->second;
}

int64_t StripQuads::across(uint32_t u, uint32_t v) const {
    const std::vector<uint32_t>& quads = m_quadsAt[v];
    if (quads.size() != 4 || m_onLoneTriangle[v] != 0)
        return -1;
    // Each quad's two neighbours of v; in a closed fan of four each neighbour comes twice.
    std::array<std::array<uint32_t, 2>, 4> pairs{};
    for (size_t q = 0; q < 4; ++q) {
        const Quad& corners = m_quads[quads[q]];
        const size_t at = size_t(std::find(corners.begin(), corners.end(), v) - corners.begin());
        pairs[q] = {corners[(at + 3) % 4], corners[(at + 1) % 4]};
    }
    const auto timesNamed = [&](uint32_t w) {
        size_t count = 0;
        for (const auto& pair : pairs)
            count += size_t(pair[0] == w) + size_t(pair[1] == w);
        return count;
    };
    const auto sharesAQuadWithU = [&](uint32_t w) {
        return std::any_of(pairs.begin(), pairs.end(), [&](const auto& pair) {
            return (pair[0] == u && pair[1] == w) || (pair[0] == w && pair[1] == u);
        });
    };
    int64_t opposite = -1;
    for (const auto& pair : pairs)
        for (const uint32_t w : pair) {
            if (timesNamed(w) != 2)
                return -1;
            if (w != u && !sharesAQuadWithU(w))
                opposite = w;
        }
    return timesNamed(u) == 2 ? opposite : -1;
}

std::vector<uint32_t> StripQuads::loop(uint32_t a, uint32_t b,
                                       std::span<const uint8_t> hidden) const {
    const EdgeFaces* faces = facesOf(a, b);
    if (!faces || faces->quadCount == 0 || isHidden(hidden, a) || isHidden(hidden, b))
        return {};
    std::vector<uint8_t> met(m_vertexCount, 0);
    met[a] = met[b] = 1;
    std::vector<uint32_t> out{a, b};
    walkLoop(a, b, hidden, met, out);
    walkLoop(b, a, hidden, met, out);
    return asSet(std::move(out));
}

void StripQuads::walkLoop(uint32_t u, uint32_t v, std::span<const uint8_t> hidden,
                          std::vector<uint8_t>& met, std::vector<uint32_t>& out) const {
    for (;;) {
        const int64_t next = across(u, v);
        if (next < 0 || isHidden(hidden, uint32_t(next)) || met[size_t(next)] != 0)
            return;
        met[size_t(next)] = 1;
        out.push_back(uint32_t(next));
        u = v;
        v = uint32_t(next);
    }
}

std::vector<uint32_t> StripQuads::ring(uint32_t a, uint32_t b,
                                       std::span<const uint8_t> hidden) const {
    const EdgeFaces* faces = facesOf(a, b);
    if (!faces || faces->quadCount == 0 || isHidden(hidden, a) || isHidden(hidden, b))
        return {};
    std::vector<uint32_t> out{a, b};
    for (uint32_t i = 0; i < std::min<uint32_t>(faces->quadCount, 2); ++i)
        walkRing(a, b, faces->quads[i], hidden, out);
    return asSet(std::move(out));
}

void StripQuads::walkRing(uint32_t a, uint32_t b, uint32_t q, std::span<const uint8_t> hidden,
                          std::vector<uint32_t>& out) const {
    const uint64_t start = edgeKey(a, b);
    // A ring can close on itself away from its start only on a tangled mesh; each quad is
    // crossed once.
    std::vector<uint8_t> crossed(m_quads.size(), 0);
    for (;;) {
        if (crossed[q] != 0)
            return;
        crossed[q] = 1;
        const Quad& corners = m_quads[q];
        const size_t at = size_t(std::find(corners.begin(), corners.end(), a) - corners.begin());
        // The side a-b runs forwards or backwards round the quad; the opposite side is the
        // other two corners.
        const size_t first = corners[(at + 1) % 4] == b ? at + 2 : at + 1;
        const uint32_t c = corners[first % 4], d = corners[(first + 1) % 4];
        if (edgeKey(c, d) == start || isHidden(hidden, c) || isHidden(hidden, d))
            return;
        out.push_back(c);
        out.push_back(d);
        const EdgeFaces* faces = facesOf(c, d);
        if (faces->quadCount != 2 || faces->triangleCount != 0)
            return;
        q = faces->quads[0] == q ? faces->quads[1] : faces->quads[0];
        a = c;
        b = d;
    }
}

std::optional<WorkingSide> nearestQuadSide(const std::vector<Segment>& data, double x, double y,
                                           double reach, const ScreenPlace& place) {
    std::optional<WorkingSide> nearest;
    double nearestDistance = reach;
    for (size_t i = 0; i < data.size(); ++i) {
        const StripQuads quads(data[i]);
        if (quads.sides().empty())
            continue;
        std::vector<std::optional<Point>> placed(data[i].verts.size());
        for (uint32_t j = 0; j < placed.size(); ++j)
            placed[j] = place(i, j);
        for (const auto& [a, b] : quads.sides()) {
            if (!placed[a] || !placed[b])
                continue;
            const double distance = distanceToSide({x, y}, *placed[a], *placed[b]);
            if (nearest ? distance < nearestDistance : distance <= nearestDistance) {
                nearest = WorkingSide{i, a, b};
                nearestDistance = distance;
            }
        }
    }
    return nearest;
}

} // namespace vw
