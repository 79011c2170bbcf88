#pragma once
// Catches a process in the act: runs an action in a child process and stops the child each time
// a file appears in a folder, so a test sees the file as the child made it, or kills it there.

#include <filesystem>
#include <functional>
#include <string>

#include <sys/types.h>

namespace vw::test {

// Runs action in a child process. Whenever a file is created in folder or renamed into it,
// onFile gets its name and the child's id while the child is stopped; it returns false to kill
// the child. Returns true when the child ran to its end.
bool runWatchingFolder(const std::filesystem::path& folder, const std::function<void()>& action,
                       const std::function<bool(const std::string& name, pid_t child)>& onFile);

} // namespace vw::test
