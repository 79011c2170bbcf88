#pragma once
// A shown pane on a model loaded from a real EBO file, and real Qt mouse and key events sent to
// its drawing surface.

#include "app/frm_panes.h"
#include "model/model.h"
#include "support/temp_dir.h"
#include "tools/rotate_tool.h"
#include "tools/scale_tool.h"
#include "tools/tool_frame.h"

#include <QEvent>
#include <QPointF>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace vw::test {

// A vertex by its model coordinates.
struct Point {
    float x = 0, y = 0, z = 0, u = 0, v = 0;
};
using SegmentPoints = std::vector<Point>;
using PartPoints = std::vector<SegmentPoints>;

// A 4 x 3 rectangle of vertices with one in its middle, and one far away in a segment of its
// own, for the Scale, Rotate and history tests.
inline const std::vector<PartPoints> kRectangleModel = {{
    {{0, 0, 1, 0.25f, 0.25f},
     {4, 0, 1, 0.75f, 0.25f},
     {0, 3, 1, 0.25f, 0.5f},
     {4, 3, 1, 0.75f, 0.5f},
     {2, 1.5f, 1, 0.5f, 0.375f}},
    {{-5, -5, 1, 0, 0}},
}};

// Sends a mouse event to widget at a pixel position, with the buttons and modifiers a user's
// hand would give it: a press and a release name their button, a move the buttons held.
void sendMouse(QWidget* widget, QEvent::Type type, QPointF pixel, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The frame's current tool as a T, for what only that tool holds (the grab, the rotate handle);
// an error of the test when another tool is current.
template <typename T> const T& currentToolAs(const ToolFrame& frame) {
    const T* tool = dynamic_cast<const T*>(frame.currentTool());
    if (!tool)
        throw std::logic_error("another tool is current");
    return *tool;
}

class ToolsTest : public testing::Test {
protected:
    ToolsTest();

    // Writes the parts as a plain-mesh EBO file, loads it, and shows it in the pane as a
    // successful open does (Init_Ebo: tab 1, Select, nothing selected).
    void loadModel(const std::vector<PartPoints>& parts);

    Pane& pane() { return m_panes->pane(); }
    frmPanes& panes() { return *m_panes; }
    ToolFrame& frame() { return m_panes->tools(); }
    const RotateTool& rotateTool() { return currentToolAs<RotateTool>(frame()); }
    const ScaleTool& scaleTool() { return currentToolAs<ScaleTool>(frame()); }
    QWidget* surface();

    // Where the pointer must be, in pixels of the surface, to stand on the model point (h, v)
    // of the selected tab.
    QPointF pixelAt(float h, float v);
    QPointF pixelAtPane(double x, double y) const { return {x / 15.0, y / 15.0}; }

    void press(QPointF pixel, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void moveTo(QPointF pixel, Qt::MouseButtons held = Qt::LeftButton,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void release(QPointF pixel, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Press, one move and release at the same place.
    void click(QPointF pixel, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Press at from, move in steps to to, release there.
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              int steps = 4);
    void typeKey(char character);
    void chooseTab(int tab);
    // One refresh tick, which draws the tools' overlays the presses read back.
    void tick() { pane().tmeRefresher_Timer(); }

    Vertex& vert(size_t segment, size_t index) { return model.curData[segment].verts[index]; }
    Vertex& modelVert(size_t part, size_t segment, size_t index) {
        return model.Parts[part].segments[segment].verts[index];
    }
    // The colour of picMain at the pixel under pane position (x, y).
    QRgb pixelColour(int32_t x, int32_t y) const;
    QRgb colourOfVertex(size_t segment, size_t index);

    Model model;

private:
    TempDir m_dir;
    std::unique_ptr<frmPanes> m_panes;
};

// RGB only, so colours compare whatever the alpha byte holds.
inline QRgb rgbOf(QRgb colour) {
    return colour & RGB_MASK;
}

} // namespace vw::test
