#include "support/workspace.h"

namespace vw::test {

Workspace::Workspace() : folders{dir / "program", dir / "program" / "current.tmp"} {
    std::filesystem::create_directories(folders.programDir);
    std::filesystem::create_directories(dir / "models");
}

std::string Workspace::put(const BuiltEbo& built, const std::string& name) const {
    const std::filesystem::path file = dir / "models" / name;
    writeEbo(built, file, folders.programDir);
    return file.string();
}

} // namespace vw::test
