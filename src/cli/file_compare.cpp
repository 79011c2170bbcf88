#include "cli/file_compare.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace vw {
namespace {

// Extends the last range when the differing byte run continues it.
void addDiffering(std::vector<ByteRange>& ranges, uint64_t offset, uint64_t length) {
    if (!ranges.empty() && ranges.back().offset + ranges.back().length == offset)
        ranges.back().length += length;
    else
        ranges.push_back({offset, length});
}

void compareChunk(const char* a, const char* b, size_t size, uint64_t base,
                  std::vector<ByteRange>& ranges) {
    if (std::memcmp(a, b, size) == 0)
        return;
    for (size_t i = 0; i < size; ++i) {
        if (a[i] != b[i])
            addDiffering(ranges, base + i, 1);
    }
}

} // namespace

FileComparison compareFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
    FileComparison result;
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    if (!inA || !inB) {
        result.error = "cannot read " + (inA ? b : a).string();
        return result;
    }
    constexpr size_t kChunk = 1 << 20;
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    uint64_t offset = 0;
    while (true) {
        size_t gotA = size_t(inA.read(bufferA.data(), kChunk).gcount());
        size_t gotB = size_t(inB.read(bufferB.data(), kChunk).gcount());
        if (inA.bad() || inB.bad()) {
            result.error = "cannot read " + (inA.bad() ? a : b).string();
            return result;
        }
        size_t common = std::min(gotA, gotB);
        compareChunk(bufferA.data(), bufferB.data(), common, offset, result.differing);
        if (gotA != gotB) {
            std::ifstream& longer = gotA > gotB ? inA : inB;
            longer.clear();
            longer.seekg(0, std::ios::end);
            uint64_t longerSize = uint64_t(longer.tellg());
            addDiffering(result.differing, offset + common, longerSize - (offset + common));
            return result;
        }
        if (gotA < kChunk)
            return result;
        offset += kChunk;
    }
}

std::string describeRanges(const std::vector<ByteRange>& ranges, size_t maxLines) {
    std::string text;
    size_t shown = std::min(ranges.size(), maxLines);
    for (size_t i = 0; i < shown; ++i) {
        const ByteRange& range = ranges[i];
        text += "offsets " + std::to_string(range.offset) + " to " +
                std::to_string(range.offset + range.length - 1) + " (" +
                std::to_string(range.length) + (range.length == 1 ? " byte)\n" : " bytes)\n");
    }
    if (ranges.size() > shown)
        text += "and " + std::to_string(ranges.size() - shown) +
                (ranges.size() - shown == 1 ? " more range\n" : " more ranges\n");
    return text;
}

} // namespace vw
