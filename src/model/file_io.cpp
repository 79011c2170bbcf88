#include "model/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vw {

namespace {

std::string quoted(const std::filesystem::path& path) {
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

// Closes on destruction unless closed before, which reports the error a write may show
// only then.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }

    int fd() const { return m_fd; }
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Opens file for reading without blocking, so that a named pipe fails regularFileStatus at once
// instead of waiting for a writer.
int openForReading(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// The state of an opened file, which must be a regular file; returns an empty string or the
// reason.
std::string regularFileStatus(int fd, struct stat& status) {
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return lastErrorText();
    if (!S_ISREG(status.st_mode))
        return "not a file";
    return {};
}

// Reads exactly size bytes from fd into memory of their own and checks that the file ends
// there; returns an empty string or the reason.
std::string readWhole(int fd, size_t size, FileBytes& out) {
    std::unique_ptr<uint8_t[], ReleaseBytes> data(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!data)
        return "not enough memory";
    size_t done = 0;
    uint8_t extra;
    for (;;) {
        const ssize_t got =
            done < size ? ::read(fd, &data[done], size - done) : ::read(fd, &extra, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return lastErrorText();
        if (got == 0 && done == size)
            break;
        if (got == 0 || done == size)
            return "it changed while being read";
        done += static_cast<size_t>(got);
    }
    out.data = std::move(data);
    out.size = size;
    return {};
}

bool isSameVersion(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// True when errno says that a way of copying does not work between these two files.
bool isUnsupportedCopy() {
    return errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// Copies the first size bytes of from into the empty file to: by copy_file_range, which lets
// the file system share blocks where it can, else by sendfile, else through a buffer. Returns an
// empty string or the reason.
std::string copyContents(int from, int to, size_t size) {
    enum Way { kRange, kSend, kBuffer } way = kRange;
    std::unique_ptr<uint8_t[]> buffer;
    constexpr size_t kBufferSize = size_t{1} << 20;
    size_t done = 0;
    while (done < size) {
        const size_t count = std::min(size - done, size_t{1} << 30);
        off_t at = static_cast<off_t>(done);
        ssize_t got;
        if (way == kRange) {
            off_t writeAt = at;
            got = ::copy_file_range(from, &at, to, &writeAt, count, 0);
        } else if (way == kSend) {
            got = ::sendfile(to, from, &at, count);
        } else {
            if (!buffer)
                buffer = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
            got = ::pread(from, buffer.get(), std::min(count, kBufferSize), at);
            if (got > 0 && !writeAll(to, buffer.get(), static_cast<size_t>(got)))
                return lastErrorText();
        }
        if (got < 0 && errno == EINTR)
            continue;
        // Switching ways is safe only before anything is written: sendfile and write append.
        if (got < 0 && done == 0 && way != kBuffer && isUnsupportedCopy()) {
            way = static_cast<Way>(way + 1);
            continue;
        }
        if (got < 0)
            return lastErrorText();
        if (got == 0)
            return "it changed while being read";
        done += static_cast<size_t>(got);
    }
    return {};
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
    const FileDescriptor in(openForReading(file));
    struct stat status;
    std::string reason = regularFileStatus(in.fd(), status);
    if (reason.empty())
        reason = readWhole(in.fd(), static_cast<size_t>(status.st_size), out);
    return reason.empty() ? reason : "cannot read " + quoted(file) + ": " + reason;
}

std::string mapFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    if (std::string reason = regularFileStatus(in.fd(), status); !reason.empty())
        return "cannot read " + quoted(file) + ": " + reason;
    const size_t size = static_cast<size_t>(status.st_size);
    // Not populated up front: faulting pages in as they are read shares that work among the
    // threads that read them, which measured faster.
    void* mapped =
        size == 0 ? MAP_FAILED : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, in.fd(), 0);
    if (mapped != MAP_FAILED) {
        out.data = {static_cast<uint8_t*>(mapped), ReleaseBytes{size}};
        out.size = size;
        return {};
    }
    std::string reason = readWhole(in.fd(), size, out);
    return reason.empty() ? reason : "cannot read " + quoted(file) + ": " + reason;
}

std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    const FileDescriptor in(openForReading(source));
    struct stat before;
    if (std::string reason = regularFileStatus(in.fd(), before); !reason.empty())
        return "cannot read " + quoted(source) + ": " + reason;
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.fd() < 0)
        return "cannot write " + quoted(file) + ": " + lastErrorText();
    std::string reason = copyContents(in.fd(), out.fd(), static_cast<size_t>(before.st_size));
    // A file written while it was copied may have given a mix of old and new bytes.
    struct stat after;
    if (reason.empty() && (::fstat(in.fd(), &after) != 0 || !isSameVersion(before, after)))
        reason = "it changed while being read";
    if (!out.close() && reason.empty())
        reason = lastErrorText();
    if (reason.empty())
        return {};
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return "cannot copy " + quoted(source) + " to " + quoted(file) + ": " + reason;
}

std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill,
                        ReplaceMode mode) {
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
        // Replaced anyway, the file could end up readable by people it was kept from.
        if (error)
            reason = "cannot give the new " + quoted(target) +
                     " the permissions of the old one: " + error.message();
    }
    if (reason.empty() && exists && mode == ReplaceMode::kScratch &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, real.c_str(), RENAME_EXCHANGE) == 0) {
        // The two files swapped names; the earlier one now goes.
        std::filesystem::remove(temporary, error);
        return reason;
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
