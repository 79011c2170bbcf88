#include "model/ebo/ebo_layouts.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace vw {

namespace {

// Where one segment's records lie, found by the first pass; the second builds from them.
struct SegmentRuns {
    Segment* segment = nullptr;
    size_t vertexCount = 0;
    const uint8_t* positions = nullptr;
    const uint8_t* uvs = nullptr;
    const uint8_t* colours = nullptr;
    std::span<const uint8_t> strip{};
};

// Reads one segment's layout starting at offset; returns where the next segment's data starts,
// which may lie past the end of a file that holds nothing more.
int64_t readPlainSegment(ByteReader& in, int64_t offset, int32_t vertexCount, SegmentRuns& runs) {
    Segment& segment = *runs.segment;
    in.seek(offset);
    segment.posBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    runs.positions = in.take(vertexCount, ebo::kPositionSize).data();
    in.skip(ebo::kPlainGapAfterPositions);
    segment.uvBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    runs.uvs = in.take(vertexCount, ebo::kUvSize).data();
    in.skip(ebo::kPlainGapAfterUvs);
    segment.colorBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    runs.colours = in.take(vertexCount, ebo::kColourSize).data();
    runs.vertexCount = static_cast<size_t>(vertexCount);

    const int32_t stripBytes = in.readI32();
    if (stripBytes < 0)
        throw MalformedFile("negative strip size");
    in.skip(ebo::kPlainGapAfterStripSize);
    segment.stripBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    runs.strip = in.take(roundHalfEven(stripBytes, ebo::kStripEntrySize), ebo::kStripEntrySize);
    return nextBlockAfter(static_cast<int64_t>(in.offset()));
}

// Below this many vertices a second thread costs more than it saves.
constexpr size_t kVerticesWorthAThread = 100000;

// How many threads besides this one share the building: one per further core, up to three.
size_t helperCount(const std::vector<SegmentRuns>& segments) {
    size_t vertexCount = 0;
    for (const SegmentRuns& runs : segments)
        vertexCount += runs.vertexCount;
    if (segments.size() < 2 || vertexCount < kVerticesWorthAThread)
        return 0;
    const size_t cores = std::max(std::thread::hardware_concurrency(), 2u);
    return std::min({cores - 1, size_t{3}, segments.size() - 1});
}

// Builds every segment's vertices and strip, sharing the segments with further threads when
// there are many: faulting in fresh memory is most of a large model's load.
void buildSegments(const std::vector<SegmentRuns>& segments) {
    std::atomic<size_t> next = 0;
    const auto build = [&] {
        for (size_t i = next++; i < segments.size(); i = next++) {
            const SegmentRuns& runs = segments[i];
            runs.segment->verts =
                readVertices(runs.vertexCount, runs.positions, runs.uvs, runs.colours);
            runs.segment->strip = readInt16s(runs.strip);
        }
    };
    std::vector<std::exception_ptr> failures(helperCount(segments));
    {
        std::vector<std::jthread> helpers;
        try {
            for (std::exception_ptr& failure : failures) {
                helpers.emplace_back([&build, &failure] {
                    try {
                        build();
                    } catch (...) {
                        failure = std::current_exception();
                    }
                });
            }
        } catch (const std::system_error&) {
        }
        build();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

// The first pass: records every segment's block positions in model and finds its runs.
std::vector<SegmentRuns> walkSegments(ByteReader& in, int32_t partCount, Model& model) {
    std::vector<SegmentRuns> segments;
    int64_t blockStart = ebo::kFirstPartBlock;
    for (int32_t p = 0; p < partCount; ++p) {
        const int64_t n = readSegmentCount(in, blockStart);
        // The segment data must start inside the file, which bounds n before any allocation.
        int64_t offset = blockStart + ebo::plainSegmentsAt(n);
        in.seek(offset);
        in.seek(blockStart + ebo::plainCountTableAt(n));
        const uint8_t* countTable = in.take(n, ebo::kPlainCountEntrySize).data();

        Part& part = model.Parts[static_cast<size_t>(p)];
        part.segments.resize(static_cast<size_t>(n));
        for (Segment& segment : part.segments) {
            SegmentRuns& runs = segments.emplace_back(SegmentRuns{.segment = &segment});
            offset = readPlainSegment(in, offset, i32At(countTable), runs);
            countTable += ebo::kPlainCountEntrySize;
        }
        blockStart = offset;
    }
    return segments;
}

} // namespace

void readPlainLayout(ByteReader& in, int32_t partCount, Model& model) {
    buildSegments(walkSegments(in, partCount, model));
}

std::vector<PlainSegmentRuns> walkPlainLayout(ByteReader& in, int32_t partCount, Model& model) {
    std::vector<PlainSegmentRuns> walked;
    for (const SegmentRuns& runs : walkSegments(in, partCount, model))
        walked.push_back({runs.vertexCount, runs.strip});
    return walked;
}

} // namespace vw
