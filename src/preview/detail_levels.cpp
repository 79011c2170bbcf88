#include "preview/detail_levels.h"

#include "preview/coarse_triangles.h"
#include "preview/fitting.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>

namespace vw {
namespace {

// The finest version may lie this share of the segment's size from the full surface; each next
// one kLevelStep times as far.
constexpr double kFinestShare = 1.0 / 2048;
constexpr double kLevelStep = 2;
constexpr int kLevelCount = 10;
// A version is kept only when it has at most this share of the previous one's triangles, so
// every kept version is worth its memory.
constexpr double kMostKept = 0.75;
// Fewer triangles than this draw fast enough in full.
constexpr size_t kFewestTriangles = 64;

bool allFinite(const std::vector<Vertex>& verts) {
    return std::all_of(verts.begin(), verts.end(), [](const Vertex& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    });
}

// Triangles whose corners differ this much in a colour channel, or this much in a texture
// coordinate, show a sharp change of colour that coarser triangles would smear.
constexpr int kSharpColour = 48;
constexpr float kSharpMapping = 0.25f;

bool isSharp(const Vertex& a, const Vertex& b, const Vertex& c) {
    const auto spread = [](auto p, auto q, auto r) {
        return std::max({p, q, r}) - std::min({p, q, r});
    };
    return spread(int(a.red), int(b.red), int(c.red)) > kSharpColour ||
           spread(int(a.green), int(b.green), int(c.green)) > kSharpColour ||
           spread(int(a.blue), int(b.blue), int(c.blue)) > kSharpColour ||
           spread(int(a.alpha), int(b.alpha), int(c.alpha)) > kSharpColour ||
           spread(a.u, b.u, c.u) > kSharpMapping || spread(a.v, b.v, c.v) > kSharpMapping;
}

// Simplifies a segment's triangles keeping the corners of sharp triangles where they are: the
// simplifier keeps a vertex in place whose triangles each have a copy of their own.
class Simplifier {
public:
    Simplifier(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles)
        : m_vertexCount(verts.size()), m_kept(verts.size(), false) {
        m_positions.reserve(verts.size() * 3);
        for (const Vertex& vertex : verts)
            m_positions.insert(m_positions.end(), {vertex.x, vertex.y, vertex.z});
        for (size_t k = 0; k + 2 < triangles.size(); k += 3)
            if (isSharp(verts[triangles[k]], verts[triangles[k + 1]], verts[triangles[k + 2]]))
                for (size_t corner = k; corner < k + 3; ++corner)
                    m_kept[triangles[corner]] = true;
    }

    // The triangles of source simplified as far as a relative error of `allowed` lets them, and
    // the relative error reached.
    std::vector<uint16_t> simplify(const std::vector<uint16_t>& source, float allowed,
                                   float& reached) {
        m_positions.resize(m_vertexCount * 3);
        std::vector<uint32_t> copyOf;
        std::vector<uint32_t> corners(source.size());
        for (size_t k = 0; k < source.size(); ++k) {
            const uint16_t vertex = source[k];
            if (!m_kept[vertex]) {
                corners[k] = vertex;
                continue;
            }
            corners[k] = static_cast<uint32_t>(m_positions.size() / 3);
            m_positions.insert(m_positions.end(), m_positions.begin() + vertex * 3,
                               m_positions.begin() + vertex * 3 + 3);
            copyOf.push_back(vertex);
        }
        std::vector<uint32_t> out(source.size());
        out.resize(meshopt_simplify(out.data(), corners.data(), corners.size(), m_positions.data(),
                                    m_positions.size() / 3, 3 * sizeof(float), 0, allowed, 0,
                                    &reached));
        std::vector<uint16_t> triangles(out.size());
        for (size_t k = 0; k < out.size(); ++k)
            triangles[k] = static_cast<uint16_t>(
                out[k] < m_vertexCount ? out[k] : copyOf[out[k] - m_vertexCount]);
        return triangles;
    }

private:
    size_t m_vertexCount;
    std::vector<bool> m_kept;
    std::vector<float> m_positions; // the vertices', then the kept corners' copies
};

double meanArea(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles) {
    std::vector<float> areas;
    appendTriangleAreas(verts, triangles, areas);
    double sum = 0;
    for (float area : areas)
        sum += area;
    return areas.empty() ? 0 : sum / double(areas.size());
}

uint32_t packedNormal(const Vec3& sum) {
    const Vec3 unit = sum.normalized();
    uint32_t word = 0;
    int shift = 0;
    for (double along : {unit.x, unit.y, unit.z}) {
        const auto byte = static_cast<int8_t>(std::lround(std::clamp(along, -1.0, 1.0) * 127));
        word |= uint32_t(uint8_t(byte)) << shift;
        shift += 8;
    }
    return word;
}

// Each vertex's faces' normals summed, weighted by their area. A face wound against the sum so
// far turns round, so strips whose winding flips still give a whole surface's normal.
std::vector<uint32_t> vertexNormals(const std::vector<Vertex>& verts,
                                    const std::vector<uint16_t>& triangles) {
    std::vector<Vec3> sums(verts.size());
    const auto at = [&verts](uint16_t i) { return positionOf(verts[i]); };
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
        const Vec3 a = at(triangles[k]);
        const Vec3 face = (at(triangles[k + 1]) - a).cross(at(triangles[k + 2]) - a);
        for (size_t corner = k; corner < k + 3; ++corner) {
            Vec3& sum = sums[triangles[corner]];
            sum = sum.dot(face) < 0 ? sum - face : sum + face;
        }
    }
    std::vector<uint32_t> normals(sums.size());
    std::transform(sums.begin(), sums.end(), normals.begin(), packedNormal);
    return normals;
}

} // namespace

SegmentDetail buildSegmentDetail(const std::vector<Vertex>& verts,
                                 const std::vector<uint16_t>& triangles) {
    SegmentDetail detail;
    if (triangles.size() / 3 < kFewestTriangles || !allFinite(verts))
        return detail;
    Bounds box;
    for (const Vertex& vertex : verts)
        box.add(vertex);
    detail.centre = box.centre();
    detail.radius = box.radius();
    const double scale = meshopt_simplifyScale(&verts[0].x, verts.size(), sizeof(Vertex));
    if (!(scale > 0) || !std::isfinite(scale))
        return detail;
    // Each version simplifies the one before, which is far quicker than starting from the full
    // triangles; its error adds to the one it started from.
    detail.levels.reserve(kLevelCount);
    Simplifier simplifier(verts, triangles);
    const std::vector<uint16_t>* source = &triangles;
    double error = 0;
    for (int level = 0; level < kLevelCount && source->size() / 3 >= kFewestTriangles; ++level) {
        const double goal = scale * kFinestShare * std::pow(kLevelStep, level);
        float reached = 0;
        std::vector<uint16_t> out =
            simplifier.simplify(*source, static_cast<float>((goal - error) / scale), reached);
        if (out.empty() || double(out.size()) > kMostKept * double(source->size()))
            continue;
        error += reached * scale;
        const double area = meanArea(verts, out);
        detail.levels.push_back({std::move(out), error, area});
        source = &detail.levels.back().triangles;
    }
    if (!detail.levels.empty())
        detail.normals = vertexNormals(verts, triangles);
    return detail;
}

const DetailLevel* levelFor(const SegmentDetail& detail, const OrbitCamera& camera,
                            double devicePixelRatio) {
    if (detail.levels.empty() || camera.height <= 0 || !(devicePixelRatio > 0))
        return nullptr;
    double unitsPerPixel = camera.unitsPerPixel();
    if (!camera.orthographic) {
        // The nearest the segment comes along the view sets its largest scale on screen; off the
        // view's axis a depth error shows up to the corners' slope more.
        const double depth = (detail.centre - camera.eye()).dot(camera.forward()) - detail.radius;
        if (!(depth > 0))
            return nullptr;
        const double halfTan = std::tan(camera.fovY / 2);
        const double cornerSlope = halfTan * std::hypot(camera.aspect(), 1.0);
        unitsPerPixel = 2 * depth * halfTan / camera.height / std::hypot(1.0, cornerSlope);
    }
    const double pixel = unitsPerPixel / devicePixelRatio;
    const DetailLevel* chosen = nullptr;
    for (const DetailLevel& level : detail.levels) {
        if (!(level.error <= kDetailPixels * pixel) ||
            !(level.meanArea <= kDetailTriangleArea * pixel * pixel))
            break;
        chosen = &level;
    }
    return chosen;
}

} // namespace vw
