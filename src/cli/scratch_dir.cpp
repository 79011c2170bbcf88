#include "scratch_dir.h"

#include "model/platform_io.h"

#include <system_error>

namespace vw {

ScratchDir::ScratchDir() {
    m_path = platform::makePrivateFolder("vertwright-cli-");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace vw
