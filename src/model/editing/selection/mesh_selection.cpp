#include "model/editing/selection/mesh_selection.h"

#include "model/strip_walk.h"

#include <cstdint>
#include <numeric>

namespace vw {
namespace {

constexpr int16_t kSelected = -1;

// The vertices of one segment gathered into the groups its triangles connect.
class Components {
public:
    explicit Components(const Segment& segment) : m_parent(segment.verts.size()) {
        std::iota(m_parent.begin(), m_parent.end(), 0u);
        forEachStripTriangle(segment.strip, segment.verts.size(),
                             [this](size_t, int32_t i0, int32_t i1, int32_t i2, bool) {
                                 join(uint32_t(i0), uint32_t(i1));
                                 join(uint32_t(i1), uint32_t(i2));
                             });
    }

    uint32_t root(uint32_t v) {
        while (m_parent[v] != v) {
            m_parent[v] = m_parent[m_parent[v]];
            v = m_parent[v];
        }
        return v;
    }

private:
    void join(uint32_t a, uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b)
            m_parent[a > b ? a : b] = a > b ? b : a;
    }

    std::vector<uint32_t> m_parent;
};

// Sets to on every vertex of each triangle that has a vertex whose flag, before this pass, is
// not on; the triangles look at the flags as they were, so one pass moves one ring.
void spreadOverTriangles(Segment& segment, bool on) {
    std::vector<bool> marked(segment.verts.size(), false);
    forEachStripTriangle(
        segment.strip, segment.verts.size(), [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool) {
            const auto& v = segment.verts;
            const bool reaches = on ? (v[size_t(i0)].selected != 0 || v[size_t(i1)].selected != 0 ||
                                       v[size_t(i2)].selected != 0)
                                    : (v[size_t(i0)].selected == 0 || v[size_t(i1)].selected == 0 ||
                                       v[size_t(i2)].selected == 0);
            if (reaches)
                marked[size_t(i0)] = marked[size_t(i1)] = marked[size_t(i2)] = true;
        });
    for (size_t i = 0; i < marked.size(); ++i)
        if (marked[i])
            segment.verts[i].selected = on ? kSelected : 0;
}

} // namespace

int32_t countSelected(const std::vector<Segment>& data) {
    int32_t count = 0;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            count += vertex.selected != 0;
    return count;
}

void selectLinked(std::vector<Segment>& data) {
    for (Segment& segment : data) {
        Components components(segment);
        std::vector<bool> reached(segment.verts.size(), false);
        for (uint32_t i = 0; i < segment.verts.size(); ++i)
            if (segment.verts[i].selected != 0)
                reached[components.root(i)] = true;
        for (uint32_t i = 0; i < segment.verts.size(); ++i)
            if (reached[components.root(i)])
                segment.verts[i].selected = kSelected;
    }
}

void selectLinkedFrom(Segment& segment, size_t vertex) {
    if (vertex >= segment.verts.size())
        return;
    Components components(segment);
    const uint32_t root = components.root(uint32_t(vertex));
    for (uint32_t i = 0; i < segment.verts.size(); ++i)
        if (components.root(i) == root)
            segment.verts[i].selected = kSelected;
}

void growSelection(std::vector<Segment>& data) {
    for (Segment& segment : data)
        spreadOverTriangles(segment, true);
}

void shrinkSelection(std::vector<Segment>& data) {
    for (Segment& segment : data)
        spreadOverTriangles(segment, false);
}

} // namespace vw
