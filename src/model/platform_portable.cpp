// The file operations on std::filesystem and streams alone: no mapping (a read instead), no
// kernel copy, no atomic exchange (a replacement renames instead).

#include "model/file_io.h"
#include "model/platform_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <system_error>

namespace vw {

namespace {

// The state of file, which must be a regular file; returns an empty string or the reason.
std::string regularFileStatus(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (error)
        return error.message();
    if (!std::filesystem::is_regular_file(status))
        return "not a file";
    return {};
}

// What tells one version of a file from the next, as far as the standard library can see.
struct FileVersion {
    uintmax_t size = 0;
    std::filesystem::file_time_type written;
    bool operator==(const FileVersion&) const = default;
};

std::string versionOf(const std::filesystem::path& file, FileVersion& version) {
    std::error_code error;
    version.size = std::filesystem::file_size(file, error);
    if (!error)
        version.written = std::filesystem::last_write_time(file, error);
    return error ? error.message() : std::string();
}

// Reads exactly size bytes of file into memory of their own and checks that the file ends
// there; returns an empty string or the reason.
std::string readWhole(const std::filesystem::path& file, size_t size, FileBytes& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return lastErrorText();
    std::unique_ptr<uint8_t[], ReleaseBytes> data(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!data)
        return "not enough memory";
    in.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size));
    if (static_cast<size_t>(in.gcount()) != size ||
        in.peek() != std::ifstream::traits_type::eof())
        return in.bad() ? lastErrorText() : "it changed while being read";
    out.data = std::move(data);
    out.size = size;
    return {};
}

// The value of the environment variable name; empty when unset.
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A program started by bare name was found on the search path: look there the same way.
std::filesystem::path foundOnPath(const std::filesystem::path& name) {
#ifdef _WIN32
    constexpr char kSeparator = ';';
#else
    constexpr char kSeparator = ':';
#endif
    const std::string path = environment("PATH");
    std::error_code error;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find(kSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        const std::filesystem::path folder = path.substr(start, end - start);
        for (const char* extension : {"", ".exe"}) {
            std::filesystem::path candidate = folder / name;
            candidate += extension;
            if (!folder.empty() && std::filesystem::is_regular_file(candidate, error))
                return std::filesystem::absolute(candidate, error);
        }
        start = end + 1;
    }
    return std::filesystem::absolute(name, error);
}

} // namespace

void ReleaseBytes::operator()(uint8_t* bytes) const {
    delete[] bytes;
}

std::string lastErrorText() {
    return std::generic_category().message(errno);
}

std::string readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    std::string reason = regularFileStatus(file);
    std::error_code error;
    const uintmax_t size = reason.empty() ? std::filesystem::file_size(file, error) : 0;
    if (reason.empty() && error)
        reason = error.message();
    if (reason.empty())
        reason = readWhole(file, static_cast<size_t>(size), out);
    return reason.empty() ? reason : "cannot read " + quotedPath(file) + ": " + reason;
}

std::string mapFileBytes(const std::filesystem::path& file, FileBytes& out) {
    return readFileBytes(file, out);
}

std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    FileVersion before;
    std::string reason = regularFileStatus(source);
    if (reason.empty())
        reason = versionOf(source, before);
    if (!reason.empty())
        return "cannot read " + quotedPath(source) + ": " + reason;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return "cannot write " + quotedPath(file) + ": " +
               std::make_error_code(std::errc::file_exists).message();
    std::filesystem::copy_file(source, file, std::filesystem::copy_options::none, error);
    // A file written while it was copied may have given a mix of old and new bytes.
    FileVersion after;
    if (error)
        reason = error.message();
    else if (!versionOf(source, after).empty() || after != before)
        reason = "it changed while being read";
    if (reason.empty())
        return {};
    std::filesystem::remove(file, error);
    return "cannot copy " + quotedPath(source) + " to " + quotedPath(file) + ": " + reason;
}

namespace platform {

bool exchangeFiles(const std::filesystem::path&, const std::filesystem::path&) {
    return false;
}

std::FILE* openFile(const std::filesystem::path& file, const char* mode) {
    return std::fopen(file.string().c_str(), mode);
}

std::filesystem::path executableFolder(const char* argv0) {
    const std::filesystem::path started(argv0 ? argv0 : "");
    std::error_code error;
    if (started.has_parent_path())
        return std::filesystem::absolute(started, error).parent_path();
    return foundOnPath(started).parent_path();
}

std::filesystem::path makePrivateFolder(const std::string& prefix) {
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    std::random_device entropy;
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const uint64_t tag = (uint64_t{entropy()} << 32) ^ entropy();
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(tag));
        const std::filesystem::path folder = temporary / (prefix + suffix);
        if (std::filesystem::create_directory(folder, error)) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
            return folder;
        }
        if (error)
            break;
    }
    throw std::filesystem::filesystem_error("cannot make a temporary folder", temporary, error);
}

} // namespace platform

} // namespace vw
