// A model large enough that its segments are built on several threads, and that a save finds
// the changed blocks among many.
#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <bit>

using namespace vw;
using namespace vw::test;

namespace {

// Two parts of three segments, 120,000 vertices in all, no two segments alike.
EboPlan largePlan() {
    EboPlan plan;
    plan.parts.resize(2);
    for (int p = 0; p < 2; ++p) {
        for (int s = 0; s < 3; ++s)
            plan.parts[p].segments.push_back(gridSegment(200, 100, static_cast<float>(10 * p + s)));
    }
    return plan;
}

bool holds(const Vertex& got, const FileVertex& want) {
    const auto same = [](float a, float b) {
        return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
    };
    return same(got.x, want.x) && same(got.y, -want.y) && same(got.z, want.z) &&
           same(got.u, want.u) && same(got.v, want.v) && got.red == want.red &&
           got.green == want.green && got.blue == want.blue && got.alpha == want.alpha;
}

class LargeModel : public testing::Test {
protected:
    void SetUp() override {
        path = workspace.put(built);
        ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    }

    const EboPlan plan = largePlan();
    const BuiltEbo built = buildEbo(plan);
    Workspace workspace;
    std::string path;
    Model model;
};

TEST_F(LargeModel, EverySegmentGetsItsOwnVerticesAndStrip) {
    ASSERT_EQ(model.Parts.size(), 2u);
    for (size_t p = 0; p < 2; ++p) {
        ASSERT_EQ(model.Parts[p].segments.size(), 3u);
        for (size_t s = 0; s < 3; ++s) {
            SCOPED_TRACE("part " + std::to_string(p) + " segment " + std::to_string(s));
            const Segment& segment = model.Parts[p].segments[s];
            const SegmentPlan& want = plan.parts[p].segments[s];
            EXPECT_EQ(segment.posBlockAt, built.positions[p][s].posBlockAt);
            EXPECT_EQ(segment.strip, want.strip);
            ASSERT_EQ(segment.verts.size(), want.verts.size());
            for (size_t i = 0; i < want.verts.size(); ++i)
                ASSERT_TRUE(holds(segment.verts[i], want.verts[i])) << "vertex " << i;
        }
    }
}

TEST_F(LargeModel, SavesChangeExactlyTheEditedBytes) {
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), built.model);

    Segment& edited = model.Parts[1].segments[2];
    edited.verts[7].z = 1234.5f;
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    std::vector<uint8_t> expected = built.model;
    const size_t at = static_cast<size_t>(edited.posBlockAt) - 1 + 12 * 7 + 8;
    const uint32_t bits = std::bit_cast<uint32_t>(1234.5f);
    for (size_t i = 0; i < 4; ++i)
        expected[at + i] = static_cast<uint8_t>(bits >> (8 * i));
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), expected);
}

} // namespace
