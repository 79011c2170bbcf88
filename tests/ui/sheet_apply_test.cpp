// The vertex sheet: what a confirmed entry writes into the selected vertices and the model.

#include "app/frm_panes.h"
#include "fake_prompts.h"
#include "open_model_support.h"
#include "panels/frm_vertices.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using vw::PromptAnswer;

using AnsweringPrompts = vw::test::RecordingPrompts;
using Asked = vw::test::AskedMessage;

vw::Vertex vertexAt(float x, bool selected) {
    vw::Vertex v;
    v.x = x;
    v.y = -x;
    v.z = 2 * x;
    v.u = 0.25f;
    v.v = 0.75f;
    v.red = 10;
    v.green = 20;
    v.blue = 30;
    v.alpha = 40;
    v.selected = selected ? -1 : 0;
    return v;
}

vw::Segment segmentOf(std::vector<vw::Vertex> verts) {
    vw::Segment segment;
    segment.verts = std::move(verts);
    segment.strip = {0, 1, 2};
    return segment;
}

// Part 0: two segments with three selected vertices between them; part 1: a selected vertex
// that is not in the working data.
vw::Model threeSelectedInTwoSegments() {
    vw::Model model;
    model.Parts.resize(2);
    model.Parts[0].segments = {
        segmentOf({vertexAt(1, true), vertexAt(2, false), vertexAt(3, true)}),
        segmentOf({vertexAt(4, false), vertexAt(5, true), vertexAt(6, false)}),
    };
    model.Parts[1].segments = {segmentOf({vertexAt(7, true), vertexAt(8, true)})};
    model.curData = model.Parts[0].segments;
    return model;
}

bool sameVertex(const vw::Vertex& a, const vw::Vertex& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.u == b.u && a.v == b.v && a.red == b.red &&
           a.green == b.green && a.blue == b.blue && a.alpha == b.alpha && a.selected == b.selected;
}

bool sameParts(const vw::Model& a, const vw::Model& b) {
    if (a.Parts.size() != b.Parts.size())
        return false;
    for (size_t p = 0; p < a.Parts.size(); ++p) {
        const auto& sa = a.Parts[p].segments;
        const auto& sb = b.Parts[p].segments;
        if (sa.size() != sb.size())
            return false;
        for (size_t s = 0; s < sa.size(); ++s) {
            if (sa[s].verts.size() != sb[s].verts.size())
                return false;
            for (size_t i = 0; i < sa[s].verts.size(); ++i)
                if (!sameVertex(sa[s].verts[i], sb[s].verts[i]))
                    return false;
        }
    }
    return true;
}

TEST(SheetLayout, CategoriesAndItemsInOrderEachAtZero) {
    vw::Model model;
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    EXPECT_EQ(sheet.windowTitle(), "Vertices");
    const std::vector<std::pair<QString, std::vector<QString>>> expected = {
        {"Vertex", {"X", "Y", "Z"}},
        {"Mapping", {"U", "V"}},
        {"Color Data", {"Alpha", "Color"}},
        {"Other", {"A", "B", "C"}},
    };
    QTreeWidget* tree = sheet.propSheet->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    for (int c = 0; c < 4; ++c) {
        QTreeWidgetItem* category = tree->topLevelItem(c);
        EXPECT_EQ(category->text(0), expected[c].first);
        ASSERT_EQ(category->childCount(), int(expected[c].second.size()));
        for (int i = 0; i < category->childCount(); ++i) {
            const QString name = category->child(i)->text(0);
            EXPECT_EQ(name, expected[c].second[i]);
            EXPECT_EQ(sheet.propSheet->value(name).toDouble(), 0.0) << name.toStdString();
        }
    }
    EXPECT_EQ(sheet.propSheet->type("Alpha"), vw::PropertyType::Byte);
    EXPECT_EQ(sheet.propSheet->type("Color"), vw::PropertyType::Colour);
    EXPECT_EQ(sheet.propSheet->type("B"), vw::PropertyType::Float);
}

TEST(SheetLayout, GridFillsTheWindowBut120TwipsAtTheBottom) {
    vw::Model model;
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    sheet.resize(210, 330);
    sheet.show();
    EXPECT_EQ(sheet.propSheet->geometry(), QRect(0, 0, 210, 322));
    sheet.resize(180, 5);
    EXPECT_EQ(sheet.propSheet->geometry(), QRect(0, 0, 180, 0));
}

struct ChangeCase {
    const char* label;
    QString item;
    QVariant value;
    std::function<void(vw::Vertex&)> edit; // what a selected vertex of the working data gets
};

class SheetChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(SheetChange, ConfirmedChangeWritesOneFieldGroupOfTheSelectedWorkingVertices) {
    const ChangeCase& c = GetParam();
    vw::Model model = threeSelectedInTwoSegments();
    vw::Model expected = model;
    for (vw::Segment& segment : expected.Parts[0].segments)
        for (vw::Vertex& v : segment.verts)
            if (v.selected)
                c.edit(v);

    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    sheet.applySheetChange(c.item, c.value);

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(sameParts(model, expected));
    ASSERT_EQ(model.curData.size(), 2u);
    for (size_t s = 0; s < 2; ++s)
        for (size_t i = 0; i < 3; ++i)
            EXPECT_TRUE(
                sameVertex(model.curData[s].verts[i], expected.Parts[0].segments[s].verts[i]));
    // The model and the working data share nothing after the commit.
    model.curData[0].verts[0].x = 99;
    EXPECT_NE(model.Parts[0].segments[0].verts[0].x, 99);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SheetChange,
    testing::Values(ChangeCase{"Z", "Z", 1.5f, [](vw::Vertex& v) { v.z = 1.5f; }},
                    ChangeCase{"YTypedAsText", "Y", QString("-2.25"),
                               [](vw::Vertex& v) { v.y = -2.25f; }},
                    ChangeCase{"U", "U", 0.5f, [](vw::Vertex& v) { v.u = 0.5f; }},
                    ChangeCase{"Color", "Color", 64 + 256 * 255 + 65536 * 128,
                               [](vw::Vertex& v) {
                                   v.red = 64;
                                   v.green = 255;
                                   v.blue = 128;
                               }},
                    ChangeCase{"Alpha", "Alpha", 200, [](vw::Vertex& v) { v.alpha = 200; }},
                    ChangeCase{"OtherItemB", "B", 7.0f, [](vw::Vertex&) {}}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return info.param.label; });

TEST(SheetConfirmation, AsksWithTheExactQuestionAndNoChangesNothing) {
    vw::Model model = threeSelectedInTwoSegments();
    const vw::Model before = model;
    AnsweringPrompts prompts;
    prompts.yesNoAnswer = PromptAnswer::No;
    frmVertices sheet(model, prompts);
    sheet.propSheet->lineEdit("X")->setText("4.5");
    QTest::keyClick(sheet.propSheet->lineEdit("X"), Qt::Key_Return);

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "The changes will be applied to all selected vertices.\r\n"
                                        "Do you wish to continue?");
    EXPECT_EQ(prompts.messages[0].title, "Vertwright");
    EXPECT_EQ(prompts.messages[0].icon, vw::PromptIcon::Question);
    EXPECT_EQ(prompts.messages[0].buttons, vw::PromptButtons::YesNo);
    EXPECT_TRUE(sameParts(model, before));
    EXPECT_TRUE(sameVertex(model.curData[0].verts[0], before.curData[0].verts[0]));
    EXPECT_EQ(sheet.propSheet->lineEdit("X")->text(), ""); // 1, 3 and 5 again, not 4.5
}

// The typed value the model never got does not stay shown: the question closed with Esc, or a
// Yes with nothing selected.
TEST(SheetConfirmation, AnEntryThatWentNowhereLeavesTheSelectionsValueShown) {
    for (const bool anySelected : {true, false}) {
        vw::Model model = threeSelectedInTwoSegments();
        for (vw::Segment& segment : model.Parts[0].segments)
            for (vw::Vertex& v : segment.verts)
                v.selected = anySelected ? v.selected : 0;
        model.curData = model.Parts[0].segments;
        const vw::Model before = model;
        vw::QtPrompts real;
        AnsweringPrompts yes;
        frmVertices sheet(model, anySelected ? static_cast<vw::Prompts&>(real) : yes);
        sheet.showSelection();
        if (anySelected)
            QTimer::singleShot(0, [] {
                ASSERT_NE(QApplication::activeModalWidget(), nullptr);
                QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
            });
        QLineEdit* edit = sheet.propSheet->lineEdit("U");
        edit->setText("0.5");
        QTest::keyClick(edit, Qt::Key_Return);

        EXPECT_TRUE(sameParts(model, before));
        EXPECT_EQ(edit->text(), anySelected ? "0.25" : "0");
    }
}

TEST(SheetConfirmation, OneCurrentSegmentIsAllThatIsWrittenBack) {
    vw::Model model = threeSelectedInTwoSegments();
    model.curSeg = 2;
    model.curData = {model.Parts[0].segments[1]};
    // An edit of segment 0 that never reached the working data must survive the commit.
    model.Parts[0].segments[0].verts[0].z = 42;
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    sheet.applySheetChange("Z", 1.5f);

    ASSERT_EQ(model.Parts[0].segments.size(), 2u);
    EXPECT_EQ(model.Parts[0].segments[0].verts[0].z, 42);
    EXPECT_EQ(model.Parts[0].segments[0].verts[2].z, 6);
    EXPECT_EQ(model.Parts[0].segments[1].verts[1].z, 1.5f);
    EXPECT_EQ(model.Parts[0].segments[1].verts[0].z, 8);
    EXPECT_EQ(model.Parts[1].segments[0].verts[0].z, 14);
}

TEST(SheetConfirmation, NothingSelectedStillCommitsWithoutChange) {
    vw::Model model = threeSelectedInTwoSegments();
    for (vw::Segment& segment : model.curData)
        for (vw::Vertex& v : segment.verts)
            v.selected = 0;
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    sheet.applySheetChange("X", 3.0f);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(model.Parts[0].segments[0].verts[0].x, 1);
    EXPECT_EQ(model.Parts[0].segments[0].verts[0].selected, 0); // the working data went back
}

struct RefusedCase {
    const char* label;
    QString item;
    QString typed;
};

class SheetRefusal : public testing::TestWithParam<RefusedCase> {};

TEST_P(SheetRefusal, UnfitValueIsRefusedWithAMessageAndNeverAsked) {
    const RefusedCase& c = GetParam();
    vw::Model model = threeSelectedInTwoSegments();
    const vw::Model before = model;
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    QLineEdit* edit = sheet.propSheet->lineEdit(c.item);
    edit->setText(c.typed);
    QTest::keyClick(edit, Qt::Key_Return);
    sheet.applySheetChange(c.item, c.typed); // a direct call is checked as well

    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const Asked& asked : prompts.messages) {
        EXPECT_EQ(asked.buttons, vw::PromptButtons::Ok);
        EXPECT_EQ(asked.icon, vw::PromptIcon::Warning);
        EXPECT_TRUE(asked.text.contains(c.item));
        EXPECT_TRUE(asked.text.contains(c.typed));
    }
    EXPECT_TRUE(sameParts(model, before));
    EXPECT_EQ(sheet.propSheet->value(c.item).toDouble(), 0.0);
    EXPECT_EQ(edit->text(), "0");
}

INSTANTIATE_TEST_SUITE_P(Entries, SheetRefusal,
                         testing::Values(RefusedCase{"TextInX", "X", "left"},
                                         RefusedCase{"AlphaAbove255", "Alpha", "256"},
                                         RefusedCase{"AlphaNegative", "Alpha", "-3"},
                                         RefusedCase{"NumberWithJunk", "V", "0.5cm"}),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                             return info.param.label;
                         });

// Each item shows what every selected vertex shares, a blank where they differ.
TEST(SheetSelection, ItemsShowSharedValuesBlanksForMixedOnesAndZerosForNone) {
    vw::Model model = threeSelectedInTwoSegments();
    AnsweringPrompts prompts;
    frmVertices sheet(model, prompts);
    sheet.showSelection();
    EXPECT_EQ(sheet.propSheet->valueText("X"), ""); // 1, 3 and 5
    EXPECT_EQ(sheet.propSheet->valueText("U"), "0.25");
    EXPECT_EQ(sheet.propSheet->valueText("Alpha"), "40");
    EXPECT_EQ(sheet.propSheet->valueText("Color"), "10, 20, 30");
    model.curData[0].verts[0].alpha = 41;
    sheet.showSelection();
    EXPECT_EQ(sheet.propSheet->lineEdit("Alpha")->text(), "");

    // An untouched blank field applies nothing when it loses the focus.
    sheet.propSheet->lineEdit("X")->setFocus();
    sheet.propSheet->lineEdit("Y")->setFocus();
    EXPECT_TRUE(prompts.messages.empty());

    for (vw::Segment& segment : model.curData)
        for (vw::Vertex& v : segment.verts)
            v.selected = 0;
    sheet.showSelection();
    EXPECT_EQ(sheet.propSheet->valueText("X"), "0");
    EXPECT_EQ(sheet.propSheet->valueText("Color"), "0, 0, 0");
}

TEST(SheetInTheEditor, ConfirmedChangeIsDrawnAtOnce) {
    vw::test::Editor editor;
    editor.open(editor.put(vw::test::twoPartModel(), "sheet2.ebo"));
    vw::Pane& pane = editor.main->panes()->pane();
    editor.model.curData[0].verts[4].selected = -1; // (0.5, 0.25) in the XY view
    const QRgb selectedMark = qRgb(250, 0, 0);
    const int32_t x = pane.toPaneX(-3), y = pane.toPaneY(0.25f);
    ASSERT_NE(pane.colourAt(x, y), selectedMark);

    editor.main->vertices()->applySheetChange("X", -3.0f);

    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[4].x, -3.0f);
    EXPECT_EQ(pane.colourAt(x, y), selectedMark);
}

} // namespace
