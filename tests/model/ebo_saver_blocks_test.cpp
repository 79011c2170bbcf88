// Which bytes a save writes: it leaves alone the blocks that already hold the model's values,
// yet ends with exactly what writing every block in order would give.
#include "model/ebo_saver.h"
#include "model/file_io.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using namespace vw;
using namespace vw::test;

namespace {

void putFloats(std::vector<uint8_t>& bytes, size_t at, std::initializer_list<float> values) {
    for (float value : values) {
        const uint32_t bits = std::bit_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes.at(at++) = static_cast<uint8_t>(bits >> (8 * i));
    }
}

Segment positionsOnly(int32_t posBlockAt, std::vector<Vertex> verts) {
    Segment segment;
    segment.posBlockAt = posBlockAt;
    segment.verts = std::move(verts);
    return segment;
}

// Two segments whose position blocks overlap: the second, written after the first, puts back
// the bytes the first changed, although it holds just what the file held before.
TEST(SaveBlocks, OverlappingBlocksEndAsWrittenInOrder) {
    TempDir dir;
    const ModelFolders folders{dir.path(), dir / "current.tmp"};
    std::vector<uint8_t> before(64);
    for (size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<uint8_t>(0xA5 ^ i);
    putFloats(before, 22, {7.5f, -1.25f, 3.0f});
    writeBytes(folders.workingCopy, before);

    Model model;
    model.fileVersion = 4;
    model.modelFormat = 2;
    model.Parts.resize(1);
    model.Parts[0].segments = {
        positionsOnly(11, {Vertex{.x = 1, .y = -2, .z = 3}, Vertex{.x = 4, .y = -5, .z = 6}}),
        positionsOnly(23, {Vertex{.x = 7.5f, .y = 1.25f, .z = 3.0f}}),
    };
    ASSERT_EQ(stampOf(folders.workingCopy, model.workingCopyStamp), "");
    const std::string path = (dir / "model.ebo").string();
    ASSERT_EQ(saveModel(model, path, folders), "");

    std::vector<uint8_t> expected = before;
    putFloats(expected, 10, {1, 2, 3});
    EXPECT_EQ(readBytes(folders.workingCopy), expected);
    EXPECT_EQ(readBytes(path), expected);
}

// A working copy cut short inside the last block fails the save before any block is written.
TEST(SaveBlocks, AWorkingCopyTooShortForOneBlockGetsNoneOfThem) {
    Workspace workspace;
    EboPlan plan;
    plan.parts = {{{gridSegment(3, 2), gridSegment(2, 2, 1.0f)}}};
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    for (Segment& segment : model.Parts[0].segments) {
        for (Vertex& v : segment.verts)
            v.x += 1.0f;
    }
    const Segment& last = model.Parts[0].segments.back();
    const size_t cut = static_cast<size_t>(last.colorBlockAt) - 1 + 4 * last.verts.size() - 1;
    const std::vector<uint8_t> shortCopy(built.model.begin(), built.model.begin() + cut);
    writeBytes(workspace.folders.workingCopy, shortCopy);

    EXPECT_NE(saveModel(model, path, workspace.folders), "");
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), shortCopy);
    EXPECT_EQ(readBytes(path), built.model);
}

} // namespace
