#include "model/editing/aids/mirror_partners.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vw {
namespace {

constexpr uint32_t kMirrorCombinations = 8; // every subset of the three axes, 0 unused

bool isFinite(Position at) {
    return std::isfinite(at.x) && std::isfinite(at.y) && std::isfinite(at.z);
}

Position positionOf(const Vertex& vertex) {
    return {vertex.x, vertex.y, vertex.z};
}

// The box around the filed positions, grown by the tolerance: most of a big model lies outside
// it and is passed over without a look at the table.
struct Bounds {
    Position low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                 std::numeric_limits<float>::max()};
    Position high{-low.x, -low.y, -low.z};

    void add(Position at) {
        low = {std::min(low.x, at.x), std::min(low.y, at.y), std::min(low.z, at.z)};
        high = {std::max(high.x, at.x), std::max(high.y, at.y), std::max(high.z, at.z)};
    }
    void grow(float by) {
        low = {low.x - by, low.y - by, low.z - by};
        high = {high.x + by, high.y + by, high.z + by};
    }
    bool holds(Position at) const {
        return at.x >= low.x && at.x <= high.x && at.y >= low.y && at.y <= high.y &&
               at.z >= low.z && at.z <= high.z;
    }
};

std::vector<uint8_t> mirrorsOf(uint8_t axes) {
    std::vector<uint8_t> mirrors;
    for (uint8_t mirror = 1; mirror < kMirrorCombinations; ++mirror)
        if ((mirror & ~axes & 7) == 0)
            mirrors.push_back(mirror);
    return mirrors;
}

double distanceSquared(Position a, Position b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Sorts the links by source, then by mirror, then in scan order, and keeps for each source and
// mirror only the partners nearest where it would lie exactly: coincident ones all, as they are
// one point of the mesh.
void keepNearest(std::vector<MirrorLink>& links, const std::vector<double>& distances) {
    std::vector<size_t> order(links.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return links[a].source != links[b].source ? links[a].source < links[b].source
                                                  : links[a].mirror < links[b].mirror;
    });
    std::vector<MirrorLink> kept;
    kept.reserve(links.size());
    for (size_t first = 0; first < order.size();) {
        size_t last = first;
        double nearest = distances[order[first]];
        while (last < order.size() && links[order[last]].source == links[order[first]].source &&
               links[order[last]].mirror == links[order[first]].mirror) {
            nearest = std::min(nearest, distances[order[last]]);
            ++last;
        }
        for (size_t i = first; i < last; ++i)
            if (distances[order[i]] == nearest)
                kept.push_back(links[order[i]]);
        first = last;
    }
    links = std::move(kept);
}

} // namespace

Position mirrored(Position at, uint8_t mirror) {
    return {mirror & kMirrorX ? -at.x : at.x, mirror & kMirrorY ? -at.y : at.y,
            mirror & kMirrorZ ? -at.z : at.z};
}

MirrorPartners findMirrorPartners(const std::vector<Segment>& data,
                                  const std::vector<VertexAt>& sources, uint8_t axes,
                                  float tolerance) {
    MirrorPartners found;
    const std::vector<uint8_t> mirrors = mirrorsOf(axes);
    if (mirrors.empty()) {
        found.lacksPartner.assign(sources.size(), false);
        return found;
    }
    PositionCells cells(sources.size() * mirrors.size(), tolerance);
    Bounds bounds;
    for (uint32_t s = 0; s < sources.size(); ++s) {
        const Position at = positionOf(data[sources[s].seg].verts[sources[s].index]);
        if (!isFinite(at))
            continue;
        for (uint8_t mirror : mirrors) {
            cells.add(mirrored(at, mirror), s * kMirrorCombinations + mirror);
            bounds.add(mirrored(at, mirror));
        }
    }
    bounds.grow(tolerance);
    std::vector<double> distances; // by link, from where the partner would lie exactly
    for (uint32_t seg = 0; seg < data.size(); ++seg) {
        const std::vector<Vertex>& verts = data[seg].verts;
        for (uint32_t index = 0; index < verts.size(); ++index) {
            const Position at = positionOf(verts[index]);
            if (!bounds.holds(at))
                continue;
            cells.forEachNear(at, [&](uint32_t id) {
                const uint32_t source = id / kMirrorCombinations;
                const uint8_t mirror = uint8_t(id % kMirrorCombinations);
                const Position wanted = mirrored(
                    positionOf(data[sources[source].seg].verts[sources[source].index]), mirror);
                found.links.push_back({source, {seg, index}, mirror});
                distances.push_back(distanceSquared(at, wanted));
                return true;
            });
        }
    }
    keepNearest(found.links, distances);
    std::vector<uint8_t> reached(sources.size(), 0);
    for (const MirrorLink& link : found.links)
        reached[link.source] |= uint8_t(1u << link.mirror);
    uint8_t all = 0;
    for (uint8_t mirror : mirrors)
        all |= uint8_t(1u << mirror);
    found.lacksPartner.reserve(sources.size());
    for (uint8_t bits : reached)
        found.lacksPartner.push_back(bits != all);
    return found;
}

std::vector<VertexAt> selectedVertices(const std::vector<Segment>& data) {
    std::vector<VertexAt> selected;
    for (uint32_t seg = 0; seg < data.size(); ++seg)
        for (uint32_t index = 0; index < data[seg].verts.size(); ++index)
            if (data[seg].verts[index].selected != 0)
                selected.push_back({seg, index});
    return selected;
}

size_t selectMirror(std::vector<Segment>& data, uint8_t axes, float tolerance) {
    const MirrorPartners partners =
        findMirrorPartners(data, selectedVertices(data), axes, tolerance);
    for (Segment& segment : data)
        for (Vertex& vertex : segment.verts)
            vertex.selected = 0;
    size_t count = 0;
    for (const MirrorLink& link : partners.links) {
        int16_t& selected = data[link.partner.seg].verts[link.partner.index].selected;
        count += selected == 0;
        selected = -1;
    }
    return count;
}

} // namespace vw
