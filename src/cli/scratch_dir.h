#pragma once
// A private temporary folder for one run of the tool, removed with everything in it at the end,
// named with the run's process id.

#include <filesystem>

namespace vw {

class ScratchDir {
public:
    // The names of the files a run puts in its folder.
    static constexpr const char* kWorkingCopyName = "current.tmp";
    static constexpr const char* kCheckCopyName = "check.ebo";

    // Throws std::runtime_error, its text the reason, when no folder can be made.
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Removes the scratch folders of runs that were killed: those whose process is gone and that
    // hold nothing but what a run puts there.
    static void removeStale();

private:
    std::filesystem::path m_path;
};

} // namespace vw
