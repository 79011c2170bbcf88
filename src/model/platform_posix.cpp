// The file operations with Linux calls: the kernel copies a file (sharing blocks where the file
// system can), a working copy is mapped rather than read, and a replacement of a scratch file
// swaps two names in one step.

#include "model/file_io.h"
#include "model/platform_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vw {

namespace {

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
    return reason.empty() ? reason : "cannot read " + quotedPath(file) + ": " + reason;
}

std::string mapFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    if (std::string reason = regularFileStatus(in.fd(), status); !reason.empty())
        return "cannot read " + quotedPath(file) + ": " + reason;
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
    return reason.empty() ? reason : "cannot read " + quotedPath(file) + ": " + reason;
}

std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    const FileDescriptor in(openForReading(source));
    struct stat before;
    if (std::string reason = regularFileStatus(in.fd(), before); !reason.empty())
        return "cannot read " + quotedPath(source) + ": " + reason;
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.fd() < 0)
        return "cannot write " + quotedPath(file) + ": " + lastErrorText();
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
    return "cannot copy " + quotedPath(source) + " to " + quotedPath(file) + ": " + reason;
}

namespace platform {

bool exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

std::FILE* openFile(const std::filesystem::path& file, const char* mode) {
    return std::fopen(file.c_str(), mode);
}

std::filesystem::path executableFolder(const char* argv0) {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        exe = std::filesystem::absolute(argv0, error);
    return exe.parent_path();
}

std::filesystem::path makePrivateFolder(const std::string& prefix) {
    // mkdtemp makes the folder with a fresh name, readable by its owner only.
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("cannot make a temporary folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    return pattern;
}

} // namespace platform

} // namespace vw
