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

} // namespace vw::platform
