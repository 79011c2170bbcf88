#pragma once
// A private temporary folder for one run of the tool, removed with everything in it at the end,
// named with the run's process id.

#include <filesystem>

namespace vw {

class ScratchDir {
public:
    // Throws std::filesystem::filesystem_error when no folder can be made.
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Removes the scratch folders of runs that were killed: those whose process is gone.
    static void removeStale();

private:
    std::filesystem::path m_path;
};

} // namespace vw
