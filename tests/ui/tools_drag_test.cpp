// A drag belongs to the button that began it and Esc cancels it; the Scale box and the Rotate
// handle follow every change of the selection; a view change redraws what lies behind the tool.

#include "model/vertex_fields.h"
#include "tools/selection.h"
#include "tools_fixture.h"
#include "views/pane.h"

#include <QTest>
#include <QWheelEvent>

#include <bit>
#include <functional>

namespace vw::test {
namespace {

// Every stored field of every vertex, bit for bit, and its selection flag when asked.
std::vector<uint64_t> bitsOf(const std::vector<Segment>& data, bool withSelection = true) {
    std::vector<uint64_t> bits;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts) {
            for (int f = 0; f < kVertexFieldCount; ++f)
                bits.push_back(fieldBits(vertex, f));
            if (withSelection)
                bits.push_back(uint16_t(vertex.selected));
        }
    return bits;
}

class Drags : public ToolsTest {
protected:
    void SetUp() override { loadModel(kRectangleModel); }
    // Selects the rectangle (not the far vertex) and chooses the tool by its letter.
    void selectRectangleWith(char tool) {
        drag(pixelAt(-1, -1), pixelAt(5, 4));
        typeKey(tool);
        tick();
    }
    // The press point of every editing tool: the Scale box's right handle, which is where the
    // Rotate handle starts too, on a vertex Move can grab.
    QPointF grip() { return pixelAt(4, 1.5f); }
    Document& document() { return pane().document(); }
};

struct ToolCase {
    const char* name;
    char letter;
};
class EditingDrags : public Drags, public testing::WithParamInterface<ToolCase> {};

TEST_P(EditingDrags, ASecondButtonNeitherEndsNorPansTheDragAndItsReleaseCommitsIt) {
    selectRectangleWith(GetParam().letter);
    const ViewParams view = pane().currentView();
    press(grip());
    moveTo(grip() + QPointF(30, 0));
    press(grip() + QPointF(30, 0), Qt::MiddleButton);
    moveTo(grip() + QPointF(45, 15), Qt::LeftButton | Qt::MiddleButton);
    release(grip() + QPointF(45, 15), Qt::MiddleButton);
    moveTo(grip() + QPointF(60, 15));
    EXPECT_FALSE(document().canUndo()) << "the drag is still open";
    release(grip() + QPointF(60, 15));

    EXPECT_TRUE(document().canUndo());
    EXPECT_EQ(document().stepCount(), 1u);
    EXPECT_EQ(model.Parts[0].segments[0].verts, model.curData[0].verts) << "committed";
    EXPECT_FALSE(pane().isLeftButton);
    EXPECT_FALSE(pane().isOnRotater);
    const std::vector<uint64_t> after = bitsOf(model.curData);
    moveTo(pixelAt(-4, -4), Qt::NoButton);
    click(pixelAt(-4, -4), Qt::RightButton);
    EXPECT_EQ(bitsOf(model.curData), after) << "nothing acts once the drag is over";
    EXPECT_EQ(pane().currentView(), view) << "the middle press did not pan";
}

TEST_P(EditingDrags, EscPutsBackEveryBitAndLeavesNoStep) {
    selectRectangleWith(GetParam().letter);
    const std::vector<uint64_t> before = bitsOf(model.curData);
    const std::vector<uint64_t> stored = bitsOf(model.Parts[0].segments, false);
    const float box[4] = {pane().selLeft, pane().selTop, pane().selRight, pane().selBottom};
    press(grip());
    moveTo(grip() + QPointF(37, -11));
    moveTo(grip() + QPointF(53, 23));
    ASSERT_NE(bitsOf(model.curData), before) << "the drag did something to cancel";
    QTest::keyClick(surface(), Qt::Key_Escape);
    moveTo(grip() + QPointF(70, 30));
    release(grip() + QPointF(70, 30));

    EXPECT_EQ(bitsOf(model.curData), before);
    EXPECT_EQ(bitsOf(model.Parts[0].segments, false), stored);
    EXPECT_FALSE(document().canUndo());
    EXPECT_GT(pane().SelCount(), 0) << "Esc during a drag does not clear the selection";
    EXPECT_EQ(pane().selLeft, box[0]);
    EXPECT_EQ(pane().selRight, box[2]);
    EXPECT_FALSE(pane().isOnRotater);
}

INSTANTIATE_TEST_SUITE_P(Tools, EditingDrags,
                         testing::Values(ToolCase{"Move", 'v'}, ToolCase{"Scale", 'c'},
                                         ToolCase{"Rotate", 'r'}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Drags, EscDuringABoxPutsTheSelectionBackAndItsReleaseSelectsNothing) {
    selectRectangleWith('s');
    const std::vector<uint64_t> before = bitsOf(model.curData);
    const int32_t count = pane().SelCount();
    press(pixelAt(-7, -7)); // empty space: the press clears the selection
    moveTo(pixelAt(-4, -4));
    QTest::keyClick(surface(), Qt::Key_Escape);
    moveTo(pixelAt(6, 6));
    release(pixelAt(6, 6));
    tick();
    EXPECT_EQ(bitsOf(model.curData), before);
    EXPECT_EQ(pane().SelCount(), count);
    EXPECT_TRUE(pane().isToolEnabled(kToolMove));
    EXPECT_FALSE(pane().isLeftButton) << "no rubber band is left on the surface";
}

TEST_F(Drags, ABoxThatAMiddlePressInterruptsStillEndsAtItsOwnRelease) {
    const ViewParams view = pane().currentView();
    press(pixelAt(-1, -1));
    press(pixelAt(2, 2), Qt::MiddleButton);
    moveTo(pixelAt(5, 4), Qt::LeftButton | Qt::MiddleButton);
    release(pixelAt(5, 4));
    release(pixelAt(5, 4), Qt::MiddleButton);
    EXPECT_EQ(pane().SelCount(), 5) << "the box selected on its own release";
    EXPECT_FALSE(pane().isLeftButton);
    moveTo(pixelAt(-3, 0), Qt::NoButton);
    EXPECT_EQ(pane().currentView(), view) << "bare motion does not pan";
}

// What choosing the tool again computes, to compare with what the tool shows: the box, and
// Rotate's centre and handle.
std::array<float, 8> handlesOf(const Pane& pane, const ToolFrame& frame) {
    const auto* rotate = dynamic_cast<const RotateTool*>(frame.currentTool());
    const PlanePoint centre = rotate ? rotate->centre() : PlanePoint{0, 0};
    const PlanePoint handle = rotate ? rotate->handle() : PlanePoint{0, 0};
    return {pane.selLeft, pane.selTop, pane.selRight, pane.selBottom,
            centre.h,     centre.v,    handle.h,      handle.v};
}

struct SelectionCommand {
    const char* name;
    std::function<void(QWidget* surface, Pane&)> run;
};
class HandlesFollowTheSelection
    : public Drags,
      public testing::WithParamInterface<std::tuple<char, SelectionCommand>> {};

TEST_P(HandlesFollowTheSelection, AsIfTheToolWereChosenAgain) {
    const auto& [letter, command] = GetParam();
    click(pixelAt(4, 3));
    typeKey(letter);
    command.run(surface(), pane());
    const std::array<float, 8> shown = handlesOf(pane(), frame());
    typeKey(letter);
    const std::array<float, 8> chosenAgain = handlesOf(pane(), frame());
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint32_t>(shown[i]), std::bit_cast<uint32_t>(chosenAgain[i]))
            << "value " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HandlesFollowTheSelection,
    testing::Combine(
        testing::Values('c', 'r'),
        testing::Values(SelectionCommand{"SelectAll", [](QWidget*, Pane& p) { selectAll(p); }},
                        SelectionCommand{"SelectNone", [](QWidget*, Pane& p) { selectNone(p); }},
                        SelectionCommand{"Invert", [](QWidget*, Pane& p) { invertSelection(p); }},
                        SelectionCommand{"Esc",
                                         [](QWidget* surface, Pane&) {
                                             QTest::keyClick(surface, Qt::Key_Escape);
                                         }})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) == 'c' ? "Scale" : "Rotate") +
               std::get<1>(info.param).name;
    });

struct ViewChange {
    const char* name;
    std::function<void(ToolsTest&, QWidget*)> run;
};
class BehindTheTool : public Drags, public testing::WithParamInterface<ViewChange> {};

// With an overlay tool current, the tick composes over the background: after a view change it
// must draw that background anew, once, the other parts included.
TEST_P(BehindTheTool, AViewChangeWithMoveCurrentRedrawsEverythingOnce) {
    selectRectangleWith('v');
    int frames = 0;
    QObject::connect(&pane(), &Pane::surfaceChanged, [&] { ++frames; });
    GetParam().run(*this, surface());
    tick();
    tick();
    EXPECT_EQ(frames, 1);
    const QImage shown = pane().picMain.copy();
    pane().RefreshEbo();
    EXPECT_EQ(shown, pane().picMain) << "the frame equals a full redraw of the new view";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, BehindTheTool,
    testing::Values(
        ViewChange{"Wheel",
                   [](ToolsTest&, QWidget* surface) {
                       const QPointF at(100, 80);
                       QWheelEvent notch(at, surface->mapToGlobal(at), QPoint(), QPoint(0, 120),
                                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                       QApplication::sendEvent(surface, &notch);
                   }},
        ViewChange{
            "MiddlePan",
            [](ToolsTest&, QWidget* surface) {
                sendMouse(surface, QEvent::MouseButtonPress, {50, 50}, Qt::MiddleButton,
                          Qt::MiddleButton);
                sendMouse(surface, QEvent::MouseMove, {90, 70}, Qt::NoButton, Qt::MiddleButton);
                sendMouse(surface, QEvent::MouseButtonRelease, {90, 70}, Qt::MiddleButton,
                          Qt::NoButton);
            }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vw::test
