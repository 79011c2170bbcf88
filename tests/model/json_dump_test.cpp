#include "model/ebo/ebo_loader.h"
#include "model/interchange/json_dump.h"
#include "support/test_names.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

namespace vw {
namespace {

struct FloatText {
    float value;
    const char* shortest;
    const char* json;
};

class FloatFormat : public testing::TestWithParam<FloatText> {};

TEST_P(FloatFormat, ShortestAndJson) {
    EXPECT_EQ(shortestFloat(GetParam().value), GetParam().shortest);
    EXPECT_EQ(jsonFloat(GetParam().value), GetParam().json);
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Values, FloatFormat,
    testing::Values(FloatText{1.5f, "1.5", "1.5"}, FloatText{-2.0f, "-2", "-2"},
                    FloatText{0.0f, "0", "0"}, FloatText{-0.0f, "-0", "-0"},
                    FloatText{0.1f, "0.1", "0.1"}, FloatText{16777216.0f, "16777216", "16777216"},
                    FloatText{1e20f, "1e+20", "1e+20"},
                    FloatText{std::numeric_limits<float>::denorm_min(), "1e-45", "1e-45"},
                    FloatText{std::numeric_limits<float>::max(), "3.4028235e+38", "3.4028235e+38"},
                    FloatText{kNan, "nan", "\"nan\""}, FloatText{-kNan, "nan", "\"nan\""},
                    FloatText{kInf, "inf", "\"inf\""}, FloatText{-kInf, "-inf", "\"-inf\""}),
    [](const testing::TestParamInfo<FloatText>& info) { return test::nameOf(info.param.value); });

TEST(FloatFormat, EveryFiniteValueReadsBackBitForBit) {
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        float value = std::bit_cast<float>(uint32_t(random()));
        if (!std::isfinite(value))
            continue;
        std::string text = shortestFloat(value);
        float back = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(error, std::errc{}) << text;
        ASSERT_EQ(end, text.data() + text.size()) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(value)) << text;
    }
}

Model oneSegmentModel() {
    Model model;
    model.fileVersion = 4;
    model.modelFormat = 2;
    Segment segment;
    segment.posBlockAt = 1001;
    segment.verts.push_back({1.5f, -2.0f, -3.0f, 0.0f, 1.0f, 30, 20, 10, 40});
    segment.strip = {0, 1, 2};
    model.Parts.resize(1);
    model.Parts[0].segments.push_back(segment);
    return model;
}

std::string dumpOf(const Model& model, uint8_t result) {
    std::ostringstream out;
    writeModelJson(out, model, result);
    return out.str();
}

TEST(ModelJson, PlainModelMatchesTheSchema) {
    EXPECT_EQ(dumpOf(oneSegmentModel(), kLoadedPlain2),
              R"({"result": 2, "fileVersion": 4, "modelFormat": 2, "parts": [{"segments": )"
              R"([{"posBlockAt": 1001, "uvBlockAt": 0, "colorBlockAt": 0, "stripBlockAt": 0, )"
              R"("verts": [{"x": 1.5, "y": -2, "z": -3, "u": 0, "v": 1, "red": 30, )"
              R"("green": 20, "blue": 10, "alpha": 40}], "strip": [0, 1, 2]}]}]})"
              "\n");
}

TEST(ModelJson, EmptyListsStayLists) {
    Model model;
    model.Parts.resize(2);
    model.Parts[1].segments.resize(1);
    EXPECT_EQ(dumpOf(model, kLoadedVersion6),
              R"({"result": 6, "fileVersion": 0, "modelFormat": 0, "parts": [{"segments": []}, )"
              R"({"segments": [{"posBlockAt": 0, "uvBlockAt": 0, "colorBlockAt": 0, )"
              R"("stripBlockAt": 0, "verts": [], "strip": []}]}]})"
              "\n");
}

TEST(ModelJson, NonFiniteCoordinatesAreStrings) {
    Model model = oneSegmentModel();
    Vertex& vertex = model.Parts[0].segments[0].verts[0];
    vertex.x = kNan;
    vertex.z = -kInf;
    std::string json = dumpOf(model, kLoadedPlain2);
    EXPECT_NE(json.find(R"("x": "nan", "y": -2, "z": "-inf")"), std::string::npos) << json;
}

TEST(ModelJson, BaseMeshesOnlyForTheDeltaLayout) {
    Model model = oneSegmentModel();
    model.baseMeshes[0].basePos = {0.5f, -0.0f, kInf};
    model.baseMeshes[0].deltaSlot = {0, -1};
    EXPECT_EQ(dumpOf(model, kLoadedPlain2).find("baseMeshes"), std::string::npos);

    std::string json = dumpOf(model, kLoadedDelta);
    const std::string expectedTail =
        R"(, "baseMeshes": [{"basePos": [0.5, -0, "inf"], "deltaSlot": [0, -1]}, )"
        R"({"basePos": [], "deltaSlot": []}, {"basePos": [], "deltaSlot": []}, )"
        R"({"basePos": [], "deltaSlot": []}]})"
        "\n";
    ASSERT_GE(json.size(), expectedTail.size());
    EXPECT_EQ(json.substr(json.size() - expectedTail.size()), expectedTail);
}

} // namespace
} // namespace vw
