#include "model/editing/history/journal.h"

#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace vw {
namespace {

// Text-mode line-ending changes and a file of another program both break it.
constexpr std::array<uint8_t, 8> kMagic{'V', 'W', 'J', 'R', 'N', 'L', '\r', '\n'};
constexpr uint32_t kVersion = 1;
constexpr size_t kVertexBytes = 24; // x, y, z, u, v as bits, then red, green, blue, alpha
constexpr size_t kChecksumBytes = 8;

class Writer {
public:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + size);
    }
    void u32(uint32_t value) {
        for (int i = 0; i < 4; ++i)
            m_out.push_back(uint8_t(value >> (8 * i)));
    }
    void u64(uint64_t value) {
        for (int i = 0; i < 8; ++i)
            m_out.push_back(uint8_t(value >> (8 * i)));
    }
    void vertex(const Vertex& vertex) {
        for (int axis = 0; axis < 5; ++axis)
            u32(std::bit_cast<uint32_t>(vertex.coord(axis)));
        const uint8_t colour[4]{vertex.red, vertex.green, vertex.blue, vertex.alpha};
        bytes(colour, 4);
    }
    std::vector<uint8_t> take() { return std::move(m_out); }
    std::vector<uint8_t>& out() { return m_out; }

private:
    std::vector<uint8_t> m_out;
};

struct Damaged : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Bounds-checked little-endian reads; a read past the end throws Damaged.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    size_t left() const { return m_bytes.size() - m_at; }
    const uint8_t* take(size_t count) {
        if (count > left())
            throw Damaged("it ends in the middle of a record");
        const uint8_t* at = m_bytes.data() + m_at;
        m_at += count;
        return at;
    }
    // A count of records of recordBytes each, checked against the bytes left before any use.
    uint32_t count(size_t recordBytes) {
        const uint32_t n = u32();
        if (n > left() / recordBytes)
            throw Damaged("a count runs past its end");
        return n;
    }
    uint32_t u32() {
        const uint8_t* p = take(4);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    uint64_t u64() {
        const uint64_t low = u32();
        return low | uint64_t(u32()) << 32;
    }
    Vertex vertex() {
        Vertex vertex;
        for (int axis = 0; axis < 5; ++axis)
            vertex.coord(axis) = std::bit_cast<float>(u32());
        const uint8_t* colour = take(4);
        vertex.red = colour[0];
        vertex.green = colour[1];
        vertex.blue = colour[2];
        vertex.alpha = colour[3];
        return vertex;
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};

void writeSegment(Writer& out, const JournalSegment& segment) {
    out.u32(uint32_t(segment.part));
    out.u32(uint32_t(segment.seg));
    out.u32(segment.vertexCount);
    out.u32(uint32_t(segment.runs.size()));
    for (const JournalRun& run : segment.runs) {
        out.u32(run.first);
        out.u32(uint32_t(run.verts.size()));
        for (const Vertex& vertex : run.verts)
            out.vertex(vertex);
    }
}

JournalSegment readSegment(Reader& in) {
    JournalSegment segment;
    segment.part = int32_t(in.u32());
    segment.seg = int32_t(in.u32());
    segment.vertexCount = in.u32();
    if (segment.part < 0 || segment.seg < 0)
        throw Damaged("it names a negative part or segment");
    const uint32_t runs = in.count(8);
    uint64_t end = 0;
    for (uint32_t r = 0; r < runs; ++r) {
        JournalRun run;
        run.first = in.u32();
        const uint32_t length = in.count(kVertexBytes);
        if (length == 0 || run.first < end || uint64_t(run.first) + length > segment.vertexCount)
            throw Damaged("a run of vertices lies outside its segment");
        end = uint64_t(run.first) + length;
        run.verts.reserve(length);
        for (uint32_t i = 0; i < length; ++i)
            run.verts.push_back(in.vertex());
        segment.runs.push_back(std::move(run));
    }
    return segment;
}

Journal readBody(Reader& in) {
    Journal journal;
    journal.pid = int64_t(in.u64());
    journal.writtenNs = int64_t(in.u64());
    journal.model.size = int64_t(in.u64());
    journal.model.modifiedNs = int64_t(in.u64());
    journal.model.hash = in.u64();
    const uint32_t pathLength = in.count(1);
    const uint8_t* path = in.take(pathLength);
    journal.model.path.assign(reinterpret_cast<const char*>(path), pathLength);
    const uint32_t segments = in.count(16);
    for (uint32_t s = 0; s < segments; ++s) {
        JournalSegment segment = readSegment(in);
        if (!journal.segments.empty()) {
            const JournalSegment& last = journal.segments.back();
            if (SegmentRef{segment.part, segment.seg} < SegmentRef{last.part, last.seg} ||
                SegmentRef{segment.part, segment.seg} == SegmentRef{last.part, last.seg})
                throw Damaged("its segments are out of order");
        }
        journal.segments.push_back(std::move(segment));
    }
    if (in.left() != 0)
        throw Damaged("it has bytes past its end");
    return journal;
}

} // namespace

uint64_t hashBytes(std::span<const uint8_t> bytes, uint64_t hash) {
    for (const uint8_t byte : bytes)
        hash = (hash ^ byte) * 0x100000001b3ull;
    return hash;
}

std::vector<uint8_t> encodeJournal(const Journal& journal) {
    Writer out;
    out.bytes(kMagic.data(), kMagic.size());
    out.u32(kVersion);
    out.u64(uint64_t(journal.pid));
    out.u64(uint64_t(journal.writtenNs));
    out.u64(uint64_t(journal.model.size));
    out.u64(uint64_t(journal.model.modifiedNs));
    out.u64(journal.model.hash);
    out.u32(uint32_t(journal.model.path.size()));
    out.bytes(journal.model.path.data(), journal.model.path.size());
    out.u32(uint32_t(journal.segments.size()));
    for (const JournalSegment& segment : journal.segments)
        writeSegment(out, segment);
    out.u64(hashBytes(out.out()));
    return out.take();
}

Result decodeJournal(std::span<const uint8_t> bytes, Journal& out) {
    if (bytes.size() < kMagic.size() + 4 + kChecksumBytes ||
        std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        return Result::failure("not a journal of unsaved edits");
    Reader head(bytes.subspan(kMagic.size(), 4));
    if (const uint32_t version = head.u32(); version != kVersion)
        return Result::failure("a journal of another version (" + std::to_string(version) + ")");
    const std::span<const uint8_t> body = bytes.first(bytes.size() - kChecksumBytes);
    Reader tail(bytes.last(kChecksumBytes));
    if (tail.u64() != hashBytes(body))
        return Result::failure("the journal is damaged or cut short (its checksum differs)");
    try {
        Reader in(body.subspan(kMagic.size() + 4));
        out = readBody(in);
    } catch (const Damaged& damage) {
        return Result::failure(std::string("the journal is damaged: ") + damage.what());
    }
    return {};
}

namespace {

// Every run must land on a segment of the model with the vertex count it was written for.
Result checkShape(const Model& model, const Journal& journal) {
    for (const JournalSegment& segment : journal.segments) {
        const bool found = size_t(segment.part) < model.Parts.size() &&
                           size_t(segment.seg) < model.Parts[size_t(segment.part)].segments.size();
        if (!found ||
            model.Parts[size_t(segment.part)].segments[size_t(segment.seg)].verts.size() !=
                segment.vertexCount)
            return Result::failure("the model has no segment " + std::to_string(segment.seg) +
                                   " of part " + std::to_string(segment.part) +
                                   " with the journal's vertex count");
    }
    return {};
}

void copyValues(const Vertex& from, Vertex& to) {
    const int16_t selected = to.selected;
    to = from;
    to.selected = selected;
}

} // namespace

Result applyJournal(Document& document, const Journal& journal) {
    if (Result shaped = checkShape(document.model(), journal); !shaped)
        return shaped;
    return document.editModel("Recover Unsaved Edits", 0, [&](std::vector<Part>& parts) {
        for (const JournalSegment& segment : journal.segments) {
            std::vector<Vertex>& verts =
                parts[size_t(segment.part)].segments[size_t(segment.seg)].verts;
            for (const JournalRun& run : segment.runs)
                for (size_t i = 0; i < run.verts.size(); ++i)
                    copyValues(run.verts[i], verts[run.first + i]);
        }
    });
}

} // namespace vw
