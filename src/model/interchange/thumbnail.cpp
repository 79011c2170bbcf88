#include "model/interchange/thumbnail.h"

#include "model/shading.h"
#include "model/strip_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vw {
namespace {

// As the Preview shows a segment that has no colours.
constexpr uint8_t kUncolouredGrey = 190;
// A pixel of room on each side, so edges are not cut by the picture's border.
constexpr double kMargin = 1;

// A vertex on the picture: pixels, y down; z towards the viewer, in model units. The first and
// last pixel centre at or after and at or before it on each axis, worked out once per vertex so
// a triangle's box of pixels costs a few integer comparisons.
struct ScreenVertex {
    float x = 0, y = 0, z = 0;
    bool drawable = false;
    int16_t columnFrom = 0, columnTo = 0, rowFrom = 0, rowTo = 0;
};

// What a vertex gives a pixel: its colour, and how much of it shows.
struct Shade {
    double red = kUncolouredGrey, green = kUncolouredGrey, blue = kUncolouredGrey, cover = 1;
};

Shade shadeOf(const Vertex& vertex, bool hasColours) {
    if (!hasColours)
        return {};
    return {double(vertex.red), double(vertex.green), double(vertex.blue),
            kLeastCover + (1 - kLeastCover) * vertex.alpha / 255.0};
}

// How model positions (x, the file's y) map onto the picture.
struct FrontFit {
    double scale = 1;
    double centreX = 0, centreY = 0;
    double half = 0;
};

FrontFit fitFront(const Model& model, int size) {
    double low[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double high[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments)
            for (const Vertex& vertex : segment.verts) {
                const double xy[2] = {vertex.x, -double(vertex.y)};
                if (!std::isfinite(xy[0]) || !std::isfinite(xy[1]) || !std::isfinite(vertex.z))
                    continue;
                for (int axis = 0; axis < 2; ++axis) {
                    low[axis] = std::min(low[axis], xy[axis]);
                    high[axis] = std::max(high[axis], xy[axis]);
                }
            }
    FrontFit fit;
    fit.half = size / 2.0;
    if (low[0] > high[0])
        return fit;
    const double extent = std::max(high[0] - low[0], high[1] - low[1]);
    fit.scale = extent > 0 ? (size - 2 * kMargin) / extent : 1;
    fit.centreX = (low[0] + high[0]) / 2;
    fit.centreY = (low[1] + high[1]) / 2;
    return fit;
}

// floor and ceil of a value well within int's range, without a call into the maths library:
// they run for every vertex of the model.
int floorOf(double value) {
    const int truncated = int(value);
    return truncated - (value < truncated);
}

int ceilOf(double value) {
    const int truncated = int(value);
    return truncated + (value > truncated);
}

ScreenVertex toScreen(const Vertex& vertex, const FrontFit& fit) {
    ScreenVertex out;
    out.z = vertex.z;
    out.drawable = std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(out.z);
    // The model's y is the file's negated.
    const double x = fit.half + (vertex.x - fit.centreX) * fit.scale;
    const double y = fit.half + (vertex.y + fit.centreY) * fit.scale;
    out.x = float(x);
    out.y = float(y);
    if (!out.drawable)
        return out;
    // Clamped a little beyond the picture, which leaves every box's pixels within it alike.
    const double reach = 2 * fit.half + 2;
    const double column = std::clamp(x, -2.0, reach) - 0.5;
    const double row = std::clamp(y, -2.0, reach) - 0.5;
    out.columnFrom = int16_t(ceilOf(column));
    out.columnTo = int16_t(floorOf(column));
    out.rowFrom = int16_t(ceilOf(row));
    out.rowTo = int16_t(floorOf(row));
    return out;
}

// The share of a face's colour its slope lets through: full when it faces the viewer.
double faceLight(const Vertex& a, const Vertex& b, const Vertex& c) {
    const double e1[3] = {double(b.x) - a.x, double(a.y) - b.y, double(b.z) - a.z};
    const double e2[3] = {double(c.x) - a.x, double(a.y) - c.y, double(c.z) - a.z};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return length > 0 ? kAmbientLight + (1 - kAmbientLight) * std::abs(n[2]) / length
                      : kAmbientLight;
}

double edge(const ScreenVertex& u, const ScreenVertex& v, double px, double py) {
    return (double(v.x) - u.x) * (py - u.y) - (double(v.y) - u.y) * (px - u.x);
}

uint8_t toByte(double value) {
    return uint8_t(std::clamp(std::lround(value), 0l, 255l));
}

// Fills triangles into the picture, the one nearest the viewer winning each pixel centre.
class FrontRaster {
public:
    explicit FrontRaster(int size)
        : m_picture(size, size),
          m_depth(size_t(size) * size_t(size), -std::numeric_limits<double>::infinity()) {}

    // Most triangles of a large model cover no pixel centre at thumbnail size: they are let go
    // before anything else is worked out.
    // The triangle of vertices i0, i1 and i2 of a segment, with their places on the picture.
    void triangle(const Segment& segment, const std::vector<ScreenVertex>& screen, int32_t i0,
                  int32_t i1, int32_t i2) {
        const ScreenVertex &a = screen[size_t(i0)], &b = screen[size_t(i1)],
                           &c = screen[size_t(i2)];
        if (!a.drawable || !b.drawable || !c.drawable)
            return;
        // The pixels whose centres lie within the triangle's box, clamped to the picture.
        const int last = m_picture.width - 1;
        const int x0 = std::max<int>(0, std::min({a.columnFrom, b.columnFrom, c.columnFrom}));
        const int x1 = std::min<int>(last, std::max({a.columnTo, b.columnTo, c.columnTo}));
        const int y0 = std::max<int>(0, std::min({a.rowFrom, b.rowFrom, c.rowFrom}));
        const int y1 = std::min<int>(last, std::max({a.rowTo, b.rowTo, c.rowTo}));
        if (x0 > x1 || y0 > y1)
            return;
        const double area = edge(a, b, c.x, c.y);
        if (!(std::abs(area) > 0))
            return;
        const double inverse = 1 / area;
        double light = -1; // worked out at the first pixel drawn, with the shades
        Shade shades[3];
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double wa = edge(b, c, x + 0.5, y + 0.5) * inverse;
                const double wb = edge(c, a, x + 0.5, y + 0.5) * inverse;
                const double wc = 1 - wa - wb;
                if (!(wa >= 0 && wb >= 0 && wc >= 0))
                    continue;
                if (light < 0) {
                    const Vertex* verts[3] = {&segment.verts[size_t(i0)],
                                              &segment.verts[size_t(i1)],
                                              &segment.verts[size_t(i2)]};
                    light = faceLight(*verts[0], *verts[1], *verts[2]);
                    for (int k = 0; k < 3; ++k)
                        shades[k] = shadeOf(*verts[k], segment.colorBlockAt != 0);
                }
                plot(x, y, wa * a.z + wb * b.z + wc * c.z, light, {wa, wb, wc}, shades);
            }
    }

    RgbaPicture take() { return std::move(m_picture); }

private:
    struct Weights {
        double a, b, c;
    };

    void plot(int x, int y, double z, double light, Weights w, const Shade (&shades)[3]) {
        double& depth = m_depth[size_t(y) * size_t(m_picture.width) + size_t(x)];
        if (z <= depth)
            return;
        depth = z;
        const auto mix = [&](double Shade::*member) {
            return w.a * shades[0].*member + w.b * shades[1].*member + w.c * shades[2].*member;
        };
        uint8_t* pixel = m_picture.at(x, y);
        pixel[0] = toByte(mix(&Shade::red) * light);
        pixel[1] = toByte(mix(&Shade::green) * light);
        pixel[2] = toByte(mix(&Shade::blue) * light);
        pixel[3] = toByte(mix(&Shade::cover) * 255);
    }

    RgbaPicture m_picture;
    std::vector<double> m_depth;
};

} // namespace

RgbaPicture frontThumbnail(const Model& model, int size) {
    const FrontFit fit = fitFront(model, size);
    FrontRaster raster(size);
    std::vector<ScreenVertex> screen;
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments) {
            screen.clear();
            for (const Vertex& vertex : segment.verts)
                screen.push_back(toScreen(vertex, fit));
            forEachStripTriangle(segment.strip, screen.size(),
                                 [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool) {
                                     raster.triangle(segment, screen, i0, i1, i2);
                                 });
        }
    return raster.take();
}

RgbaPicture placeholderThumbnail(int size) {
    RgbaPicture picture(size, size);
    const int inset = size / 8;
    for (int y = inset; y < size - inset; ++y)
        for (int x = inset; x < size - inset; ++x) {
            uint8_t* pixel = picture.at(x, y);
            pixel[0] = pixel[1] = pixel[2] = kUncolouredGrey;
            pixel[3] = 255;
        }
    return picture;
}

} // namespace vw
