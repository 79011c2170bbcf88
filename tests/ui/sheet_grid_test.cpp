// The property grid: typed conversion of entries, the user's editing paths and its look.

#include "panels/property_grid.h"
#include "tools/angle_text.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <random>

namespace {

using vw::floatText;
using vw::PropertyGrid;
using vw::PropertyType;

struct ConversionCase {
    const char* label;
    PropertyType type;
    QVariant entered;
    std::optional<double> expected; // empty: refused
};

class PropertyConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(PropertyConversion, KeepsWhatFitsAndRefusesTheRest) {
    const ConversionCase& c = GetParam();
    const std::optional<QVariant> converted = vw::toPropertyValue(c.type, c.entered);
    ASSERT_EQ(converted.has_value(), c.expected.has_value());
    if (c.expected) {
        EXPECT_DOUBLE_EQ(converted->toDouble(), *c.expected);
    }
}

const int kMint = 64 + 256 * 255 + 65536 * 128;

INSTANTIATE_TEST_SUITE_P(
    Table, PropertyConversion,
    testing::Values(
        ConversionCase{"FloatText", PropertyType::Float, QString("1.5"), 1.5},
        ConversionCase{"FloatPadded", PropertyType::Float, QString("  -2 "), -2.0},
        ConversionCase{"FloatExponent", PropertyType::Float, QString("1e3"), 1000.0},
        ConversionCase{"FloatNumber", PropertyType::Float, QVariant(3), 3.0},
        ConversionCase{"FloatWord", PropertyType::Float, QString("abc"), std::nullopt},
        ConversionCase{"FloatEmpty", PropertyType::Float, QString(""), std::nullopt},
        ConversionCase{"FloatTrailing", PropertyType::Float, QString("1.5x"), std::nullopt},
        ConversionCase{"FloatNaN", PropertyType::Float, QString("nan"), std::nullopt},
        ConversionCase{"FloatInfinite", PropertyType::Float, QString("inf"), std::nullopt},
        ConversionCase{"FloatTooLarge", PropertyType::Float, QString("1e39"), std::nullopt},
        ConversionCase{"ByteTop", PropertyType::Byte, QString("255"), 255.0},
        ConversionCase{"ByteZero", PropertyType::Byte, QString("0"), 0.0},
        ConversionCase{"ByteNumber", PropertyType::Byte, QVariant(200), 200.0},
        ConversionCase{"ByteAbove", PropertyType::Byte, QString("256"), std::nullopt},
        ConversionCase{"ByteNegative", PropertyType::Byte, QString("-1"), std::nullopt},
        ConversionCase{"ByteFraction", PropertyType::Byte, QString("12.5"), std::nullopt},
        ConversionCase{"ByteWord", PropertyType::Byte, QString("high"), std::nullopt},
        ConversionCase{"ColourPicked", PropertyType::Colour, QColor(64, 255, 128), kMint},
        ConversionCase{"ColourInteger", PropertyType::Colour, QVariant(kMint), kMint},
        ConversionCase{"ColourAboveWhite", PropertyType::Colour, QVariant(0x1000000), std::nullopt},
        ConversionCase{"ColourNegative", PropertyType::Colour, QVariant(-1), std::nullopt},
        ConversionCase{"ColourInvalid", PropertyType::Colour, QColor(), std::nullopt}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return info.param.label; });

TEST(PropertyConversion, ColourIntegerHoldsRedInTheLowestByte) {
    EXPECT_EQ(vw::colourToInteger(QColor(64, 255, 128)), kMint);
    EXPECT_EQ(vw::integerToColour(kMint), QColor(64, 255, 128));
}

TEST(PropertyConversion, RefusalNamesTheEntryTheItemAndWhatItTakes) {
    const QString message = vw::rejectionMessage("Alpha", PropertyType::Byte, QString("300"));
    EXPECT_TRUE(message.contains("\"300\""));
    EXPECT_TRUE(message.contains("Alpha"));
    EXPECT_TRUE(message.contains("0 to 255"));
}

class GridEditing : public testing::Test {
protected:
    GridEditing() {
        const int numbers = grid.addCategory("Numbers");
        grid.addItem(numbers, "Z", PropertyType::Float, 0);
        grid.addItem(numbers, "Alpha", PropertyType::Byte, 0);
        const int colours = grid.addCategory("Colours");
        grid.addItem(colours, "Color", PropertyType::Colour, 0);
        grid.resize(240, 300);
        grid.show();
        grid.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&grid));
    }

    void type(const QString& name, const QString& text) {
        QLineEdit* edit = grid.lineEdit(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    PropertyGrid grid;
    QSignalSpy changed{&grid, &PropertyGrid::itemChanged};
    QSignalSpy rejected{&grid, &PropertyGrid::inputRejected};
};

TEST_F(GridEditing, ItemsStartAtTheirInitialValue) {
    EXPECT_EQ(grid.lineEdit("Z")->text(), "0");
    EXPECT_EQ(grid.lineEdit("Alpha")->text(), "0");
    EXPECT_EQ(grid.colourButton("Color")->text(), "0, 0, 0");
    EXPECT_EQ(grid.lineEdit("Color"), nullptr);
    EXPECT_FALSE(grid.value("Nope").isValid());
}

TEST_F(GridEditing, TypedNumberIsAnnouncedWithItsNameAndTypedValue) {
    type("Z", "1.5");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toString(), "Z");
    EXPECT_EQ(changed[0][1].typeId(), QMetaType::Float);
    EXPECT_EQ(changed[0][1].toFloat(), 1.5f);
    EXPECT_EQ(grid.value("Z").toFloat(), 1.5f);
    EXPECT_EQ(rejected.count(), 0);
}

TEST_F(GridEditing, RefusedEntryKeepsTheOldValueAndShowsIt) {
    type("Z", "2");
    type("Z", "two");
    type("Alpha", "300");
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(rejected.count(), 2);
    EXPECT_EQ(rejected[0][0].toString(), "Z");
    EXPECT_EQ(rejected[1][0].toString(), "Alpha");
    EXPECT_EQ(grid.value("Z").toFloat(), 2.0f);
    EXPECT_EQ(grid.lineEdit("Z")->text(), "2");
    EXPECT_EQ(grid.value("Alpha").toInt(), 0);
    EXPECT_EQ(grid.lineEdit("Alpha")->text(), "0");
}

TEST_F(GridEditing, ReturnReappliesTheSameValueButLeavingUneditedDoesNot) {
    type("Alpha", "200");
    QTest::keyClick(grid.lineEdit("Alpha"), Qt::Key_Return);
    EXPECT_EQ(changed.count(), 2);
    grid.lineEdit("Z")->setFocus(); // Alpha loses the focus with its text unedited
    EXPECT_EQ(changed.count(), 2);
}

TEST(FloatText, EveryFiniteFloatReadsBackBitForBitAndMinusZeroShowsAsZero) {
    std::mt19937 random(20261208);
    const QLocale c = QLocale::c();
    for (int i = 0; i < 100000; ++i) {
        const float value = std::bit_cast<float>(uint32_t(random()));
        if (!std::isfinite(value))
            continue;
        const QString text = floatText(value, c);
        const float back = text.toFloat();
        ASSERT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(value == 0 ? 0.0f : value))
            << text.toStdString();
    }
    EXPECT_EQ(floatText(10.45f, c), "10.45");
    EXPECT_EQ(floatText(-0.0f, c), "0");
    EXPECT_EQ(floatText(1.5f, QLocale(QLocale::German)), "1,5");
}

TEST_F(GridEditing, MinusZeroShowsAsZeroAndKeepsItsBitsUnlessRetyped) {
    grid.showHeldValue("Z", QVariant(-0.0f));
    EXPECT_EQ(grid.lineEdit("Z")->text(), "0");
    QTest::keyClick(grid.lineEdit("Z"), Qt::Key_Return); // applied as shown
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(std::bit_cast<uint32_t>(changed[0][1].toFloat()), 0x80000000u);
    type("Z", "0");
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(std::bit_cast<uint32_t>(changed[1][1].toFloat()), 0u);
}

TEST_F(GridEditing, EscapeCancelsTheEditAndShowsTheValueAgain) {
    type("Z", "2");
    QLineEdit* edit = grid.lineEdit("Z");
    edit->selectAll();
    QTest::keyClicks(edit, "7");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "2");
    grid.lineEdit("Alpha")->setFocus();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(grid.value("Z").toFloat(), 2.0f);
}

TEST_F(GridEditing, LeavingAnEditedItemAppliesIt) {
    QLineEdit* edit = grid.lineEdit("Z");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "-0.5");
    grid.lineEdit("Alpha")->setFocus();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][1].toFloat(), -0.5f);
}

TEST_F(GridEditing, ColourComesFromTheChooserAndCancelChangesNothing) {
    std::optional<QColor> answer = QColor(64, 255, 128);
    QColor offered;
    grid.setColourChooser([&](const QColor& initial) {
        offered = initial;
        return answer;
    });
    grid.colourButton("Color")->click();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(offered, QColor(0, 0, 0));
    EXPECT_EQ(changed[0][0].toString(), "Color");
    EXPECT_EQ(changed[0][1].toInt(), kMint);
    EXPECT_EQ(grid.colourButton("Color")->text(), "64, 255, 128");

    answer.reset();
    grid.colourButton("Color")->click();
    EXPECT_EQ(offered, QColor(64, 255, 128));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(grid.value("Color").toInt(), kMint);
}

TEST_F(GridEditing, CategoryRowsAreDrawnOnDarkGrey) {
    QTreeWidget* tree = grid.tree();
    QTreeWidgetItem* category = tree->topLevelItem(1);
    ASSERT_EQ(category->text(0), "Colours");
    const QRect row = tree->visualItemRect(category);
    ASSERT_FALSE(row.isEmpty());
    const QImage shot = tree->viewport()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(row.right() - 4, row.center().y())), QColor(64, 64, 64));
}

} // namespace
