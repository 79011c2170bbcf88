#include "model/ebo/ebo_format.h"
#include "model/ebo/ebo_saver.h"
#include "model/ebo/save_check.h"
#include "model/files/background_removal.h"
#include "model/files/file_io.h"
#include "support/ebo_builder.h"
#include "support/file_bytes.h"
#include "support/model_plans.h"
#include "support/portable_io.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "support/watched_child.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <tuple>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vw;
using namespace vw::test;

namespace {

struct SaveCase {
    const char* name;
    EboPlan (*plan)();
    uint8_t result;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

const SaveCase kCases[] = {
    {"Plain2", [] { return plainPlan(2); }, 2},
    {"Plain3", [] { return plainPlan(3); }, 3},
    {"Version6Format2", [] { return version6Plan(2); }, 6},
    {"Version6Format0", [] { return version6Plan(0); }, 6},
    {"Version6OtherFormat", [] { return version6Plan(7); }, 6},
    {"Delta", deltaPlan, 10},
};

// Loads the case's model from real files, ready for saving.
class Saving : public testing::TestWithParam<SaveCase> {
protected:
    void SetUp() override {
        built = buildEbo(GetParam().plan());
        path = workspace.put(built, "model2.ebo");
        ASSERT_EQ(loadModel(model, path, workspace.folders), GetParam().result);
    }

    std::vector<uint8_t> saved() const { return readBytes(path); }

    Workspace workspace;
    BuiltEbo built;
    std::string path;
    Model model;
};

class RoundTrip : public Saving {};

TEST_P(RoundTrip, AnUneditedSaveLeavesTheFileByteForByte) {
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(saved(), built.model);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), built.model);
}

// The editor's save: nothing to write, so the file is not written again, and it counts as saved.
TEST_P(RoundTrip, AnUneditedSaveMayLeaveTheFileAlone) {
    FileStamp before;
    ASSERT_TRUE(stampOf(path, before));
    ASSERT_EQ(saveModel(model, path, workspace.folders, SameBytes::kLeaveAlone).reason(), "");
    FileStamp after;
    ASSERT_TRUE(stampOf(path, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(saved(), built.model);
    EXPECT_FALSE(modelFileChanged(model));
}

INSTANTIATE_TEST_SUITE_P(Layouts, RoundTrip, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A plain-mesh working copy that reads as its model needs no reading back after a save: its
// blocks cannot reach its structure. Any other layout, or a working copy that no longer reads as
// the model, is read back in full.
struct StructureCase {
    const char* name;
    EboPlan plan;
    void (*change)(std::vector<uint8_t>& workingCopy, const Model& model);
    bool leftAlone;
};

void unchanged(std::vector<uint8_t>&, const Model&) {}

void PrintTo(const StructureCase& c, std::ostream* out) {
    *out << c.name;
}

EboPlan oddStripPlan() {
    EboPlan plan = plainPlan(3);
    plan.parts[1].segments[1].stripBytes = 7;
    return plan;
}

const StructureCase kStructureCases[] = {
    {"Plain2", plainPlan(2), unchanged, true},
    {"Plain3OddStripSize", oddStripPlan(), unchanged, true},
    {"Version6", version6Plan(2), unchanged, false},
    {"Delta", deltaPlan(), unchanged, false},
    {"AStripEntryChanged", plainPlan(2),
     [](std::vector<uint8_t>& bytes, const Model& model) {
         bytes.at(size_t(model.Parts[1].segments[0].stripBlockAt) - 1) ^= 1;
     },
     false},
    {"AVertexCountChanged", plainPlan(2),
     [](std::vector<uint8_t>& bytes, const Model&) {
         putI32(bytes, ebo::kFirstPartBlock + ebo::plainCountTableAt(1), 2);
     },
     false},
    {"CutShort", plainPlan(2),
     [](std::vector<uint8_t>& bytes, const Model& model) {
         bytes.resize(size_t(model.Parts[1].segments[1].stripBlockAt));
     },
     false},
};

class StructureLeftAlone : public testing::TestWithParam<StructureCase> {};

TEST_P(StructureLeftAlone, OnlyForAPlainMeshThatStillReadsAsTheModel) {
    Workspace workspace;
    const BuiltEbo built = buildEbo(GetParam().plan);
    Model model;
    ASSERT_NE(loadModel(model, workspace.put(built), workspace.folders), 0);
    std::vector<uint8_t> workingCopy = built.model;
    GetParam().change(workingCopy, model);
    EXPECT_EQ(blocksLeaveStructureAlone(model, workingCopy), GetParam().leftAlone);
}

INSTANTIATE_TEST_SUITE_P(Cases, StructureLeftAlone, testing::ValuesIn(kStructureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Moves every vertex by exactly representable steps and changes every other value; in the delta
// layout a vertex whose slot lies past the file's block stays, as no file could hold its move.
void editEverything(Model& model) {
    const Model loaded = model;
    for (Part& part : model.Parts) {
        for (Segment& segment : part.segments) {
            for (Vertex& v : segment.verts) {
                v.x += 1.0f;
                v.y -= 2.0f;
                v.z += 0.5f;
                v.u += 0.25f;
                v.v -= 0.125f;
                v.red = static_cast<uint8_t>(v.red + 1);
                v.green = static_cast<uint8_t>(v.green + 2);
                v.blue = static_cast<uint8_t>(v.blue + 3);
                v.alpha = static_cast<uint8_t>(v.alpha + 4);
                v.selected = -1;
            }
        }
    }
    if (model.layout == ModelLayout::Delta)
        model.Parts[2].segments[0].verts[5] = loaded.Parts[2].segments[0].verts[5];
}

// The byte ranges a save may change: the blocks as the loader recorded them.
std::vector<bool> writableBytes(const Model& model, size_t size) {
    std::vector<bool> writable(size, false);
    auto allow = [&](int32_t position, size_t length) {
        for (size_t i = 0; position > 0 && i < length; ++i)
            writable.at(static_cast<size_t>(position) - 1 + i) = true;
    };
    for (const Part& part : model.Parts) {
        for (const Segment& segment : part.segments) {
            const size_t n = segment.verts.size();
            if (model.layout == ModelLayout::Delta) {
                allow(segment.posBlockAt, static_cast<size_t>(segment.posBlockBytes));
                continue;
            }
            allow(segment.posBlockAt, 12 * n);
            allow(segment.uvBlockAt, 8 * n);
            allow(segment.colorBlockAt, 4 * n);
        }
    }
    return writable;
}

TEST_P(Saving, EditsReachOnlyTheirBlocksAndLoadBack) {
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> after = saved();
    ASSERT_EQ(after.size(), built.model.size());
    const std::vector<bool> writable = writableBytes(model, after.size());
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] != built.model[i]) {
            ++changed;
            ASSERT_TRUE(writable[i]) << "byte " << i << " lies outside every block";
        }
    }
    EXPECT_GT(changed, 0u);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), after);

    Model reloaded;
    ASSERT_EQ(loadModel(reloaded, path, workspace.folders), GetParam().result);
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (size_t s = 0; s < model.Parts[p].segments.size(); ++s) {
            const auto& want = model.Parts[p].segments[s].verts;
            const auto& got = reloaded.Parts[p].segments[s].verts;
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ(got[i].x, want[i].x);
                EXPECT_EQ(got[i].y, want[i].y);
                EXPECT_EQ(got[i].z, want[i].z);
                if (GetParam().result != 10) {
                    EXPECT_EQ(got[i].u, want[i].u);
                    EXPECT_EQ(got[i].v, want[i].v);
                }
                if (GetParam().result == 2 || GetParam().result == 3) {
                    EXPECT_EQ(got[i].red, want[i].red);
                }
            }
        }
    }
}

TEST_P(Saving, TwoSavesInARowGiveTheSameFile) {
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> first = saved();
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(saved(), first);
}

// A save writes into both files only the blocks that changed, while it copies: the file it
// gives must be the bytes an in-memory save makes of the file as loaded.
TEST_P(Saving, AnEditOfOneValueGivesTheBytesOfAnInMemorySave) {
    for (auto [part, seg] :
         {std::pair{size_t{0}, size_t{0}}, std::pair{model.Parts.size() - 1, size_t{0}}}) {
        model.Parts[part].segments[seg].verts[0].x += 1.0f;
        std::vector<uint8_t> expected = readBytes(workspace.folders.workingCopy);
        ASSERT_EQ(saveModelBytes(model, expected).reason(), "");
        ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
        EXPECT_EQ(saved(), expected) << part;
        EXPECT_EQ(readBytes(workspace.folders.workingCopy), expected) << part;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, Saving, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlainSave, AZeroYIsWrittenAsMinusZero) {
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    Segment& segment = model.Parts[0].segments[0];
    segment.verts[1].y = 0.0f;
    segment.verts[2].y = -0.0f;
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> bytes = readBytes(path);
    const size_t at = static_cast<size_t>(segment.posBlockAt - 1);
    EXPECT_EQ(u32In(bytes, at + ebo::kPositionSize + 4), 0x80000000u);
    EXPECT_EQ(u32In(bytes, at + 2 * ebo::kPositionSize + 4), 0x00000000u);
}

TEST(PlainSave, SegmentsBeyondSixteenBitElementCountsAreWritten) {
    EboPlan plan;
    plan.parts = {{{gridSegment(110, 100)}}}; // 11,000 vertices, 44,000 colour bytes
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plan));
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    Model reloaded;
    ASSERT_EQ(loadModel(reloaded, path, workspace.folders), 2);
    model.Parts[0].segments[0].verts.back().selected = 0;
    EXPECT_EQ(reloaded.Parts[0].segments[0].verts.back(), model.Parts[0].segments[0].verts.back());
}

TEST(DeltaSave, WritesDifferencesBySlotAndKeepsUnusedSlots) {
    Workspace workspace;
    EboPlan plan = deltaPlan();
    std::fill_n(plan.deltaParts[1].deltas.begin() + 6, 3, 0.5f); // unused slot 2
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built, "head2.ebo");
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 10);
    Segment& segment = model.Parts[1].segments[0];
    const BaseMesh& base = model.baseMeshes[1];
    for (size_t k = 0; k < segment.verts.size(); ++k) {
        segment.verts[k].x = base.basePos[3 * k] + 1.0f + static_cast<float>(k);
        segment.verts[k].y = -(base.basePos[3 * k + 1] + 2.0f);
        segment.verts[k].z = base.basePos[3 * k + 2] - 0.5f;
    }
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> bytes = readBytes(path);
    const size_t at = static_cast<size_t>(segment.posBlockAt - 1);
    // Slots {3, 0, 3, 1, 0}: slot 0 from vertex 4, slot 1 from vertex 3, slot 2 unused, slot 3
    // from vertex 2.
    // The unused slot keeps the file's bytes.
    const float expectedX[] = {5.0f, 4.0f, 0.0f, 3.0f};
    const std::vector<uint8_t>& before = built.model;
    for (size_t slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        const size_t x = at + ebo::kPositionSize * slot;
        const bool used = slot != 2;
        EXPECT_EQ(f32In(bytes, x), used ? expectedX[slot] : f32In(before, x));
        EXPECT_EQ(f32In(bytes, x + 4), used ? 2.0f : f32In(before, x + 4));
        EXPECT_EQ(f32In(bytes, x + 8), used ? -0.5f : f32In(before, x + 8));
    }
}

TEST(DeltaSave, APaddedBlockIsWrittenOnlyAsFarAsTheFileHeldIt) {
    Workspace workspace;
    EboPlan plan = deltaPlan();
    plan.deltaParts[2].deltas[15] = 0.5f; // unused slot 5, the block's last: a save writes 0
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built, "head2.ebo");
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 10);
    Segment& segment = model.Parts[2].segments[0];
    ASSERT_EQ(segment.posBlockBytes, 18 * 4);
    for (size_t v = 0; v < 5; ++v) // vertex 5 has slot 7, past the block
        segment.verts[v].x += 8.0f;
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> bytes = readBytes(path);
    const size_t start = static_cast<size_t>(segment.posBlockAt - 1);
    const size_t end = start + static_cast<size_t>(segment.posBlockBytes);
    EXPECT_NE(f32In(bytes, start), f32In(built.model, start));
    // Slot 5, the block's last, is no vertex's now.
    EXPECT_EQ(f32In(bytes, end - ebo::kPositionSize), f32In(built.model, end - ebo::kPositionSize));
    EXPECT_TRUE(std::equal(bytes.begin() + static_cast<long>(end), bytes.end(),
                           built.model.begin() + static_cast<long>(end)));
}

// Moves the file cannot hold fail the save instead of vanishing; the file stays as it was.
TEST(DeltaSave, AMoveTheFileHasNoRoomForFailsTheSave) {
    EboPlan plan = deltaPlan();
    plan.deltaParts[0].basePos.resize(3); // only vertex 0 of part 0 has a base position
    Workspace workspace;
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built, "head2.ebo");
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 10);
    const std::vector<uint8_t> loadedCopy = readBytes(workspace.folders.workingCopy);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "") << "unmoved vertices save";

    Model pastBlock = model;
    pastBlock.Parts[2].segments[0].verts[5].z = 1.0f;
    EXPECT_EQ(saveModel(pastBlock, path, workspace.folders).reason(),
              "vertex 5 of part 2 has moved, but the file has no room for its position");
    Model withoutBase = model;
    withoutBase.Parts[0].segments[0].verts[3].x = 99.0f;
    EXPECT_EQ(saveModel(withoutBase, path, workspace.folders).reason(),
              "vertex 3 of part 0 has moved, but the file has no room for its position");
    EXPECT_EQ(readBytes(path), readBytes(workspace.folders.workingCopy));
    EXPECT_EQ(readBytes(workspace.folders.workingCopy).size(), loadedCopy.size());
}

// Deltas no subtraction gives back: -0.0, and one below the rounding of a position far from zero.
// A save keeps them while their vertex stays, and a moved vertex changes its own slot only.
TEST(DeltaSave, KeepsTheDeltaBytesOfVerticesThatDidNotMove) {
    EboPlan plan = deltaPlan();
    plan.deltaParts[0].deltas[0] = -0.0f;
    plan.deltaParts[0].basePos[3] = 1e8f;
    plan.deltaParts[0].deltas[3] = 1.0f;
    Workspace workspace;
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built, "head2.ebo");
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 10);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), built.model);

    model.Parts[0].segments[0].verts[2].x += 1.0f;
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> after = readBytes(path);
    const size_t slot2 =
        static_cast<size_t>(model.Parts[0].segments[0].posBlockAt - 1) + 2 * ebo::kPositionSize;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] != built.model[i]) {
            EXPECT_TRUE(i >= slot2 && i < slot2 + 4) << "byte " << i;
        }
    }
    EXPECT_NE(after, built.model);
}

// Another program's change to the model file since the load, each way one can come: the save
// refuses and leaves what the other program wrote, until the user agrees to overwrite it.
struct DiskChange {
    const char* name;
    void (*apply)(const std::filesystem::path& file);
};

void moveModificationTime(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));
}

const DiskChange kDiskChanges[] = {
    {"ReplacedByRename",
     [](const std::filesystem::path& file) {
         writeBytes(file.string() + ".new", readBytes(file));
         std::filesystem::rename(file.string() + ".new", file);
     }},
    {"RewrittenInPlace",
     [](const std::filesystem::path& file) {
         std::vector<uint8_t> bytes = readBytes(file);
         bytes[40] ^= 1;
         writeBytes(file, bytes);
         moveModificationTime(file);
     }},
    {"Truncated",
     [](const std::filesystem::path& file) { std::filesystem::resize_file(file, 10); }},
    {"Deleted", [](const std::filesystem::path& file) { std::filesystem::remove(file); }},
    {"Touched", moveModificationTime},
};

class ChangedOnDisk : public testing::TestWithParam<DiskChange> {};

TEST_P(ChangedOnDisk, TheSaveRefusesUntilTheUserAgreesToOverwrite) {
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    editEverything(model);
    GetParam().apply(path);
    const bool exists = std::filesystem::exists(path);
    const std::vector<uint8_t> theirs = exists ? readBytes(path) : std::vector<uint8_t>{};
    EXPECT_TRUE(modelFileChanged(model));
    EXPECT_EQ(saveModel(model, path, workspace.folders).reason(), changedOnDiskText(path));
    EXPECT_EQ(std::filesystem::exists(path), exists);
    if (exists) {
        EXPECT_EQ(readBytes(path), theirs);
    }

    overwriteModelFileAsIs(model);
    EXPECT_FALSE(modelFileChanged(model));
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), readBytes(workspace.folders.workingCopy));
    EXPECT_FALSE(modelFileChanged(model)) << "a save records the file it wrote";
}

// Leaving an unchanged file alone, a save still looks whether it changed on disk; once the user
// agrees to overwrite it, the working copy's bytes are written.
TEST_P(ChangedOnDisk, AnUneditedSaveLeavingTheFileAloneRefusesToo) {
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    GetParam().apply(path);
    EXPECT_EQ(saveModel(model, path, workspace.folders, SameBytes::kLeaveAlone).reason(),
              changedOnDiskText(path));
    overwriteModelFileAsIs(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders, SameBytes::kLeaveAlone).reason(), "");
    EXPECT_EQ(readBytes(path), readBytes(workspace.folders.workingCopy));
    EXPECT_FALSE(modelFileChanged(model));
}

INSTANTIATE_TEST_SUITE_P(Ways, ChangedOnDisk, testing::ValuesIn(kDiskChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// A save that cannot complete reports why and leaves the model file as it was.
class SaveFailure : public testing::Test {
protected:
    void SetUp() override {
        built = buildEbo(plainPlan(2));
        path = workspace.put(built);
        ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
        editEverything(model);
    }

    // What is left in the model's folder besides the model: a failed save leaves no
    // temporary file behind.
    std::vector<std::string> strayFiles() const {
        waitForRemovals();
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(workspace.dir / "models")) {
            if (entry.path() != std::filesystem::path(path))
                names.push_back(entry.path().filename().string());
        }
        return names;
    }

    Workspace workspace;
    BuiltEbo built;
    std::string path;
    Model model;
};

TEST_F(SaveFailure, AFolderInPlaceOfTheModelFile) {
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(SaveFailure, TheModelFolderIsGone) {
    std::filesystem::remove_all(workspace.dir / "models");
    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_FALSE(std::filesystem::exists(workspace.dir / "models"));
}

TEST_F(SaveFailure, AFileInPlaceOfTheModelFolder) {
    std::filesystem::remove_all(workspace.dir / "models");
    writeBytes(workspace.dir / "models", {9});
    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(workspace.dir / "models"), std::vector<uint8_t>{9});
}

TEST_F(SaveFailure, AReadOnlyModelFile) {
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(asUnprivilegedUser(workspace.dir.path(), [&] {
        return !saveModel(model, path, workspace.folders).reason().empty();
    }));
    EXPECT_EQ(readBytes(path), built.model);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(SaveFailure, AReadOnlyFolder) {
    namespace fs = std::filesystem;
    fs::permissions(workspace.dir / "models",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(asUnprivilegedUser(workspace.dir.path(), [&] {
        return !saveModel(model, path, workspace.folders).reason().empty();
    }));
    EXPECT_EQ(readBytes(path), built.model);
}

// In a sticky folder (as /tmp) a user may write another user's model without being allowed to
// replace it: the refused save leaves no name of its own beside the model, which keeps its one
// link (a second would send the next save the in-place way).
TEST_F(SaveFailure, AStickyFolderRefusesTheReplacement) {
    namespace fs = std::filesystem;
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a second user, which only root can be";
    fs::permissions(workspace.dir.path(), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(workspace.dir / "models", fs::perms::all | fs::perms::sticky_bit);
    fs::permissions(path, fs::perms::others_read | fs::perms::others_write, fs::perm_options::add);
    EXPECT_TRUE(asUnprivilegedUser(workspace.folders.programDir, [&] {
        const Result saved = saveModel(model, path, workspace.folders);
        return saved.reason().find("Operation not permitted") != std::string::npos;
    }));
    EXPECT_EQ(readBytes(path), built.model);
    EXPECT_TRUE(strayFiles().empty());
    EXPECT_EQ(fs::hard_link_count(path), 1u);
}

TEST_F(SaveFailure, TheWorkingCopyIsGoneOrShort) {
    std::filesystem::remove(workspace.folders.workingCopy);
    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), built.model);

    writeBytes(workspace.folders.workingCopy,
               std::vector<uint8_t>(built.model.begin(), built.model.begin() + 400));
    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), built.model);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy).size(), 400u);
}

// Another program's change to the working copy since the load: a rewrite of the same size (its
// modification time set apart, as a clock tick later would), and another model's load into the
// same working copy, as a second editor in the same folder does.
TEST_F(SaveFailure, AWorkingCopyChangedByAnotherProgram) {
    namespace fs = std::filesystem;
    const std::string changed = "the working copy \"" + workspace.folders.workingCopy.string() +
                                "\" was changed by another program";
    std::vector<uint8_t> rewritten = built.model;
    rewritten[100] ^= 1;
    const auto loadedAt = fs::last_write_time(workspace.folders.workingCopy);
    writeBytes(workspace.folders.workingCopy, rewritten);
    fs::last_write_time(workspace.folders.workingCopy, loadedAt + std::chrono::milliseconds(1));
    EXPECT_EQ(saveModel(model, path, workspace.folders).reason(), changed);
    EXPECT_EQ(readBytes(path), built.model);

    Model other;
    const BuiltEbo otherBuilt = buildEbo(version6Plan(2));
    const std::string otherPath = workspace.put(otherBuilt, "other.ebo");
    ASSERT_EQ(loadModel(other, otherPath, workspace.folders), 6);
    EXPECT_EQ(saveModel(model, path, workspace.folders).reason(), changed);
    EXPECT_EQ(readBytes(path), built.model);
    EXPECT_EQ(saveModel(other, otherPath, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(otherPath), otherBuilt.model);
}

TEST_F(SaveFailure, ASaveSucceedsOnceTheObstacleIsGone) {
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    ASSERT_NE(saveModel(model, path, workspace.folders).reason(), "");
    std::filesystem::remove(path);
    // The file is gone since the load: a save puts it back only once that was agreed to.
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), changedOnDiskText(path));
    overwriteModelFileAsIs(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), readBytes(workspace.folders.workingCopy));
    EXPECT_NE(readBytes(path), built.model);
}

TEST(AtomicSave, ALinkKeepsPointingAtTheSavedFile) {
    Workspace workspace;
    const BuiltEbo built = buildEbo(plainPlan(3));
    const std::string real = workspace.put(built, "real.ebo");
    const std::filesystem::path link = workspace.dir / "link.ebo";
    std::filesystem::create_symlink(real, link);
    Model model;
    ASSERT_EQ(loadModel(model, link.string(), workspace.folders), 3);
    editEverything(model);
    ASSERT_EQ(saveModel(model, link.string(), workspace.folders).reason(), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), readBytes(workspace.folders.workingCopy));
}

TEST(AtomicSave, TheFileKeepsItsPermissions) {
    namespace fs = std::filesystem;
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    const fs::perms chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, chosen);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(fs::status(path).permissions(), chosen);
    waitForRemovals();
    EXPECT_EQ(
        std::distance(fs::directory_iterator(workspace.dir / "models"), fs::directory_iterator()),
        1);
}

// A process id that no process has: a child's, once it has ended.
pid_t goneProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A save killed midway leaves its temporary file beside the model, and a killed load one beside
// the working copy; the next save or load there removes those of processes that are gone, and
// nothing else: not a running process's, not a backup, not a file of another name.
TEST(AtomicSave, RemovesTheTemporaryFilesOfKilledProcesses) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    namespace fs = std::filesystem;
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    const std::string gone = std::to_string(goneProcess());
    const std::string running = std::to_string(::getpid());
    const fs::path models = workspace.dir / "models";
    const fs::path program = workspace.folders.programDir;
    for (const fs::path& file :
         {models / (".vw" + gone + "-0badf00d.tmp"), models / (".vw" + running + "-0badf00d.tmp"),
          models / (".vw" + gone + "-0badf00d.bak"), models / ".vwnotes.tmp",
          models / (".vw" + gone + "-mynotes.tmp"), models / (".vw" + gone + "-0badf00d1.tmp"),
          models / (".vw" + gone + "-0BADF00D.tmp"), program / (".vw" + gone + "-12345678.tmp")})
        writeBytes(file, std::vector<uint8_t>(4096, 5));
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    EXPECT_FALSE(fs::exists(program / (".vw" + gone + "-12345678.tmp")));
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_FALSE(fs::exists(models / (".vw" + gone + "-0badf00d.tmp")));
    EXPECT_TRUE(fs::exists(models / (".vw" + running + "-0badf00d.tmp")));
    EXPECT_TRUE(fs::exists(models / (".vw" + gone + "-0badf00d.bak")));
    EXPECT_TRUE(fs::exists(models / ".vwnotes.tmp"));
    for (const char* lookAlike : {"-mynotes.tmp", "-0badf00d1.tmp", "-0BADF00D.tmp"})
        EXPECT_TRUE(fs::exists(models / (".vw" + gone + lookAlike))) << lookAlike;
}

// Every file a save makes from a model is its owner's alone from the moment it exists: the
// temporary file beside the model, and for a hard-linked model the backup and its partial copy.
// The saved file then has the model's own mode and owner, and the working copy stays private.
TEST(AtomicSave, FilesMadeFromAPrivateModelArePrivateFromTheStart) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access makes files through streams";
    namespace fs = std::filesystem;
    Workspace workspace;
    EboPlan plan;
    plan.parts = {{{gridSegment(180, 180)}}};
    const std::string path = workspace.put(buildEbo(plan));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    constexpr uid_t kNobody = 65534;
    const uid_t owner = ::geteuid() == 0 ? kNobody : ::geteuid();
    ASSERT_EQ(::chown(path.c_str(), owner, owner), 0);
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "hard-linked" : "single name");
        if (linked)
            fs::create_hard_link(path, workspace.dir / "models" / "other.ebo");
        // The kinds of file seen (".tmp", ".bak"); a fast save may be past one before the test
        // looks, so saves run until each was seen.
        std::set<std::string> seen;
        const std::set<std::string> expected =
            linked ? std::set<std::string>{".tmp", ".bak"} : std::set<std::string>{".tmp"};
        for (int attempt = 0; attempt < 50 && seen != expected; ++attempt) {
            Model model;
            ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
            EXPECT_EQ(fs::status(workspace.folders.workingCopy).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write);
            editEverything(model);
            const auto save = [&] { std::ignore = saveModel(model, path, workspace.folders); };
            ASSERT_TRUE(runWatchingFolder(workspace.dir / "models", save,
                                          [&](const std::string& name, pid_t) {
                                              struct stat status;
                                              const auto file = workspace.dir / "models" / name;
                                              if (::stat(file.c_str(), &status) == 0) {
                                                  EXPECT_EQ(status.st_mode & 077, 0u) << name;
                                                  if (name.starts_with(".vw"))
                                                      seen.insert(fs::path(name).extension());
                                              }
                                              return true;
                                          }));
        }
        EXPECT_EQ(seen, expected);
        struct stat saved;
        ASSERT_EQ(::stat(path.c_str(), &saved), 0);
        EXPECT_EQ(saved.st_mode & 0777, 0600u);
        EXPECT_EQ(saved.st_uid, owner);
        EXPECT_EQ(saved.st_nlink, linked ? 2u : 1u);
    }
}

// A save killed while it writes a hard-linked model in place leaves a whole backup of the earlier
// content; the next open finds it, and putting it back restores the model.
TEST(AtomicSave, ABackupLeftByAKilledInPlaceSaveIsFound) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    namespace fs = std::filesystem;
    Workspace workspace;
    EboPlan plan;
    plan.parts = {{{gridSegment(180, 180), gridSegment(180, 180), gridSegment(180, 180)}}};
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built);
    fs::create_hard_link(path, workspace.dir / "models" / "other.ebo");
    EXPECT_TRUE(interruptedSaveBackups(path).empty());
    for (int attempt = 0; attempt < 20 && interruptedSaveBackups(path).empty(); ++attempt) {
        Model model;
        ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
        editEverything(model);
        runWatchingFolder(
            workspace.dir / "models",
            [&] { std::ignore = saveModel(model, path, workspace.folders); },
            [](const std::string& name, pid_t) { return !name.ends_with(".bak"); });
        if (readBytes(path) != built.model)
            writeBytes(path, built.model); // killed too late: the next attempt starts afresh
    }
    const std::vector<SaveBackup> backups = interruptedSaveBackups(path);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].leftAlone, "");
    EXPECT_EQ(readBytes(backups[0].path), built.model);
    EXPECT_EQ(fs::status(backups[0].path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    writeBytes(path, std::vector<uint8_t>(100, 0)); // as if the write had got that far
    ASSERT_TRUE(restoreBackup(path, backups[0].path));
    EXPECT_EQ(readBytes(workspace.dir / "models" / "other.ebo"), built.model);
    EXPECT_TRUE(interruptedSaveBackups(path).empty());
}

// The temporary file has a short name of its own, so any name that can be opened can be saved.
TEST(AtomicSave, AModelWithA250ByteNameIsSaved) {
    Workspace workspace;
    const std::string name = std::string(246, 'm') + ".ebo";
    const BuiltEbo built = buildEbo(plainPlan(2));
    const std::string path = workspace.put(built, name);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), readBytes(workspace.folders.workingCopy));
    EXPECT_NE(readBytes(path), built.model);
}

TEST(AtomicSave, TheFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may save a file that another user owns";
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access does not keep a file's owner";
    Workspace workspace;
    const std::string path = workspace.put(buildEbo(plainPlan(2)));
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
}

// Every name of a hard-linked model sees the saved content; the backup made first is gone.
TEST(AtomicSave, AHardLinkedModelIsWrittenInPlace) {
    namespace fs = std::filesystem;
    Workspace workspace;
    const BuiltEbo built = buildEbo(plainPlan(3));
    const std::string path = workspace.put(built);
    const fs::path other = workspace.dir / "models" / "other-name.ebo";
    fs::create_hard_link(path, other);
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 3);
    editEverything(model);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    const std::vector<uint8_t> saved = readBytes(workspace.folders.workingCopy);
    EXPECT_NE(saved, built.model);
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_EQ(readBytes(other), saved);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(workspace.dir / "models"), fs::directory_iterator()),
        2);
}

} // namespace
