#include "scratch_dir.h"

#include "model/file_io.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

namespace vw {

namespace {

// Scratch folders are named "vertwright-cli-<pid>-XXXXXX", so that a later run can tell the
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
    // mkdtemp makes the folder with a fresh name, readable by its owner only.
    std::string pattern = (std::filesystem::temp_directory_path() /
                           (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX"))
                              .string();
    if (!mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("cannot make a temporary folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    m_path = pattern;
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
        const long pid = ownerOf(it->path().filename().native());
        std::error_code ignored;
        if (pid > 0 && pid != ::getpid() && !isProcessRunning(pid) && it->is_directory(ignored) &&
            !it->is_symlink(ignored))
            std::filesystem::remove_all(it->path(), ignored);
    }
}

} // namespace vw
