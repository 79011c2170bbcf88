#include "model/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

constexpr size_t kHugePage = size_t{2} << 20;

// Memory for size bytes, null when there is none. Large runs are mapped on huge-page
// boundaries and advised to use huge pages: faulting memory in 4 KiB at a time costs more than
// reading the file into it.
std::unique_ptr<uint8_t[], ReleaseBytes> allocateBytes(size_t size) {
    if (size >= kHugePage && size < SIZE_MAX - 2 * kHugePage) {
        const size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* area = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area != MAP_FAILED) {
            uint8_t* const first = static_cast<uint8_t*>(area);
            const size_t head =
                (kHugePage - reinterpret_cast<uintptr_t>(first) % kHugePage) % kHugePage;
            uint8_t* const start = first + head;
            if (head != 0)
                ::munmap(first, head);
            if (head != kHugePage)
                ::munmap(start + length, kHugePage - head);
            ::madvise(start, length, MADV_HUGEPAGE); // only advice: without it, small pages
            return {start, ReleaseBytes{length}};
        }
    }
    return {new (std::nothrow) uint8_t[size == 0 ? 1 : size], ReleaseBytes{}};
}

// Reads exactly size bytes from fd into data and checks that the file ends there; returns an
// empty string or the reason.
std::string readWhole(int fd, uint8_t* data, size_t size) {
    uint8_t extra;
    for (;;) {
        const ssize_t got = size > 0 ? ::read(fd, data, size) : ::read(fd, &extra, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return lastErrorText();
        if (size == 0 && got == 0)
            return {};
        if (got == 0 || size == 0)
            return "it changed while being read";
        data += got;
        size -= static_cast<size_t>(got);
    }
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

void ReleaseBytes::operator()(uint8_t* bytes) const {
    if (mappedLength != 0)
        ::munmap(bytes, mappedLength);
    else
        delete[] bytes;
}

std::string lastErrorText() {
    return std::system_category().message(errno);
}

std::string readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    // Not blocking, so that opening a named pipe returns at once and fails the check below.
    const FileDescriptor in{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (in.fd < 0)
        return "cannot read " + quoted(file) + ": " + lastErrorText();
    struct stat status;
    if (::fstat(in.fd, &status) != 0)
        return "cannot read " + quoted(file) + ": " + lastErrorText();
    if (!S_ISREG(status.st_mode))
        return "cannot read " + quoted(file) + ": not a file";
    const size_t size = static_cast<size_t>(status.st_size);
    auto data = allocateBytes(size);
    if (!data)
        return "cannot read " + quoted(file) + ": not enough memory";
    if (std::string reason = readWhole(in.fd, data.get(), size); !reason.empty())
        return "cannot read " + quoted(file) + ": " + reason;
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
