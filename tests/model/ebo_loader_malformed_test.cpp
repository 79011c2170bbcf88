// Corrupt, short and missing files: every load fails with result 0 and changes nothing.
#include "model/ebo/ebo_format.h"
#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/file_bytes.h"
#include "support/model_plans.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace vw;
using namespace vw::test;

namespace {

// A model that a failed load must leave exactly as it is.
Model earlierModel() {
    Model model;
    model.Parts.resize(2);
    model.Parts[1].segments.resize(1);
    model.Parts[1].segments[0].verts.resize(3);
    model.Parts[1].segments[0].verts[2].x = 42;
    model.Parts[1].segments[0].posBlockAt = 77;
    model.fileVersion = 4;
    model.modelFormat = 3;
    model.layout = ModelLayout::Plain3;
    model.modelPath = "earlier.ebo";
    model.baseMeshes[2].deltaSlot = {5};
    return model;
}

void expectRejected(const BuiltEbo& built) {
    Model model = earlierModel();
    EXPECT_EQ(parseModel(model, {built.model, built.baseMesh, built.offsets}), 0);
    EXPECT_EQ(model, earlierModel());
}

// Offsets of fields the corruptions aim at, in the first part: one segment in the plain plan,
// two in the version-6 plan.
constexpr size_t kPlainSegmentCount = ebo::kFirstPartBlock + ebo::kSegmentCountAt;
constexpr size_t kPlainVertexCount = ebo::kFirstPartBlock + ebo::plainCountTableAt(1);
constexpr size_t kVersion6Table = ebo::kFirstPartBlock + ebo::version6TableAt(2);
// A version-6 segment header without words before its stop word: the tag, the stop word, the
// skipped word, then the fields.
constexpr size_t kVersion6PositionsField = 4 + 4 + ebo::kVersion6GapAfterStop;
constexpr size_t kVersion6UvsField =
    kVersion6PositionsField + 4 + ebo::kVersion6GapAfterPositionsField;
constexpr size_t kVersion6StripField = kVersion6UvsField + 4;
constexpr size_t kVersion6VertexCountField = kVersion6StripField + 4;
constexpr size_t kVersion6StripCountField = kVersion6VertexCountField + 4;
// A plain-mesh strip's size word lies this far before its first entry.
constexpr size_t kStripSizeBeforeStrip = 4 + ebo::kPlainGapAfterStripSize;
// A delta record after its marker: a skipped word, the block's size, its offset.
constexpr size_t kDeltaSizeField = 4 + ebo::kDeltaGapAfterMarker;
constexpr size_t kDeltaOffsetField = kDeltaSizeField + 4;
// The offsets file: per part, (position, count) pairs for the base positions, the delta slots,
// the texture coordinates and the strip.
enum OffsetsPair : size_t { kBasePositions, kDeltaSlots, kBaseUvs, kBaseStrip };
constexpr size_t positionWordOf(OffsetsPair pair) {
    return 8 * pair;
}
constexpr size_t countWordOf(OffsetsPair pair) {
    return 8 * pair + 4;
}

size_t version6Header(const BuiltEbo& built) {
    return static_cast<size_t>(i32In(built.model, kVersion6Table));
}

size_t firstMarker(const BuiltEbo& built) {
    const uint8_t marker[] = {0x66, 0x66, 0x66, 0x00};
    return static_cast<size_t>(
        std::search(built.model.begin(), built.model.end(), marker, marker + 4) -
        built.model.begin());
}

// Where reading goes on after a part's delta block: its padding record or texture word.
size_t deltaEnd(const BuiltEbo& built, size_t part) {
    const BlockPositions& at = built.positions[part][0];
    return static_cast<size_t>(at.posBlockAt - 1 + at.posBlockBytes);
}

struct Corruption {
    const char* name;
    EboPlan (*plan)();
    std::function<void(BuiltEbo&)> corrupt;
};

class Corrupted : public testing::TestWithParam<Corruption> {};

TEST_P(Corrupted, FailsWithoutChangingTheModel) {
    BuiltEbo built = buildEbo(GetParam().plan());
    {
        Model model;
        ASSERT_NE(parseModel(model, {built.model, built.baseMesh, built.offsets}), 0)
            << "the uncorrupted file must load";
    }
    GetParam().corrupt(built);
    expectRejected(built);
}

const Corruption kCorruptions[] = {
    {"UnloadableFormat", plainPlan, [](BuiltEbo& b) { putI16(b.model, ebo::kModelFormatAt, 1); }},
    {"NegativeFormat", plainPlan, [](BuiltEbo& b) { putI16(b.model, ebo::kModelFormatAt, -1); }},
    {"NoParts", plainPlan, [](BuiltEbo& b) { putI16(b.model, ebo::kPartCountAt, 0); }},
    {"NegativeParts", plainPlan, [](BuiltEbo& b) { putI16(b.model, ebo::kPartCountAt, -3); }},
    {"MorePartsThanTheFileHolds", plainPlan,
     [](BuiltEbo& b) { putI16(b.model, ebo::kPartCountAt, 3); }},
    {"NoSegments", plainPlan, [](BuiltEbo& b) { putI32(b.model, kPlainSegmentCount, 0); }},
    {"NegativeSegments", plainPlan, [](BuiltEbo& b) { putI32(b.model, kPlainSegmentCount, -2); }},
    {"HugeSegments", plainPlan,
     [](BuiltEbo& b) { putI32(b.model, kPlainSegmentCount, 0x7fffffff); }},
    {"NegativeVertexCount", plainPlan, [](BuiltEbo& b) { putI32(b.model, kPlainVertexCount, -1); }},
    {"HugeVertexCount", plainPlan,
     [](BuiltEbo& b) { putI32(b.model, kPlainVertexCount, 0x7fffffff); }},
    {"NegativeStripSize", plainPlan,
     [](BuiltEbo& b) {
         putI32(b.model, b.positions[0][0].stripBlockAt - 1 - kStripSizeBeforeStrip, -2);
     }},
    {"HugeStripSize", plainPlan,
     [](BuiltEbo& b) {
         putI32(b.model, b.positions[0][0].stripBlockAt - 1 - kStripSizeBeforeStrip, 0x7ffffffe);
     }},

    {"Version6NoSegments", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, kPlainSegmentCount, 0); }},
    {"Version6HugeSegments", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, kPlainSegmentCount, 0x7fffffff); }},
    {"Version6HeaderPastEnd", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, kVersion6Table, static_cast<int32_t>(b.model.size())); }},
    {"Version6NegativeHeader", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, kVersion6Table, -8); }},
    {"Version6StopWordNeverFound", version6Plan,
     [](BuiltEbo& b) {
         // The tag 5 sits just before the end; only noise follows it.
         const size_t at = b.model.size() - 12;
         putI32(b.model, at, ebo::kVersion6ReadTag);
         putI32(b.model, kVersion6Table, static_cast<int32_t>(at));
     }},
    {"Version6PositionsPastEnd", version6Plan,
     [](BuiltEbo& b) {
         putI32(b.model, version6Header(b) + kVersion6PositionsField,
                static_cast<int32_t>(b.model.size()));
     }},
    {"Version6PositionOffsetOverflows", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, version6Header(b) + kVersion6PositionsField, 0x7ffffff0); }},
    {"Version6NegativePositionOffset", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, version6Header(b) + kVersion6PositionsField, -100); }},
    {"Version6UvsPastEnd", version6Plan,
     [](BuiltEbo& b) {
         putI32(b.model, version6Header(b) + kVersion6UvsField,
                static_cast<int32_t>(b.model.size() - 2 - ebo::kVersion6UvsBias));
     }},
    {"Version6StripPastEnd", version6Plan,
     [](BuiltEbo& b) {
         putI32(b.model, version6Header(b) + kVersion6StripField,
                static_cast<int32_t>(b.model.size() - ebo::kVersion6StripBias));
     }},
    {"Version6NegativeVertexCount", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, version6Header(b) + kVersion6VertexCountField, -1); }},
    {"Version6HugeVertexCount", version6Plan,
     [](BuiltEbo& b) {
         putI32(b.model, version6Header(b) + kVersion6VertexCountField, 0x40000000);
     }},
    {"Version6NegativeStrip", version6Plan,
     [](BuiltEbo& b) { putI32(b.model, version6Header(b) + kVersion6StripCountField, -3); }},
    {"Version6HugeStrip", version6Plan,
     [](BuiltEbo& b) {
         putI32(b.model, version6Header(b) + kVersion6StripCountField, 0x7fffffff);
     }},

    {"DeltaMarkerMissing", deltaPlan, [](BuiltEbo& b) { putI32(b.model, firstMarker(b), 7); }},
    {"DeltaNegativeSize", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, firstMarker(b) + kDeltaSizeField, -4); }},
    {"DeltaHugeSize", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, firstMarker(b) + kDeltaSizeField, 0x7fffffff); }},
    {"DeltaNegativeOffset", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, firstMarker(b) + kDeltaOffsetField, -1); }},
    {"DeltaBlockRunsPastEnd", deltaPlan,
     [](BuiltEbo& b) {
         putI32(b.model, firstMarker(b) + kDeltaOffsetField,
                static_cast<int32_t>(b.model.size()) - 8);
     }},
    {"DeltaNegativePadding", deltaPlan, [](BuiltEbo& b) { putI32(b.model, deltaEnd(b, 2), -8); }},
    {"DeltaHugePadding", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, deltaEnd(b, 2), 0x7fffffff); }},
    {"DeltaNegativeTextureCount", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, deltaEnd(b, 1), -2); }},
    {"DeltaHugeTextureCount", deltaPlan,
     [](BuiltEbo& b) { putI32(b.model, deltaEnd(b, 1), 0x10000000); }},
    {"OffsetsFileShort", deltaPlan, [](BuiltEbo& b) { b.offsets.resize(100); }},
    {"OffsetsFileEmpty", deltaPlan, [](BuiltEbo& b) { b.offsets.clear(); }},
    {"BaseMeshFileEmpty", deltaPlan, [](BuiltEbo& b) { b.baseMesh.clear(); }},
    {"BasePositionZero", deltaPlan,
     [](BuiltEbo& b) { putI32(b.offsets, positionWordOf(kBasePositions), 0); }},
    {"BasePositionPastEnd", deltaPlan,
     [](BuiltEbo& b) {
         putI32(b.offsets, positionWordOf(kBasePositions), static_cast<int32_t>(b.baseMesh.size()));
     }},
    {"NegativeBaseCount", deltaPlan,
     [](BuiltEbo& b) { putI32(b.offsets, countWordOf(kBasePositions), -1); }},
    {"MoreBasePositionsThanSlots", deltaPlan,
     [](BuiltEbo& b) { putI32(b.offsets, countWordOf(kDeltaSlots), 2); }},
    {"NoDeltaSlots", deltaPlan,
     [](BuiltEbo& b) {
         putI32(b.offsets, countWordOf(kBasePositions), 0);
         putI32(b.offsets, countWordOf(kDeltaSlots), 0);
     }},
    {"NegativeDeltaSlot", deltaPlan,
     [](BuiltEbo& b) {
         putI16(b.baseMesh, static_cast<size_t>(i32In(b.offsets, positionWordOf(kDeltaSlots))) - 1,
                -1);
     }},
    {"MoreTextureCoordinatesThanVertices", deltaPlan,
     [](BuiltEbo& b) { putI32(b.offsets, countWordOf(kBaseUvs), 5); }}, // part 0 has 4 vertices
    {"HugeBaseStrip", deltaPlan,
     [](BuiltEbo& b) { putI32(b.offsets, countWordOf(kBaseStrip), 0x7fffffff); }},
};

INSTANTIATE_TEST_SUITE_P(Files, Corrupted, testing::ValuesIn(kCorruptions),
                         [](const auto& info) { return std::string(info.param.name); });

// Offsets that lead back over the same bytes cannot make a load run on and on: 32,767 parts
// that all start at the one part block of a file stop the load instead of loading 32,767 copies.
TEST(Rereading, PartsThatAllStartAtTheSameBlockFail) {
    EboPlan plan;
    plan.fileVersion = 6;
    SegmentPlan skipped = gridSegment(2, 2);
    skipped.tag = 4;
    plan.parts = {{{skipped}}};
    BuiltEbo built = buildEbo(plan);
    Model model;
    ASSERT_EQ(parseModel(model, {built.model, {}, {}}), 6);
    putI16(built.model, ebo::kPartCountAt, 32767);
    expectRejected(built);
}

// The bytes a loader needs: up to the end of the last strip, or for the delta layout up to the
// last texture word (the builder ends that file with 16 bytes of noise).
size_t neededBytes(const EboPlan& plan, const BuiltEbo& built) {
    if (!built.offsets.empty())
        return built.model.size() - 16;
    size_t end = 0;
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        for (size_t s = 0; s < plan.parts[p].segments.size(); ++s) {
            if (built.positions[p][s].stripBlockAt == 0)
                continue; // a segment the loader passes over
            const size_t stripAt = static_cast<size_t>(built.positions[p][s].stripBlockAt - 1);
            end = std::max(end, stripAt + 2 * plan.parts[p].segments[s].strip.size());
        }
    }
    return end;
}

class Truncated : public testing::TestWithParam<EboPlan (*)()> {};

// Every prefix short of the bytes the loader needs fails; the full need loads.
TEST_P(Truncated, EveryShortPrefixFails) {
    const EboPlan plan = GetParam()();
    const BuiltEbo full = buildEbo(plan);
    const size_t needed = neededBytes(plan, full);
    for (size_t length = 0; length < needed; ++length) {
        BuiltEbo built = full;
        built.model.resize(length);
        expectRejected(built);
        if (HasFailure())
            FAIL() << "a prefix of " << length << " bytes was accepted";
    }
    BuiltEbo built = full;
    built.model.resize(needed);
    Model model;
    EXPECT_NE(parseModel(model, {built.model, built.baseMesh, built.offsets}), 0);
}

const char* const kTruncatedNames[] = {"Plain", "Version6", "Delta"};

EboPlan (*const kTruncatedPlans[])() = {plainPlan, version6Plan, deltaPlan};

INSTANTIATE_TEST_SUITE_P(Layouts, Truncated, testing::ValuesIn(kTruncatedPlans),
                         [](const testing::TestParamInfo<EboPlan (*)()>& info) {
                             return std::string(kTruncatedNames[info.index]);
                         });

TEST(Truncated, EveryShortCompanionFails) {
    const BuiltEbo full = buildEbo(deltaPlan());
    for (size_t length = 0; length < 128; ++length) {
        BuiltEbo built = full;
        built.offsets.resize(length);
        expectRejected(built);
    }
    for (size_t length = 0; length + 12 < full.baseMesh.size(); ++length) {
        BuiltEbo built = full;
        built.baseMesh.resize(length);
        expectRejected(built);
    }
}

// Loading from files: the earlier model, its path and its working copy survive a failed load.
class FailedLoad : public testing::Test {
protected:
    void SetUp() override {
        good = buildEbo(plainPlan());
        goodPath = workspace.put(good, "good.ebo");
        ASSERT_EQ(loadModel(model, goodPath, workspace.folders), 2);
        loaded = model;
    }

    // The load fails with the reason given (its start, for reasons that end in the system's
    // words) and changes nothing.
    void expectNothingChanged(const std::string& path, const std::string& reason,
                              const ModelFolders& folders) {
        const LoadOutcome outcome = loadModel(model, path, folders);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.reason.substr(0, reason.size()), reason);
        EXPECT_EQ(model, loaded);
        EXPECT_EQ(model.modelPath, goodPath);
        EXPECT_EQ(readBytes(workspace.folders.workingCopy), good.model);
    }
    void expectNothingChanged(const std::string& path, const std::string& reason) {
        expectNothingChanged(path, reason, workspace.folders);
        // Without a working copy the model file itself is read, with the same outcome.
        expectNothingChanged(path, reason, {workspace.folders.programDir, {}});
    }

    Workspace workspace;
    BuiltEbo good;
    std::string goodPath;
    Model model;
    Model loaded;
};

TEST_F(FailedLoad, ShortFile) {
    BuiltEbo bad = good;
    bad.model.resize(300);
    expectNothingChanged(workspace.put(bad, "bad.ebo"), "not a loadable EBO model");
}

TEST_F(FailedLoad, MissingFileOrFolder) {
    expectNothingChanged((workspace.dir / "models" / "absent.ebo").string(), "no such file");
    expectNothingChanged((workspace.dir / "models").string(), "not a file");
}

TEST_F(FailedLoad, AFileThatMayNotBeRead) {
    const std::string path = workspace.put(good, "secret.ebo");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    EXPECT_TRUE(asUnprivilegedUser(workspace.dir.path(), [&] {
        const LoadOutcome outcome = loadModel(model, path, workspace.folders);
        return outcome.result == 0 && outcome.reason == "permission denied";
    }));
}

TEST_F(FailedLoad, MissingOrShortCompanionFiles) {
    const BuiltEbo delta = buildEbo(deltaPlan());
    const std::string path = workspace.put(delta, "head5.ebo");
    const std::filesystem::path offsets = workspace.folders.programDir / "misc5.dat";
    std::filesystem::remove(offsets);
    expectNothingChanged(path, "missing companion file " + offsets.string());

    workspace.put(delta, "head5.ebo");
    const std::filesystem::path base = workspace.folders.programDir / "lod" / "base_lod5.ebo";
    std::filesystem::remove(base);
    expectNothingChanged(path, "missing companion file " + base.string());

    workspace.put(delta, "head5.ebo");
    writeBytes(offsets, std::vector<uint8_t>(delta.offsets.begin(), delta.offsets.begin() + 120));
    expectNothingChanged(path, "not a loadable EBO model");
}

TEST_F(FailedLoad, WorkingCopyCannotBeWritten) {
    const std::string otherPath = workspace.put(buildEbo(version6Plan()), "other.ebo");
    ModelFolders blocked = workspace.folders;
    blocked.workingCopy = workspace.dir / "no-such-folder" / "current.tmp";
    LoadOutcome outcome = loadModel(model, otherPath, blocked);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.reason, "cannot make the working copy \"" + blocked.workingCopy.string() +
                                  "\": No such file or directory");
    EXPECT_EQ(model, loaded);

    blocked.workingCopy = workspace.dir / "models"; // a folder stands where the file would go
    outcome = loadModel(model, otherPath, blocked);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.reason.rfind("cannot make the working copy", 0), 0u) << outcome.reason;
    EXPECT_EQ(model, loaded);
}

TEST_F(FailedLoad, TheNextGoodLoadReplacesEverything) {
    const EboPlan plan = version6Plan();
    const BuiltEbo other = buildEbo(plan);
    const std::string otherPath = workspace.put(other, "other.ebo");
    ASSERT_EQ(loadModel(model, otherPath, workspace.folders), 6);
    EXPECT_EQ(model.modelPath, otherPath);
    EXPECT_EQ(model.fileVersion, 6);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), other.model);
}

} // namespace
