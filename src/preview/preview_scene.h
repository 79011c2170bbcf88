#pragma once
// What the Preview shows, without a widget: the model's buffers and their pending edits, the
// camera of each model opened while the program runs, the View options and what a drag, the
// wheel and the fit keys do to the camera.

#include "model/editing/history/document.h"
#include "model/editing/selection/hidden_vertices.h"
#include "model/model.h"
#include "preview/camera.h"
#include "preview/fitting.h"
#include "preview/preview_mesh.h"

#include <map>
#include <string>
#include <vector>

namespace vw {

// While the camera moves, frames are drawn from coarse triangles of about this many when the
// last still frame took longer than kSlowFrameMs to draw and the model has more triangles.
constexpr size_t kCoarseTriangles = 16000;
constexpr double kSlowFrameMs = 20;

struct PreviewOptions {
    bool imageMap = false;  // the surface shows the image map by u, v instead of vertex colours
    bool wireframe = false; // the triangles' edges over the surface
    // Vertex marks behind the surface dimmed with X-ray off, rather than left out; X-ray always
    // dims them.
    bool dimHidden = false;
    bool operator==(const PreviewOptions&) const = default;
};

class PreviewScene {
public:
    explicit PreviewScene(const Model& model);

    PreviewOptions options;
    // Which segments show: the parts tree's check boxes. Unset shows all.
    ShownFilter shown;

    OrbitCamera& camera() { return *m_camera; }
    const OrbitCamera& camera() const { return *m_camera; }
    PreviewMesh& mesh() { return m_mesh; }
    const PreviewMesh& mesh() const { return m_mesh; }
    // Whether the buffers must be made anew (a new model) rather than patched.
    bool needsRebuild() const { return m_needsRebuild; }
    void rebuild();

    // A newly loaded model gets new buffers and its camera: the one it had earlier in this run,
    // else one fitted to it. Edits mark the vertices they changed.
    void documentChanged(const DocumentChange& change);

    // The viewport's pixel size; a camera not yet moved by the user is fitted again.
    void setViewport(int width, int height);
    void fitAll();
    void fitSelection();
    void setOrthographic(bool orthographic);
    // Looks from one of the six sides; the target and distance stay.
    void lookFrom(ViewDirection direction);

    // Pointer input: button mask 1 left, 2 right, 4 middle; modifier mask 1 Shift. A left drag
    // orbits; a right or middle drag, or Shift with the left, pans.
    void press(int buttons, int modifiers, double x, double y);
    void drag(double x, double y);
    void release();
    // Wheel steps (positive away from the user) zoom in about the pointer; the camera counts as
    // moving until the wheel has settled.
    void wheel(double x, double y, double steps);
    void wheelSettled();

    // Whether a drag or the wheel is moving the camera.
    bool moving() const { return m_drag != Drag::None || m_wheeling; }
    // Whether the next frame is drawn from the coarse triangles.
    bool drawsCoarse() const;
    // How long the last frame from the full triangles took to draw.
    void fullFrameDrawn(double milliseconds);

    // The selected working vertices, three floats each in file orientation.
    void selectedPoints(std::vector<float>& out) const;
    // The working vertices not hidden, the same way.
    void shownWorkingPoints(const HiddenVertices& hidden, std::vector<float>& out) const;

private:
    enum class Drag { None, Orbit, Pan };
    void openModel();

    const Model& m_model;
    PreviewMesh m_mesh;
    std::map<std::string, OrbitCamera> m_cameras;
    OrbitCamera* m_camera = nullptr;
    bool m_needsRebuild = true;
    bool m_untouched = true; // fitted on open and not moved since
    Drag m_drag = Drag::None;
    bool m_wheeling = false;
    double m_fullFrameMs = 0;
    double m_lastX = 0, m_lastY = 0;
};

} // namespace vw
