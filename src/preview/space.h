#pragma once
// Small 3D arithmetic for the preview: points, directions and 4 x 4 matrices in double precision,
// matrices column-major as OpenGL takes them.

#include <array>
#include <cmath>

namespace vw {

struct Vec3 {
    double x = 0, y = 0, z = 0;

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3 cross(const Vec3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    double length() const { return std::sqrt(dot(*this)); }
    Vec3 normalized() const {
        const double l = length();
        return l > 0 ? *this * (1 / l) : *this;
    }
};

// m[column * 4 + row].
struct Mat4 {
    std::array<double, 16> m{};

    bool operator==(const Mat4&) const = default;

    static Mat4 identity() {
        Mat4 r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
        return r;
    }
    double at(int row, int column) const { return m[column * 4 + row]; }
    double& at(int row, int column) { return m[column * 4 + row]; }

    Mat4 operator*(const Mat4& o) const {
        Mat4 r;
        for (int c = 0; c < 4; ++c)
            for (int row = 0; row < 4; ++row) {
                double sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += at(row, k) * o.at(k, c);
                r.at(row, c) = sum;
            }
        return r;
    }
    // The point p (w = 1) transformed, divided by the resulting w.
    Vec3 project(const Vec3& p) const {
        const double v[4] = {p.x, p.y, p.z, 1};
        double out[4] = {};
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                out[row] += at(row, k) * v[k];
        return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    }
    std::array<float, 16> toFloats() const {
        std::array<float, 16> f{};
        for (int i = 0; i < 16; ++i)
            f[i] = static_cast<float>(m[i]);
        return f;
    }
};

// The file-oriented direction in which position coordinate axis (0 to 2) of the model, as the
// Vertices sheet shows it, grows: the model holds the file's y negated.
inline Vec3 growing(int axis) {
    return {axis == 0 ? 1.0 : 0.0, axis == 1 ? -1.0 : 0.0, axis == 2 ? 1.0 : 0.0};
}

} // namespace vw
