#include "model/model.h"
#include "support/test_names.h"

#include <gtest/gtest.h>

using namespace vw;

namespace {

TEST(MaxOf, LargestInSignedComparison) {
    EXPECT_EQ(maxOf({-5, -2, -9}), -2);
    EXPECT_EQ(maxOf({7}), 7);
    EXPECT_EQ(maxOf({-32768, 32767, 0}), 32767);
}

struct RectCase {
    float x, y;
    bool inside;
};

class IsInRect : public testing::TestWithParam<RectCase> {};

// The same rectangle, corners given in all four orders; edges count as inside.
TEST_P(IsInRect, InclusiveWhateverTheCornerOrder) {
    const RectCase c = GetParam();
    EXPECT_EQ(isInRect(c.x, c.y, 1, 2, 4, 6), c.inside);
    EXPECT_EQ(isInRect(c.x, c.y, 4, 6, 1, 2), c.inside);
    EXPECT_EQ(isInRect(c.x, c.y, 1, 6, 4, 2), c.inside);
    EXPECT_EQ(isInRect(c.x, c.y, 4, 2, 1, 6), c.inside);
}

INSTANTIATE_TEST_SUITE_P(Points, IsInRect,
                         testing::Values(RectCase{2, 3, true}, RectCase{1, 2, true},
                                         RectCase{4, 6, true}, RectCase{4, 2, true},
                                         RectCase{0.999f, 3, false}, RectCase{2, 6.001f, false},
                                         RectCase{5, 7, false}),
                         [](const testing::TestParamInfo<RectCase>& info) {
                             return "X" + test::nameOf(info.param.x) + "Y" +
                                    test::nameOf(info.param.y);
                         });

} // namespace
