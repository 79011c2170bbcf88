// The Rotate tool: the handle found by colour, the snapshot, the absolute angle and its text.

#include "tools/transform.h"
#include "tools_fixture.h"
#include "views/pane.h"

#include <QLocale>

#include <cmath>
#include <numbers>

namespace vw::test {
namespace {

constexpr float pi = std::numbers::pi_v<float>;

// A cross about the origin: right, left, below, above and on the centre, and a vertex beyond.
const std::vector<PartPoints> kModel = {{
    {{1, 0, 7, 0.75f, 0.5f},
     {-1, 0, 7, 0.25f, 0.5f},
     {0, 1, 7, 0.5f, 0.75f},
     {0, -1, 7, 0.5f, 0.25f},
     {0, 0, 7, 0.5f, 0.5f}},
    {{5, 5, 7, 0, 0}},
}};

class RotateTool : public ToolsTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QObject::connect(&frame().feedback, &ToolFeedback::statusShown,
                         [this](const QString& text) { texts.push_back(text); });
        loadModel(kModel);
        drag(pixelAt(-1.5f, -1.5f), pixelAt(1.5f, 1.5f));
        ASSERT_EQ(pane().SelCount(), 5);
        typeKey('r');
        tick();
        snapshot = model.curData[0].verts;
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    void expectAt(size_t index, float x, float y) {
        EXPECT_NEAR(vert(0, index).x, x, 1e-5) << index;
        EXPECT_NEAR(vert(0, index).y, y, 1e-5) << index;
    }
    void expectFinite() {
        for (const Segment& segment : model.curData)
            for (const Vertex& v : segment.verts)
                ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << v.x << ", " << v.y;
        ASSERT_TRUE(std::isfinite(rotateTool().handle().h) &&
                    std::isfinite(rotateTool().handle().v));
    }

    std::vector<QString> texts;
    std::vector<Vertex> snapshot;
};

TEST_F(RotateTool, AQuarterTurnFollowsThePointerAndCommitsOnRelease) {
    EXPECT_FLOAT_EQ(rotateTool().handle().h, 1);
    EXPECT_EQ(rgbOf(pane().colourAt(pane().toPaneX(1), pane().toPaneY(0))),
              qRgb(0, 250, 0) & RGB_MASK);
    press(pixelAt(1, 0));
    EXPECT_TRUE(pane().isOnRotater);
    moveTo(pixelAt(0.7f, 0.7f));
    moveTo(pixelAt(0, 2)); // straight below the centre: a right angle
    EXPECT_FLOAT_EQ(pane().rotAngle, pi / 2);
    EXPECT_EQ(texts.back(), "1.570796");
    expectAt(0, 0, 1);
    expectAt(2, -1, 0);
    expectAt(3, 1, 0);
    expectAt(4, 0, 0);
    EXPECT_EQ(vert(0, 0).z, 7.0f);
    EXPECT_EQ(vert(1, 0).x, 5.0f);
    EXPECT_EQ(modelVert(0, 0, 0).x, 1.0f); // not written back during the drag
    tick();
    EXPECT_EQ(rgbOf(pane().colourAt(pane().toPaneX(0), pane().toPaneY(1))),
              qRgb(0, 250, 0) & RGB_MASK);
    release(pixelAt(0, 2));
    EXPECT_FALSE(pane().isOnRotater);
    EXPECT_NEAR(modelVert(0, 0, 0).y, 1, 1e-5);
}

TEST_F(RotateTool, TheAngleReadoutClearsWhenTheDragEndsAndStaysClearAfterUndo) {
    press(pixelAt(1, 0));
    moveTo(pixelAt(0, 2));
    EXPECT_EQ(frame().feedback.status(), "1.570796");
    release(pixelAt(0, 2));
    EXPECT_EQ(frame().feedback.status(), "");
    pane().document().undo();
    tick();
    EXPECT_EQ(frame().feedback.status(), "");
    EXPECT_FALSE(pane().isOnRotater);
}

TEST_F(RotateTool, APointerAboveOrOnTheCentreAndAVertexOnItNeverGiveNaN) {
    press(pixelAt(1, 0));
    moveTo(pixelAt(0, -1)); // straight above
    expectFinite();
    EXPECT_FLOAT_EQ(pane().rotAngle, -pi / 2);
    expectAt(0, 0, -1);
    expectAt(4, 0, 0);
    moveTo(pixelAt(0, 0)); // on the centre
    expectFinite();
    EXPECT_EQ(pane().rotAngle, 0.0f);
    EXPECT_EQ(texts.back(), "0");
    expectAt(0, 1, 0);
    expectAt(3, 0, -1);
    release(pixelAt(0, 0));
    expectFinite();
}

TEST_F(RotateTool, LeftOfTheCentreTheAngleShowsTheFiveDecimalConstant) {
    press(pixelAt(1, 0));
    moveTo(pixelAt(-2, 0));
    EXPECT_FLOAT_EQ(pane().rotAngle, 3.14159f);
    EXPECT_EQ(texts.back(), "3.14159");
    expectAt(0, -1, 0);
    release(pixelAt(-2, 0));
}

TEST_F(RotateTool, AFullTurnReturnsToTheSnapshotThroughAnglesFromAboutMinusHalfPiToThreeHalvesPi) {
    press(pixelAt(1, 0));
    float lowest = 10, highest = -10;
    for (int step = 1; step <= 72; ++step) {
        const double angle = 2 * std::numbers::pi * step / 72;
        moveTo(pixelAt(float(3 * std::cos(angle)), float(3 * std::sin(angle))));
        lowest = std::min(lowest, pane().rotAngle);
        highest = std::max(highest, pane().rotAngle);
        expectFinite();
    }
    release(pixelAt(3, 0));
    EXPECT_FLOAT_EQ(lowest, -pi / 2); // straight above the centre
    EXPECT_GT(highest, 4.6f);         // just left of straight above
    EXPECT_LT(highest, 4.7124f);
    EXPECT_EQ(pane().rotAngle, 0.0f);
    for (size_t i = 0; i < snapshot.size(); ++i) {
        EXPECT_NEAR(modelVert(0, 0, i).x, snapshot[i].x, 1e-5) << i;
        EXPECT_NEAR(modelVert(0, 0, i).y, snapshot[i].y, 1e-5) << i;
    }
}

TEST_F(RotateTool, APressOffTheHandleRotatesNothingButTheReleaseStillCommits) {
    vert(0, 4).z = 42; // an edit of the working data not yet in the model
    press(pixelAt(-1.5f, 1.5f));
    EXPECT_FALSE(pane().isOnRotater);
    moveTo(pixelAt(0, 2));
    expectAt(0, 1, 0);
    EXPECT_TRUE(texts.empty());
    release(pixelAt(0, 2));
    EXPECT_EQ(modelVert(0, 0, 4).z, 42.0f);
}

TEST_F(RotateTool, AKeyTypedDuringADragRecentresAndTheTurnFollowsTheNewCentre) {
    press(pixelAt(1, 0));
    moveTo(pixelAt(1, 1));
    vert(1, 0).selected = -1; // selected behind the tool's back; the next key takes it in
    typeKey('x');
    const PlanePoint centre = rotateTool().centre();
    EXPECT_NEAR(centre.h, 2.1464f, 1e-4);
    moveTo(pixelAt(2, 5));
    for (size_t i = 0; i < snapshot.size(); ++i) {
        const PlanePoint expected =
            rotatedPoint({snapshot[i].x, snapshot[i].y}, centre, pane().rotAngle);
        EXPECT_EQ(vert(0, i).x, expected.h) << i;
        EXPECT_EQ(vert(0, i).y, expected.v) << i;
    }
    const PlanePoint lone = rotatedPoint({5, 5}, centre, pane().rotAngle);
    EXPECT_EQ(vert(1, 0).x, lone.h);
    EXPECT_EQ(vert(1, 0).y, lone.v);
    release(pixelAt(2, 5));
}

TEST_F(RotateTool, OnTheUvTabItTurnsTheTextureCoordinates) {
    chooseTab(4);
    typeKey('r');
    tick();
    EXPECT_FLOAT_EQ(rotateTool().centre().h, 0.5f);
    press(pixelAt(rotateTool().handle().h, rotateTool().handle().v));
    moveTo(pixelAt(0.5f, 1));
    release(pixelAt(0.5f, 1));
    EXPECT_NEAR(vert(0, 0).u, 0.5f, 1e-5);
    EXPECT_NEAR(vert(0, 0).v, 0.75f, 1e-5);
    EXPECT_EQ(vert(0, 0).x, 1.0f);
}

TEST_F(RotateTool, OnThePreviewTabNothingTurns) {
    chooseTab(5);
    typeKey('r');
    press(QPointF(1, 1));
    moveTo(QPointF(100, 100));
    release(QPointF(100, 100));
    EXPECT_FALSE(pane().isOnRotater);
    expectAt(0, 1, 0);
    EXPECT_TRUE(texts.empty());
}

} // namespace
} // namespace vw::test
