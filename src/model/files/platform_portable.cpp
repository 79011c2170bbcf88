// The file operations on std::filesystem and streams alone: no mapping (a read instead), no
// kernel copy, no atomic exchange (a replacement renames instead). What the standard library
// cannot see is left out: a file's identity (a stamp is its size and write time), its owner
// (a replacement gets the saving user's), whether another process is running (every one counts
// as running, so leftovers are never taken for stale) and writing through to the disk.

#include "model/files/file_io.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <system_error>
#include <vector>

namespace vw {

namespace {

// The failures a user meets most, in a user's words; the system's text for the rest.
std::string failureText(const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return "no such file";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "permission denied";
    return error.message();
}

// Fails unless file is a regular file.
Result regularFileStatus(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (error)
        return Result::failure(failureText(error));
    if (!std::filesystem::is_regular_file(status))
        return Result::failure("not a file");
    return {};
}

// What tells one version of a file from the next, as far as the standard library can see.
struct FileVersion {
    uintmax_t size = 0;
    std::filesystem::file_time_type written;
    bool operator==(const FileVersion&) const = default;
};

Result versionOf(const std::filesystem::path& file, FileVersion& version) {
    std::error_code error;
    version.size = std::filesystem::file_size(file, error);
    if (!error)
        version.written = std::filesystem::last_write_time(file, error);
    return error ? Result::failure(error.message()) : Result();
}

constexpr std::filesystem::perms ownerOnly =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

FileStamp stampFrom(const FileVersion& version) {
    return {0, 0, static_cast<int64_t>(version.size),
            std::chrono::duration_cast<std::chrono::nanoseconds>(version.written.time_since_epoch())
                .count()};
}

// Reads exactly size bytes of file into memory of their own and checks that the file ends
// there.
Result readWhole(const std::filesystem::path& file, size_t size, FileBytes& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return Result::failure(failureText(std::error_code(errno, std::generic_category())));
    std::unique_ptr<uint8_t[], ReleaseBytes> data(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!data)
        return Result::failure("not enough memory");
    in.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size));
    if (static_cast<size_t>(in.gcount()) != size || in.peek() != std::ifstream::traits_type::eof())
        return Result::failure(in.bad() ? lastErrorText() : "it changed while being read");
    out.data = std::move(data);
    out.size = size;
    return {};
}

// Copies the rest of in to out through a buffer; a failure tells which side failed.
CopyFailure copyStream(std::FILE* in, std::FILE* out) {
    std::vector<char> buffer(size_t{1} << 20);
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
        if (got < buffer.size() && std::ferror(in))
            return CopyFailure::ofSource(lastErrorText());
        if (got > 0 && std::fwrite(buffer.data(), 1, got, out) != got)
            return CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
        if (got < buffer.size())
            break;
    }
    if (std::fflush(out) != 0)
        return CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
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
    if (errno == EFBIG)
        return kFileSizeLimitText;
    return std::generic_category().message(errno);
}

Result readBytesOf(const std::filesystem::path& file, FileBytes& out) {
    if (Result regular = regularFileStatus(file); !regular)
        return regular;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return Result::failure(failureText(error));
    return readWhole(file, static_cast<size_t>(size), out);
}

Result mapFileBytes(const std::filesystem::path& file, FileBytes& out) {
    return readFileBytes(file, out);
}

Result mapSharedFile(const std::filesystem::path& file, FileBytes& out, FileStamp* stamp) {
    Result read = readBytesOf(file, out);
    FileVersion version;
    if (read && stamp && !versionOf(file, version))
        read = Result::failure("it changed while being read");
    else if (read && stamp)
        *stamp = stampFrom(version);
    return read;
}

bool wasCutShort(const FileBytes&) {
    return false;
}

Result mapPrivately(std::FILE*, const std::filesystem::path& file, FileBytes& out) {
    return readBytesOf(file, out);
}

namespace {

// Opens source to read and file, which must not exist yet, to write, as private as the standard
// library can make it before a byte of the model is in it. out stays null when nothing was
// created; a failure with out open leaves the caller to close and remove it.
CopyFailure openCopy(const std::filesystem::path& source, const std::filesystem::path& file,
                     FilePtr& in, FilePtr& out) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return CopyFailure::ofCopy(std::make_error_code(std::errc::file_exists).message(), false);
    in.reset(platform::openFile(source, "rb"));
    if (!in)
        return CopyFailure::ofSource(failureText(std::error_code(errno, std::generic_category())));
    out.reset(platform::openFile(file, "wb"));
    if (!out)
        return CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
    std::filesystem::permissions(file, ownerOnly, error);
    return error ? CopyFailure::ofCopy(error.message(), false) : CopyFailure{};
}

} // namespace

CopyFailure copyFileTo(const std::filesystem::path& source, const std::filesystem::path& file,
                       FileStamp* sourceStamp) {
    FileVersion before;
    Result readable = regularFileStatus(source);
    if (readable)
        readable = versionOf(source, before);
    if (!readable)
        return CopyFailure::ofSource(readable.reason());
    FilePtr in, out;
    CopyFailure failure = openCopy(source, file, in, out);
    if (!out)
        return failure;
    if (failure.result)
        failure = copyStream(in.get(), out.get());
    // A file written while it was copied may have given a mix of old and new bytes.
    FileVersion after;
    if (failure.result && (!versionOf(source, after) || after != before))
        failure = CopyFailure::ofSource("it changed while being read");
    if (std::fclose(out.release()) != 0 && failure.result)
        failure = CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
    std::error_code ignored;
    if (!failure.result)
        std::filesystem::remove(file, ignored);
    else if (sourceStamp)
        *sourceStamp = stampFrom(before);
    return failure;
}

CopyFailure copyAsWritten(const std::filesystem::path& source, const std::filesystem::path& file,
                          uint64_t size, const WriteProgress& progress) {
    if (Result regular = regularFileStatus(source); !regular)
        return CopyFailure::ofSource(regular.reason());
    FilePtr in, out;
    CopyFailure failure = openCopy(source, file, in, out);
    if (!out)
        return failure;
    std::vector<char> buffer(size_t{1} << 20);
    copyAsReady(progress, size, failure, [&](uint64_t from, uint64_t to) {
        for (uint64_t at = from; at < to && failure.result;) {
            const size_t count = static_cast<size_t>(std::min<uint64_t>(to - at, buffer.size()));
            // Reading again after a write of the same file needs the position set anew.
            if (std::fseek(in.get(), static_cast<long>(at), SEEK_SET) != 0 ||
                std::fread(buffer.data(), 1, count, in.get()) != count)
                failure = CopyFailure::ofSource(lastErrorText());
            else if (std::fwrite(buffer.data(), 1, count, out.get()) != count)
                failure = CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
            at += count;
        }
    });
    if (std::fclose(out.release()) != 0 && failure.result)
        failure = CopyFailure::ofCopy(lastErrorText(), errno == ENOSPC);
    std::error_code ignored;
    if (!failure.result)
        std::filesystem::remove(file, ignored);
    return failure;
}

Result writeBytesAt(std::FILE* open, uint64_t offset, std::span<const uint8_t> bytes) {
    if (std::fseek(open, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), open) != bytes.size() || std::fflush(open) != 0)
        return Result::failure(lastErrorText());
    return {};
}

Result stampOf(const std::filesystem::path& file, FileStamp& stamp) {
    FileVersion version;
    if (Result versioned = versionOf(file, version); !versioned)
        return versioned;
    stamp = stampFrom(version);
    return {};
}

Result stampOf(std::FILE*, const std::filesystem::path& file, FileStamp& stamp) {
    return stampOf(file, stamp);
}

namespace platform {

bool exchangeFiles(const std::filesystem::path&, const std::filesystem::path&) {
    return false;
}

bool linkBeside(const std::filesystem::path&, const std::filesystem::path&) {
    return false;
}

void ignoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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

Result temporaryFolder(std::filesystem::path& folder) {
    std::error_code error;
    folder = std::filesystem::temp_directory_path(error);
    if (!error)
        return {};
    const std::string reason = error == std::errc::no_such_file_or_directory ? "no such folder"
                               : error == std::errc::not_a_directory         ? "not a folder"
                                                                             : error.message();
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
        if (!environment(name).empty())
            return Result::failure("the temporary folder " + quotedPath(environment(name)) +
                                   " named by " + name + ": " + reason);
    }
    return Result::failure("no temporary folder: " + reason);
}

Result makePrivateFolder(const std::string& prefix, std::filesystem::path& folder) {
    std::filesystem::path temporary;
    if (Result found = temporaryFolder(temporary); !found)
        return found;
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device entropy;
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (size_t i = 0; i < kPrivateFolderSuffixLength; ++i)
            suffix += kLetters[entropy() % (sizeof kLetters - 1)];
        folder = temporary / (prefix + suffix);
        if (std::filesystem::create_directory(folder, error)) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
            return {};
        }
        if (error)
            break;
    }
    return Result::failure(
        "cannot make a folder in " + quotedPath(temporary) + ": " +
        spaceAwareText(temporary, error == std::errc::no_space_on_device, error.message()));
}

long processId() {
    // No process id without the system: a number drawn once stands in for it in names.
    static const long id = [] {
        std::random_device entropy;
        return static_cast<long>(entropy() % 0x7fffffffu) + 1;
    }();
    return id;
}

bool isProcessRunning(long) {
    return true;
}

bool isOwnedByOwnerOfOrUser(const std::filesystem::path&, const std::filesystem::path&) {
    return true;
}

bool renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, error)) || error)
        return false;
    std::filesystem::rename(from, to, error);
    return !error;
}

std::tm localTime(std::time_t time) {
    return *std::localtime(&time);
}

void keepOwner(const std::filesystem::path&, const std::filesystem::path&) {}

std::filesystem::perms newFilePermissions() {
    // No file-creation mask without the system: what most systems' default one leaves.
    using std::filesystem::perms;
    return perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
}

Result flushToDisk(const std::filesystem::path&) {
    return {};
}

Result overwriteFile(const std::filesystem::path& file, const std::filesystem::path& replacement) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(replacement, error);
    if (error)
        return Result::failure(error.message());
    std::ifstream in(replacement, std::ios::binary);
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    if (!in || !out)
        return Result::failure(lastErrorText());
    // Streaming an empty buffer counts as a failure; there is nothing to copy then.
    if (size > 0)
        out << in.rdbuf();
    out.flush();
    if (!out)
        return Result::failure(lastErrorText());
    out.close();
    std::filesystem::resize_file(file, size, error);
    return error ? Result::failure(error.message()) : Result();
}

void preferLargePages(void*, size_t) {}

} // namespace platform

} // namespace vw
