#pragma once
// A fresh folder per test, removed with everything in it, and whole-file byte helpers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vw::test {

class TempDir {
public:
    TempDir(); // a new, empty folder under the system's temporary folder
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Whole-file reads and writes; both throw std::runtime_error on failure.
std::vector<uint8_t> readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);

} // namespace vw::test
