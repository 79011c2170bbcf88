#pragma once
// Finding the working vertices under the pointer in the Preview: each working vertex projected
// through the camera as it is visited (nothing kept per vertex), and whether the surface drawn
// at its pixel hides it, judged from the depth the last frame left there.

#include "model/editing/selection/hidden_vertices.h"
#include "model/editing/selection/quad_loops.h"
#include "model/model.h"
#include "preview/camera.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

// The depth a frame left over a rectangle of device pixels, rows from the top, each value in
// [0, 1] with 1 where nothing was drawn. scale is device pixels per window pixel.
struct DepthPatch {
    int left = 0, top = 0, width = 0, height = 0;
    double scale = 1;
    std::vector<float> depth;

    // Makes each value the nearest of its two by two square (itself, right, below, below right),
    // once, so a pick reads one value per vertex.
    void spreadNearest();
    // After spreadNearest: the nearest surface in the two by two device pixels whose centres
    // surround window point (x, y); 1 (nothing) outside the patch.
    float nearestAround(double x, double y) const;
};

// Vertex `vertex` of working segment `segment` (curData's indexes); -1 when there is none.
struct WorkingVertex {
    int32_t segment = -1;
    int32_t vertex = -1;
    bool found() const { return segment >= 0; }
};

// A vertex as the window shows it: pixels from the top-left, its depth-buffer value (0 near to
// 1 far), and its distance from the eye along the view.
struct WindowPoint {
    double x = 0, y = 0, depth = 0, distance = 0;
};

// How far behind the surface drawn around its pixel a vertex may lie and still count as on it
// (in front of it, for a click and for the marks drawn bright): onSurface model units, and slant
// more per unit of its distance from the eye in perspective, or in all in orthographic.
struct SurfaceTolerance {
    double onSurface = 0;
    double slant = 0;
};
SurfaceTolerance surfaceTolerance(const OrbitCamera& camera);

// Projects vertices (the model's y is the file's negated) into the window, and judges whether
// the surface the depth shows hides them; without depth nothing is hidden (X-ray).
class WindowProjector {
public:
    WindowProjector(const OrbitCamera& camera, const DepthPatch* depth);
    // False for a vertex behind the eye, which shows nowhere.
    bool project(const Vertex& vertex, WindowPoint& point) const;
    // Whether the point lies in front of, or on, the surface drawn there.
    bool isVisible(const WindowPoint& point) const;

private:
    // The rows of the view-projection matrix that give x, y, z and w, scaled so x and y come
    // out in window pixels.
    std::array<double, 16> m_rows;
    double m_near, m_far;
    bool m_orthographic;
    SurfaceTolerance m_tolerance;
    const DepthPatch* m_depth;
};

// The working vertex nearest to window point (x, y) within reach pixels, among the visible
// ones; the first in scan order among equally near ones.
WorkingVertex nearestWorkingVertex(const Model& model, const OrbitCamera& camera, double x,
                                   double y, double reach, const DepthPatch* depth,
                                   const HiddenVertices* hidden = nullptr);

// Whether a vertex shows inside a window rectangle (bounds included, corners in any order).
class BoxPicker {
public:
    BoxPicker(const OrbitCamera& camera, double x1, double y1, double x2, double y2,
              const DepthPatch* depth);
    bool operator()(const Vertex& vertex) const;

private:
    WindowProjector m_project;
    double m_left, m_top, m_right, m_bottom;
};

// The quad side of the working data nearest window point (x, y) within reach pixels, among the
// sides whose two ends are visible working vertices.
std::optional<WorkingSide> nearestVisibleQuadSide(const Model& model, const OrbitCamera& camera,
                                                  double x, double y, double reach,
                                                  const DepthPatch* depth,
                                                  const HiddenVertices* hidden = nullptr);

// Whether a vertex shows within radius window pixels of a centre.
class CirclePicker {
public:
    CirclePicker(const OrbitCamera& camera, double x, double y, double radius,
                 const DepthPatch* depth);
    bool operator()(const Vertex& vertex) const;

private:
    WindowProjector m_project;
    double m_x, m_y, m_radius;
};
// The point of the surface drawn under window point (x, y), file-oriented, from the depth the
// frame left there (spread nearest); none where nothing was drawn.
std::optional<Vec3> surfacePointAt(const OrbitCamera& camera, const DepthPatch& depth, double x,
                                   double y);

} // namespace vw
