// Undo and redo of the pane's drags: one step per drag, exact values and the selection back.

#include "tools_fixture.h"
#include "views/pane.h"

#include <bit>

namespace vw::test {
namespace {

const std::vector<PartPoints>& kModel = kRectangleModel;

// Every stored bit of the vertices' coordinates.
std::vector<uint32_t> bitsOf(const std::vector<Part>& parts) {
    std::vector<uint32_t> bits;
    for (const Part& part : parts)
        for (const Segment& segment : part.segments)
            for (const Vertex& v : segment.verts)
                for (float value : {v.x, v.y, v.z, v.u, v.v})
                    bits.push_back(std::bit_cast<uint32_t>(value));
    return bits;
}

std::vector<int16_t> selectionOf(const std::vector<Segment>& data) {
    std::vector<int16_t> flags;
    for (const Segment& segment : data)
        for (const Vertex& v : segment.verts)
            flags.push_back(v.selected);
    return flags;
}

struct DragCase {
    const char* name;
    char tool;
    const char* label;
    float fromH, fromV; // where the drag starts, in model units; NaN: on the rotate handle
    float byH, byV;
};

class DragHistory : public ToolsTest, public testing::WithParamInterface<DragCase> {
protected:
    void SetUp() override {
        loadModel(kModel);
        drag(pixelAt(-0.5f, -0.5f), pixelAt(4.5f, 3.5f));
        ASSERT_EQ(pane().SelCount(), 5);
        typeKey(GetParam().tool);
        tick();
    }
};

TEST_P(DragHistory, OneStepPerDragThatUndoesAndRedoesExactlyWithTheSelection) {
    const DragCase& c = GetParam();
    Document& document = pane().document();
    const std::vector<uint32_t> before = bitsOf(model.Parts);
    const std::vector<int16_t> selection = selectionOf(model.curData);
    const bool onHandle = std::isnan(c.fromH);
    const float h = onHandle ? rotateTool().handle().h : c.fromH;
    const float v = onHandle ? rotateTool().handle().v : c.fromV;
    drag(pixelAt(h, v), pixelAt(h + c.byH, v + c.byV), Qt::NoModifier, 6);
    const std::vector<uint32_t> after = bitsOf(model.Parts);
    ASSERT_NE(after, before);
    ASSERT_EQ(document.stepCount(), 1u);
    EXPECT_EQ(document.undoLabel(), c.label);

    click(pixelAt(-5, -5)); // another selection meanwhile
    document.undo();
    EXPECT_EQ(bitsOf(model.Parts), before);
    EXPECT_EQ(selectionOf(model.curData), selection);
    EXPECT_EQ(pane().SelCount(), 5);
    EXPECT_TRUE(pane().isToolEnabled(kToolMove));
    typeKey('s');
    tick();
    EXPECT_EQ(colourOfVertex(0, 1), qRgb(250, 0, 0) & RGB_MASK); // drawn where it was
    document.redo();
    EXPECT_EQ(bitsOf(model.Parts), after);
}

TEST_P(DragHistory, APressAndReleaseInPlaceLeavesNoStep) {
    const DragCase& c = GetParam();
    const bool onHandle = std::isnan(c.fromH);
    const QPointF at = onHandle ? pixelAt(rotateTool().handle().h, rotateTool().handle().v)
                                : pixelAt(c.fromH, c.fromV);
    press(at);
    release(at);
    EXPECT_FALSE(pane().document().canUndo());
}

INSTANTIATE_TEST_SUITE_P(
    Tools, DragHistory,
    testing::Values(DragCase{"Move", 'v', "Move 5 Vertices", 2, 1.5f, 1.25f, -0.5f},
                    DragCase{"Scale", 'c', "Scale 4 Vertices", 4, 3, 2, 1},
                    DragCase{"Rotate", 'r', "Rotate 4 Vertices", std::nanf(""), 0, -1.5f, 2}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vw::test
