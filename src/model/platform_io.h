#pragma once
// The file operations that differ between systems. platform_posix.cpp does them with Linux
// calls (kernel copies, memory mapping, an atomic exchange of two names); platform_portable.cpp
// with std::filesystem and streams only, for other systems, or everywhere with
// -DVW_PORTABLE_IO=ON. Nothing else in the program calls the system directly.

#include <cstdio>
#include <filesystem>
#include <string>

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
