// The transform arithmetic of the Move, Scale, Rotate and Zoom tools, by tables of values.

#include "tools/amount_expression.h"
#include "tools/angle_text.h"
#include "tools/transform.h"
#include "tools/transform_readout.h"
#include "tools/zoom_tool.h"
#include "views/grid.h"
#include "views/view_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <utility>

namespace vw {
namespace {

constexpr double pi = std::numbers::pi;

TEST(MovedCoord, AddsTheUnroundedStepFromTheAnchorInModelUnits) {
    struct Case {
        float value, pointer;
        int32_t anchor;
        float invZoom, expected;
    };
    const Case cases[] = {
        {1.0f, 160.0f, 100, 1 / 100.0f, 1.6f},     {1.0f, 40.0f, 100, 1 / 100.0f, 0.4f},
        {-2.0f, 100.5f, 100, 1 / 100.0f, -1.995f}, {0.25f, 7.5f, 0, 1 / 400.0f, 0.26875f},
        {3.0f, 100.0f, 100, 1 / 100.0f, 3.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(movedCoord(c.value, c.pointer, c.anchor, c.invZoom), c.expected)
            << c.value << " " << c.pointer;
}

TEST(GridSpacing, OneTwoOrFiveTimesAPowerOfTenWithLinesTwentyToEightyPixelsApart) {
    struct Case {
        float zoom;
        double spacing;
    };
    constexpr float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {100, 5},   {1500, 0.2},
        {400, 1},   {15, 20},
        {7.5f, 50}, {1e6f, 5e-4},
        {0, 0},     {-100, 0},
        {inf, 0},   {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(gridSpacing(c.zoom), c.spacing) << c.zoom;
    for (double zoom = 1e-3; zoom < 1e7; zoom *= 1.07) {
        const double pixels = gridSpacing(float(zoom)) * float(zoom) / 15;
        EXPECT_GE(pixels, 20 - 1e-9) << zoom;
        EXPECT_LE(pixels, 80) << zoom;
    }
    // Spacing 5 at zoom 100 over 5,880 twips with the origin in the middle: eleven lines.
    const std::vector<GridLine> lines = gridLines(5, 100, 2940, 5880);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines.front().at, 440);
    EXPECT_EQ(lines.back().at, 5440);
    EXPECT_TRUE(lines[5].axis);
    EXPECT_EQ(lines[5].at, 2940);
}

struct ScaleCase {
    const char* name;
    ScaleGrab grab;
    float pointerH, pointerV;
    bool shift;
    ScaleBox after;
    float mapsLeftTo, mapsRightTo, mapsTopTo, mapsBottomTo;
};

// The box starts at left 0, top 0, right 2, bottom 1.
const ScaleCase scaleCases[] = {
    {"right edge to double width",
     {false, false, true, false},
     4,
     9,
     false,
     {0, 0, 4, 1},
     0,
     4,
     0,
     1},
    {"bottom edge", {false, false, false, true}, 9, 3, false, {0, 0, 2, 3}, 0, 2, 0, 3},
    {"top-left corner", {true, true, false, false}, -1, -1, false, {-1, -1, 2, 1}, -1, 2, -1, 1},
    {"left edge past the right one mirrors",
     {true, false, false, false},
     3,
     9,
     false,
     {3, 0, 2, 1},
     3,
     2,
     0,
     1},
    {"top edge past the bottom one mirrors",
     {false, true, false, false},
     9,
     2,
     false,
     {0, 2, 2, 1},
     0,
     2,
     2,
     1},
    {"no handle grabbed", {}, 7, 7, false, {0, 0, 2, 1}, 0, 2, 0, 1},
    {"shift on the top edge keeps the height",
     {false, true, false, false},
     9,
     -3,
     true,
     {0, 0, 2, 1},
     0,
     2,
     0,
     1},
    {"shift on the bottom-right corner moves the bottom",
     {false, false, true, true},
     4,
     9,
     true,
     {0, 0, 4, 2},
     0,
     4,
     0,
     2},
    {"shift on the top-right corner moves the top",
     {false, true, true, false},
     4,
     9,
     true,
     {0, -1, 4, 1},
     0,
     4,
     -1,
     1},
    {"shift on the left edge moves the top",
     {true, false, false, false},
     -2,
     9,
     true,
     {-2, -1, 2, 1},
     -2,
     2,
     -1,
     1},
    {"shift while mirroring flips the height too",
     {true, false, false, false},
     4,
     9,
     true,
     {4, 2, 2, 1},
     4,
     2,
     2,
     1},
};

class ScaleStepTable : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleStepTable, MovesTheGrabbedEdgesAndMapsTheOldBoxOntoTheNew) {
    const ScaleCase& c = GetParam();
    ScaleBox box{0, 0, 2, 1};
    const std::optional<ScaleMapping> mapping =
        scaleStep(box, c.grab, c.pointerH, c.pointerV, c.shift);
    ASSERT_TRUE(mapping.has_value());
    EXPECT_FLOAT_EQ(box.left, c.after.left);
    EXPECT_FLOAT_EQ(box.top, c.after.top);
    EXPECT_FLOAT_EQ(box.right, c.after.right);
    EXPECT_FLOAT_EQ(box.bottom, c.after.bottom);
    EXPECT_FLOAT_EQ(mapping->mapH(0), c.mapsLeftTo);
    EXPECT_FLOAT_EQ(mapping->mapH(2), c.mapsRightTo);
    EXPECT_FLOAT_EQ(mapping->mapV(0), c.mapsTopTo);
    EXPECT_FLOAT_EQ(mapping->mapV(1), c.mapsBottomTo);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScaleStepTable, testing::ValuesIn(scaleCases),
                         [](const testing::TestParamInfo<ScaleCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(ScaleStep, AStepThatWouldFlattenTheBoxIsSkipped) {
    struct Case {
        ScaleGrab grab;
        float pointerH, pointerV;
        bool shift;
    };
    const Case cases[] = {
        {{true, false, false, false}, 2, 9, false},
        {{false, false, false, true}, 9, 0, false},
        {{false, false, true, true}, 0, 5, true},
    };
    for (const Case& c : cases) {
        ScaleBox box{0, 0, 2, 1};
        EXPECT_FALSE(scaleStep(box, c.grab, c.pointerH, c.pointerV, c.shift).has_value());
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, 2);
        EXPECT_EQ(box.bottom, 1);
    }
}

TEST(ScaleStep, ABoxWithoutWidthOrHeightScalesNothingAndStaysPut) {
    for (const ScaleBox start :
         {ScaleBox{1, 0, 1, 2}, ScaleBox{0, 3, 2, 3}, ScaleBox{5, 5, 5, 5}}) {
        ScaleBox box = start;
        EXPECT_FALSE(scaleStep(box, {true, true, true, true}, 9, 9, false).has_value());
        EXPECT_FALSE(scaleStep(box, {true, true, true, true}, 9, 9, true).has_value());
        EXPECT_EQ(box.left, start.left);
        EXPECT_EQ(box.top, start.top);
        EXPECT_EQ(box.right, start.right);
        EXPECT_EQ(box.bottom, start.bottom);
    }
}

TEST(PolarAngle, MeasuresFromIncreasingHWithTheFiveDecimalConstantOnTheLeft) {
    struct Case {
        double dh, dv, expected;
    };
    const Case cases[] = {
        {1, 0, 0},
        {2, 2, pi / 4},
        {1, -1, -pi / 4},
        {-1, 0, 3.14159},
        {-3, 3, -pi / 4 + 3.14159},
        {-1, -1, pi / 4 + 3.14159},
        {1e-9, 1, std::atan(1e9)},
        // Straight above or below the centre, and on it.
        {0, 2, pi / 2},
        {0, -0.5, -pi / 2},
        {0, 0, 0},
        {-0.0, 1, pi / 2},
        {-0.0, -1, -pi / 2},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(polarAngle(c.dh, c.dv), c.expected) << c.dh << ", " << c.dv;
}

TEST(RotatedPoint, TurnsAboutTheCentreToTheAbsoluteAngle) {
    struct Case {
        PlanePoint snapshot, center;
        float angle;
        PlanePoint expected;
    };
    const float right = static_cast<float>(pi / 2);
    const Case cases[] = {
        {{3, 1}, {1, 1}, 0, {3, 1}},
        {{3, 1}, {1, 1}, right, {1, 3}},
        {{2, 2}, {1, 1}, static_cast<float>(pi), {0, 0}},
        {{1, 4}, {1, 1}, right, {-2, 1}}, // straight below the centre
        {{1, -1}, {1, 1}, 0, {1, -1}},    // straight above it: stays at angle 0
        {{0, 1}, {1, 1}, 0, {0, 1}},      // left of it: the constant turns it by ~2.7e-6 only
    };
    for (const Case& c : cases) {
        const PlanePoint turned = rotatedPoint(c.snapshot, c.center, c.angle);
        EXPECT_NEAR(turned.h, c.expected.h, 1e-5) << c.snapshot.h << ", " << c.snapshot.v;
        EXPECT_NEAR(turned.v, c.expected.v, 1e-5) << c.snapshot.h << ", " << c.snapshot.v;
    }
}

TEST(RotatedPoint, APointOnTheCentreStaysExactlyThereAtAnyAngle) {
    for (float angle : {0.0f, 1.0f, -1.5707964f, 3.14159f, 4.712389f}) {
        const PlanePoint turned = rotatedPoint({2.5f, -7.25f}, {2.5f, -7.25f}, angle);
        EXPECT_EQ(turned.h, 2.5f);
        EXPECT_EQ(turned.v, -7.25f);
    }
}

TEST(AngleText, SevenSignificantDigitsWithoutTrailingZerosInTheUsersNotation) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        float radians;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {static_cast<float>(0.0 + 3.14159), "3.14159", "3,14159"},
        {static_cast<float>(pi / 2), "1.570796", "1,570796"},
        {static_cast<float>(-pi / 2), "-1.570796", "-1,570796"},
        {static_cast<float>(pi / 2 + 3.14159), "4.712386", "4,712386"},
        {0.5f, "0.5", "0,5"},
        {1.0f, "1", "1"},
        {0.1f, "0.1", "0,1"},
        {0.0f, "0", "0"},
        {-0.0f, "0", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(angleText(c.radians, english).toStdString(), c.english) << c.radians;
        EXPECT_EQ(angleText(c.radians, german).toStdString(), c.german) << c.radians;
    }
    // A locale with digits of its own lends only its separator.
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    EXPECT_EQ(angleText(static_cast<float>(-pi / 2), arabic),
              QStringLiteral("-1") + arabic.decimalPoint() + QStringLiteral("570796"));
}

TEST(TypedAmount, ArithmeticWithItsPrecedenceAndNothingForWhatIsNotWhole) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"6", 6},
        {"2*3", 6},
        {"1/3", 1.0 / 3},
        {"-(1+2)/4", -0.75},
        {"2*-3", -6},
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"--1", 1},
        {".5", 0.5},
        {"1-2-3", -4},
        {"8/2/2", 2},
        {"1 + 1", 2},
        {"", std::nullopt},
        {"2*", std::nullopt},
        {"(1", std::nullopt},
        {"1)", std::nullopt},
        {"1/0", std::nullopt},
        {"1.5.2", std::nullopt},
        {".", std::nullopt},
        {"1e5", std::nullopt},
        {"-", std::nullopt},
        {"1/(2-2)", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(evaluateAmount(text), value) << text;
}

// The readout and the bits of a transform drag on the XY view (20 twips to a unit) whose keys
// are typed as a hand types them, from the box of vertices (1, 1, 0) and (3, 1, 0).
TEST(TransformReadout, NamesTheToolTheLimitTheTextAndTheAmountApplied) {
    struct Case {
        TransformKind kind;
        const char* keys; // X, Y, Z limit; anything else is typed
        double pointerX;  // the press is at 0
        const char* readout;
        float firstX; // the first vertex's x after the step
    };
    const Case cases[] = {
        {TransformKind::Move, "x2*3", 0, "Move along X: 2*3 = 6", 7},
        {TransformKind::Move, "x6", 0, "Move along X: 6", 7},
        {TransformKind::Move, "x2*", 0, "Move along X: 2* (invalid)", 1},
        {TransformKind::Move, "", 40, "Move D: 2, 0, 0", 3},
        {TransformKind::Move, "y", 40, "Move along Y D: 0, 0, 0", 1},
        {TransformKind::Scale, "1/2", 0, "Scale: 1/2 = 0.5", 1.5},
        {TransformKind::Scale, "x3", 0, "Scale along X: 3", -1},
        {TransformKind::Rotate, "45*4", 0, "Rotate about Z: 45*4 = 180\u00b0", 3},
    };
    ViewParams view;
    view.zoom = 20;
    const PlaneProjection projection(view);
    for (const Case& c : cases) {
        std::vector<Segment> data(1);
        for (float x : {1.0f, 3.0f}) {
            Vertex vertex;
            vertex.x = x;
            vertex.y = -1;
            vertex.selected = -1;
            data[0].verts.push_back(vertex);
        }
        TransformDrag drag;
        drag.begin(c.kind, data, {2, 1, 0}, 0, 0, projection, 0);
        if (c.kind == TransformKind::Rotate)
            drag.offerAxes(0);
        for (const char* key = c.keys; *key; ++key)
            if (*key == 'x' || *key == 'y')
                drag.limitTo(*key - 'x', false);
            else
                drag.type(*key);
        drag.apply(data, c.pointerX, 0, projection);
        EXPECT_EQ(transformReadout(drag, data).toStdString(), c.readout) << c.keys;
        EXPECT_FLOAT_EQ(data[0].verts[0].x, c.firstX) << c.keys;
    }
}

ViewParams viewAt(float zoom, int32_t originX, int32_t originY) {
    ViewParams view;
    view.zoom = zoom;
    view.originX = originX;
    view.originY = originY;
    return view;
}

TEST(ClickZoom, StepsByAQuarterAndCentresTheClickedPoint) {
    struct Case {
        ViewParams view;
        int32_t x, y;
        float inc;
        int32_t width, height;
        float zoom;
        int32_t originX, originY;
    };
    const Case cases[] = {
        {viewAt(100, 500, 400), 700, 400, 0.25f, 1000, 800, 125, 250, 400},
        {viewAt(100, 500, 400), 700, 200, -0.25f, 1000, 800, 75, 350, 550},
        {viewAt(100, 500, 400), 500, 400, 0.25f, 1001, 801, 125, 500, 400}, // 500.5 and 400.5
        {viewAt(100, 500, 400), 500, 400, 0.25f, 1003, 803, 125, 502, 402}, // 501.5 and 401.5
    };
    for (const Case& c : cases) {
        const std::optional<ViewParams> zoomed =
            clickZoom(c.view, c.x, c.y, c.inc, c.width, c.height);
        ASSERT_TRUE(zoomed.has_value());
        EXPECT_FLOAT_EQ(zoomed->zoom, c.zoom);
        EXPECT_EQ(zoomed->originX, c.originX);
        EXPECT_EQ(zoomed->originY, c.originY);
    }
}

TEST(DragZoom, FitsTheLargerRelativeSideAroundTheTruncatedCentre) {
    struct Case {
        const char* name;
        ViewParams view;
        int32_t x1, y1, x2, y2, width, height;
        float zoom;
        int32_t originX, originY;
    };
    const Case cases[] = {
        {"wider than tall fits the width", viewAt(100, 500, 400), 100, 100, 600, 200, 1000, 800,
         200, 800, 900},
        {"taller than wide fits the height", viewAt(100, 500, 400), 600, 200, 500, 600, 1000, 800,
         200, 400, 400},
        {"larger than the pane zooms out", viewAt(100, 500, 400), 0, 0, 2000, 100, 1000, 800, 50,
         250, 575},
        {"zero width uses the height", viewAt(100, 500, 400), 100, 400, 100, 800, 1000, 800, 200,
         1300, 0},
        {"centre truncates toward zero", viewAt(1, 0, 0), -3, 0, 0, 3, 3, 3, 1, 2, 0},
    };
    for (const Case& c : cases) {
        const std::optional<ViewParams> zoomed =
            dragZoom(c.view, c.x1, c.y1, c.x2, c.y2, c.width, c.height);
        ASSERT_TRUE(zoomed.has_value()) << c.name;
        EXPECT_FLOAT_EQ(zoomed->zoom, c.zoom) << c.name;
        EXPECT_EQ(zoomed->originX, c.originX) << c.name;
        EXPECT_EQ(zoomed->originY, c.originY) << c.name;
    }
}

TEST(Zoom, AStepThatWouldBreakTheViewIsRefused) {
    EXPECT_FALSE(clickZoom(viewAt(1e-44f, 0, 0), 0, 0, -0.25f, 1000, 800).has_value());
    EXPECT_FALSE(clickZoom(viewAt(3e38f, 0, 0), 0, 0, 0.25f, 1000, 800).has_value());
    EXPECT_FALSE(clickZoom(viewAt(1e8f, 0, 0), 2000000000, 0, 0.25f, 1000, 800).has_value());
    EXPECT_FALSE(dragZoom(viewAt(100, 0, 0), 0, 0, 10, 10, 0, 800).has_value());
    EXPECT_FALSE(dragZoom(viewAt(3e38f, 0, 0), 0, 0, 1, 1, 1000, 800).has_value());
    EXPECT_FALSE(wheelZoom(viewAt(3e38f, 0, 0), 5, 5, 0.25f).has_value());
    EXPECT_FALSE(fitBox(viewAt(100, 0, 0), ModelBox{}, 1000, 800).has_value());
}

TEST(WheelZoom, KeepsThePointUnderThePointerWhereItIs) {
    for (const float inc : {0.25f, -0.25f}) {
        const ViewParams view = viewAt(100, 500, 400);
        const std::optional<ViewParams> zoomed = wheelZoom(view, 740, 130, inc);
        ASSERT_TRUE(zoomed.has_value());
        EXPECT_FLOAT_EQ(zoomed->zoom, 100 * (1 + inc));
        // The model point (2.4, -2.7) was under the pointer and still is.
        EXPECT_EQ(toPane(2.4f, zoomed->zoom, zoomed->originX), 740);
        EXPECT_EQ(toPane(-2.7f, zoomed->zoom, zoomed->originY), 130);
    }
}

TEST(FitBox, ShowsTheWholeBoxCentredWithAMarginAndOnePointKeepsTheZoom) {
    ModelBox box;
    box.add(-1, 2);
    box.add(3, 4); // 4 wide, 2 high
    const std::optional<ViewParams> fitted = fitBox(viewAt(100, 0, 0), box, 1000, 800);
    ASSERT_TRUE(fitted.has_value());
    EXPECT_FLOAT_EQ(fitted->zoom, 1000 * 0.9f / 4); // the width decides
    EXPECT_EQ(toPane(1, fitted->zoom, fitted->originX), 500);
    EXPECT_EQ(toPane(3, fitted->zoom, fitted->originY), 400);
    EXPECT_GE(toPane(-1, fitted->zoom, fitted->originX), 0);
    EXPECT_LE(toPane(3, fitted->zoom, fitted->originX), 1000);

    ModelBox point;
    point.add(7, -7);
    const std::optional<ViewParams> centred = fitBox(viewAt(250, 0, 0), point, 1000, 800);
    ASSERT_TRUE(centred.has_value());
    EXPECT_EQ(centred->zoom, 250);
    EXPECT_EQ(toPane(7, centred->zoom, centred->originX), 500);
}

} // namespace
} // namespace vw
