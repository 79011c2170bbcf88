#pragma once
// File access for the loader, the saver and the tools: whole-file reads, mappings and copies,
// and the atomic replacement of a file. The reads, mappings and copies differ per system
// (platform_posix.cpp, platform_portable.cpp), as do the few calls declared at the end; the
// replacement is common.

#include "model/model.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vw {

// Closes a C stream when it goes out of scope; where the result of closing matters, close it
// by hand first (fclose(file.release())).
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Frees memory that holds a file's bytes: unmaps mappedLength bytes, or deletes an array when
// mappedLength is 0.
struct ReleaseBytes {
    size_t mappedLength = 0;
    void operator()(uint8_t* bytes) const;
};

// A file's bytes, read or mapped in one go.
struct FileBytes {
    std::unique_ptr<uint8_t[], ReleaseBytes> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
    std::span<uint8_t> writable() { return {data.get(), size}; }
};

// Reads the whole regular file into memory of its own, so the bytes stay as read whatever
// happens to the file later; returns an empty string or the reason it failed.
std::string readFileBytes(const std::filesystem::path& file, FileBytes& out);

// readFileBytes with a reason that leaves naming the file to the caller, in a user's words where
// it can ("no such file", "permission denied", "not a file").
std::string readBytesOf(const std::filesystem::path& file, FileBytes& out);

// Maps the whole regular file read-only, or reads it where it cannot be mapped. Only for a file
// no other program writes, such as a fresh working copy: a mapping shows later changes to the
// file, and a file cut short under it ends the process that reads past its new end.
std::string mapFileBytes(const std::filesystem::path& file, FileBytes& out);

// Why a copy failed: reading its source (the reason then in a user's words, such as "no such
// file" or "permission denied") or making the copy (such as "No space left on device").
struct CopyFailure {
    bool inSource = false;
    std::string reason; // empty when the copy succeeded
};

// Maps the whole regular file open as open, named file, privately, or reads it where it cannot
// be mapped: its bytes may then be changed in memory, where the file and no one else sees the
// change. As with mapFileBytes, only for a file no other program writes.
std::string mapPrivately(std::FILE* open, const std::filesystem::path& file, FileBytes& out);

// Creates file, which must not exist yet, holding the bytes of source, copied by the kernel
// where it can. Fails when source changes while it is copied. On failure file is removed.
CopyFailure copyFileTo(const std::filesystem::path& source, const std::filesystem::path& file);

// copyFileTo, its failure told in one line naming the file at fault; empty on success.
std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file);

// What a replacement promises should the system stop right after it. ext4 makes a rename over
// an existing file write the new file's blocks first, so that a crash cannot leave it empty;
// that costs about as much as copying the file again. A working copy, remade on every load,
// does without.
enum class ReplaceMode { kKeepAcrossCrash, kScratch };

// Replaces target atomically: fill creates the new content in a fresh temporary file beside
// target (returning an empty string or a reason), which then takes target's place with target's
// permissions (else the replacement fails) and its owner and group where this process may set
// them. Returns an empty string or a reason; on failure target is unchanged and the temporary
// file removed. A target that is not a
// regular file is refused. A target with further hard links is instead written in place after a
// full backup copy beside it, removed after success (see replaceInPlace). Temporary files that
// killed processes left beside target are removed on the way.
std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill,
                        ReplaceMode mode = ReplaceMode::kKeepAcrossCrash);

// The identity, size and modification time of a file, by its path, or of the file open as open
// and named file; returns an empty string or the reason. Where the system tells no identity,
// device and inode stay 0.
std::string stampOf(const std::filesystem::path& file, WorkingCopyStamp& stamp);
std::string stampOf(std::FILE* open, const std::filesystem::path& file, WorkingCopyStamp& stamp);

// The system's text for the last error of a C library call.
std::string lastErrorText();

// A path in double quotes, as failure messages name files.
std::string quotedPath(const std::filesystem::path& path);

} // namespace vw

// The file operations that differ between systems. platform_posix.cpp does them with Linux
// calls (kernel copies, memory mapping, an atomic exchange of two names); platform_portable.cpp
// with std::filesystem and streams only, for other systems, or everywhere with
// -DVW_PORTABLE_IO=ON. Nothing else in the program calls the system directly.
namespace vw::platform {

// Swaps the names of two existing files in one step; false where the system cannot, and
// then nothing changed.
bool exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b);

// std::fopen for a path in the system's own encoding.
std::FILE* openFile(const std::filesystem::path& file, const char* mode);

// The folder of the running program; argv0 is its first argument, for systems that give
// nothing better.
std::filesystem::path executableFolder(const char* argv0);

// Makes a new folder that only its owner may use, named prefix and a fresh suffix, in the
// system's temporary folder; throws std::filesystem::filesystem_error when it cannot.
std::filesystem::path makePrivateFolder(const std::string& prefix);

// The id of this process, as names of temporary files and folders carry it.
long processId();

// True while a process with this id may exist: false only where the system says it is gone.
bool isProcessRunning(long pid);

// Gives copy the owner and group of original, as far as this process may; nothing where the
// system keeps no such owner.
void keepOwner(const std::filesystem::path& original, const std::filesystem::path& copy);

// Writes the bytes of file through to the disk; returns an empty string or the reason.
std::string flushToDisk(const std::filesystem::path& file);

// Overwrites file in place with the contents of replacement, cuts it to their length and writes
// it through to the disk; returns an empty string or the reason.
std::string overwriteFile(const std::filesystem::path& file,
                          const std::filesystem::path& replacement);

} // namespace vw::platform
