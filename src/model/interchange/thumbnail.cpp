#include "model/interchange/thumbnail.h"

#include "model/strip_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vw {
namespace {

// As the Preview shows a segment that has no colours.
constexpr uint8_t kUncolouredGrey = 190;
// The Preview's light at the eye: faces turned away still get this much.
constexpr double kAmbient = 0.3;
// Vertex alpha 0 keeps this share of the colour, so such faces still show.
constexpr double kLeastCover = 0.2;
// A pixel of room on each side, so edges are not cut by the picture's border.
constexpr double kMargin = 1;

struct ScreenVertex {
    double x = 0, y = 0, z = 0; // pixels, y down; z towards the viewer, in model units
    double fileY = 0;
    double modelX = 0;
    double red = 0, green = 0, blue = 0, cover = 1;
    bool drawable = false;
};

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

ScreenVertex toScreen(const Vertex& vertex, const FrontFit& fit, bool hasColours) {
    ScreenVertex out;
    out.modelX = vertex.x;
    out.fileY = -double(vertex.y);
    out.z = vertex.z;
    out.drawable = std::isfinite(out.modelX) && std::isfinite(out.fileY) && std::isfinite(out.z);
    out.x = fit.half + (out.modelX - fit.centreX) * fit.scale;
    out.y = fit.half - (out.fileY - fit.centreY) * fit.scale;
    if (!hasColours) {
        out.red = out.green = out.blue = kUncolouredGrey;
        return out;
    }
    out.red = vertex.red;
    out.green = vertex.green;
    out.blue = vertex.blue;
    out.cover = kLeastCover + (1 - kLeastCover) * vertex.alpha / 255.0;
    return out;
}

// The share of a face's colour its slope lets through: full when it faces the viewer.
double faceLight(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    const double e1[3] = {b.modelX - a.modelX, b.fileY - a.fileY, b.z - a.z};
    const double e2[3] = {c.modelX - a.modelX, c.fileY - a.fileY, c.z - a.z};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return length > 0 ? kAmbient + (1 - kAmbient) * std::abs(n[2]) / length : kAmbient;
}

double edge(const ScreenVertex& u, const ScreenVertex& v, double px, double py) {
    return (v.x - u.x) * (py - u.y) - (v.y - u.y) * (px - u.x);
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

    void triangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
        const double area = edge(a, b, c.x, c.y);
        if (!a.drawable || !b.drawable || !c.drawable || !(std::abs(area) > 0))
            return;
        const double light = faceLight(a, b, c);
        const int last = m_picture.width - 1;
        const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(last, int(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(last, int(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double wa = edge(b, c, x + 0.5, y + 0.5) / area;
                const double wb = edge(c, a, x + 0.5, y + 0.5) / area;
                const double wc = 1 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0)
                    continue;
                plot(x, y, wa * a.z + wb * b.z + wc * c.z, light, {wa, wb, wc}, a, b, c);
            }
    }

    RgbaPicture take() { return std::move(m_picture); }

private:
    struct Weights {
        double a, b, c;
    };

    void plot(int x, int y, double z, double light, Weights w, const ScreenVertex& a,
              const ScreenVertex& b, const ScreenVertex& c) {
        double& depth = m_depth[size_t(y) * size_t(m_picture.width) + size_t(x)];
        if (z <= depth)
            return;
        depth = z;
        const auto mix = [&](double ScreenVertex::*member) {
            return w.a * a.*member + w.b * b.*member + w.c * c.*member;
        };
        uint8_t* pixel = m_picture.at(x, y);
        pixel[0] = toByte(mix(&ScreenVertex::red) * light);
        pixel[1] = toByte(mix(&ScreenVertex::green) * light);
        pixel[2] = toByte(mix(&ScreenVertex::blue) * light);
        pixel[3] = toByte(mix(&ScreenVertex::cover) * 255);
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
                screen.push_back(toScreen(vertex, fit, segment.colorBlockAt != 0));
            forEachStripTriangle(segment.strip, screen.size(),
                                 [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool) {
                                     raster.triangle(screen[i0], screen[i1], screen[i2]);
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
