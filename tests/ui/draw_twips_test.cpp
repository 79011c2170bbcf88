// The one mapping from pane positions to pixels, used by drawing and colour read-back alike.

#include "support/test_names.h"
#include "views/twips.h"

#include <gtest/gtest.h>

namespace {

struct PixelCase {
    double twips;
    int32_t pixel;
};

void PrintTo(const PixelCase& c, std::ostream* out) {
    *out << c.twips << " -> " << c.pixel;
}

class TwipToPixel : public testing::TestWithParam<PixelCase> {};

TEST_P(TwipToPixel, PixelPCoversTwips15PUpTo15PPlus15) {
    const PixelCase& c = GetParam();
    EXPECT_EQ(vw::twipToPixel(c.twips), c.pixel);
    if (c.twips == static_cast<int32_t>(c.twips)) {
        EXPECT_EQ(vw::twipToPixel(static_cast<int32_t>(c.twips)), c.pixel);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TwipToPixel,
    testing::Values(PixelCase{0, 0}, PixelCase{14, 0}, PixelCase{15, 1}, PixelCase{29, 1},
                    PixelCase{-1, -1}, PixelCase{-15, -1}, PixelCase{-16, -2}, PixelCase{14.9, 0},
                    PixelCase{-0.5, -1}, PixelCase{452.5, 30}, PixelCase{2147483647, 143165576},
                    PixelCase{-2147483648.0, -143165577}),
    [](const testing::TestParamInfo<PixelCase>& info) {
        return "Twips" + vw::test::nameOf(static_cast<float>(info.param.twips));
    });

TEST(TwipToPixel, WholeAndFractionalFormsAgree) {
    for (int32_t t = -3000; t <= 3000; ++t)
        ASSERT_EQ(vw::twipToPixel(t), vw::twipToPixel(static_cast<double>(t))) << t;
}

TEST(TwipToPixel, FarPositionsStayFarWithoutOverflow) {
    EXPECT_EQ(vw::twipToPixel(1e300), 1 << 28);
    EXPECT_EQ(vw::twipToPixel(-1e300), -(1 << 28));
    EXPECT_EQ(vw::twipToPixel(std::numeric_limits<double>::quiet_NaN()), -(1 << 28));
}

// Marks reach 30 twips and handles 60 to each side: 4 and 8 pixels wherever they lie.
TEST(PixelBox, MarksAndHandlesKeepTheirWidthAtEveryOffset) {
    for (int32_t centre = -40; centre <= 40; ++centre) {
        const QRect mark = vw::pixelBox(centre - 30, centre - 30, centre + 30, centre + 30);
        EXPECT_EQ(mark.size(), QSize(4, 4)) << centre;
        EXPECT_TRUE(mark.contains(vw::twipToPixel(centre), vw::twipToPixel(centre))) << centre;
        const QRect handle = vw::pixelBox(centre - 60, centre - 60, centre + 60, centre + 60);
        EXPECT_EQ(handle.size(), QSize(8, 8)) << centre;
        const double middle = centre + 0.5;
        EXPECT_EQ(vw::pixelBox(middle - 60, 0, middle + 60, 120).width(), 8) << middle;
    }
}

TEST(PixelBox, CornersInAnyOrderAndNeverEmpty) {
    EXPECT_EQ(vw::pixelBox(150, 300, 0, 0), QRect(0, 0, 10, 20));
    EXPECT_EQ(vw::pixelBox(20, 20, 20, 20), QRect(1, 1, 1, 1));
    EXPECT_EQ(vw::pixelBox(-30, 0, 5, 14), QRect(-2, 0, 2, 1));
}

} // namespace
