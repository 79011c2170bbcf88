// Vertex marks and edges as they land in the pixels of the visible canvas.

#include "pane_test_support.h"
#include "views/pane.h"
#include "views/pane_colours.h"

#include <gtest/gtest.h>

namespace {

using pane_test::partOf;
using pane_test::segmentOf;
using pane_test::vertexAt;

constexpr QRgb kFill = qRgb(240, 240, 240);
constexpr QRgb kOutline = qRgb(240, 0, 0);
constexpr QRgb kSelected = qRgb(250, 0, 0);

// A surface of 6000 x 4500 twips (400 x 300 pixels): tab 1 puts the model origin at twips
// (3000, 2250), pixel (200, 150).
struct Shown {
    explicit Shown(vw::Model built) : model(std::move(built)), pane(model) {
        pane.resize(pane_test::windowWidthFor(6000), pane_test::windowHeightFor(4500));
        pane.Init_Ebo();
    }
    QRgb at(int x, int y) const { return pane.picMain.pixel(x, y); }
    vw::Model model;
    vw::Pane pane;
};

vw::Model oneSegment(std::vector<vw::Vertex> verts, std::vector<int16_t> strip = {}) {
    vw::Model model;
    model.Parts.push_back(partOf({segmentOf(std::move(verts), std::move(strip))}));
    return model;
}

// Every pixel of the 4 x 4 mark whose top-left pixel is (left, top).
void expectUnselectedMark(const Shown& shown, int left, int top) {
    for (int y = top; y < top + 4; ++y) {
        for (int x = left; x < left + 4; ++x) {
            const bool ring = x == left || x == left + 3 || y == top || y == top + 3;
            EXPECT_EQ(shown.at(x, y), ring ? kOutline : kFill) << x << "," << y;
        }
    }
}

TEST(DrawMarks, UnselectedAndSelectedInTheirExactColours) {
    vw::Vertex selected = vertexAt(2, 1);
    selected.selected = -1;
    const Shown shown(oneSegment({vertexAt(0, 0), selected}));

    // (0, 0): twips 2970..3030 and 2220..2280, pixels 198..201 and 148..151.
    expectUnselectedMark(shown, 198, 148);
    EXPECT_EQ(shown.at(197, 150), vw::kBackGround);
    EXPECT_EQ(shown.at(202, 150), vw::kBackGround);
    EXPECT_EQ(shown.at(200, 147), vw::kBackGround);
    EXPECT_EQ(shown.at(200, 152), vw::kBackGround);

    // (2, 1): twips 3170..3230 and 2320..2380, pixels 211..214 and 154..157, all one colour.
    for (int y = 154; y < 158; ++y)
        for (int x = 211; x < 215; ++x)
            EXPECT_EQ(shown.at(x, y), kSelected) << x << "," << y;
    EXPECT_EQ(shown.at(210, 155), vw::kBackGround);
    EXPECT_EQ(shown.at(215, 155), vw::kBackGround);

    // What a tool reads back under the vertex's own pane position is the mark.
    EXPECT_EQ(shown.pane.colourAt(3000, 2250), kFill);
    EXPECT_EQ(shown.pane.colourAt(2970, 2220), kOutline);
    EXPECT_EQ(shown.pane.colourAt(3200, 2350), kSelected);
    EXPECT_EQ(shown.pane.colourAt(-15, 0), qRgb(0, 0, 0));
}

class DrawMarkWidth : public testing::TestWithParam<int> {};

// Whatever the vertex's position within a pixel, its mark is 4 pixels wide and holds the pixel
// of the vertex, so a press on the vertex always reads a mark colour.
TEST_P(DrawMarkWidth, FourPixelsAroundAnyTwipPosition) {
    const int offset = GetParam();
    const Shown shown(oneSegment({vertexAt(offset / 100.0f, offset / 100.0f)}));
    const int32_t x = 3000 + offset;
    const int32_t y = 2250 + offset;
    ASSERT_EQ(shown.pane.toPaneX(offset / 100.0f), x);
    int covered = 0;
    for (int column = 190; column < 215; ++column)
        covered += shown.at(column, y / 15) != vw::kBackGround;
    EXPECT_EQ(covered, 4);
    EXPECT_NE(shown.pane.colourAt(x, y), vw::kBackGround);
    EXPECT_EQ(shown.at((x - 30) / 15, y / 15), kOutline);
    EXPECT_EQ(shown.at((x + 30) / 15 - 1, y / 15), kOutline);
}

INSTANTIATE_TEST_SUITE_P(EveryTwipOfAPixel, DrawMarkWidth, testing::Range(0, 15),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Twip" + std::to_string(info.param);
                         });

// In one segment or in two of the working part, whichever comes first.
TEST(DrawMarks, SelectedMarkCoversAnUnselectedOneOnTheSameSpot) {
    for (const bool twoSegments : {false, true})
        for (const bool selectedFirst : {true, false}) {
            vw::Vertex selected = vertexAt(1, 1);
            selected.selected = -1;
            const vw::Vertex unselected = vertexAt(1, 1);
            std::vector<vw::Vertex> first{selected}, second{unselected};
            if (!selectedFirst)
                std::swap(first, second);
            vw::Model model = oneSegment(first);
            if (twoSegments)
                model.Parts[0].segments.push_back(segmentOf(second, {}));
            else
                model.Parts[0].segments[0].verts.push_back(second[0]);
            const Shown shown(std::move(model));
            // (1, 1): twips 3070..3130 and 2320..2380, pixels 204..207 and 154..157.
            for (int y = 154; y < 158; ++y)
                for (int x = 204; x < 208; ++x)
                    EXPECT_EQ(shown.at(x, y), kSelected)
                        << twoSegments << selectedFirst << " " << x << "," << y;
        }
}

TEST(DrawMarks, EdgesOfTheWorkingDataInItsPenUnderTheMarks) {
    // A triangle with a horizontal edge along y = 0 from x = 0 to x = 2.
    const Shown shown(oneSegment({vertexAt(0, 0), vertexAt(2, 0), vertexAt(1, 1.5f)}, {0, 1, 2}));
    EXPECT_EQ(shown.at(206, 150), vw::kBuffPen);
    EXPECT_EQ(shown.at(206, 149), vw::kBackGround);
    EXPECT_EQ(shown.at(200, 150), kFill); // marks are drawn after every edge
}

struct StripCase {
    const char* name;
    std::vector<int16_t> strip;
    bool edge01, edge12, edge23;
};

void PrintTo(const StripCase& c, std::ostream* out) {
    *out << c.name;
}

class DrawStrip : public testing::TestWithParam<StripCase> {};

// Four vertices far apart on a line of slope 0 or 1, so each edge has a pixel no other touches.
TEST_P(DrawStrip, JointsAndShortStripsDrawNoTriangle) {
    const StripCase& c = GetParam();
    const Shown shown(
        oneSegment({vertexAt(-8, -6), vertexAt(-2, -6), vertexAt(-2, 0), vertexAt(4, 0)}, c.strip));
    // Middles of the edges 0-1 (horizontal), 1-2 (vertical) and 2-3 (horizontal).
    EXPECT_EQ(shown.at(166, 110) == vw::kBuffPen, c.edge01) << c.name;
    EXPECT_EQ(shown.at(186, 130) == vw::kBuffPen, c.edge12) << c.name;
    EXPECT_EQ(shown.at(206, 150) == vw::kBuffPen, c.edge23) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrawStrip,
    testing::Values(StripCase{"triangle", {0, 1, 2}, true, true, false},
                    StripCase{"two triangles", {0, 1, 2, 3}, true, true, true},
                    StripCase{"joint then triangle", {1, 1, 2, 3}, false, true, true},
                    StripCase{"joints only", {0, 1, 1, 2, 2, 3}, false, false, false},
                    StripCase{"triangle, joint", {0, 1, 2, 2, 3}, true, true, false},
                    StripCase{"two entries", {0, 1}, false, false, false},
                    StripCase{"empty", {}, false, false, false},
                    StripCase{"index past the vertices", {1, 2, 3, 40}, false, true, true},
                    StripCase{"negative index", {-1, 0, 1, 2}, true, true, false}),
    [](const testing::TestParamInfo<StripCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// Two parts side by side: part 0 at x < 0 is the working data, part 1 at x > 0 only background.
vw::Model twoParts() {
    vw::Model model;
    model.Parts.push_back(
        partOf({segmentOf({vertexAt(-6, 0), vertexAt(-2, 0), vertexAt(-4, 2)}, {0, 1, 2}, 2)}));
    model.Parts.push_back(
        partOf({segmentOf({vertexAt(2, 0), vertexAt(6, 0), vertexAt(4, 2)}, {0, 1, 2}, 4),
                segmentOf({vertexAt(2, -4), vertexAt(6, -4), vertexAt(4, -2)}, {0, 1, 2}, 5)}));
    return model;
}

TEST(DrawBackground, OtherPartsInTheBackgroundPenAndHiddenNodesLeftOut) {
    Shown shown(twoParts());
    EXPECT_EQ(shown.at(226, 150), vw::kBackPen); // part 1, segment 0: edge along y = 0
    EXPECT_EQ(shown.at(226, 123), vw::kBackPen); // part 1, segment 1: edge along y = -4
    EXPECT_EQ(shown.at(173, 150), vw::kBuffPen); // the working part

    // The tree hides node 5 and node 2 (the working part's own segment).
    shown.pane.setBackgroundFilter([](int32_t node) { return node != 5 && node != 2; });
    shown.pane.RefreshEbo();
    EXPECT_EQ(shown.at(226, 150), vw::kBackPen);
    EXPECT_EQ(shown.at(226, 123), vw::kBackGround);
    EXPECT_EQ(shown.at(173, 150), vw::kBuffPen); // still drawn: it is the working data
    EXPECT_EQ(shown.pane.picBack.pixel(173, 150), vw::kBackGround);
}

} // namespace
