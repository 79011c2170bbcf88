#pragma once
// Byte-for-byte comparison of two files, reported as runs of differing bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vw {

struct ByteRange {
    uint64_t offset = 0; // 0-based
    uint64_t length = 0;

    bool operator==(const ByteRange&) const = default;
};

struct FileComparison {
    std::string error;                // empty, or why a file could not be read
    std::vector<ByteRange> differing; // in file order; bytes past the shorter file's end differ
};

FileComparison compareFiles(const std::filesystem::path& a, const std::filesystem::path& b);

// One line per range ("offsets 1000 to 1023 (24 bytes)"), at most maxLines of them, then
// a line telling how many more there are.
std::string describeRanges(const std::vector<ByteRange>& ranges, size_t maxLines);

} // namespace vw
