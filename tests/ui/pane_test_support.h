#pragma once
// Helpers shared by the pane and drawing tests: models built in code and pixel comparisons.

#include "model/model.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace pane_test {

// The first few pixels where two images differ, as text; empty when they are equal.
inline std::string pixelDifferences(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return "sizes differ";
    QString text;
    int shown = 0;
    for (int y = 0; y < actual.height() && shown < 8; ++y) {
        for (int x = 0; x < actual.width() && shown < 8; ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            if (a != e) {
                text += QString("(%1,%2): %3 not %4; ")
                            .arg(x)
                            .arg(y)
                            .arg(a, 8, 16, QChar('0'))
                            .arg(e, 8, 16, QChar('0'));
                ++shown;
            }
        }
    }
    return text.toStdString();
}

// A vertex at (x, y, z) with texture coordinates (u, v).
inline vw::Vertex vertexAt(float x, float y, float z = 0, float u = 0, float v = 0) {
    vw::Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

inline vw::Segment segmentOf(std::vector<vw::Vertex> verts, std::vector<int16_t> strip = {},
                             int32_t nodeIndex = 0) {
    vw::Segment segment;
    segment.verts = std::move(verts);
    segment.strip = std::move(strip);
    segment.nodeIndex = nodeIndex;
    return segment;
}

inline vw::Part partOf(std::vector<vw::Segment> segments) {
    vw::Part part;
    part.segments = std::move(segments);
    return part;
}

// The pane window size, in twips, that gives a drawing surface of width x height twips.
constexpr int32_t windowWidthFor(int32_t width) { return width + 2 * 60; }
constexpr int32_t windowHeightFor(int32_t height) { return height + 360 + 60; }

constexpr QRgb opaque(int red, int green, int blue) { return qRgb(red, green, blue); }

} // namespace pane_test
