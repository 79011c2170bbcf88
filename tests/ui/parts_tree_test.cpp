// The parts tree: node numbering, check propagation, and choosing the working data by a click.

#include "app/frm_panes.h"
#include "panels/frm_parts.h"
#include "parts_tree_support.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using vw::test::checkBoxPoint;
using vw::test::clickCheckBox;
using vw::test::clickNode;
using vw::test::modelWithSegments;

struct ExpectedNode {
    int32_t index;
    const char* key;
    const char* text;
    int64_t tag;
    int32_t parentIndex; // 0 for a root
};

TEST(PartsTreeLoadList, NumbersNodesInInsertionOrder) {
    vw::Model model = modelWithSegments({1, 1, 1, 1});
    frmParts parts(model);
    parts.LoadList();

    const ExpectedNode expected[] = {
        {1, "Part0", "Part0", 0, 0},     {2, "Part0Seg0", "Seg0", 1, 1},
        {3, "Part1", "Part1", 10000, 0}, {4, "Part1Seg0", "Seg0", 10001, 3},
        {5, "Part2", "Part2", 20000, 0}, {6, "Part2Seg0", "Seg0", 20001, 5},
        {7, "Part3", "Part3", 30000, 0}, {8, "Part3Seg0", "Seg0", 30001, 7},
    };
    ASSERT_EQ(parts.nodeCount(), 8);
    EXPECT_EQ(parts.tvwParts->topLevelItemCount(), 4);
    for (const ExpectedNode& e : expected) {
        SCOPED_TRACE(e.key);
        QTreeWidgetItem* node = parts.node(e.index);
        EXPECT_EQ(parts.nodeKey(e.index).toStdString(), e.key);
        EXPECT_EQ(node->text(0).toStdString(), e.text);
        EXPECT_EQ(parts.nodeTag(e.index), e.tag);
        EXPECT_EQ(node->parent(), e.parentIndex ? parts.node(e.parentIndex) : nullptr);
        EXPECT_EQ(node->checkState(0), Qt::Checked);
        EXPECT_FALSE(node->isExpanded());
        EXPECT_FALSE(node->isSelected());
    }
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(model.Parts[p].segments[0].nodeIndex, 2 * (p + 1));
}

TEST(PartsTreeLoadList, SecondLoadStartsAgainAtOne) {
    vw::Model model = modelWithSegments({2, 2, 2});
    frmParts parts(model);
    parts.LoadList();
    parts.tvwParts->setCurrentItem(parts.node(4));

    model.Parts = modelWithSegments({1}).Parts;
    parts.LoadList();

    ASSERT_EQ(parts.nodeCount(), 2);
    EXPECT_EQ(parts.tvwParts->topLevelItemCount(), 1);
    EXPECT_EQ(parts.nodeKey(2), "Part0Seg0");
    EXPECT_EQ(model.Parts[0].segments[0].nodeIndex, 2);
    EXPECT_TRUE(parts.tvwParts->selectedItems().isEmpty());
    EXPECT_TRUE(parts.isInBackground(2));
}

// Parts of 10,000 or more segments: the tag's decimal packing collides, the node does not.
TEST(PartsTreeLoadList, SegmentsBeyondTenThousandChooseTheirOwnSegment) {
    vw::Model model = modelWithSegments({10001, 1});
    frmParts parts(model);
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    parts.tvwParts->expandAll();

    const int32_t lastOfPart0 = model.Parts[0].segments[10000].nodeIndex;
    const int32_t part1 = lastOfPart0 + 1;
    ASSERT_EQ(parts.nodeKey(lastOfPart0), "Part0Seg10000");
    EXPECT_EQ(parts.nodeKey(part1), "Part1");
    EXPECT_EQ(parts.nodeTag(lastOfPart0 - 1), parts.nodeTag(part1)); // Part0Seg9999 vs Part1

    clickNode(*parts.tvwParts, parts.node(lastOfPart0 - 1));
    EXPECT_EQ(model.curPart, 0);
    EXPECT_EQ(model.curSeg, 10000);
    clickNode(*parts.tvwParts, parts.node(part1));
    EXPECT_EQ(model.curPart, 1);
    EXPECT_EQ(model.curSeg, 0);
    clickNode(*parts.tvwParts, parts.node(part1 + 1));
    EXPECT_EQ(model.curPart, 1);
    EXPECT_EQ(model.curSeg, 1);
}

// Nodes: 1 Part0, 2 Seg0, 3 Seg1, 4 Seg2, 5 Part1, 6 Seg0.
struct PropagationCase {
    const char* name;
    std::vector<int32_t> toggled;
    std::string checks; // '1' checked, '0' unchecked, for nodes 1..6
};

class PartsTreePropagation : public testing::TestWithParam<PropagationCase> {};

TEST_P(PartsTreePropagation, CheckBoxClicksPropagateDownAndUp) {
    vw::Model model = modelWithSegments({3, 1});
    model.curPart = 1;
    model.curSeg = 1;
    model.curData = model.Parts[1].segments;
    frmParts parts(model);
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    parts.tvwParts->expandAll();
    QSignalSpy checkEvents(parts.tvwParts, &QTreeWidget::itemChanged);

    for (int32_t index : GetParam().toggled)
        clickCheckBox(*parts.tvwParts, parts.node(index));

    std::string checks;
    for (int32_t i = 1; i <= parts.nodeCount(); ++i)
        checks += parts.node(i)->checkState(0) == Qt::Checked ? '1' : '0';
    EXPECT_EQ(checks, GetParam().checks);
    // One event per click: the propagation raised none of its own.
    EXPECT_EQ(checkEvents.count(), static_cast<int>(GetParam().toggled.size()));
    // A check box is not a choice of working data.
    EXPECT_TRUE(parts.tvwParts->selectedItems().isEmpty());
    EXPECT_EQ(model.curPart, 1);
    EXPECT_EQ(model.curSeg, 1);
    EXPECT_EQ(model.curData.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartsTreePropagation,
    testing::Values(PropagationCase{"PartOffClearsItsSegments", {1}, "000011"},
                    PropagationCase{"PartOnAgainChecksThemAll", {1, 1}, "111111"},
                    PropagationCase{"OneSegmentOffLeavesPartOn", {2}, "101111"},
                    PropagationCase{"LastSegmentOffClearsPart", {2, 3, 4}, "000011"},
                    PropagationCase{"SegmentOnChecksPartOnly", {1, 3}, "101011"},
                    PropagationCase{"OnlySegmentOffClearsPart", {6}, "111100"}),
    [](const testing::TestParamInfo<PropagationCase>& info) { return info.param.name; });

// The check box answers where Qt's own tree draws and toggles it.
TEST(PartsTreeCheckBox, HitAreaIsWhereQtDrawsIt) {
    vw::Model model = modelWithSegments({1});
    frmParts parts(model);
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    const QPoint point = checkBoxPoint(*parts.tvwParts, parts.node(1));

    QTreeWidget plain;
    plain.setHeaderHidden(true);
    plain.resize(parts.tvwParts->size());
    auto* item = new QTreeWidgetItem(QStringList{"Part0"});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setCheckState(0, Qt::Checked);
    plain.addTopLevelItem(item);
    plain.addTopLevelItem(new QTreeWidgetItem(QStringList{"Part1"}));
    plain.show();
    ASSERT_EQ(plain.visualItemRect(item), parts.tvwParts->visualItemRect(parts.node(1)));
    QTest::mouseClick(plain.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    EXPECT_EQ(item->checkState(0), Qt::Unchecked);
}

struct ClickCase {
    const char* key;
    int32_t index;
    int32_t curPart;
    int32_t curSeg;
    size_t curDataSegments;
};

class PartsTreeClick : public testing::TestWithParam<ClickCase> {};

TEST_P(PartsTreeClick, ChoosesThePartOrSegmentAsWorkingData) {
    // Parts 0 to 3 with 1, 2, 3 and 1 segments: node 6 is Part2, 7 its Seg0, 9 its Seg2.
    vw::Model model = modelWithSegments({1, 2, 3, 1});
    frmPanes pane(model);
    pane.resize(400, 300);
    pane.show();
    frmParts parts(model);
    parts.setPane(&pane.pane());
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    pane.Init_Ebo();
    parts.tvwParts->expandAll();

    const ClickCase& c = GetParam();
    ASSERT_EQ(parts.nodeKey(c.index).toStdString(), c.key);
    // A click redraws as much as one RefreshEbo does, not more.
    int shown = 0;
    QObject::connect(&pane.pane(), &vw::Pane::surfaceChanged, [&] { ++shown; });
    pane.RefreshEbo();
    const int shownByOneRedraw = std::exchange(shown, 0);
    clickNode(*parts.tvwParts, parts.node(c.index));

    EXPECT_EQ(shown, shownByOneRedraw);
    EXPECT_EQ(model.curPart, c.curPart);
    EXPECT_EQ(model.curSeg, c.curSeg);
    ASSERT_EQ(model.curData.size(), c.curDataSegments);
    const std::vector<vw::Segment>& source = model.Parts[c.curPart].segments;
    const vw::Segment& first = c.curSeg == 0 ? source.front() : source[c.curSeg - 1];
    EXPECT_EQ(model.curData[0].verts[2].y, first.verts[2].y);
    EXPECT_TRUE(parts.node(c.index)->isSelected());
    EXPECT_FALSE(parts.isInBackground(c.index));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartsTreeClick,
    testing::Values(ClickCase{"Part2", 6, 2, 0, 3}, ClickCase{"Part2Seg0", 7, 2, 1, 1},
                    ClickCase{"Part2Seg2", 9, 2, 3, 1}, ClickCase{"Part3", 10, 3, 0, 1}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.key); });

TEST(PartsTreeClick, KeyboardMovesChooseTheNodeToo) {
    vw::Model model = modelWithSegments({2, 1});
    frmParts parts(model);
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    parts.tvwParts->expandAll();
    clickNode(*parts.tvwParts, parts.node(1));

    QTest::keyClick(parts.tvwParts, Qt::Key_Down);
    QTest::keyClick(parts.tvwParts, Qt::Key_Down);

    EXPECT_EQ(model.curPart, 0);
    EXPECT_EQ(model.curSeg, 2);
    EXPECT_TRUE(parts.node(3)->isSelected());
}

TEST(PartsTreeBackground, DrawsCheckedNodesExceptTheSelectedOne) {
    vw::Model model = modelWithSegments({2, 1});
    frmParts parts(model);
    parts.resize(200, 300);
    parts.show();
    parts.LoadList();
    parts.tvwParts->expandAll();

    clickCheckBox(*parts.tvwParts, parts.node(2));
    clickNode(*parts.tvwParts, parts.node(5));

    EXPECT_FALSE(parts.isInBackground(2)); // unchecked
    EXPECT_TRUE(parts.isInBackground(3));
    EXPECT_FALSE(parts.isInBackground(5)); // selected
    EXPECT_TRUE(parts.isInBackground(0));  // no such node
    EXPECT_TRUE(parts.isInBackground(6));

    // Only a plain left click chooses: the node left out stays the working data's.
    vw::CheckTree& tree = *parts.tvwParts;
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {},
                      vw::test::rowPoint(tree, parts.node(3)));
    QTest::mouseClick(tree.viewport(), Qt::MiddleButton, {},
                      vw::test::rowPoint(tree, parts.node(4)));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      vw::test::rowPoint(tree, parts.node(3)));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      QPoint(5, tree.viewport()->height() - 2));
    EXPECT_FALSE(parts.isInBackground(5));
    EXPECT_TRUE(parts.isInBackground(3));
    EXPECT_TRUE(parts.node(5)->isSelected());
    EXPECT_EQ(model.curPart, 1);
    EXPECT_EQ(model.curSeg, 1);
}

} // namespace
