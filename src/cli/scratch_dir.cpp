#include "scratch_dir.h"

#include "model/files/background_removal.h"
#include "model/files/file_io.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vw {

namespace {

// Scratch folders are named "vertwright-cli-<pid>-<suffix>", so that a later run can tell the
// ones a killed run left behind.
constexpr std::string_view kPrefix = "vertwright-cli-";

// The process id in a scratch folder's name; 0 when the name is not exactly one.
long ownerOf(std::string_view name) {
    if (!name.starts_with(kPrefix))
        return 0;
    name.remove_prefix(kPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc{} || end == name.data() || name.front() == '0' || pid <= 0 ||
        end == name.data() + name.size() || *end != '-')
        return 0;
    const std::string_view suffix(end + 1, name.data() + name.size());
    const bool isSuffix =
        suffix.size() == platform::kPrivateFolderSuffixLength &&
        std::all_of(suffix.begin(), suffix.end(), [](char c) { return std::isalnum(uint8_t(c)); });
    return isSuffix ? pid : 0;
}

// What a run puts in its scratch folder: the working copy, the copy a check saves, and the
// temporary files of their replacement.
bool isScratchFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    const std::string name = entry.path().filename().string();
    return entry.is_regular_file(error) && !entry.is_symlink(error) &&
           (name == ScratchDir::kWorkingCopyName || name == ScratchDir::kCheckCopyName ||
            isTemporaryName(name));
}

// Removes a killed run's folder, but only when it holds nothing but what a run puts there.
void removeLeftFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (!isScratchFile(*it))
            return;
        files.push_back(it->path());
    }
    if (error)
        return;
    for (const std::filesystem::path& file : files)
        std::filesystem::remove(file, error);
    std::filesystem::remove(folder, error);
}

} // namespace

ScratchDir::ScratchDir() {
    const std::string prefix = std::string(kPrefix) + std::to_string(platform::processId()) + "-";
    if (Result made = platform::makePrivateFolder(prefix, m_path); !made)
        throw std::runtime_error(made.reason());
}

ScratchDir::~ScratchDir() {
    // The files this run replaced in the folder may still be on their way out.
    waitForRemovals();
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void ScratchDir::removeStale() {
    std::filesystem::path folder;
    if (!platform::temporaryFolder(folder))
        return;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const long pid = ownerOf(it->path().filename().string());
        std::error_code ignored;
        if (pid > 0 && pid != platform::processId() && !platform::isProcessRunning(pid) &&
            it->is_directory(ignored) && !it->is_symlink(ignored))
            removeLeftFolder(it->path());
    }
}

} // namespace vw
