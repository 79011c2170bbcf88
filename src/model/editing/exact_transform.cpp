#include "model/editing/exact_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vw {

const char* stepLabel(TransformKind kind) {
    static const char* const labels[] = {"Move %n", "Scale %n", "Rotate %n"};
    return labels[int(kind)];
}
namespace {

std::array<double, 3> positionOf(const Vertex& vertex) {
    return {vertex.x, vertex.y, vertex.z};
}

void setPosition(Vertex& vertex, const std::array<double, 3>& p) {
    vertex.x = static_cast<float>(p[0]);
    vertex.y = static_cast<float>(p[1]);
    vertex.z = static_cast<float>(p[2]);
}

// The turn is counter-clockwise in the file's orientation, where y points up, so it is worked
// there: y is negated on the way in and out.
std::array<double, 3> rotated(std::array<double, 3> p, int axis, double radians) {
    p[1] = -p[1];
    // The two axes turned, in the order that makes the turn counter-clockwise seen from the
    // third axis's positive end.
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    const double c = std::cos(radians), s = std::sin(radians);
    const double pa = p[a], pb = p[b];
    p[a] = pa * c - pb * s;
    p[b] = pa * s + pb * c;
    p[1] = -p[1];
    return p;
}

std::array<double, 3> applied(const ExactTransform& t, std::array<double, 3> p,
                              const std::array<double, 3>& centre) {
    switch (t.kind) {
    case ExactTransform::Kind::Move:
        for (int i = 0; i < 3; ++i)
            p[i] += t.amount[i];
        return p;
    case ExactTransform::Kind::Scale:
        for (int i = 0; i < 3; ++i)
            p[i] = (p[i] - centre[i]) * t.amount[i] + centre[i];
        return p;
    case ExactTransform::Kind::Rotate: {
        for (int i = 0; i < 3; ++i)
            p[i] -= centre[i];
        p = rotated(p, t.axis, t.degrees * std::numbers::pi / 180);
        for (int i = 0; i < 3; ++i)
            p[i] += centre[i];
        return p;
    }
    }
    return p;
}

} // namespace

std::optional<std::array<double, 3>> selectionCentre(const std::vector<Segment>& data) {
    std::array<double, 3> low{}, high{};
    bool any = false;
    for (const Segment& segment : data) {
        for (const Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            const std::array<double, 3> p = positionOf(vertex);
            for (int i = 0; i < 3; ++i) {
                low[i] = any ? std::min(low[i], p[i]) : p[i];
                high[i] = any ? std::max(high[i], p[i]) : p[i];
            }
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return std::array<double, 3>{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2,
                                 (low[2] + high[2]) / 2};
}

size_t transformSelected(std::vector<Segment>& data, const ExactTransform& transform) {
    std::array<double, 3> about{};
    // Only a scale or a turn about the selection's centre needs it: a pass over every vertex.
    if (transform.kind != ExactTransform::Kind::Move && !transform.aboutOrigin) {
        const std::optional<std::array<double, 3>> centre =
            transform.centre ? transform.centre : selectionCentre(data);
        if (!centre)
            return 0;
        about = *centre;
    }
    size_t changed = 0;
    for (Segment& segment : data) {
        for (Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            const Vertex before = vertex;
            setPosition(vertex, applied(transform, positionOf(vertex), about));
            changed += !(before == vertex);
        }
    }
    return changed;
}

} // namespace vw
