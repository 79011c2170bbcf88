// The Preview as drawn by OpenGL and read back: which face is in front, which way is up and
// right, the image map's corners, the selected points, hidden segments and edits, and shaders
// the graphics refuse.

#include "app/frm_panes.h"
#include "model/editing/history/document.h"
#include "model/editing/history/working_data.h"
#include "panels/frm_parts.h"
#include "preview/dimmed.h"
#include "preview/gl_support.h"
#include "preview/preview_panel.h"
#include "preview/preview_view.h"
#include "support/fine_grid.h"
#include "support/frame_difference.h"
#include "ui/open_model_support.h"
#include "views/pane_colours.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QOpenGLContext>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

vw::Vertex vertexAt(float x, float fileY, float z, float u = 0, float v = 0, QRgb colour = 0) {
    vw::Vertex vertex;
    vertex.x = x;
    vertex.y = -fileY;
    vertex.z = z;
    vertex.u = u;
    vertex.v = v;
    vertex.red = static_cast<uint8_t>(qRed(colour));
    vertex.green = static_cast<uint8_t>(qGreen(colour));
    vertex.blue = static_cast<uint8_t>(qBlue(colour));
    vertex.alpha = 255;
    return vertex;
}

// A quad from (left, bottom) to (right, top) at depth z in file coordinates, one colour, its
// texture square from (0, 0) at the top-left corner to (1, 1) at the bottom-right one.
vw::Segment quad(float left, float bottom, float right, float top, float z, QRgb colour,
                 int32_t nodeIndex) {
    vw::Segment segment;
    segment.verts = {vertexAt(left, top, z, 0, 0, colour), vertexAt(right, top, z, 1, 0, colour),
                     vertexAt(left, bottom, z, 0, 1, colour),
                     vertexAt(right, bottom, z, 1, 1, colour)};
    segment.strip = {0, 1, 2, 3};
    segment.colorBlockAt = 1;
    segment.nodeIndex = nodeIndex;
    return segment;
}

constexpr QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255), kGreen = qRgb(0, 255, 0);

// Asymmetric: a red band over the top half in front, a blue wall behind, a green patch at the
// lower right in between.
vw::Model asymmetricModel() {
    vw::Model model;
    model.modelPath = "asymmetric.ebo";
    vw::Part part;
    part.segments = {quad(-1, 0.1f, 1, 1, 1, kRed, 2), quad(-1, -1, 1, 1, -1, kBlue, 3),
                     quad(0.4f, -1, 1, -0.4f, 0, kGreen, 4)};
    model.Parts.push_back(part);
    return model;
}

// Red, green / blue, yellow in four quadrants.
QImage fourColourMap() {
    QImage picture(64, 64, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 32, 32, QColor(255, 0, 0));
    painter.fillRect(32, 0, 32, 32, QColor(0, 255, 0));
    painter.fillRect(0, 32, 32, 32, QColor(0, 0, 255));
    painter.fillRect(32, 32, 32, 32, QColor(255, 255, 0));
    return picture;
}

// The strongest channel of a lit colour, or 'y' for red and green together, '-' for grey.
char hue(QRgb colour) {
    const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
    if (r > 120 && g > 120 && b < 60)
        return 'y';
    if (r > 120 && g < 60 && b < 60)
        return 'r';
    if (g > 120 && r < 60 && b < 60)
        return 'g';
    if (b > 120 && r < 60 && g < 60)
        return 'b';
    return '-';
}

class PreviewRender : public testing::Test {
protected:
    void SetUp() override {
        if (!vw::canDrawPreview())
            GTEST_SKIP() << "no OpenGL 3.3 here";
        view = std::make_unique<PreviewView>(document);
        view->resize(200, 200);
        view->show();
        QApplication::processEvents();
        lookFrom(0, 0);
    }

    // Orthographic from the given side, the model filling the middle of the view.
    void lookFrom(double yaw, double pitch) {
        view->setOrthographic(true);
        vw::OrbitCamera& camera = view->scene().camera();
        camera.yaw = yaw;
        camera.pitch = pitch;
        camera.target = {0, 0, 0};
        camera.halfHeight = 1.25;
    }

    // The pixel at model point (x, y) of the front view: 200 pixels span 2.5 units (device
    // pixels are counted on high-density screens).
    QRgb at(const QImage& frame, double x, double fileY) {
        const double scale = frame.devicePixelRatio();
        return frame.pixel(static_cast<int>((100 + x * 80) * scale),
                           static_cast<int>((100 - fileY * 80) * scale));
    }

    vw::Model model = asymmetricModel();
    vw::Document document{model};
    std::unique_ptr<PreviewView> view;
};

TEST_F(PreviewRender, FromTheFrontTheTopIsRedAndTheGreenPatchSitsLowerRight) {
    const QImage frame = view->grabFramebuffer();
    // Drawn by the kind of OpenGL the run asked for (tests/gl/main.cpp).
    EXPECT_EQ(view->context()->isOpenGLES(),
              QSurfaceFormat::defaultFormat().renderableType() == QSurfaceFormat::OpenGLES);
    EXPECT_EQ(hue(at(frame, 0, 0.6)), 'r');
    EXPECT_EQ(hue(at(frame, -0.6, -0.6)), 'b');
    EXPECT_EQ(hue(at(frame, 0.7, -0.7)), 'g');
    EXPECT_EQ(at(frame, 0, 1.2) | 0xff000000u, vw::kBackGround);
    // Faces square to the viewer get the full headlight.
    EXPECT_GE(qRed(at(frame, 0, 0.6)), 250);
}

TEST_F(PreviewRender, FromBehindTheBlueWallHidesEverything) {
    lookFrom(3.141592653589793, 0);
    const QImage frame = view->grabFramebuffer();
    for (const double x : {-0.7, 0.0, 0.7})
        for (const double y : {-0.7, 0.6})
            EXPECT_EQ(hue(at(frame, x, y)), 'b') << x << ", " << y;
}

TEST_F(PreviewRender, FromTheRightSideTheFrontIsOnTheLeft) {
    lookFrom(1.2, 0); // from the right, a little to the front, so no quad is edge-on
    const QImage frame = view->grabFramebuffer();
    // The red band at z = +1 shows left of the middle, the blue wall at z = -1 right of it.
    const int row = frame.height() / 5;
    int redColumn = -1, blueColumn = -1;
    for (int x = 0; x < frame.width(); ++x) {
        if (hue(frame.pixel(x, row)) == 'r')
            redColumn = x;
        if (hue(frame.pixel(x, row)) == 'b' && blueColumn < 0)
            blueColumn = x;
    }
    ASSERT_GE(redColumn, 0);
    ASSERT_GE(blueColumn, 0);
    EXPECT_LT(redColumn, frame.width() / 2);
    EXPECT_GT(blueColumn, frame.width() / 2);
}

TEST_F(PreviewRender, AHiddenSegmentIsLeftOut) {
    view->setShown([](int32_t nodeIndex) { return nodeIndex != 2; });
    const QImage frame = view->grabFramebuffer();
    EXPECT_EQ(hue(at(frame, 0, 0.6)), 'b');
}

TEST_F(PreviewRender, TheImageMapShowsUprightAsInTheUvView) {
    model.Parts[0].segments = {quad(-1, -1, 1, 1, 0, qRgb(128, 128, 128), 2)};
    document.modelReplaced();
    lookFrom(0, 0);
    view->setImageMap(fourColourMap());
    vw::PreviewOptions options;
    options.imageMap = true;
    view->setOptions(options);
    const QImage frame = view->grabFramebuffer();
    EXPECT_EQ(hue(at(frame, -0.6, 0.6)), 'r');
    EXPECT_EQ(hue(at(frame, 0.3, 0.3)), 'g'); // nearer the middle than the gizmo's corner
    EXPECT_EQ(hue(at(frame, -0.6, -0.6)), 'b');
    EXPECT_EQ(hue(at(frame, 0.6, -0.6)), 'y');
}

struct BehindCase {
    const char* label;
    bool xray, dimHidden;
    bool dimmed; // else the surface in front shows
};

class PreviewSelectedBehind : public PreviewRender,
                              public testing::WithParamInterface<BehindCase> {};

// Selected vertices show as points in the selection colour where a click would reach them;
// behind the surface they are dimmed in X-ray or on request, else left out.
TEST_P(PreviewSelectedBehind, ShowAsAClickWouldReachThem) {
    const BehindCase& c = GetParam();
    model.curPart = 0;
    model.curSeg = 2; // the blue wall, behind the red band
    vw::loadCurData(model);
    model.curData[0].verts[0].selected = -1; // top left, file (-1, 1), behind the band's corner
    model.curData[0].verts[2].selected = -1; // bottom left, in front of nothing
    view->setXray(c.xray);
    vw::PreviewOptions options;
    options.dimHidden = c.dimHidden;
    view->setOptions(options);
    const QImage frame = view->grabFramebuffer();
    EXPECT_EQ(at(frame, -0.99, -0.99) | 0xff000000u, vw::kMarkSelected);
    // Five pixels wide on any screen: reaches a pixel and a half to the right.
    EXPECT_EQ(at(frame, -1 + 1.5 / 80, -0.99) | 0xff000000u, vw::kMarkSelected);
    const QRgb behind = at(frame, -0.99, 0.99) | 0xff000000u;
    if (c.dimmed) {
        EXPECT_EQ(behind, vw::dimmed(vw::kMarkSelected));
    } else {
        EXPECT_EQ(hue(behind), 'r');
        EXPECT_NE(behind, vw::kMarkSelected);
        EXPECT_NE(behind, vw::dimmed(vw::kMarkSelected));
    }
}

INSTANTIATE_TEST_SUITE_P(Options, PreviewSelectedBehind,
                         testing::Values(BehindCase{"LeftOut", false, false, false},
                                         BehindCase{"DimmedOnRequest", false, true, true},
                                         BehindCase{"DimmedInXray", true, false, true}),
                         [](const testing::TestParamInfo<BehindCase>& info) {
                             return info.param.label;
                         });

// Each selected vertex shows bright exactly where the depth test a click makes finds it in front
// of or on the surface, from sides where a bumpy torus hides much of itself.
TEST_F(PreviewRender, BrightPointsAreWhereAClickReachesTheirVertices) {
    model.Parts[0].segments = {test_models::fineTorus(24, 12)};
    document.modelReplaced();
    model.curPart = 0;
    model.curSeg = 1;
    vw::loadCurData(model);
    for (vw::Vertex& vertex : model.curData[0].verts)
        vertex.selected = -1;
    view->resize(320, 240);
    struct Look {
        double yaw, pitch;
        bool orthographic;
    };
    for (const Look& look : {Look{0.3, 0.5, true}, Look{1.1, -0.6, false}, Look{2.0, 0.2, false}}) {
        SCOPED_TRACE(look.yaw);
        lookFrom(look.yaw, look.pitch);
        view->setOrthographic(look.orthographic);
        const QImage frame = view->grabFramebuffer();
        const std::optional<vw::DepthPatch> depth = view->depthOver(0, 0, 320, 240);
        ASSERT_TRUE(depth.has_value());
        const vw::OrbitCamera& camera = view->scene().camera();
        const vw::WindowProjector project(camera, &*depth);
        std::vector<vw::WindowPoint> points;
        for (const vw::Vertex& vertex : model.curData[0].verts)
            project.project(vertex, points.emplace_back());
        int bright = 0, behind = 0;
        for (const vw::WindowPoint& p : points) {
            // Clear of the gizmo and of other points, which could cover this one's pixel.
            const bool crowded = std::any_of(points.begin(), points.end(), [&](const auto& o) {
                return &o != &p && std::abs(o.x - p.x) < 5 && std::abs(o.y - p.y) < 5;
            });
            if (crowded || (p.x > 200 && p.y < 110))
                continue;
            const double scale = frame.devicePixelRatio();
            const bool shows = (frame.pixel(int(p.x * scale), int(p.y * scale)) | 0xff000000u) ==
                               vw::kMarkSelected;
            EXPECT_EQ(shows, project.isVisible(p)) << p.x << ", " << p.y;
            ++(shows ? bright : behind);
        }
        EXPECT_GT(bright, 10);
        EXPECT_GT(behind, 10);
    }
}

TEST_F(PreviewRender, AnEditShowsInTheNextFrame) {
    (void)view->grabFramebuffer();
    const size_t before = view->bytesSent();
    model.curPart = 0;
    model.curSeg = 3; // the green patch
    document.loadWorkingData();
    (void)document.edit("Move %n", 0, 4, [&](std::vector<vw::Segment>&) {
        for (vw::Vertex& vertex : model.curData[0].verts)
            vertex.x -= 1.4f; // to the lower left
    });
    const QImage frame = view->grabFramebuffer();
    EXPECT_EQ(hue(at(frame, -0.7, -0.7)), 'g');
    EXPECT_EQ(hue(at(frame, 0.7, -0.7)), 'b');
    EXPECT_EQ(view->bytesSent() - before, 4 * sizeof(vw::PreviewVertex));
}

TEST_F(PreviewRender, PerspectiveAndWireframeStillShowTheFront) {
    view->setOrthographic(false);
    view->fitAll();
    vw::OrbitCamera& camera = view->scene().camera();
    camera.yaw = 0;
    camera.pitch = 0;
    vw::PreviewOptions options;
    options.wireframe = true;
    view->setOptions(options);
    const QImage frame = view->grabFramebuffer();
    const QRgb middleTop = frame.pixel(100, 80);
    EXPECT_EQ(hue(middleTop), 'r');
    EXPECT_GT(view->bufferBytes(), 12 * sizeof(vw::PreviewVertex));
}

TEST_F(PreviewRender, WhileASlowViewMovesCoarseTrianglesShowTheSurfaceInPlace) {
    model.Parts[0].segments = {test_models::fineSquare(130, 255, 0, 0)}; // 33,282 triangles
    document.modelReplaced();
    lookFrom(0, 0);
    (void)view->grabFramebuffer();
    const size_t fullBytes = view->bufferBytes();
    view->scene().fullFrameDrawn(vw::kSlowFrameMs * 10); // as a slow renderer would have taken
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    ASSERT_TRUE(view->scene().drawsCoarse());
    const QImage moving = view->grabFramebuffer();
    for (const double x : {-0.9, 0.0, 0.9})
        for (const double y : {-0.9, 0.0, 0.9})
            EXPECT_EQ(hue(at(moving, x, y)), 'r') << x << ", " << y;
    EXPECT_EQ(at(moving, 0, 1.2) | 0xff000000u, vw::kBackGround);
    const vw::SegmentSpan& span = view->scene().mesh().segments()[0];
    EXPECT_GT(span.coarseCount, 0u);
    EXPECT_LE(span.coarseCount / 3, vw::kCoarseTriangles * 5 / 4);
    EXPECT_EQ(view->bufferBytes() - fullBytes, span.coarseCount * sizeof(uint16_t));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_FALSE(view->scene().drawsCoarse());
}

TEST_F(PreviewRender, SimplifiedStillFramesDifferFromFullOnesInAtMostOnePixelInAHundred) {
    // Four tori of 65,536 triangles, many to a pixel, in a window large enough that their
    // outline, where half a pixel changes a pixel's colour, is not much of the frame.
    model.Parts[0].segments = {
        test_models::fineTorus(128, 256, -1, -1), test_models::fineTorus(128, 256, 1, -1),
        test_models::fineTorus(128, 256, -1, 1), test_models::fineTorus(128, 256, 1, 1)};
    document.modelReplaced();
    view->resize(400, 300);
    struct Look {
        const char* name;
        bool orthographic;
        double away; // times as far as the fitted view, on a screen of one device pixel a pixel
    };
    for (const Look& look :
         {Look{"perspective, fitted", false, 1}, Look{"orthographic, fitted", true, 1},
          Look{"orthographic, farther", true, 2}}) {
        SCOPED_TRACE(look.name);
        view->setOrthographic(look.orthographic);
        view->fitAll();
        // A denser screen shows the triangles larger in device pixels: farther keeps them alike.
        const double away = look.away * view->devicePixelRatioF();
        vw::OrbitCamera& camera = view->scene().camera();
        camera.pitch = 0.6;
        camera.halfHeight *= away;
        camera.distance *= away;
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->detailReady(); }, 20000));
        const QImage simplified = view->grabFramebuffer();
        const vw::SegmentSpan& span = view->scene().mesh().segments()[0];
        EXPECT_NE(
            view->scene().mesh().detailFor(span, view->scene().camera(), view->devicePixelRatioF()),
            nullptr);
        view->setSimplifies(false);
        const QImage full = view->grabFramebuffer();
        view->setSimplifies(true);
        EXPECT_LE(test_frames::shareDiffering(simplified, full), 0.01);
    }
}

} // namespace

namespace {

// The Preview inside the pane window: Home, F and the numpad's . fit, tool letters still choose
// tools.
TEST(PreviewInPane, KeysFitTheViewAndToolLettersStillChooseTools) {
    if (!vw::canDrawPreview())
        GTEST_SKIP() << "no OpenGL 3.3 here";
    vw::Model model = asymmetricModel();
    frmPanes window(model);
    window.resize(408, 428);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Init_Ebo();
    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(4).center());
    PreviewView* view = window.preview->view();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    const QImage frame = view->grabFramebuffer();
    EXPECT_EQ(hue(frame.pixel(frame.width() / 2, frame.height() / 3)), 'r');

    vw::OrbitCamera& camera = view->scene().camera();
    camera.target = {40, 40, 40};
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_NEAR(camera.target.x, 0, 1e-6);
    EXPECT_NEAR(camera.target.y, 0, 1e-6);

    model.curData[2].verts[3].selected = -1; // the green patch's lower right corner, (1, -1, 0)
    QTest::keyClick(view, 'f');
    EXPECT_NEAR(camera.target.x, 1, 1e-6);
    EXPECT_NEAR(camera.target.y, -1, 1e-6);
    camera.target = {40, 40, 40};
    QTest::keyClick(view, Qt::Key_Period, Qt::KeypadModifier); // the numpad's . as F
    EXPECT_NEAR(camera.target.x, 1, 1e-6);

    QTest::keyClick(view, 'z');
    EXPECT_EQ(window.pane().toolMode, vw::kToolZoom);

    // The View menu's Fit Model and Fit Selection act on the Preview's camera on this tab.
    camera.target = {40, 40, 40};
    window.fitModel();
    EXPECT_NEAR(camera.target.x, 0, 1e-6);
    window.fitSelection();
    EXPECT_NEAR(camera.target.x, 1, 1e-6);
}

// A check box of the parts tree redraws the Preview at once, not at the next edit.
TEST(PreviewInPane, TheTreesCheckBoxesRedrawThePreviewAtOnce) {
    if (!vw::canDrawPreview())
        GTEST_SKIP() << "no OpenGL 3.3 here";
    vw::test::Editor editor;
    editor.open(editor.put(vw::test::twoPartModel(), "shown.ebo"));
    frmPanes* panes = editor.main->panes();
    ASSERT_NE(panes, nullptr);
    panes->tabAxes->setCurrentIndex(vw::kTabPreview - 1);
    PreviewView* view = panes->preview->view();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    QTest::qWait(100);
    const size_t before = view->framesDrawn();
    editor.main->parts()->node(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->framesDrawn() > before; }, 2000));
}

} // namespace

namespace {

struct ShaderCase {
    const char* label;
    std::function<void(vw::PreviewShaderSources&)> spoil;
    QString says;
};

class PreviewShaders : public testing::TestWithParam<ShaderCase> {};

// A shader the graphics refuse is named in the tab's one line instead of an empty view.
TEST_P(PreviewShaders, AShaderThatCannotBeBuiltIsReportedInTheTabsOneLine) {
    if (!vw::canDrawPreview())
        GTEST_SKIP() << "no OpenGL 3.3 here";
    const ShaderCase& c = GetParam();
    vw::Model model = asymmetricModel();
    vw::Document document(model);
    PreviewPanel panel(document, true);
    panel.view()->setShaderSources([&c](bool es) {
        vw::PreviewShaderSources sources = vw::previewShaderSources(es);
        c.spoil(sources);
        return sources;
    });
    panel.resize(200, 200);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    (void)panel.view()->grabFramebuffer();
    QApplication::processEvents();

    EXPECT_TRUE(panel.notice()->isVisible());
    EXPECT_FALSE(panel.view()->isVisible());
    EXPECT_TRUE(panel.notice()->text().contains(c.says)) << panel.notice()->text().toStdString();
    EXPECT_FALSE(panel.notice()->text().contains(QChar('\n')));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PreviewShaders,
    testing::Values(ShaderCase{"SurfaceDoesNotCompile",
                               [](vw::PreviewShaderSources& s) {
                                   s.surfaceFragment += "not a shader";
                               },
                               "cannot be shown: the surface fragment shader did not compile: "},
                    ShaderCase{"FlatDoesNotLink",
                               [](vw::PreviewShaderSources& s) {
                                   s.flatVertex.replace("void main()", "void unused()");
                               },
                               "cannot be shown: the flat shaders did not link: "}),
    [](const testing::TestParamInfo<ShaderCase>& info) { return info.param.label; });

} // namespace
