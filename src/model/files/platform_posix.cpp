// The file operations with Linux calls: the kernel copies a file (sharing blocks where the file
// system can), a working copy is mapped rather than read, a replacement of a scratch file swaps
// two names in one step, and a file's identity, owner and links are the system's own.

#include "model/files/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <system_error>
#include <tuple>

#include <fcntl.h>
#include <signal.h>
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

// The failures a user meets most, in a user's words; the system's text for the rest.
std::string openFailureText(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return "no such file";
    if (error == EACCES || error == EPERM)
        return "permission denied";
    return std::system_category().message(error);
}

// The state of an opened file, which must be a regular file.
Result regularFileStatus(int fd, struct stat& status) {
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return Result::failure(openFailureText(errno));
    if (!S_ISREG(status.st_mode))
        return Result::failure("not a file");
    return {};
}

// Reads exactly size bytes from fd into memory of their own and checks that the file ends
// there.
Result readWhole(int fd, size_t size, FileBytes& out) {
    std::unique_ptr<uint8_t[], ReleaseBytes> data(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!data)
        return Result::failure("not enough memory");
    size_t done = 0;
    uint8_t extra;
    for (;;) {
        const ssize_t got =
            done < size ? ::read(fd, &data[done], size - done) : ::read(fd, &extra, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Result::failure(lastErrorText());
        if (got == 0 && done == size)
            break;
        if (got == 0 || done == size)
            return Result::failure("it changed while being read");
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

// True when errno says that the file system is full.
bool isNoSpace() {
    return errno == ENOSPC || errno == EDQUOT;
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

// The ways of copying, tried in this order until one works between the two files.
enum class CopyWay { kRange, kSend, kBuffer };

// Copies bytes begin to end of from to the same place in to, which holds the bytes before begin
// and nothing more: by copy_file_range, which lets the file system share blocks where it can,
// else by sendfile, else through a buffer. On failure inSource tells a failure to read from
// apart from one to write to. The kernel's copies do not say which side failed: an input error
// is then blamed on the copy.
Result copyContents(int from, int to, size_t begin, size_t end, CopyWay& way, bool& inSource) {
    inSource = false;
    std::unique_ptr<uint8_t[]> buffer;
    constexpr size_t kBufferSize = size_t{1} << 20;
    size_t done = begin;
    while (done < end) {
        const size_t count = std::min(end - done, size_t{1} << 30);
        off_t at = static_cast<off_t>(done);
        ssize_t got;
        if (way == CopyWay::kRange) {
            off_t writeAt = at;
            got = ::copy_file_range(from, &at, to, &writeAt, count, 0);
        } else if (way == CopyWay::kSend) {
            got = ::sendfile(to, from, &at, count);
        } else {
            if (!buffer)
                buffer = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
            got = ::pread(from, buffer.get(), std::min(count, kBufferSize), at);
            inSource = got < 0;
            if (got > 0 && !writeAll(to, buffer.get(), static_cast<size_t>(got)))
                return Result::failure(lastErrorText());
        }
        if (got < 0 && errno == EINTR)
            continue;
        // Switching ways is safe only before anything is written: sendfile and write append.
        if (got < 0 && done == 0 && way != CopyWay::kBuffer && isUnsupportedCopy()) {
            way = static_cast<CopyWay>(static_cast<int>(way) + 1);
            continue;
        }
        if (got < 0)
            return Result::failure(lastErrorText());
        if (got == 0) {
            inSource = true;
            return Result::failure("it changed while being read");
        }
        done += static_cast<size_t>(got);
    }
    return {};
}

Result copyContents(int from, int to, size_t size, bool& inSource) {
    CopyWay way = CopyWay::kRange;
    return copyContents(from, to, 0, size, way, inSource);
}

// A new file, private from the start: what a model holds is nobody else's until it takes its
// place.
int createPrivately(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

// Mappings of files that other programs may cut short. Reading a page past a file's new end
// raises SIGBUS; for an address in one of these, the handler puts zeroed memory in place of the
// rest of the mapping and marks it, and the read goes on. Slots are claimed and read with atomics
// only, as a signal handler may.
struct GuardedMapping {
    std::atomic<bool> taken{false};
    std::atomic<uintptr_t> begin{0};
    std::atomic<size_t> length{0};
    std::atomic<bool> cutShort{false};
};
constexpr size_t kGuardedMappings = 16;
GuardedMapping guardedMappings[kGuardedMappings];
struct sigaction earlierBusHandler;
// Known before the handler can run, which may not ask the system.
const uintptr_t pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));

GuardedMapping* guardOf(uintptr_t address) {
    for (GuardedMapping& guard : guardedMappings) {
        const uintptr_t begin = guard.begin.load();
        if (begin != 0 && address >= begin && address - begin < guard.length.load())
            return &guard;
    }
    return nullptr;
}

void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    GuardedMapping* guard = guardOf(address);
    if (!guard) {
        // Not ours: what the process did before, or the default, which ends it.
        if (earlierBusHandler.sa_flags & SA_SIGINFO) {
            earlierBusHandler.sa_sigaction(signal, info, context);
            return;
        }
        ::sigaction(SIGBUS, &earlierBusHandler, nullptr);
        return;
    }
    const uintptr_t page = address & ~(pageSize - 1);
    const uintptr_t end = guard->begin.load() + guard->length.load();
    ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    guard->cutShort.store(true);
}

void installBusHandler() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &earlierBusHandler) == 0;
    }();
    (void)installed;
}

// Watches a mapping; false when every slot is taken.
bool guardMapping(const void* begin, size_t length) {
    installBusHandler();
    for (GuardedMapping& guard : guardedMappings) {
        bool taken = false;
        if (guard.taken.compare_exchange_strong(taken, true)) {
            guard.cutShort.store(false);
            guard.length.store(length);
            guard.begin.store(reinterpret_cast<uintptr_t>(begin));
            return true;
        }
    }
    return false;
}

FileStamp stampFrom(const struct stat& status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<int64_t>(status.st_size),
            int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace

void ReleaseBytes::operator()(uint8_t* bytes) const {
    if (guarded) {
        if (GuardedMapping* guard = guardOf(reinterpret_cast<uintptr_t>(bytes))) {
            guard->begin.store(0);
            guard->taken.store(false);
        }
    }
    if (mappedLength != 0)
        ::munmap(bytes, mappedLength);
    else
        delete[] bytes;
}

std::string lastErrorText() {
    if (errno == EFBIG)
        return kFileSizeLimitText;
    return std::system_category().message(errno);
}

Result readBytesOf(const std::filesystem::path& file, FileBytes& out) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    const Result read = regularFileStatus(in.fd(), status);
    return read ? readWhole(in.fd(), static_cast<size_t>(status.st_size), out) : read;
}

Result mapFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    if (const Result opened = regularFileStatus(in.fd(), status); !opened)
        return Result::failure("cannot read " + quotedPath(file) + ": " + opened.reason());
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
    const Result read = readWhole(in.fd(), size, out);
    return read ? read : Result::failure("cannot read " + quotedPath(file) + ": " + read.reason());
}

Result mapSharedFile(const std::filesystem::path& file, FileBytes& out, FileStamp* stamp) {
    const FileDescriptor in(openForReading(file));
    struct stat status;
    if (Result opened = regularFileStatus(in.fd(), status); !opened)
        return opened;
    if (stamp)
        *stamp = stampFrom(status);
    const size_t size = static_cast<size_t>(status.st_size);
    void* mapped =
        size == 0 ? MAP_FAILED : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, in.fd(), 0);
    if (mapped != MAP_FAILED && guardMapping(mapped, size)) {
        out.data = {static_cast<uint8_t*>(mapped), ReleaseBytes{size, true}};
        out.size = size;
        return {};
    }
    if (mapped != MAP_FAILED)
        ::munmap(mapped, size);
    return readWhole(in.fd(), size, out);
}

bool wasCutShort(const FileBytes& bytes) {
    if (!bytes.data.get_deleter().guarded)
        return false;
    const GuardedMapping* guard = guardOf(reinterpret_cast<uintptr_t>(bytes.data.get()));
    return guard && guard->cutShort.load();
}

Result mapPrivately(std::FILE* open, const std::filesystem::path&, FileBytes& out) {
    const int fd = ::fileno(open);
    struct stat status;
    if (Result opened = regularFileStatus(fd, status); !opened)
        return opened;
    const size_t size = static_cast<size_t>(status.st_size);
    void* mapped =
        size == 0 ? MAP_FAILED : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    if (mapped != MAP_FAILED) {
        out.data = {static_cast<uint8_t*>(mapped), ReleaseBytes{size}};
        out.size = size;
        return {};
    }
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return Result::failure(lastErrorText());
    return readWhole(fd, size, out);
}

CopyFailure copyFileTo(const std::filesystem::path& source, const std::filesystem::path& file,
                       FileStamp* sourceStamp) {
    const FileDescriptor in(openForReading(source));
    struct stat before;
    if (Result opened = regularFileStatus(in.fd(), before); !opened)
        return CopyFailure::ofSource(opened.reason());
    FileDescriptor out(createPrivately(file));
    if (out.fd() < 0)
        return CopyFailure::ofCopy(lastErrorText(), isNoSpace());
    CopyFailure failure;
    failure.result =
        copyContents(in.fd(), out.fd(), static_cast<size_t>(before.st_size), failure.inSource);
    failure.noSpace = !failure.result && isNoSpace();
    // A file written while it was copied may have given a mix of old and new bytes.
    struct stat after;
    if (failure.result && (::fstat(in.fd(), &after) != 0 || !isSameVersion(before, after)))
        failure = CopyFailure::ofSource("it changed while being read");
    if (!out.close() && failure.result)
        failure = CopyFailure::ofCopy(lastErrorText(), isNoSpace());
    if (failure.result && sourceStamp)
        *sourceStamp = stampFrom(before);
    if (!failure.result) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    return failure;
}

CopyFailure copyAsWritten(const std::filesystem::path& source, const std::filesystem::path& file,
                          uint64_t size, const WriteProgress& progress) {
    const FileDescriptor in(openForReading(source));
    struct stat status;
    if (Result opened = regularFileStatus(in.fd(), status); !opened)
        return CopyFailure::ofSource(opened.reason());
    FileDescriptor out(createPrivately(file));
    if (out.fd() < 0)
        return CopyFailure::ofCopy(lastErrorText(), isNoSpace());
    CopyFailure failure;
    CopyWay way = CopyWay::kRange;
    copyAsReady(progress, size, failure, [&](uint64_t from, uint64_t to) {
        failure.result = copyContents(in.fd(), out.fd(), static_cast<size_t>(from),
                                      static_cast<size_t>(to), way, failure.inSource);
        // Started now, the writing to the disk overlaps the rest of the copy; the rename that
        // puts the copy in place would otherwise start all of it, and wait on much of it.
        if (failure.result)
            ::sync_file_range(out.fd(), static_cast<off_t>(from), static_cast<off_t>(to - from),
                              SYNC_FILE_RANGE_WRITE);
    });
    failure.noSpace = !failure.result && isNoSpace();
    if (!out.close() && failure.result)
        failure = CopyFailure::ofCopy(lastErrorText(), isNoSpace());
    if (!failure.result) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    return failure;
}

Result writeBytesAt(std::FILE* open, uint64_t offset, std::span<const uint8_t> bytes) {
    const int fd = ::fileno(open);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return Result::failure(lastErrorText());
        done += static_cast<size_t>(put);
    }
    return {};
}

Result stampOf(const std::filesystem::path& file, FileStamp& stamp) {
    struct stat status;
    if (::stat(file.c_str(), &status) != 0)
        return Result::failure(lastErrorText());
    stamp = stampFrom(status);
    return {};
}

Result stampOf(std::FILE* open, const std::filesystem::path&, FileStamp& stamp) {
    struct stat status;
    if (::fstat(::fileno(open), &status) != 0)
        return Result::failure(lastErrorText());
    stamp = stampFrom(status);
    return {};
}

namespace platform {

bool exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

bool linkBeside(const std::filesystem::path& file, const std::filesystem::path& name) {
    const std::filesystem::path folder = name.has_parent_path() ? name.parent_path() : ".";
    struct stat folderStatus, fileStatus;
    if (::stat(folder.c_str(), &folderStatus) != 0 || ::stat(file.c_str(), &fileStatus) != 0)
        return false;
    // Root may remove anything; in a sticky folder anyone else only a file it or the folder owns.
    const uid_t user = ::geteuid();
    if ((folderStatus.st_mode & S_ISVTX) && user != 0 && user != folderStatus.st_uid &&
        user != fileStatus.st_uid)
        return false;
    return ::link(file.c_str(), name.c_str()) == 0;
}

void ignoreFileSizeSignal() {
    ::signal(SIGXFSZ, SIG_IGN);
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

Result temporaryFolder(std::filesystem::path& folder) {
    const char* named = std::getenv("TMPDIR");
    const bool fromEnvironment = named && *named;
    folder = fromEnvironment ? named : "/tmp";
    struct stat status;
    const bool found = ::stat(folder.c_str(), &status) == 0;
    if (found && S_ISDIR(status.st_mode))
        return {};
    const std::string reason = found                                 ? "not a folder"
                               : errno == ENOENT || errno == ENOTDIR ? "no such folder"
                                                                     : lastErrorText();
    return Result::failure("the temporary folder " + quotedPath(folder) +
                           (fromEnvironment ? " named by TMPDIR: " : ": ") + reason);
}

Result makePrivateFolder(const std::string& prefix, std::filesystem::path& folder) {
    std::filesystem::path temporary;
    if (Result found = temporaryFolder(temporary); !found)
        return found;
    // mkdtemp makes the folder with a fresh name, readable by its owner only.
    std::string pattern =
        (temporary / (prefix + std::string(kPrivateFolderSuffixLength, 'X'))).string();
    if (!::mkdtemp(pattern.data()))
        return Result::failure("cannot make a folder in " + quotedPath(temporary) + ": " +
                               spaceAwareText(temporary, isNoSpace(), lastErrorText()));
    folder = pattern;
    return {};
}

long processId() {
    return static_cast<long>(::getpid());
}

bool isProcessRunning(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool isOwnedByOwnerOfOrUser(const std::filesystem::path& file, const std::filesystem::path& other) {
    struct stat fileStatus, otherStatus;
    if (::lstat(file.c_str(), &fileStatus) != 0)
        return false;
    return fileStatus.st_uid == ::geteuid() ||
           (::stat(other.c_str(), &otherStatus) == 0 && fileStatus.st_uid == otherStatus.st_uid);
}

bool renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // A file system without that flag still refuses a link over an existing name.
    return errno == EINVAL && ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

std::tm localTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

void keepOwner(const std::filesystem::path& original, const std::filesystem::path& copy) {
    struct stat status;
    if (::stat(original.c_str(), &status) != 0)
        return;
    // Where the owner cannot be given away, the group may still be one of the caller's own.
    if (::chown(copy.c_str(), status.st_uid, status.st_gid) != 0)
        std::ignore = ::chown(copy.c_str(), static_cast<uid_t>(-1), status.st_gid);
}

std::filesystem::perms newFilePermissions() {
    // umask() can only be read by setting it, which would race with files other threads
    // create; the kernel shows it here instead.
    FilePtr status(std::fopen("/proc/self/status", "re"));
    char line[256];
    unsigned mask = 022;
    while (status && std::fgets(line, sizeof line, status.get())) {
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
            break;
    }
    return static_cast<std::filesystem::perms>(0666 & ~mask);
}

Result flushToDisk(const std::filesystem::path& file) {
    const FileDescriptor written(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (written.fd() < 0 || ::fsync(written.fd()) != 0)
        return Result::failure(lastErrorText());
    return {};
}

Result overwriteFile(const std::filesystem::path& file, const std::filesystem::path& replacement) {
    const FileDescriptor in(openForReading(replacement));
    struct stat status;
    Result result = regularFileStatus(in.fd(), status);
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (result && out.fd() < 0)
        result = Result::failure(lastErrorText());
    bool inSource = false;
    if (result)
        result = copyContents(in.fd(), out.fd(), static_cast<size_t>(status.st_size), inSource);
    if (result && ::ftruncate(out.fd(), status.st_size) != 0)
        result = Result::failure(lastErrorText());
    if (result && ::fsync(out.fd()) != 0)
        result = Result::failure(lastErrorText());
    if (!out.close() && result)
        result = Result::failure(lastErrorText());
    return result;
}

// Only whole large pages inside the range: advice on a page the range shares with other
// memory would reach beyond it.
void preferLargePages(void* memory, size_t bytes) {
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const auto start = reinterpret_cast<uintptr_t>(memory);
    const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (start + bytes) & ~(kLargePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace platform

} // namespace vw
