#pragma once
// Whole-file reads and the atomic replacement of a file, for the loader and the saver.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vw {

// Frees memory that holds a file's bytes: unmaps mappedLength bytes, or deletes an array when
// mappedLength is 0.
struct ReleaseBytes {
    size_t mappedLength = 0;
    void operator()(uint8_t* bytes) const;
};

// A file's bytes, read in one go.
struct FileBytes {
    std::unique_ptr<uint8_t[], ReleaseBytes> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
};

// Reads the whole regular file into memory of its own, so the bytes stay as read whatever
// happens to the file later; returns an empty string or the reason it failed.
std::string readFileBytes(const std::filesystem::path& file, FileBytes& out);

// Writes bytes into the file at path, which must not exist yet. Returns an empty string or
// the reason.
std::string writeNewFile(const std::filesystem::path& file, std::span<const uint8_t> bytes);

// Replaces target atomically: fill creates the new content in a fresh temporary file beside
// target (returning an empty string or a reason), which is then renamed over target. Returns an
// empty string or a reason; on failure target is unchanged and the temporary file removed.
std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill);

// The system's text for the last error of a C library call.
std::string lastErrorText();

} // namespace vw
