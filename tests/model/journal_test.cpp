// The journal of unsaved edits: its bytes read back to the exact bits, a damaged one is refused
// with a reason, its edits go back into a document as one step, and the writer keeps it in step
// with the document's saved state.

#include "model/editing/history/document.h"
#include "model/editing/history/journal.h"
#include "model/editing/history/journal_writer.h"
#include "model/editing/history/working_data.h"
#include "support/value_bits.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <functional>
#include <limits>
#include <mutex>
#include <tuple>

using namespace vw;

namespace {

Vertex vertexOf(uint32_t xBits, float y, uint8_t red) {
    Vertex vertex;
    vertex.x = std::bit_cast<float>(xBits);
    vertex.y = y;
    vertex.z = -y;
    vertex.u = std::numeric_limits<float>::denorm_min();
    vertex.v = -0.0f;
    vertex.red = red;
    vertex.alpha = 255;
    return vertex;
}

// Values whose bits a careless copy would change: NaNs with payloads, -0, denormals, infinity.
Journal awkwardJournal() {
    Journal journal{1234, 1765000000123456789, {"/models/m.ebo", 900, 1765000000000000001, 77}, {}};
    journal.segments.push_back({0,
                                1,
                                10,
                                {{2, {vertexOf(0x7fc00001u, 1, 1), vertexOf(0xffbfffffu, 2, 2)}},
                                 {7,
                                  {vertexOf(0x80000000u, 3, 3), vertexOf(0x00000001u, 4, 4),
                                   vertexOf(0x7f800000u, 5, 5)}}}});
    journal.segments.push_back({2, 0, 3, {{0, {vertexOf(0xff800000u, -0.0f, 9)}}}});
    return journal;
}

using test::sameBits;

TEST(JournalFormat, ReadsBackTheExactBits) {
    const Journal written = awkwardJournal();
    Journal read;
    ASSERT_TRUE(decodeJournal(encodeJournal(written), read));
    EXPECT_EQ(read.pid, written.pid);
    EXPECT_EQ(read.writtenNs, written.writtenNs);
    EXPECT_EQ(read.model, written.model);
    ASSERT_EQ(read.segments.size(), written.segments.size());
    for (size_t s = 0; s < read.segments.size(); ++s) {
        const JournalSegment& a = read.segments[s];
        const JournalSegment& b = written.segments[s];
        EXPECT_EQ(std::tie(a.part, a.seg, a.vertexCount), std::tie(b.part, b.seg, b.vertexCount));
        ASSERT_EQ(a.runs.size(), b.runs.size());
        for (size_t r = 0; r < a.runs.size(); ++r) {
            EXPECT_EQ(a.runs[r].first, b.runs[r].first);
            ASSERT_EQ(a.runs[r].verts.size(), b.runs[r].verts.size());
            for (size_t i = 0; i < a.runs[r].verts.size(); ++i)
                EXPECT_TRUE(sameBits(a.runs[r].verts[i], b.runs[r].verts[i])) << s << r << i;
        }
    }
}

struct Damage {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
    const char* reason; // a part of the refusal's text
};

// Rewrites the trailing checksum so the damage behind it is what the reader meets.
void resealed(std::vector<uint8_t>& bytes) {
    uint64_t checksum = hashBytes({bytes.data(), bytes.size() - 8});
    for (size_t i = bytes.size() - 8; i < bytes.size(); ++i, checksum >>= 8)
        bytes[i] = uint8_t(checksum);
}

std::vector<uint8_t> encodedWith(const std::function<void(Journal&)>& change) {
    Journal journal = awkwardJournal();
    change(journal);
    return encodeJournal(journal);
}

TEST(JournalFormat, ADamagedJournalIsRefusedWithAReason) {
    const std::vector<Damage> cases{
        {"Empty", [](auto& b) { b.clear(); }, "not a journal"},
        {"OtherMagic", [](auto& b) { b[0] = 'X'; }, "not a journal"},
        {"LaterVersion", [](auto& b) { b[8] = 2; }, "another version (2)"},
        {"CutShort", [](auto& b) { b.resize(b.size() - 30); }, "checksum"},
        {"CutInTheHeader", [](auto& b) { b.resize(20); }, "checksum"},
        {"FlippedValueBit", [](auto& b) { b[b.size() - 20] ^= 0x10; }, "checksum"},
        {"FlippedChecksumBit", [](auto& b) { b.back() ^= 0x80; }, "checksum"},
        {"TrailingBytes",
         [](auto& b) {
             b.insert(b.end() - 8, {1, 2, 3});
             resealed(b);
         },
         "past its end"},
        {"CountPastTheEnd",
         [](auto& b) {
             b = encodedWith([](Journal& j) { j.model.path.clear(); });
             b[59] = 0x7f; // the high byte of the segment count
             resealed(b);
         },
         "count runs past"},
        {"RunPastItsSegment",
         [](auto& b) { b = encodedWith([](Journal& j) { j.segments[0].vertexCount = 8; }); },
         "outside its segment"},
        {"OverlappingRuns",
         [](auto& b) { b = encodedWith([](Journal& j) { j.segments[0].runs[1].first = 3; }); },
         "outside its segment"},
        {"SegmentsOutOfOrder",
         [](auto& b) { b = encodedWith([](Journal& j) { j.segments[1].part = 0; }); },
         "out of order"},
    };
    const std::vector<uint8_t> sound = encodeJournal(awkwardJournal());
    for (const Damage& damage : cases) {
        std::vector<uint8_t> bytes = sound;
        damage.apply(bytes);
        Journal read;
        read.pid = -5;
        const Result result = decodeJournal(bytes, read);
        EXPECT_FALSE(result) << damage.name;
        EXPECT_NE(result.reason().find(damage.reason), std::string::npos)
            << damage.name << ": " << result.reason();
        EXPECT_EQ(read.pid, -5) << damage.name << " changed the result";
    }
}

Vertex at(float x, float y) {
    Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.red = 3;
    return vertex;
}

// Part 0: two segments of three vertices; part 1: one of two.
Model twoParts() {
    Model model;
    model.modelPath = "/models/two.ebo";
    model.Parts.resize(2);
    model.Parts[0].segments.resize(2);
    model.Parts[0].segments[0].verts = {at(0, 0), at(1, 0), at(2, 0)};
    model.Parts[0].segments[1].verts = {at(0, 1), at(1, 1), at(2, 1)};
    model.Parts[1].segments.resize(1);
    model.Parts[1].segments[0].verts = {at(5, 5), at(6, 6)};
    loadCurData(model);
    return model;
}

TEST(JournalApply, WritesTheExactBitsBackAsOneUnsavedUndoableStep) {
    Model model = twoParts();
    const Model original = model;
    Document document(model);
    Journal journal;
    journal.segments.push_back({0, 1, 3, {{1, {vertexOf(0x7fc00abcu, -0.0f, 200)}}}});
    journal.segments.push_back({1, 0, 2, {{0, {vertexOf(0x00000003u, 8, 0), at(7, 7)}}}});

    ASSERT_TRUE(applyJournal(document, journal));
    EXPECT_FALSE(document.isClean());
    EXPECT_TRUE(
        sameBits(model.Parts[0].segments[1].verts[1], journal.segments[0].runs[0].verts[0]));
    EXPECT_TRUE(
        sameBits(model.Parts[1].segments[0].verts[0], journal.segments[1].runs[0].verts[0]));
    EXPECT_TRUE(sameBits(model.Parts[1].segments[0].verts[1], at(7, 7)));
    EXPECT_TRUE(
        sameBits(model.Parts[0].segments[0].verts[0], original.Parts[0].segments[0].verts[0]));
    EXPECT_EQ(document.stepCount(), 1u);
    document.undo();
    EXPECT_TRUE(sameBits(model.Parts, original.Parts));
    EXPECT_TRUE(document.isClean());
}

TEST(JournalApply, AJournalOfAnotherShapeChangesNothing) {
    for (const JournalSegment& segment :
         {JournalSegment{0, 1, 4, {{0, {at(9, 9)}}}}, JournalSegment{0, 2, 3, {{0, {at(9, 9)}}}},
          JournalSegment{2, 0, 3, {{0, {at(9, 9)}}}}}) {
        Model model = twoParts();
        const Model original = model;
        Document document(model);
        const Result applied = applyJournal(document, Journal{0, 0, {}, {segment}});
        EXPECT_FALSE(applied);
        EXPECT_NE(applied.reason().find("no segment"), std::string::npos) << applied.reason();
        EXPECT_TRUE(sameBits(model.Parts, original.Parts));
        EXPECT_FALSE(document.canUndo());
    }
}

// A journal kept in memory, as the writer's thread leaves it.
class MemoryStore : public JournalStore {
public:
    Result identify(const std::string& path, JournalModel& model) override {
        const std::lock_guard lock(mutex);
        ++identified;
        model = {path, 100, identified, 0xabc};
        return {};
    }
    void write(std::span<const uint8_t> journal) override {
        const std::lock_guard lock(mutex);
        bytes.assign(journal.begin(), journal.end());
        ++writes;
    }
    void remove() override {
        const std::lock_guard lock(mutex);
        bytes.clear();
    }

    std::mutex mutex;
    std::vector<uint8_t> bytes;
    int writes = 0;
    int identified = 0;
};

void move(Document& document, size_t working, size_t vertex, float dx) {
    Model& model = document.model();
    for (Segment& segment : model.curData)
        for (Vertex& v : segment.verts)
            v.selected = 0;
    model.curData[working].verts[vertex].selected = -1;
    (void)document.edit("Move %n", 0, 1,
                        [&](std::vector<Segment>& data) { data[working].verts[vertex].x += dx; });
}

// The model's original bits with the journal's edits written back.
std::vector<Part> recovered(const Model& original, const std::vector<uint8_t>& bytes) {
    Journal journal;
    EXPECT_TRUE(decodeJournal(bytes, journal));
    Model model = original;
    Document document(model);
    EXPECT_TRUE(applyJournal(document, journal));
    return model.Parts;
}

TEST(JournalWriter, KeepsEveryUnsavedEditAndGoesOnceTheModelIsAsSaved) {
    Model model = twoParts();
    const Model original = model;
    Document document(model);
    MemoryStore store;
    JournalWriter writer(document, store, 4321); // the open model's file is identified

    move(document, 0, 1, 0.5f);
    move(document, 1, 2, -0.0f); // a -0 added to 1 leaves 1: no step
    move(document, 1, 2, std::numeric_limits<float>::quiet_NaN());
    writer.waitUntilWritten();
    EXPECT_TRUE(sameBits(recovered(original, store.bytes), model.Parts));
    Journal journal;
    ASSERT_TRUE(decodeJournal(store.bytes, journal));
    EXPECT_EQ(journal.pid, 4321);
    EXPECT_EQ(journal.model, (JournalModel{"/models/two.ebo", 100, 1, 0xabc}));

    // Undo leaves the earlier step unsaved: the journal has the undone vertex as saved.
    document.undo();
    writer.waitUntilWritten();
    EXPECT_TRUE(sameBits(recovered(original, store.bytes), model.Parts));

    document.undo();
    writer.waitUntilWritten();
    EXPECT_TRUE(store.bytes.empty()) << "undone back to the saved model";

    document.redo();
    writer.waitUntilWritten();
    EXPECT_TRUE(sameBits(recovered(original, store.bytes), model.Parts));

    // A save: gone, and the file, saved anew, is identified again for later edits.
    document.markClean();
    writer.waitUntilWritten();
    EXPECT_TRUE(store.bytes.empty());
    EXPECT_EQ(store.identified, 3);
    const Model saved = model;
    move(document, 0, 0, 2);
    writer.waitUntilWritten();
    EXPECT_TRUE(sameBits(recovered(saved, store.bytes), model.Parts));

    writer.discard();
    writer.waitUntilWritten();
    EXPECT_TRUE(store.bytes.empty());
}

} // namespace
