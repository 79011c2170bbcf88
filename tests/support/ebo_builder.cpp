#include "support/ebo_builder.h"

#include "model/ebo/ebo_format.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>

namespace vw::test {

namespace {

using namespace vw::ebo;

// Appends little-endian values and non-zero noise; values can be patched in afterwards.
class Writer {
public:
    explicit Writer(uint32_t seed) : m_state(seed ? seed : 1) {}

    std::vector<uint8_t> bytes;

    size_t size() const { return bytes.size(); }
    int32_t position() const { return static_cast<int32_t>(bytes.size() + 1); }

    void noise(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            m_state ^= m_state << 13;
            m_state ^= m_state >> 17;
            m_state ^= m_state << 5;
            bytes.push_back(static_cast<uint8_t>(m_state % 255 + 1));
        }
    }
    void noiseTo(size_t offset) { noise(offset > size() ? offset - size() : 0); }
    void u8(uint8_t value) { bytes.push_back(value); }
    void i16(int16_t value) { putLittleEndian(static_cast<uint16_t>(value), 2); }
    void i32(int32_t value) { putLittleEndian(static_cast<uint32_t>(value), 4); }
    void f32(float value) { putLittleEndian(std::bit_cast<uint32_t>(value), 4); }
    void i32At(size_t offset, int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }

private:
    void putLittleEndian(uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }

    uint32_t m_state;
};

int32_t roundedQuotient(int32_t value, int32_t divisor) {
    int32_t quotient = value / divisor;
    int32_t twiceRest = 2 * (value % divisor);
    if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

void writeHeader(Writer& out, const EboPlan& plan, int16_t defaultPartCount) {
    out.noiseTo(kFileVersionAt);
    out.i16(plan.fileVersion);
    out.noiseTo(kModelFormatAt);
    out.i16(plan.modelFormat);
    out.noiseTo(kPartCountAt);
    out.i16(plan.partCount >= 0 ? plan.partCount : defaultPartCount);
}

// The end of a segment's last block: aligned, then the gap.
void endSegment(Writer& out) {
    if (out.size() % 4 != 0)
        out.noise(kAlignmentPad);
    out.noise(kGapAfterBlock);
}

void writePlainPart(Writer& out, const PartPlan& part, std::vector<BlockPositions>& positions) {
    const size_t n = part.segments.size();
    const size_t blockStart = out.size();
    out.noiseTo(blockStart + kSegmentCountAt);
    out.i32(static_cast<int32_t>(n));
    out.noiseTo(blockStart + plainCountTableAt(n));
    for (const SegmentPlan& segment : part.segments) {
        out.i32(static_cast<int32_t>(segment.verts.size()));
        out.noise(kPlainCountEntrySize - 4);
    }
    out.noiseTo(blockStart + plainSegmentsAt(n));
    for (const SegmentPlan& segment : part.segments) {
        BlockPositions at;
        at.posBlockAt = out.position();
        for (const FileVertex& v : segment.verts) {
            out.f32(v.x);
            out.f32(v.y);
            out.f32(v.z);
        }
        out.noise(kPlainGapAfterPositions);
        at.uvBlockAt = out.position();
        for (const FileVertex& v : segment.verts) {
            out.f32(v.u);
            out.f32(v.v);
        }
        out.noise(kPlainGapAfterUvs);
        at.colorBlockAt = out.position();
        for (const FileVertex& v : segment.verts) {
            out.u8(v.blue);
            out.u8(v.green);
            out.u8(v.red);
            out.u8(v.alpha);
        }
        const int32_t stripBytes = segment.stripBytes >= 0
                                       ? segment.stripBytes
                                       : static_cast<int32_t>(2 * segment.strip.size());
        out.i32(stripBytes);
        out.noise(kPlainGapAfterStripSize);
        at.stripBlockAt = out.position();
        for (int16_t index : segment.strip)
            out.i16(index);
        endSegment(out);
        positions.push_back(at);
    }
}

void writeVersion6Header(Writer& out, const SegmentPlan& segment, size_t fieldsAt[3]) {
    out.i32(segment.tag);
    if (segment.tag != kVersion6ReadTag) {
        out.noise(40);
        return;
    }
    for (int32_t word : segment.headerSkips) {
        if (word == 1 || word == 2)
            throw std::invalid_argument("a version-6 header word before the stop is 1 or 2");
        out.i32(word);
    }
    out.i32(segment.headerStop);
    out.noise(kVersion6GapAfterStop);
    fieldsAt[0] = out.size();
    out.i32(0);
    out.noise(kVersion6GapAfterPositionsField);
    fieldsAt[1] = out.size();
    out.i32(0);
    fieldsAt[2] = out.size();
    out.i32(0);
    out.i32(static_cast<int32_t>(segment.verts.size()));
    out.i32(static_cast<int32_t>(segment.strip.size() - kVersion6StripCountBias));
}

// Writes a segment's position block; returns its 1-based position.
int32_t writePositions(Writer& out, const SegmentPlan& segment) {
    const int32_t at = out.position();
    for (const FileVertex& v : segment.verts) {
        out.f32(v.x);
        out.f32(v.y);
        out.f32(v.z);
    }
    return at;
}

int32_t writeUvs(Writer& out, const SegmentPlan& segment) {
    const int32_t at = out.position();
    for (const FileVertex& v : segment.verts) {
        out.f32(v.u);
        out.f32(v.v);
    }
    return at;
}

// Gaps of 6 and 10 bytes put blocks at offsets both on and off multiples of 4.
void writeVersion6Part(Writer& out, const PartPlan& part, bool isLast,
                       std::vector<BlockPositions>& positions) {
    const size_t n = part.segments.size();
    const size_t blockStart = out.size();
    out.noiseTo(blockStart + kSegmentCountAt);
    out.i32(static_cast<int32_t>(n));
    out.noiseTo(blockStart + version6TableAt(n));
    const size_t tableAt = out.size();
    for (size_t s = 0; s < n; ++s) {
        out.i32(0);
        out.noise(kVersion6TableEntrySize - 4);
    }
    std::vector<std::array<size_t, 3>> fieldsAt(n);
    for (size_t s = 0; s < n; ++s) {
        out.i32At(tableAt + kVersion6TableEntrySize * s, static_cast<int32_t>(out.size()));
        writeVersion6Header(out, part.segments[s], fieldsAt[s].data());
    }
    bool anyRead = false;
    const size_t first = positions.size();
    for (size_t s = 0; s < n; ++s) {
        const SegmentPlan& segment = part.segments[s];
        BlockPositions at;
        if (segment.tag == kVersion6ReadTag) {
            anyRead = true;
            out.noise(6);
            at.posBlockAt = segment.positionsOf >= 0
                                ? positions.at(first + segment.positionsOf).posBlockAt
                                : writePositions(out, segment);
            out.i32At(fieldsAt[s][0],
                      at.posBlockAt - 1 - static_cast<int32_t>(kVersion6PositionsBias));
            out.noise(10);
            at.uvBlockAt = segment.uvsOf >= 0 ? positions.at(first + segment.uvsOf).uvBlockAt
                                              : writeUvs(out, segment);
            out.i32At(fieldsAt[s][1], at.uvBlockAt - 1 - static_cast<int32_t>(kVersion6UvsBias));
            out.noise(6);
            out.i32At(fieldsAt[s][2], static_cast<int32_t>(out.size() - kVersion6StripBias));
            at.stripBlockAt = out.position();
            for (int16_t index : segment.strip)
                out.i16(index);
        }
        positions.push_back(at);
    }
    if (!anyRead && !isLast)
        throw std::invalid_argument("a version-6 part before the last needs a tag-5 segment");
    if (anyRead)
        endSegment(out);
}

BuiltEbo buildPartBlocks(const EboPlan& plan) {
    Writer out(plan.noiseSeed);
    BuiltEbo built;
    writeHeader(out, plan, static_cast<int16_t>(plan.parts.size()));
    out.noiseTo(kFirstPartBlock);
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        built.positions.emplace_back();
        if (plan.fileVersion == 6)
            writeVersion6Part(out, plan.parts[p], p + 1 == plan.parts.size(),
                              built.positions.back());
        else
            writePlainPart(out, plan.parts[p], built.positions.back());
    }
    built.model = std::move(out.bytes);
    return built;
}

struct BaseBlocks {
    int32_t posAt, slotAt, uvAt, stripAt;
};

BaseBlocks writeBaseBlocks(Writer& base, const DeltaPartPlan& part) {
    BaseBlocks at;
    base.noise(6);
    at.posAt = base.position();
    for (float value : part.basePos)
        base.f32(value);
    base.noise(10);
    at.slotAt = base.position();
    for (int16_t slot : part.deltaSlot)
        base.i16(slot);
    base.noise(6);
    at.uvAt = base.position();
    for (float value : part.baseUv)
        base.f32(value);
    base.noise(6);
    at.stripAt = base.position();
    for (int16_t index : part.strip)
        base.i16(index);
    return at;
}

BlockPositions writeDeltaRecord(Writer& out, const DeltaPartPlan& part) {
    const int32_t deltaBytes =
        part.deltaBytes >= 0 ? part.deltaBytes : static_cast<int32_t>(4 * part.deltas.size());
    const int32_t floatCount = roundedQuotient(deltaBytes, kDeltaSize);
    if (floatCount != static_cast<int32_t>(part.deltas.size()))
        throw std::invalid_argument("deltas must hold round(deltaBytes / 4) floats");
    for (int32_t i = 0; i < part.wordsBeforeMarker; ++i)
        out.noise(4);
    out.i32(kDeltaMarker);
    out.noise(kDeltaGapAfterMarker);
    out.i32(deltaBytes);
    const size_t offsetAt = out.size();
    out.i32(0);
    out.noise(8);
    out.i32At(offsetAt, static_cast<int32_t>(out.size()));
    BlockPositions at;
    at.posBlockAt = out.position();
    at.posBlockBytes = kDeltaSize * floatCount;
    for (float delta : part.deltas)
        out.f32(delta);
    const int32_t largestSlot =
        part.deltaSlot.empty() ? 0
                               : *std::max_element(part.deltaSlot.begin(), part.deltaSlot.end());
    if (floatCount != 3 * (largestSlot + 1)) {
        out.i32(part.skipBytes);
        out.noise(static_cast<size_t>(std::max(part.skipBytes, 0)));
        out.noiseTo((out.size() + 3) / 4 * 4);
    }
    out.i32(part.textureWord);
    if (part.textureWord != kNoTextureData) {
        out.noise(kTextureGap);
        out.noise(4 * static_cast<size_t>(std::max(part.textureWord, 0)));
    }
    return at;
}

BuiltEbo buildDelta(const EboPlan& plan) {
    Writer out(plan.noiseSeed);
    Writer base(plan.noiseSeed + 1);
    Writer offsets(plan.noiseSeed + 2);
    BuiltEbo built;
    writeHeader(out, plan, 4);
    base.noise(10);
    for (const DeltaPartPlan& part : plan.deltaParts) {
        built.positions.push_back({writeDeltaRecord(out, part)});
        const BaseBlocks at = writeBaseBlocks(base, part);
        offsets.i32(at.posAt);
        offsets.i32(static_cast<int32_t>(part.basePos.size() / 3));
        offsets.i32(at.slotAt);
        offsets.i32(static_cast<int32_t>(part.deltaSlot.size()));
        offsets.i32(at.uvAt);
        offsets.i32(static_cast<int32_t>(part.baseUv.size() / 2));
        offsets.i32(at.stripAt);
        offsets.i32(static_cast<int32_t>(part.strip.size()));
    }
    out.noise(16);
    base.noise(12);
    offsets.noise(16);
    built.model = std::move(out.bytes);
    built.baseMesh = std::move(base.bytes);
    built.offsets = std::move(offsets.bytes);
    return built;
}

void writeFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path());
    writeBytes(file, bytes);
}

} // namespace

BuiltEbo buildEbo(const EboPlan& plan) {
    if (plan.fileVersion != 6 && plan.modelFormat == 0)
        return buildDelta(plan);
    return buildPartBlocks(plan);
}

void writeEbo(const BuiltEbo& built, const std::filesystem::path& modelFile,
              const std::filesystem::path& programDir) {
    writeFile(modelFile, built.model);
    if (built.baseMesh.empty() && built.offsets.empty())
        return;
    const std::string name = modelFile.string();
    if (name.size() < 5)
        throw std::invalid_argument("a delta model's path needs at least five characters");
    const char c = name[name.size() - 5];
    writeFile(programDir / "lod" / (std::string("base_lod") + c + ".ebo"), built.baseMesh);
    writeFile(programDir / (std::string("misc") + c + ".dat"), built.offsets);
}

SegmentPlan gridSegment(int columns, int rows, float offset) {
    SegmentPlan segment;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            FileVertex v;
            v.x = offset + 0.5f * c;
            v.y = offset - 0.25f * r;
            v.z = 0.125f * (c - r);
            v.u = static_cast<float>(c) / static_cast<float>(columns);
            v.v = static_cast<float>(r) / static_cast<float>(rows);
            v.red = static_cast<uint8_t>(17 * c + 3);
            v.green = static_cast<uint8_t>(29 * r + 5);
            v.blue = static_cast<uint8_t>(7 * (c + r) + 11);
            v.alpha = static_cast<uint8_t>(255 - c);
            segment.verts.push_back(v);
        }
    }
    for (int r = 0; r + 1 < rows; ++r) {
        if (r > 0) // degenerate joint to the next row
            segment.strip.push_back(static_cast<int16_t>(r * columns));
        for (int c = 0; c < columns; ++c) {
            segment.strip.push_back(static_cast<int16_t>(r * columns + c));
            segment.strip.push_back(static_cast<int16_t>((r + 1) * columns + c));
        }
        if (r + 2 < rows)
            segment.strip.push_back(static_cast<int16_t>((r + 1) * columns + columns - 1));
    }
    while (segment.strip.size() < 2)
        segment.strip.push_back(0);
    return segment;
}

DeltaPartPlan simpleDeltaPart(int vertexCount, float offset) {
    DeltaPartPlan part;
    for (int k = 0; k < vertexCount; ++k) {
        part.basePos.push_back(offset + 0.5f * k);
        part.basePos.push_back(1.0f + 0.25f * (k % 5));
        part.basePos.push_back(-0.75f * (k % 3));
        part.deltaSlot.push_back(static_cast<int16_t>(k));
        part.baseUv.push_back(0.125f * (k % 8));
        part.baseUv.push_back(0.0625f * (k % 16));
        part.strip.push_back(static_cast<int16_t>(k));
        part.deltas.push_back(0.25f * (k % 4));
        part.deltas.push_back(-0.5f);
        part.deltas.push_back(0.0625f * k);
    }
    return part;
}

} // namespace vw::test
