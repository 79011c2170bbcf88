#include "scratch_dir.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace vw {

ScratchDir::ScratchDir() {
    // mkdtemp makes the folder with a fresh name, readable by its owner only.
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vertwright-cli-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("cannot make a temporary folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    m_path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace vw
