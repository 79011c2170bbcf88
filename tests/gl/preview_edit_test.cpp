// Selecting and transforming in the Preview through real mouse and key events, drawn by OpenGL:
// the depth of the drawn surface decides what a click or a box reaches, X-ray reaches through
// it, and Move, Scale and Rotate drags edit the working data as one undoable step.

#include "app/frm_panes.h"
#include "preview/dimmed.h"
#include "preview/gl_support.h"
#include "preview/nav_gizmo.h"
#include "preview/preview_panel.h"
#include "preview/preview_view.h"
#include "tools/circle_select.h"
#include "tools/selection.h"
#include "views/pane_colours.h"
#include "views/pane_surface.h"
#include "views/twips.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

// One face of the box: its four corners in file coordinates (y up), as a two-triangle strip.
vw::Segment face(std::vector<vw::Vec3> corners, int32_t nodeIndex) {
    vw::Segment segment;
    for (const vw::Vec3& c : corners) {
        vw::Vertex vertex;
        vertex.x = float(c.x);
        vertex.y = -float(c.y);
        vertex.z = float(c.z);
        vertex.red = vertex.green = vertex.blue = vertex.alpha = 200;
        segment.verts.push_back(vertex);
    }
    segment.strip = {0, 1, 2, 3};
    segment.colorBlockAt = 1;
    segment.nodeIndex = nodeIndex;
    return segment;
}

// A closed box from -1 to 1 on each axis, one part of six faces, shifted by 0.1 so positions are
// not round numbers.
vw::Model boxModel() {
    const double a = -0.9, b = 1.1;
    vw::Model model;
    model.modelPath = "box.ebo";
    vw::Part part;
    part.segments = {face({{a, b, b}, {b, b, b}, {a, a, b}, {b, a, b}}, 2),  // front, z = 1.1
                     face({{a, b, a}, {b, b, a}, {a, a, a}, {b, a, a}}, 3),  // back
                     face({{a, b, a}, {a, b, b}, {a, a, a}, {a, a, b}}, 4),  // left
                     face({{b, b, a}, {b, b, b}, {b, a, a}, {b, a, b}}, 5),  // right
                     face({{a, b, a}, {b, b, a}, {a, b, b}, {b, b, b}}, 6),  // top
                     face({{a, a, a}, {b, a, a}, {a, a, b}, {b, a, b}}, 7)}; // bottom
    model.Parts.push_back(part);
    return model;
}

std::vector<uint32_t> bitsOf(const std::vector<vw::Segment>& data) {
    std::vector<uint32_t> bits;
    for (const vw::Segment& segment : data)
        for (const vw::Vertex& vertex : segment.verts)
            for (float value : {vertex.x, vertex.y, vertex.z})
                bits.push_back(std::bit_cast<uint32_t>(value));
    return bits;
}

class PreviewEdit : public testing::Test {
protected:
    void SetUp() override {
        if (!vw::canDrawPreview())
            GTEST_SKIP() << "no OpenGL 3.3 here";
        window = std::make_unique<frmPanes>(model);
        window->resize(408, 428);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
        window->Init_Ebo();
        window->tabAxes->setCurrentIndex(vw::kTabPreview - 1);
        view = window->preview->view();
        ASSERT_NE(view, nullptr);
        window->preview->mnuOrthographic->setChecked(true);
        vw::OrbitCamera& camera = view->scene().camera();
        camera.yaw = 0;
        camera.pitch = 0;
        camera.target = {0.1, 0.1, 0};
        camera.halfHeight = 2.5;
        view->redraw();
    }

    // Where a point in file coordinates shows in the view.
    QPoint at(double x, double fileY, double z) const {
        const vw::Vec3 w = view->scene().camera().toWindow({x, fileY, z});
        return QPoint(int(std::lround(w.x)), int(std::lround(w.y)));
    }

    void mouse(QEvent::Type type, QPoint pixel, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(pixel), view->mapToGlobal(QPointF(pixel)), button, held,
                          modifiers);
        QApplication::sendEvent(view, &event);
    }
    void press(QPoint pixel, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, pixel, Qt::LeftButton, Qt::LeftButton, modifiers);
    }
    void dragTo(QPoint pixel) { mouse(QEvent::MouseMove, pixel, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint pixel) {
        mouse(QEvent::MouseButtonRelease, pixel, Qt::LeftButton, Qt::NoButton);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        press(from, modifiers);
        dragTo(to);
        release(to);
    }
    // Selects everything the box from the front shows, with the Select tool.
    void selectFront() {
        drag(at(-1.5, 1.6, 0), at(1.7, -1.5, 0));
        ASSERT_EQ(window->pane().SelCount(), 12);
    }

    // The colour drawn at a window point, or at a point in file coordinates.
    QRgb shownAt(double x, double y) const {
        const QImage frame = view->grabFramebuffer();
        const double scale = frame.devicePixelRatio();
        return frame.pixel(int(x * scale), int(y * scale)) | 0xff000000u;
    }
    QRgb shownAt(const vw::Vec3& point) const {
        const vw::Vec3 w = view->scene().camera().toWindow(point);
        return shownAt(w.x, w.y);
    }

    std::vector<const vw::Vertex*> selected() const {
        std::vector<const vw::Vertex*> out;
        for (const vw::Segment& segment : model.curData)
            for (const vw::Vertex& vertex : segment.verts)
                if (vertex.selected != 0)
                    out.push_back(&vertex);
        return out;
    }

    vw::Model model = boxModel();
    std::unique_ptr<frmPanes> window;
    PreviewView* view = nullptr;
};

struct PickCase {
    const char* label;
    bool xray;
    bool box;          // a box round the corner, else a click on it
    int front, behind; // selected copies of the front and the back corner
    bool palette;      // Move, Scale and Rotate enabled after
};

class PreviewPick : public PreviewEdit, public testing::WithParamInterface<PickCase> {};

// The box's top left front corner hides the back one at the same point of the screen; each
// corner is held by three faces.
TEST_P(PreviewPick, TheSurfaceHidesWhatLiesBehindItUnlessXray) {
    const PickCase& c = GetParam();
    window->preview->mnuXray->setChecked(c.xray);
    const QPoint corner = at(-0.9, 1.1, 0);
    if (c.box)
        drag(corner - QPoint(8, 8), corner + QPoint(8, 8));
    else
        drag(corner, corner);
    int front = 0, behind = 0;
    for (const vw::Vertex* vertex : selected())
        ++(vertex->z > 0 ? front : behind);
    EXPECT_EQ(front, c.front);
    EXPECT_EQ(behind, c.behind);
    EXPECT_EQ(window->pane().SelCount(), c.box ? c.front + c.behind : 1);
    EXPECT_EQ(window->pane().isToolEnabled(vw::kToolMove), c.palette);
}

INSTANTIATE_TEST_SUITE_P(Corner, PreviewPick,
                         testing::Values(PickCase{"ClickPicksTheFront", false, false, 1, 0, true},
                                         PickCase{"BoxTakesTheFrontOnly", false, true, 3, 0, true},
                                         PickCase{"XrayBoxTakesBoth", true, true, 3, 3, true}),
                         [](const testing::TestParamInfo<PickCase>& info) {
                             return info.param.label;
                         });

TEST_F(PreviewEdit, ModifiersKeepOrClearAndThePlaneViewsShowTheSameSelection) {
    selectFront();
    // Shift keeps the selection while adding; a plain press on nothing clears it.
    const QPoint empty = at(1.8, 1.8, 0);
    drag(empty, empty, Qt::ShiftModifier);
    EXPECT_EQ(window->pane().SelCount(), 12);
    // Ctrl click on a selected vertex takes it out.
    drag(at(1.1, -0.9, 0), at(1.1, -0.9, 0), Qt::ControlModifier);
    EXPECT_EQ(selected().size(), 11u);

    window->tabAxes->setCurrentIndex(vw::kTabXY - 1);
    vw::Pane& pane = window->pane();
    pane.tmeRefresher_Timer();
    const vw::Vertex& topLeft = model.curData[0].verts[0];
    EXPECT_EQ(pane.colourAt(pane.toPaneX(topLeft.x), pane.toPaneY(topLeft.y)), vw::kMarkSelected);

    window->tabAxes->setCurrentIndex(vw::kTabPreview - 1);
    drag(empty, empty);
    EXPECT_EQ(pane.SelCount(), 0);
    EXPECT_TRUE(selected().empty());
    EXPECT_FALSE(pane.isToolEnabled(vw::kToolMove));
}

TEST_F(PreviewEdit, TheEditMeshShowsWithTheSelectingToolsOnly) {
    const QPoint corner = at(1.1, 1.1, 1.1);
    const auto shown = [&] {
        const QImage frame = view->grabFramebuffer();
        const double scale = frame.devicePixelRatio();
        return frame.pixel(int(corner.x() * scale), int(corner.y() * scale)) | 0xff000000u;
    };
    EXPECT_EQ(shown(), vw::kMarkFill);
    drag(corner, corner);
    EXPECT_EQ(shown(), vw::kMarkSelected);
    QTest::keyClick(view, 'a');
    drag(corner, corner + QPoint(1, 1)); // Pan: the camera takes the pointer
    EXPECT_EQ(model.curData[0].verts[1].selected, -1);
    EXPECT_EQ(window->pane().SelCount(), 1);
    EXPECT_NE(shown(), vw::kMarkFill);
}

struct BehindCase {
    const char* label;
    bool xray, dimHidden;
    bool dimmed; // else left out
};

class PreviewDotsBehind : public PreviewEdit, public testing::WithParamInterface<BehindCase> {};

// Seen aslant, the box's far corner lies inside its outline, behind the near faces: its dot is
// dimmed in X-ray or on request, else left out, and a click takes it only where X-ray reaches
// through; the near corner's dot is bright.
TEST_P(PreviewDotsBehind, ShowAsAClickWouldReachThem) {
    const BehindCase& c = GetParam();
    window->preview->mnuXray->setChecked(c.xray);
    window->preview->mnuDimHidden->setChecked(c.dimHidden);
    view->scene().camera().yaw = 0.3;
    view->scene().camera().pitch = 0.2;
    view->redraw();
    const vw::Vec3 farCorner{-0.9, -0.9, -0.9}, nearCorner{1.1, 1.1, 1.1};
    EXPECT_EQ(shownAt(nearCorner), vw::kMarkFill);
    const QRgb behind = shownAt(farCorner);
    if (c.dimmed) {
        EXPECT_EQ(behind, vw::dimmed(vw::kMarkFill));
    } else {
        EXPECT_NE(behind, vw::kMarkFill);
        EXPECT_NE(behind, vw::dimmed(vw::kMarkFill));
    }
    drag(at(-0.9, -0.9, -0.9), at(-0.9, -0.9, -0.9));
    EXPECT_EQ(window->pane().SelCount(), c.xray ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Options, PreviewDotsBehind,
                         testing::Values(BehindCase{"LeftOut", false, false, false},
                                         BehindCase{"DimmedOnRequest", false, true, true},
                                         BehindCase{"DimmedInXray", true, false, true}),
                         [](const testing::TestParamInfo<BehindCase>& info) {
                             return info.param.label;
                         });

struct ViewKeyCase {
    const char* label;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    double yaw, pitch;
    bool orthographic;
};

class PreviewViewKeys : public PreviewEdit, public testing::WithParamInterface<ViewKeyCase> {};

// The numpad's keys turn the camera exactly, keeping its target and size, or switch the
// projection with the strip's check box; other keys leave the camera.
TEST_P(PreviewViewKeys, SetTheCameraExactly) {
    const ViewKeyCase& c = GetParam();
    vw::OrbitCamera& camera = view->scene().camera();
    camera.yaw = 0.4;
    camera.pitch = 0.3;
    const vw::Vec3 target = camera.target;
    const double halfHeight = camera.halfHeight;
    QTest::keyClick(view, c.key, c.modifiers);
    EXPECT_EQ(camera.yaw, c.yaw);
    EXPECT_EQ(camera.pitch, c.pitch);
    EXPECT_EQ(camera.orthographic, c.orthographic);
    EXPECT_EQ(window->preview->mnuOrthographic->isChecked(), c.orthographic);
    EXPECT_EQ(camera.target.x, target.x);
    EXPECT_EQ(camera.target.y, target.y);
    EXPECT_EQ(camera.target.z, target.z);
    if (c.orthographic) {
        EXPECT_EQ(camera.halfHeight, halfHeight);
    }
}

constexpr double kQuarter = std::numbers::pi / 2;
const Qt::KeyboardModifiers kPad = Qt::KeypadModifier;
const Qt::KeyboardModifiers kCtrlPad = Qt::KeypadModifier | Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, PreviewViewKeys,
    testing::Values(ViewKeyCase{"Front", Qt::Key_1, kPad, 0, 0, true},
                    ViewKeyCase{"Back", Qt::Key_1, kCtrlPad, 2 * kQuarter, 0, true},
                    ViewKeyCase{"Right", Qt::Key_3, kPad, kQuarter, 0, true},
                    ViewKeyCase{"Left", Qt::Key_3, kCtrlPad, -kQuarter, 0, true},
                    ViewKeyCase{"Top", Qt::Key_7, kPad, 0, kQuarter, true},
                    ViewKeyCase{"Bottom", Qt::Key_7, kCtrlPad, 0, -kQuarter, true},
                    ViewKeyCase{"TopWithoutNumLock", Qt::Key_Home, kPad, 0, kQuarter, true},
                    ViewKeyCase{"FiveSwitchesProjection", Qt::Key_5, kPad, 0.4, 0.3, false},
                    ViewKeyCase{"DigitRowIsNoViewKey", Qt::Key_1, Qt::NoModifier, 0.4, 0.3, true},
                    ViewKeyCase{"ShiftIsNoViewKey", Qt::Key_7, kPad | Qt::ShiftModifier, 0.4, 0.3,
                                true}),
    [](const testing::TestParamInfo<ViewKeyCase>& info) { return info.param.label; });

vw::GizmoEnd gizmoEnd(PreviewView& view, int axis, bool positive) {
    const vw::NavigationGizmo gizmo = vw::navigationGizmo(view.scene().camera());
    for (const vw::GizmoEnd& end : gizmo.ends)
        if (end.axis == axis && end.positive == positive)
            return end;
    return {};
}

// The gizmo draws the sheet's axes in their colours, the negative ends dimmed (which way they
// point for a typed amount is tested without OpenGL). A click on a disc looks from its end and is
// neither a pick nor a drag, whatever the tool.
TEST_F(PreviewEdit, TheGizmoShowsTheSheetsAxesAndItsDiscsTurnTheView) {
    selectFront();
    // From the front: x runs right and the sheet's y down, the file's y being its negation.
    const vw::NavigationGizmo front = vw::navigationGizmo(view->scene().camera());
    for (const auto& [axis, positive, colour] : {std::tuple{0, true, vw::kAxisColours[0]},
                                                 {0, false, vw::dimmed(vw::kAxisColours[0])},
                                                 {1, true, vw::kAxisColours[1]}}) {
        const vw::GizmoEnd end = gizmoEnd(*view, axis, positive);
        EXPECT_EQ(shownAt(end.x, end.y + end.radius - 2), colour) << axis << positive;
    }
    EXPECT_GT(gizmoEnd(*view, 0, true).x, front.centreX + 30);
    EXPECT_GT(gizmoEnd(*view, 1, true).y, front.centreY + 30);

    vw::OrbitCamera& camera = view->scene().camera();
    QTest::keyClick(view, 'v');
    const std::vector<uint32_t> bits = bitsOf(model.curData);
    const vw::GizmoEnd plusX = gizmoEnd(*view, 0, true);
    drag(QPoint(int(plusX.x), int(plusX.y)), QPoint(int(plusX.x), int(plusX.y)));
    EXPECT_EQ(camera.yaw, kQuarter);
    EXPECT_EQ(camera.pitch, 0);
    QTest::keyClick(view, 's');
    const vw::GizmoEnd minusY = gizmoEnd(*view, 1, false);
    drag(QPoint(int(minusY.x), int(minusY.y)), QPoint(int(minusY.x), int(minusY.y)));
    EXPECT_EQ(camera.pitch, kQuarter); // the sheet's -y is the file's up
    EXPECT_EQ(bitsOf(model.curData), bits);
    EXPECT_EQ(window->pane().SelCount(), 12);
    EXPECT_EQ(window->pane().document().stepCount(), 0u);
}

TEST_F(PreviewEdit, AltZTurnsXrayOnAndOff) {
    QTest::keyClick(view, Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(view->xray());
    QTest::keyClick(view, Qt::Key_Z, Qt::AltModifier);
    EXPECT_FALSE(view->xray());
    EXPECT_EQ(window->pane().toolMode, vw::kToolSelect);
}

struct TransformCase {
    const char* label;
    char tool;
    QPoint from, to; // pixels from the box's centre on screen
    int limitKey;    // pressed during the drag, or 0
    const char* typed;
    // What the drag does to a position (file coordinates).
    vw::Vec3 (*expect)(const vw::Vec3& start, double pixel);
};

class PreviewTransformDrag : public PreviewEdit,
                             public testing::WithParamInterface<TransformCase> {};

TEST_P(PreviewTransformDrag, ChangesOnlyWhatTheDragAllowsAsOneStep) {
    const TransformCase& c = GetParam();
    window->preview->mnuXray->setChecked(true);
    drag(at(-1.5, 1.6, 0), at(1.7, -1.5, 0));
    ASSERT_EQ(selected().size(), 24u);
    QTest::keyClick(view, c.tool);
    const std::vector<vw::Segment> before = model.curData;
    const QPoint centre = at(0.1, 0.1, 0.1);
    const double pixel = view->scene().camera().unitsPerPixel();
    press(centre + c.from);
    dragTo(centre + (c.from + c.to) / 2);
    if (c.limitKey)
        QTest::keyClick(view, Qt::Key(c.limitKey));
    dragTo(centre + c.to);
    if (*c.typed)
        QTest::keyClicks(view, c.typed);
    release(centre + c.to);

    for (size_t i = 0; i < before.size(); ++i)
        for (size_t j = 0; j < before[i].verts.size(); ++j) {
            const vw::Vertex& start = before[i].verts[j];
            const vw::Vertex& now = model.curData[i].verts[j];
            const vw::Vec3 want = c.expect({start.x, -double(start.y), start.z}, pixel);
            // Within a fraction of a pixel (the centre on screen lies between pixels), and an
            // axis the drag may not touch keeps its bits.
            const float starts[3] = {start.x, start.y, start.z}, nows[3] = {now.x, now.y, now.z};
            const double wants[3] = {want.x, -want.y, want.z};
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_NEAR(nows[axis], wants[axis], 1e-3) << i << ", " << j << ", " << axis;
                if (wants[axis] == starts[axis]) {
                    EXPECT_EQ(std::bit_cast<uint32_t>(nows[axis]),
                              std::bit_cast<uint32_t>(starts[axis]));
                }
            }
        }
    // In the model too, and undone by one step.
    EXPECT_EQ(bitsOf(model.Parts[0].segments), bitsOf(model.curData));
    vw::Document& document = window->pane().document();
    EXPECT_EQ(document.stepCount(), 1u);
    document.undo();
    EXPECT_EQ(bitsOf(model.curData), bitsOf(before));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, PreviewTransformDrag,
    testing::Values(
        // 30 pixels right and 20 down with X: x follows the pointer, y and z stay.
        TransformCase{"MoveWithX", 'v', QPoint(10, 10), QPoint(40, 30), Qt::Key_X, "",
                      [](const vw::Vec3& p, double pixel) {
                          return vw::Vec3{p.x + 30 * pixel, p.y, p.z};
                      }},
        TransformCase{"MoveFree", 'v', QPoint(10, 10), QPoint(40, 30), 0, "",
                      [](const vw::Vec3& p, double pixel) {
                          return vw::Vec3{p.x + 30 * pixel, p.y - 20 * pixel, p.z};
                      }},
        // From 40 pixels off the centre to 80: twice the depth, nothing else.
        TransformCase{"ScaleWithZ", 'c', QPoint(40, 0), QPoint(80, 0), Qt::Key_Z, "",
                      [](const vw::Vec3& p, double) {
                          return vw::Vec3{p.x, p.y, 0.1 + (p.z - 0.1) * 2};
                      }},
        // Typed units go along the one axis allowed, in the model's values (its y is held
        // negated, so the file's y goes down).
        TransformCase{"MoveTypedAlongY", 'v', QPoint(10, 10), QPoint(40, 30), Qt::Key_Y, "0.5",
                      [](const vw::Vec3& p, double) {
                          return vw::Vec3{p.x, p.y - 0.5, p.z};
                      }},
        TransformCase{"ScaleTypedFactor", 'c', QPoint(40, 0), QPoint(80, 0), 0, "3",
                      [](const vw::Vec3& p, double) {
                          return vw::Vec3{0.1 + (p.x - 0.1) * 3, 0.1 + (p.y - 0.1) * 3,
                                          0.1 + (p.z - 0.1) * 3};
                      }},
        // A typed quarter turn about the view axis: counter-clockwise as seen.
        TransformCase{"RotateTyped90", 'r', QPoint(40, 0), QPoint(40, 25), 0, "90",
                      [](const vw::Vec3& p, double) {
                          return vw::Vec3{0.1 - (p.y - 0.1), 0.1 + (p.x - 0.1), p.z};
                      }}),
    [](const testing::TestParamInfo<TransformCase>& info) { return info.param.label; });

// The Preview's drags go through the same aids as the plane views': with a soft region that
// takes every vertex at full weight, moving one vertex moves the whole box alike.
TEST_F(PreviewEdit, APreviewDragTakesTheSoftRegionToo) {
    window->pane().session().aids().setOptions({0, true, vw::Falloff::Constant, 10});
    press(at(1.1, 1.1, 1.1));
    release(at(1.1, 1.1, 1.1));
    ASSERT_EQ(selected().size(), 1u);
    QTest::keyClick(view, 'v');
    const std::vector<vw::Segment> before = model.curData;
    const QPoint centre = at(1.1, 1.1, 1.1);
    const double pixel = view->scene().camera().unitsPerPixel();
    press(centre);
    dragTo(centre + QPoint(10, 0));
    QTest::keyClick(view, Qt::Key_X);
    dragTo(centre + QPoint(30, 0));
    release(centre + QPoint(30, 0));
    for (size_t i = 0; i < before.size(); ++i)
        for (size_t j = 0; j < before[i].verts.size(); ++j)
            EXPECT_NEAR(model.curData[i].verts[j].x, before[i].verts[j].x + 30 * pixel, 1e-3);
    EXPECT_EQ(window->pane().document().stepCount(), 1u);
}

TEST_F(PreviewEdit, HiddenVerticesCannotBePickedOrBoxed) {
    press(at(1.1, 1.1, 1.1));
    release(at(1.1, 1.1, 1.1));
    ASSERT_EQ(selected().size(), 1u);
    const vw::Vertex* hidden = selected().front();
    vw::hideSelected(window->pane());
    press(at(1.1, 1.1, 1.1));
    release(at(1.1, 1.1, 1.1));
    EXPECT_EQ(hidden->selected, 0) << "the click picks another vertex there, or none";
    window->preview->mnuXray->setChecked(true);
    drag(at(-1.5, 1.6, 0), at(1.7, -1.5, 0));
    EXPECT_EQ(selected().size(), 23u);
    EXPECT_EQ(hidden->selected, 0);
}

// Each face is a segment of one quad. Alt on the front face's top side takes that side (both its
// ends lie on the border), Ctrl with Alt the whole face; a circle over the front takes the front
// corners of every face holding one, and the back ones only in X-ray.
TEST_F(PreviewEdit, LoopRingAndCircleSelectTakeWhatTheSurfaceShows) {
    const auto frontFace = [&] {
        return std::count_if(model.curData[0].verts.begin(), model.curData[0].verts.end(),
                             [](const vw::Vertex& vertex) { return vertex.selected != 0; });
    };
    const QPoint top = at(0.1, 1.1, 1.1);
    drag(top, top, Qt::AltModifier);
    EXPECT_EQ(selected().size(), 2u);
    EXPECT_EQ(frontFace(), 2);
    drag(top, top, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(selected().size(), 4u);
    EXPECT_EQ(frontFace(), 4);
    EXPECT_EQ(window->pane().SelCount(), 4);

    vw::CircleSelect circle(window->pane());
    circle.start();
    circle.wheel(8); // 149 pixels, about 1.9 units: past the front corners
    const QPoint centre = at(0.1, 0.1, 0);
    const vw::PreviewPointer pointer{vw::kLeftButton, 0, double(centre.x()), double(centre.y())};
    for (const bool xray : {false, true}) {
        window->preview->mnuXray->setChecked(xray);
        vw::selectNone(window->pane());
        circle.previewPress(pointer, *view, false);
        circle.previewRelease(pointer, *view);
        int front = 0, behind = 0;
        for (const vw::Vertex* vertex : selected())
            ++(vertex->z > 0 ? front : behind);
        EXPECT_EQ(front, 12);
        EXPECT_EQ(behind, xray ? 12 : 0);
        EXPECT_EQ(window->pane().SelCount(), front + behind);
    }
    circle.end();
}

// Shift with a right click: on a vertex the cursor takes its position bit for bit, on the
// surface the point drawn there; where nothing is drawn it stays, and the camera does not pan.
TEST_F(PreviewEdit, AShiftRightClickPlacesTheCursorOnAVertexOrTheSurface) {
    const vw::EditSession& session = window->pane().session();
    const auto shiftRightClick = [&](QPoint pixel) {
        mouse(QEvent::MouseButtonPress, pixel, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
        mouse(QEvent::MouseButtonRelease, pixel, Qt::RightButton, Qt::NoButton, Qt::ShiftModifier);
    };
    shiftRightClick(at(-0.9, 1.1, 1.1) + QPoint(2, 1));
    ASSERT_TRUE(session.pivotMarks().cursor);
    const vw::Vertex& corner = model.curData[0].verts[0];
    EXPECT_EQ(*session.pivotMarks().cursor, (vw::ModelPoint{corner.x, corner.y, corner.z}));

    shiftRightClick(at(0.3, 0.2, 1.1));
    const vw::ModelPoint onFace = *session.pivotMarks().cursor;
    EXPECT_NEAR(onFace[0], 0.3, 0.02);
    EXPECT_NEAR(onFace[1], -0.2, 0.02);
    EXPECT_NEAR(onFace[2], 1.1, 0.02);

    const vw::Vec3 target = view->scene().camera().target;
    shiftRightClick(at(2.2, 0, 0));
    EXPECT_EQ(*session.pivotMarks().cursor, onFace);
    const vw::Vec3 after = view->scene().camera().target;
    EXPECT_TRUE(after.x == target.x && after.y == target.y && after.z == target.z);
}

TEST_F(PreviewEdit, EscAndARightClickPutBackTheExactBitsAndLeaveNoStep) {
    window->preview->mnuXray->setChecked(true);
    drag(at(-1.5, 1.6, 0), at(1.7, -1.5, 0));
    QTest::keyClick(view, 'r');
    const std::vector<uint32_t> before = bitsOf(model.curData);
    const QPoint centre = at(0.1, 0.1, 0);
    for (const bool byEsc : {true, false}) {
        press(centre + QPoint(40, 0));
        dragTo(centre + QPoint(13, 37));
        EXPECT_TRUE(window->pane().isOnRotater);
        // The readout in degrees: about -1.22 radians.
        const QString readout = window->tools().feedback.status();
        EXPECT_TRUE(readout.startsWith("Rotate") && readout.contains(" -70."))
            << readout.toStdString();
        EXPECT_NE(bitsOf(model.curData), before);
        if (byEsc)
            QTest::keyClick(view, Qt::Key_Escape);
        else
            mouse(QEvent::MouseButtonPress, centre, Qt::RightButton,
                  Qt::LeftButton | Qt::RightButton);
        EXPECT_EQ(bitsOf(model.curData), before);
        EXPECT_EQ(bitsOf(model.Parts[0].segments), before);
        dragTo(centre + QPoint(-30, 5));
        release(centre + QPoint(-30, 5));
        EXPECT_EQ(bitsOf(model.curData), before);
    }
    EXPECT_FALSE(window->pane().isOnRotater);
    EXPECT_EQ(window->pane().document().stepCount(), 0u);
}

// The same gesture in the XY plane view and in the Preview looking at the XY plane at the same
// scale: one tool object with one transform drag serves both, so keys, typed amounts, snapping
// and the aids give the same bits (within a hair where only the pointer's way is used, since
// the camera and the pane reach a model point by different arithmetic), in one undoable step.
struct ParityCase {
    const char* label;
    char tool;
    QPointF from, to; // model units from the centre of the selection (x right, file y up)
    std::vector<const char*> keys; // typed during the drag; "esc", "right" cancel it
    bool snap = false, soft = false, mirror = false;
    bool exact = true;
    size_t steps = 1;
};

class SymmetricBoxEdit : public PreviewEdit {
protected:
    void SetUp() override {
        model = symmetricBox();
        PreviewEdit::SetUp();
        if (IsSkipped())
            return;
        // The Preview at the plane view's scale: 100 twips, 20 / 3 pixels, to a unit.
        view->scene().camera().halfHeight = view->height() * 0.15 / 2;
        view->scene().camera().target = {0, 0, 0};
        view->redraw();
    }

    // A box from -1 to 1 whose right half (x > 0) is selected, so the mirror has partners.
    static vw::Model symmetricBox() {
        vw::Model box = boxModel();
        for (vw::Segment& segment : box.Parts[0].segments)
            for (vw::Vertex& vertex : segment.verts) {
                vertex.x = vertex.x < 0 ? -1.0f : 1.0f;
                vertex.y = vertex.y < 0 ? -1.0f : 1.0f;
                vertex.z = vertex.z < 0 ? -1.0f : 1.0f;
            }
        return box;
    }

    void selectRightHalf() {
        window->pane().session().select([](std::vector<vw::Segment>& data, int32_t) {
            int32_t count = 0;
            for (vw::Segment& segment : data)
                for (vw::Vertex& vertex : segment.verts) {
                    vertex.selected = vertex.x > 0 ? -1 : 0;
                    count += vertex.x > 0;
                }
            return count;
        });
    }

    QWidget* targetOf(int tab) const {
        return tab == vw::kTabPreview ? static_cast<QWidget*>(view)
                                      : static_cast<QWidget*>(window->picMain);
    }

    // Where a point (model units from the selection's centre, x right, file y up) shows on tab.
    QPointF pixelOf(int tab, QPointF units) const {
        const vw::Vec3 file{1 + units.x(), units.y(), 0};
        if (tab == vw::kTabPreview) {
            const vw::Vec3 w = view->scene().camera().toWindow(file);
            return QPointF(w.x, w.y);
        }
        const vw::Pane& pane = window->pane();
        return QPointF(pane.toPaneX(float(file.x)), pane.toPaneY(float(-file.y))) /
               vw::kTwipsPerPixel;
    }

    static void sendTo(QWidget* target, QEvent::Type type, QPointF at, Qt::MouseButton button,
                       Qt::MouseButtons held) {
        QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    // The gesture on one tab, through real mouse and key events; returns the bits it left.
    std::vector<uint32_t> gesture(const ParityCase& c, int tab) {
        window->tabAxes->setCurrentIndex(tab - 1);
        QWidget* target = targetOf(tab);
        selectRightHalf();
        QTest::keyClick(target, c.tool);
        const auto pixel = [&](QPointF units) { return pixelOf(tab, units); };
        const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                              Qt::MouseButtons held) { sendTo(target, type, at, button, held); };
        send(QEvent::MouseButtonPress, pixel(c.from), Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, pixel((c.from + c.to) / 2), Qt::NoButton, Qt::LeftButton);
        for (const char* key : c.keys) {
            if (std::string(key) == "esc")
                QTest::keyClick(target, Qt::Key_Escape);
            else if (std::string(key) == "right")
                send(QEvent::MouseButtonPress, pixel(c.to), Qt::RightButton,
                     Qt::LeftButton | Qt::RightButton);
            else
                QTest::keyClicks(target, key);
        }
        send(QEvent::MouseMove, pixel(c.to), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, pixel(c.to), Qt::LeftButton, Qt::NoButton);
        const std::vector<uint32_t> after = bitsOf(model.curData);
        vw::Document& document = window->pane().document();
        EXPECT_EQ(document.stepCount(), c.steps) << "tab " << tab;
        EXPECT_EQ(bitsOf(model.Parts[0].segments), after) << "tab " << tab;
        while (document.canUndo())
            document.undo();
        document.markClean();
        EXPECT_EQ(bitsOf(model.curData), bitsOf(symmetricBox().Parts[0].segments));
        return after;
    }
};

// A modal drag of the Blender map: its key at the pointer, no button held, the keys typed on
// the way, then its end: "enter", "space", a left "click", "esc" or a "right" click.
struct ModalCase {
    const char* label;
    char start;
    std::vector<const char*> keys;
    const char* end;
    ParityCase held; // the held drag whose bits it gives
};

class ModalParity : public SymmetricBoxEdit, public testing::WithParamInterface<ModalCase> {
protected:
    std::vector<uint32_t> modal(const ModalCase& c, int tab) {
        window->tabAxes->setCurrentIndex(tab - 1);
        window->setKeyMap(vw::KeyMap::Blender);
        QWidget* target = targetOf(tab);
        selectRightHalf();
        const auto pixel = [&](QPointF units) { return pixelOf(tab, units); };
        const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                              Qt::MouseButtons held) { sendTo(target, type, at, button, held); };
        const ParityCase& h = c.held;
        send(QEvent::MouseMove, pixel(h.from), Qt::NoButton, Qt::NoButton);
        QTest::keyClick(target, c.start);
        send(QEvent::MouseMove, pixel((h.from + h.to) / 2), Qt::NoButton, Qt::NoButton);
        for (const char* key : c.keys)
            QTest::keyClicks(target, key);
        send(QEvent::MouseMove, pixel(h.to), Qt::NoButton, Qt::NoButton);
        const std::string end = c.end;
        if (end == "enter")
            QTest::keyClick(target, Qt::Key_Return);
        else if (end == "space")
            QTest::keyClick(target, Qt::Key_Space);
        else if (end == "esc")
            QTest::keyClick(target, Qt::Key_Escape);
        else {
            const Qt::MouseButton button = end == "click" ? Qt::LeftButton : Qt::RightButton;
            send(QEvent::MouseButtonPress, pixel(h.to), button, button);
            send(QEvent::MouseButtonRelease, pixel(h.to), button, Qt::NoButton);
        }
        // Over: the pointer moves nothing more.
        send(QEvent::MouseMove, pixel(h.from), Qt::NoButton, Qt::NoButton);
        EXPECT_FALSE(window->tools().isDragging()) << "tab " << tab;
        const std::vector<uint32_t> after = bitsOf(model.curData);
        vw::Document& document = window->pane().document();
        EXPECT_EQ(document.stepCount(), h.steps) << "tab " << tab;
        while (document.canUndo())
            document.undo();
        document.markClean();
        EXPECT_EQ(bitsOf(model.curData), bitsOf(symmetricBox().Parts[0].segments));
        window->setKeyMap(vw::KeyMap::Designed);
        return after;
    }
};

TEST_P(ModalParity, GivesTheBitsOfTheHeldDragWithTheSameKeysInBothViews) {
    const ModalCase& c = GetParam();
    for (const int tab : {vw::kTabXY, vw::kTabPreview}) {
        const std::vector<uint32_t> modalBits = modal(c, tab);
        EXPECT_EQ(modalBits, gesture(c.held, tab)) << "tab " << tab;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ModalParity,
    testing::Values(
        ModalCase{"GAlongXTypedAsArithmetic",
                  'g',
                  {"x", "2*3"},
                  "enter",
                  ParityCase{"", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x", "6"}}},
        ModalCase{"SInTheXYPlaneTypedAsAFraction",
                  's',
                  {"Z", "1/2"},
                  "space",
                  ParityCase{"", 'c', {0.9, 0}, {1.8, 0}, {"Z", "0.5"}}},
        ModalCase{"RTypedConfirmedByAClick",
                  'r',
                  {"45*2"},
                  "click",
                  ParityCase{"", 'r', {0.9, 0}, {0, 0.9}, {"90"}}},
        ModalCase{
            "GCancelledByEsc",
            'g',
            {"x", "1"},
            "esc",
            ParityCase{
                "", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x", "esc"}, false, false, false, true, 0}},
        ModalCase{"RCancelledByARightClick",
                  'r',
                  {"45"},
                  "right",
                  ParityCase{
                      "", 'r', {0.9, 0}, {0, 0.9}, {"45", "right"}, false, false, false, true, 0}}),
    [](const testing::TestParamInfo<ModalCase>& info) { return info.param.label; });

// One key table for both maps and both kinds of view, through real key presses: a key chooses a
// tool, begins a modal drag or circle select, or does none of these.
TEST_F(SymmetricBoxEdit, EachKeyMapGivesItsCommandsInThePlaneViewsAndThePreview) {
    enum Begins { Nothing, Modal, Circle };
    struct Case {
        vw::KeyMap map;
        char key;
        Qt::KeyboardModifiers modifiers;
        uint8_t tool; // the tool after the key (the Select tool before it)
        Begins begins;
    };
    const Case cases[] = {
        {vw::KeyMap::Designed, 'v', Qt::NoModifier, vw::kToolMove, Nothing},
        {vw::KeyMap::Designed, 'C', Qt::NoModifier, vw::kToolScale, Nothing},
        {vw::KeyMap::Designed, 'r', Qt::NoModifier, vw::kToolRotate, Nothing},
        {vw::KeyMap::Designed, 'g', Qt::NoModifier, vw::kToolSelect, Nothing},
        {vw::KeyMap::Designed, 'c', Qt::AltModifier, vw::kToolSelect, Circle},
        {vw::KeyMap::Blender, 'g', Qt::NoModifier, vw::kToolSelect, Modal},
        {vw::KeyMap::Blender, 's', Qt::NoModifier, vw::kToolSelect, Modal},
        {vw::KeyMap::Blender, 'r', Qt::NoModifier, vw::kToolSelect, Modal},
        {vw::KeyMap::Blender, 'c', Qt::NoModifier, vw::kToolSelect, Circle},
        {vw::KeyMap::Blender, 'v', Qt::NoModifier, vw::kToolSelect, Nothing},
    };
    for (const int tab : {vw::kTabXY, vw::kTabPreview})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "tab " << tab << " key " << c.key);
            window->tabAxes->setCurrentIndex(tab - 1);
            QWidget* target = targetOf(tab);
            QTest::keyClick(target, 's');
            selectRightHalf();
            window->setKeyMap(c.map);
            QTest::keyClick(target, c.key, c.modifiers);
            EXPECT_EQ(window->pane().toolMode, c.tool);
            EXPECT_EQ(window->tools().isModal(), c.begins == Modal);
            EXPECT_EQ(window->tools().circle().isOn(), c.begins == Circle);
            QTest::keyClick(target, Qt::Key_Escape);
            EXPECT_FALSE(window->tools().isDragging());
            window->setKeyMap(vw::KeyMap::Designed);
            EXPECT_EQ(window->pane().document().stepCount(), 0u);
        }
}

class ViewParity : public SymmetricBoxEdit, public testing::WithParamInterface<ParityCase> {};

TEST_P(ViewParity, TheSameGestureGivesTheSameBitsInThePlaneViewAndThePreview) {
    const ParityCase& c = GetParam();
    window->pane().session().setSnap({c.snap, false});
    window->pane().session().aids().setOptions(
        {uint8_t(c.mirror ? vw::kMirrorX : 0), c.soft, vw::Falloff::Constant, 2.5});
    const std::vector<uint32_t> plane = gesture(c, vw::kTabXY);
    const std::vector<uint32_t> preview = gesture(c, vw::kTabPreview);
    ASSERT_EQ(plane.size(), preview.size());
    EXPECT_NE(plane == bitsOf(symmetricBox().Parts[0].segments), c.steps == 1);
    for (size_t i = 0; i < plane.size(); ++i) {
        if (c.exact)
            EXPECT_EQ(plane[i], preview[i]) << i;
        else
            EXPECT_NEAR(std::bit_cast<float>(plane[i]), std::bit_cast<float>(preview[i]), 1e-4)
                << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ViewParity,
    testing::Values(
        ParityCase{"MoveFree", 'v', {0.3, 0.3}, {1.2, -0.6}, {}, false, false, false, false},
        ParityCase{"MoveWithX", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x"}, false, false, false, false},
        ParityCase{"MoveTypedAlongX", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x", "0.5"}},
        ParityCase{"MoveShiftZTyped", 'v', {0.3, 0}, {1.5, 0}, {"Z", "-1.25"}},
        ParityCase{"MoveSnapped", 'v', {0.3, 0.3}, {6.3, 0.9}, {}, true},
        ParityCase{"MoveSoft", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x", "0.5"}, false, true},
        ParityCase{"MoveMirrored", 'v', {0.3, 0.3}, {1.2, -0.6}, {"x", "0.5"}, false, false, true},
        ParityCase{"MoveCancelledByEsc",
                   'v',
                   {0.3, 0.3},
                   {1.2, -0.6},
                   {"x", "esc"},
                   false,
                   false,
                   false,
                   true,
                   0},
        ParityCase{"ScaleShiftZTyped", 'c', {0.9, 0}, {1.8, 0}, {"Z", "2"}},
        ParityCase{"ScaleWithY", 'c', {0, 0.9}, {0, 1.8}, {"y"}, false, false, false, false},
        ParityCase{"RotateTyped", 'r', {0.9, 0}, {0, 0.9}, {"9", "0"}},
        ParityCase{"RotateCancelledByARightClick",
                   'r',
                   {0.9, 0},
                   {0, 0.9},
                   {"45", "right"},
                   false,
                   false,
                   false,
                   true,
                   0}),
    [](const testing::TestParamInfo<ParityCase>& info) { return info.param.label; });

// The aids of the plane views work in the Preview too: an arrow key nudges the selection by a
// pixel's worth along the screen's axes, one step each; during a soft drag the wheel sizes the
// radius instead of zooming, and its circle shows round the pointer until the drag ends.
TEST_F(SymmetricBoxEdit, ThePreviewNudgesAndSizesTheSoftRadiusWithItsCircle) {
    selectRightHalf();
    const std::vector<vw::Segment> before = model.curData;
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(window->pane().document().stepCount(), 2u);
    for (size_t i = 0; i < before.size(); ++i)
        for (size_t j = 0; j < before[i].verts.size(); ++j) {
            const vw::Vertex &was = before[i].verts[j], &now = model.curData[i].verts[j];
            const double moved = was.selected != 0 ? 0.15 : 0;
            EXPECT_NEAR(now.x, was.x + moved, 1e-5);
            EXPECT_NEAR(now.y, was.y - moved, 1e-5); // up on screen: the file's y grows
            EXPECT_EQ(std::bit_cast<uint32_t>(now.z), std::bit_cast<uint32_t>(was.z));
        }

    window->pane().session().aids().setOptions({0, true, vw::Falloff::Smooth, 2});
    QTest::keyClick(view, 'v');
    const double halfHeight = view->scene().camera().halfHeight;
    const QPoint pointer = at(1, 0.5, 0);
    press(pointer);
    dragTo(pointer + QPoint(0, 1));
    QWheelEvent wheel(QPointF(pointer), view->mapToGlobal(QPointF(pointer)), QPoint(),
                      QPoint(0, 120), Qt::LeftButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_DOUBLE_EQ(window->pane().session().aids().options().softRadius, 2.5);
    EXPECT_EQ(view->scene().camera().halfHeight, halfHeight);
    dragTo(pointer);
    const auto circleShows = [&] {
        const QImage frame = view->grabFramebuffer();
        const double scale = frame.devicePixelRatio();
        const double reach = 2.5 / view->scene().camera().unitsPerPixel();
        const QPoint onCircle((pointer.x() + reach) * scale, pointer.y() * scale);
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if ((frame.pixel(onCircle + QPoint(dx, dy)) | 0xff000000u) == vw::kSoftCircle)
                    return true;
        return false;
    };
    EXPECT_TRUE(circleShows());
    release(pointer);
    EXPECT_FALSE(circleShows());
    // Back where it began, the drag changed nothing and leaves no step.
    EXPECT_EQ(window->pane().document().stepCount(), 2u);
}

} // namespace
