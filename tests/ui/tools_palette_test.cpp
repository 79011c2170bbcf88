// Choosing tools: the palette's buttons and the tool letters typed on the pane.

#include "tools/frm_tools.h"
#include "tools/selection.h"
#include "tools_fixture.h"
#include "views/pane.h"

#include <QAction>
#include <QTest>

namespace vw::test {
namespace {

const std::vector<PartPoints> kModel = {{{{0, 0}, {2, 1}, {4, 3}}}};

class Palette : public ToolsTest {
protected:
    void SetUp() override {
        palette.attach(pane(), frame(), &panes());
        palette.show();
        loadModel(kModel);
    }
    std::vector<bool> enabledButtons() const {
        std::vector<bool> result;
        for (int position = 1; position <= 6; ++position)
            result.push_back(palette.button(position)->isEnabled());
        return result;
    }
    int pressedButton() const {
        int pressed = 0;
        for (int position = 1; position <= 6; ++position)
            if (palette.button(position)->isChecked())
                pressed = pressed == 0 ? position : -1;
        return pressed;
    }
    void clickButton(int position) {
        QTest::mouseClick(palette.widgetForAction(palette.button(position)), Qt::LeftButton);
    }

    frmTools palette;
};

TEST(ToolPalette, SixCheckableButtonsWithTheirTooltipsAndOurOwnIcons) {
    frmTools palette;
    const char* tooltips[] = {"Select (S)", "Move (V)",  "Pan (A)",
                              "Zoom (Z)",   "Scale (C)", "Rotate (R)"};
    const char* keys[] = {"Select", "Move", "Pan", "Zoom", "Scale", "Rotate"};
    for (int position = 1; position <= 6; ++position) {
        QAction* button = palette.button(position);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), tooltips[position - 1]);
        EXPECT_EQ(button->objectName(), keys[position - 1]);
        EXPECT_TRUE(button->isCheckable());
        EXPECT_FALSE(button->icon().pixmap(32, 32).isNull());
    }
    EXPECT_EQ(palette.button(0), nullptr);
    EXPECT_EQ(palette.button(7), nullptr);

    palette.setButtonEnabled(2, false);
    palette.setButtonPressed(2); // a letter may choose a disabled tool
    palette.setButtonPressed(4);
    palette.setButtonPressed(9);
    EXPECT_TRUE(palette.button(4)->isChecked());
    EXPECT_FALSE(palette.button(2)->isChecked());
    EXPECT_FALSE(palette.button(2)->isEnabled());
}

TEST_F(Palette, ShowsThePanesToolAndFollowsTheSelection) {
    EXPECT_EQ(pressedButton(), 1);
    EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, false, true, true, false, false}));
    click(pixelAt(2, 1));
    EXPECT_EQ(enabledButtons(), std::vector<bool>(6, true));
    clearSelection(pane());
    EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, false, true, true, false, false}));
}

TEST_F(Palette, AButtonClickChoosesItsToolPreparesScaleAndRotateAndKeepsTheSelection) {
    drag(pixelAt(-1, -1), pixelAt(2.5f, 1.5f));
    clickButton(5);
    EXPECT_EQ(pane().toolMode, kToolScale);
    EXPECT_EQ(pressedButton(), 5);
    EXPECT_FLOAT_EQ(pane().selRight, 2);
    EXPECT_FLOAT_EQ(pane().selBottom, 1);
    clickButton(6);
    EXPECT_EQ(pane().toolMode, kToolRotate);
    EXPECT_FLOAT_EQ(rotateTool().centre().h, 1);
    EXPECT_FLOAT_EQ(rotateTool().handle().h, 2);
    clickButton(3);
    EXPECT_EQ(pane().toolMode, kToolPan);
    EXPECT_EQ(pane().SelCount(), 2);
    EXPECT_NE(vert(0, 1).selected, 0);

    clearSelection(pane());
    clickButton(2); // disabled: nothing happens
    EXPECT_EQ(pane().toolMode, kToolPan);
}

TEST_F(Palette, LettersInEitherCaseChooseTheirToolsEvenWhenTheButtonIsDisabled) {
    const std::pair<char, int> letters[] = {{'s', 1}, {'S', 1}, {'v', 2}, {'V', 2},
                                            {'a', 3}, {'A', 3}, {'z', 4}, {'Z', 4},
                                            {'c', 5}, {'C', 5}, {'r', 6}, {'R', 6}};
    for (auto [letter, code] : letters) {
        typeKey(letter);
        EXPECT_EQ(pane().toolMode, code) << letter;
        EXPECT_EQ(pressedButton(), code) << letter;
    }
    EXPECT_FALSE(palette.button(2)->isEnabled());
    typeKey('z');
    for (char other : {'x', 'q', '1', ' ', '.'}) {
        typeKey(other);
        EXPECT_EQ(pane().toolMode, kToolZoom) << other;
        EXPECT_EQ(pressedButton(), 4) << other;
    }
}

TEST_F(Palette, MoveChosenByItsLetterWithNothingSelectedMovesNothing) {
    typeKey('v');
    EXPECT_EQ(pane().toolMode, kToolMove);
    drag(pixelAt(2, 1), pixelAt(3, 3));
    EXPECT_EQ(modelVert(0, 0, 1).x, 2.0f);
}

TEST_F(Palette, AnyKeyRepreparesScaleOrRotateFromTheSelectionAsItIsNow) {
    click(pixelAt(0, 0));
    typeKey('c');
    EXPECT_FLOAT_EQ(pane().selRight, 0);
    SelectVertAt(pane(), 0, 2, true);
    typeKey('#');
    EXPECT_EQ(pane().toolMode, kToolScale);
    EXPECT_FLOAT_EQ(pane().selRight, 4);
    EXPECT_FLOAT_EQ(pane().selBottom, 3);
    EXPECT_EQ(pressedButton(), 5);

    typeKey('r');
    SelectVertAt(pane(), 0, 2, false);
    SelectVertAt(pane(), 0, 1, true);
    typeKey('7');
    EXPECT_FLOAT_EQ(rotateTool().centre().h, 1);
    EXPECT_FLOAT_EQ(rotateTool().centre().v, 0.5f);
}

TEST_F(Palette, KeysTypedOnTheTabStripChooseToolsToo) {
    QTest::keyClick(panes().tabAxes, 'c');
    EXPECT_EQ(pane().toolMode, kToolScale);
    QTest::keyClick(panes().tabAxes, 'A');
    EXPECT_EQ(pane().toolMode, kToolPan);
    EXPECT_EQ(pressedButton(), 3);
}

TEST_F(Palette, ThePaneOutlivingThePaletteIsSafe) {
    auto shortLived = std::make_unique<frmTools>();
    shortLived->attach(pane(), frame(), &panes());
    shortLived.reset();
    typeKey('z');
    click(pixelAt(2, 1));
    EXPECT_EQ(pane().toolMode, kToolZoom);
}

} // namespace
} // namespace vw::test
