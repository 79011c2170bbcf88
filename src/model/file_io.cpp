#include "model/file_io.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <new>
#include <random>
#include <string_view>
#include <system_error>
#include <tuple>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
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

// The failures a user meets most, in a user's words; the system's text for the rest.
std::string openFailureText(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return "no such file";
    if (error == EACCES || error == EPERM)
        return "permission denied";
    return std::system_category().message(error);
}

// The state of an opened file, which must be a regular file; returns an empty string or the
// reason.
std::string regularFileStatus(int fd, struct stat& status) {
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return openFailureText(errno);
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
// empty string or the reason; inSource tells a failure to read from apart from one to write to.
// The kernel's copies do not say which side failed: an input error is then blamed on the copy.
std::string copyContents(int from, int to, size_t size, bool& inSource) {
    inSource = false;
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
            inSource = got < 0;
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
        if (got == 0) {
            inSource = true;
            return "it changed while being read";
        }
        done += static_cast<size_t>(got);
    }
    return {};
}

// Temporary files beside a target are named ".vw<pid>-<tag>.tmp": short, so that any file name
// that can be opened can be saved, and naming the process that made them, so that a later run can
// tell which ones a killed process left behind. A backup made before writing a file in place ends
// in ".bak" instead, and is never removed as stale: after a crash it may be the only whole copy.
constexpr std::string_view kTemporaryPrefix = ".vw";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kBackupSuffix = ".bak";

std::filesystem::path nameBeside(const std::filesystem::path& target, std::string_view suffix) {
    std::random_device entropy;
    char name[48];
    std::snprintf(name, sizeof name, "%.*s%ld-%08x%.*s", int(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), static_cast<long>(::getpid()), entropy(),
                  int(suffix.size()), suffix.data());
    return target.parent_path() / name;
}

// The process id in a name made by nameBeside with the given suffix; 0 when it is not one.
long ownerOfTemporary(std::string_view name, std::string_view suffix) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(suffix))
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc{} && end != name.data() && *end == '-' ? pid : 0;
}

// Removes the temporary files in folder whose process is gone.
void removeStaleTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const long pid = ownerOfTemporary(it->path().filename().native(), kTemporarySuffix);
        std::error_code ignored;
        if (pid > 0 && !isProcessRunning(pid) && it->is_regular_file(ignored))
            std::filesystem::remove(it->path(), ignored);
    }
}

// Gives temporary the owner, group and permissions of the file it replaces, as far as this
// process may: only root can give a file away, and a change of owner clears set-id bits, so
// the permissions come last.
void takeOverAttributes(const std::filesystem::path& temporary, const struct stat& original) {
    if (::chown(temporary.c_str(), original.st_uid, original.st_gid) != 0)
        std::ignore = ::chown(temporary.c_str(), static_cast<uid_t>(-1), original.st_gid);
    ::chmod(temporary.c_str(), original.st_mode & 07777);
}

// Overwrites file in place with the contents of replacement, then cuts it to their length.
std::string overwriteWith(const std::filesystem::path& file,
                          const std::filesystem::path& replacement, bool durable) {
    const FileDescriptor in(openForReading(replacement));
    struct stat status;
    std::string reason = regularFileStatus(in.fd(), status);
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (reason.empty() && out.fd() < 0)
        reason = lastErrorText();
    bool inSource = false;
    if (reason.empty())
        reason = copyContents(in.fd(), out.fd(), static_cast<size_t>(status.st_size), inSource);
    if (reason.empty() && ::ftruncate(out.fd(), status.st_size) != 0)
        reason = lastErrorText();
    if (reason.empty() && durable && ::fsync(out.fd()) != 0)
        reason = lastErrorText();
    if (!out.close() && reason.empty())
        reason = lastErrorText();
    return reason;
}

// A file with further hard links is written in place, so that every link sees the new content.
// A full copy of the old content is made beside it first and kept should the write fail: an
// in-place write is not atomic, and the backup is what a failure or a crash leaves to recover.
std::string replaceInPlace(const std::filesystem::path& target, const std::filesystem::path& real,
                           const std::filesystem::path& temporary) {
    const std::filesystem::path backup = nameBeside(real, kBackupSuffix);
    std::string reason = copyToNewFile(real, backup);
    if (reason.empty()) {
        const FileDescriptor saved(::open(backup.c_str(), O_RDONLY | O_CLOEXEC));
        if (saved.fd() < 0 || ::fsync(saved.fd()) != 0)
            reason = "cannot write " + quoted(backup) + ": " + lastErrorText();
    }
    std::error_code ignored;
    if (!reason.empty()) {
        std::filesystem::remove(backup, ignored);
        return "cannot back up " + quoted(target) + ": " + reason;
    }
    reason = overwriteWith(real, temporary, true);
    if (!reason.empty() && !overwriteWith(real, backup, true).empty())
        return "cannot write " + quoted(target) + ": " + reason + "; its earlier content is in " +
               quoted(backup);
    std::filesystem::remove(backup, ignored);
    return reason.empty() ? reason : "cannot write " + quoted(target) + ": " + reason;
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

std::string readBytesOf(const std::filesystem::path& file, FileBytes& out) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    std::string reason = regularFileStatus(in.fd(), status);
    if (reason.empty())
        reason = readWhole(in.fd(), static_cast<size_t>(status.st_size), out);
    return reason;
}

std::string readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const std::string reason = readBytesOf(file, out);
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

std::string mapPrivately(int fd, FileBytes& out) {
    struct stat status;
    if (std::string reason = regularFileStatus(fd, status); !reason.empty())
        return reason;
    const size_t size = static_cast<size_t>(status.st_size);
    void* mapped =
        size == 0 ? MAP_FAILED : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    if (mapped != MAP_FAILED) {
        out.data = {static_cast<uint8_t*>(mapped), ReleaseBytes{size}};
        out.size = size;
        return {};
    }
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return lastErrorText();
    return readWhole(fd, size, out);
}

CopyFailure copyFileTo(const std::filesystem::path& source, const std::filesystem::path& file) {
    const FileDescriptor in(openForReading(source));
    struct stat before;
    if (std::string reason = regularFileStatus(in.fd(), before); !reason.empty())
        return {true, reason};
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.fd() < 0)
        return {false, lastErrorText()};
    CopyFailure failure;
    failure.reason =
        copyContents(in.fd(), out.fd(), static_cast<size_t>(before.st_size), failure.inSource);
    // A file written while it was copied may have given a mix of old and new bytes.
    struct stat after;
    if (failure.reason.empty() && (::fstat(in.fd(), &after) != 0 || !isSameVersion(before, after)))
        failure = {true, "it changed while being read"};
    if (!out.close() && failure.reason.empty())
        failure = {false, lastErrorText()};
    if (!failure.reason.empty()) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    return failure;
}

std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    const CopyFailure failure = copyFileTo(source, file);
    if (failure.reason.empty())
        return {};
    if (failure.inSource)
        return "cannot read " + quoted(source) + ": " + failure.reason;
    return "cannot copy " + quoted(source) + " to " + quoted(file) + ": " + failure.reason;
}

namespace {

WorkingCopyStamp stampFrom(const struct stat& status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<int64_t>(status.st_size),
            int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace

std::string stampOf(const std::filesystem::path& file, WorkingCopyStamp& stamp) {
    struct stat status;
    if (::stat(file.c_str(), &status) != 0)
        return lastErrorText();
    stamp = stampFrom(status);
    return {};
}

std::string stampOf(int fd, WorkingCopyStamp& stamp) {
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return lastErrorText();
    stamp = stampFrom(status);
    return {};
}

bool isProcessRunning(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill,
                        ReplaceMode mode) {
    const std::filesystem::path real = resolvedTarget(target);
    struct stat original;
    const bool exists = ::stat(real.c_str(), &original) == 0;
    if (exists && !S_ISREG(original.st_mode))
        return "cannot write " + quoted(target) + ": not a file";
    // Renaming would replace a file the user may not write to; honour that instead.
    if (exists) {
        FilePtr probe(std::fopen(real.c_str(), "r+b"));
        if (!probe)
            return "cannot write " + quoted(target) + ": " + lastErrorText();
    }
    removeStaleTemporaries(real.has_parent_path() ? real.parent_path() : ".");
    const std::filesystem::path temporary = nameBeside(real, kTemporarySuffix);
    std::string reason = fill(temporary);
    std::error_code error;
    if (reason.empty() && exists)
        takeOverAttributes(temporary, original);
    if (reason.empty() && exists && mode == ReplaceMode::kKeepAcrossCrash &&
        original.st_nlink > 1) {
        reason = replaceInPlace(target, real, temporary);
        std::filesystem::remove(temporary, error);
        return reason;
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
