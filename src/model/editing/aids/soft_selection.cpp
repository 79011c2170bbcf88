#include "model/editing/aids/soft_selection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vw {
namespace {

double coordOf(const Position& at, int axis) {
    return axis == 0 ? at.x : axis == 1 ? at.y : at.z;
}

double squaredDistance(const Position& a, const Position& b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return dx * dx + dy * dy + dz * dz;
}

bool isFinite(const Vertex& vertex) {
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z);
}

// The selected positions as a k-d tree kept in one array: each range holds its median, split
// on the range's widest axis, at its middle.
class NearestPoint {
public:
    struct Point {
        Position at;
        uint32_t id = 0;
        int axis = 0;
    };

    explicit NearestPoint(std::vector<Point> points) : m_points(std::move(points)) {
        build(0, m_points.size());
    }

    struct Nearest {
        double squared = 0;
        uint32_t id = 0;
        bool found = false;
    };

    // The point nearest to at, found when one lies within the square root of limit.
    Nearest nearest(Position at, double limit) const {
        Nearest best{limit, 0, false};
        search(at, 0, m_points.size(), best);
        return best;
    }

private:
    void build(size_t low, size_t high) {
        if (high - low <= 1)
            return;
        std::array<double, 3> least{}, most{};
        least.fill(std::numeric_limits<double>::max());
        most.fill(std::numeric_limits<double>::lowest());
        for (size_t i = low; i < high; ++i)
            for (int axis = 0; axis < 3; ++axis) {
                least[size_t(axis)] = std::min(least[size_t(axis)], coordOf(m_points[i].at, axis));
                most[size_t(axis)] = std::max(most[size_t(axis)], coordOf(m_points[i].at, axis));
            }
        int axis = 0;
        for (int a = 1; a < 3; ++a)
            if (most[size_t(a)] - least[size_t(a)] > most[size_t(axis)] - least[size_t(axis)])
                axis = a;
        const size_t middle = low + (high - low) / 2;
        std::nth_element(
            m_points.begin() + std::ptrdiff_t(low), m_points.begin() + std::ptrdiff_t(middle),
            m_points.begin() + std::ptrdiff_t(high), [axis](const Point& a, const Point& b) {
                return coordOf(a.at, axis) < coordOf(b.at, axis);
            });
        m_points[middle].axis = axis;
        build(low, middle);
        build(middle + 1, high);
    }

    void search(Position at, size_t low, size_t high, Nearest& best) const {
        if (low >= high)
            return;
        const size_t middle = low + (high - low) / 2;
        const Point& point = m_points[middle];
        const double squared = squaredDistance(at, point.at);
        if (squared < best.squared || (!best.found && squared <= best.squared))
            best = {squared, point.id, true};
        if (high - low == 1)
            return;
        const double apart = coordOf(at, point.axis) - coordOf(point.at, point.axis);
        const bool lowFirst = apart < 0;
        search(at, lowFirst ? low : middle + 1, lowFirst ? middle : high, best);
        if (apart * apart <= best.squared)
            search(at, lowFirst ? middle + 1 : low, lowFirst ? high : middle, best);
    }

    std::vector<Point> m_points;
};

} // namespace

double falloffWeight(Falloff falloff, double distance, double radius) {
    if (!(radius > 0) || !(distance <= radius))
        return 0;
    const double t = 1 - distance / radius;
    switch (falloff) {
    case Falloff::Smooth:
        return 3 * t * t - 2 * t * t * t;
    case Falloff::Sphere:
        return std::sqrt(2 * t - t * t);
    case Falloff::Root:
        return std::sqrt(t);
    case Falloff::Linear:
        return t;
    case Falloff::Sharp:
        return t * t;
    case Falloff::Constant:
        return 1;
    }
    return 0;
}

std::vector<SoftVertex> softRegion(const std::vector<Segment>& data,
                                   const std::vector<VertexAt>& selected, double radius,
                                   Falloff falloff) {
    std::vector<SoftVertex> region;
    if (!(radius > 0) || !std::isfinite(radius))
        return region;
    std::vector<NearestPoint::Point> points;
    points.reserve(selected.size());
    double low[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::max()};
    double high[3] = {-low[0], -low[1], -low[2]};
    for (uint32_t i = 0; i < selected.size(); ++i) {
        const Vertex& vertex = data[selected[i].seg].verts[selected[i].index];
        if (!isFinite(vertex))
            continue;
        points.push_back({{vertex.x, vertex.y, vertex.z}, i, 0});
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], double(vertex.coord(axis)) - radius);
            high[axis] = std::max(high[axis], double(vertex.coord(axis)) + radius);
        }
    }
    if (points.empty())
        return region;
    const NearestPoint tree(std::move(points));
    const double limit = radius * radius;
    for (uint32_t seg = 0; seg < data.size(); ++seg) {
        const std::vector<Vertex>& verts = data[seg].verts;
        for (uint32_t index = 0; index < verts.size(); ++index) {
            const Vertex& vertex = verts[index];
            if (vertex.selected != 0 || !isFinite(vertex) || vertex.x < low[0] ||
                vertex.x > high[0] || vertex.y < low[1] || vertex.y > high[1] ||
                vertex.z < low[2] || vertex.z > high[2])
                continue;
            const NearestPoint::Nearest nearest =
                tree.nearest({vertex.x, vertex.y, vertex.z}, limit);
            if (!nearest.found)
                continue;
            const double weight = falloffWeight(falloff, std::sqrt(nearest.squared), radius);
            if (weight > 0)
                region.push_back({{seg, index}, weight, nearest.id});
        }
    }
    return region;
}

} // namespace vw
