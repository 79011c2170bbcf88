#include "scratch_dir.h"

#include "model/files/file_io.h"

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

namespace vw {

namespace {

// Scratch folders are named "vertwright-cli-<pid>-<suffix>", so that a later run can tell the
// ones a killed run left behind.
constexpr std::string_view kPrefix = "vertwright-cli-";

// The process id in a scratch folder's name; 0 when the name is not one.
long ownerOf(std::string_view name) {
    if (!name.starts_with(kPrefix))
        return 0;
    name.remove_prefix(kPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc{} && end != name.data() && *end == '-' ? pid : 0;
}

} // namespace

ScratchDir::ScratchDir() {
    m_path = platform::makePrivateFolder(std::string(kPrefix) +
                                         std::to_string(platform::processId()) + "-");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void ScratchDir::removeStale() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const long pid = ownerOf(it->path().filename().string());
        std::error_code ignored;
        if (pid > 0 && pid != platform::processId() && !platform::isProcessRunning(pid) &&
            it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::remove_all(it->path(), ignored);
    }
}

} // namespace vw
