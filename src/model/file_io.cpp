#include "model/file_io.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace vw {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string quoted(const std::filesystem::path& path) {
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

// A name beside target that no one else uses, hidden so that a failed save leaves no clutter
// in a folder listing should removing it fail too.
std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    std::random_device entropy;
    const uint64_t tag = (uint64_t{entropy()} << 32) ^ entropy();
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(tag));
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name += suffix;
    return target.parent_path() / name;
}

// A symbolic link is kept: the file it points to is what gets replaced.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    std::filesystem::path real = std::filesystem::canonical(target, error);
    return error ? target : real;
}

} // namespace

std::string lastErrorText() {
    return std::system_category().message(errno);
}

std::string readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return "cannot read " + quoted(file) + ": not a file";
    FilePtr in(std::fopen(file.c_str(), "rb"));
    if (!in)
        return "cannot read " + quoted(file) + ": " + lastErrorText();
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return "cannot read " + quoted(file) + ": " + error.message();
    auto data = std::make_unique_for_overwrite<uint8_t[]>(size);
    if (std::fread(data.get(), 1, size, in.get()) != size || std::fgetc(in.get()) != EOF)
        return "cannot read " + quoted(file) + ": it changed while being read";
    out.data = std::move(data);
    out.size = size;
    return {};
}

std::string writeNewFile(const std::filesystem::path& file, std::span<const uint8_t> bytes) {
    std::FILE* out = std::fopen(file.c_str(), "wbx");
    if (!out)
        return "cannot write " + quoted(file) + ": " + lastErrorText();
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
    std::string reason = written ? "" : lastErrorText();
    if (std::fclose(out) != 0 && reason.empty())
        reason = lastErrorText();
    if (reason.empty())
        return {};
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return "cannot write " + quoted(file) + ": " + reason;
}

std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill) {
    const std::filesystem::path real = resolvedTarget(target);
    std::error_code error;
    const bool exists = std::filesystem::exists(real, error);
    // Renaming would replace a file the user may not write to; honour that instead.
    if (exists) {
        FilePtr probe(std::fopen(real.c_str(), "r+b"));
        if (!probe)
            return "cannot write " + quoted(target) + ": " + lastErrorText();
    }
    const std::filesystem::path temporary = temporaryBeside(real);
    std::string reason = fill(temporary);
    if (reason.empty() && exists) {
        const auto status = std::filesystem::status(real, error);
        if (!error)
            std::filesystem::permissions(temporary, status.permissions(), error);
    }
    if (reason.empty()) {
        std::filesystem::rename(temporary, real, error);
        if (error)
            reason = "cannot replace " + quoted(target) + ": " + error.message();
    }
    if (!reason.empty())
        std::filesystem::remove(temporary, error);
    return reason;
}

} // namespace vw
