#pragma once
// Write permission means nothing to root, so permission tests run their action as "nobody".

#include <filesystem>
#include <functional>

namespace vw::test {

// Runs action and returns its result. When the tests run as root, the action runs in a child
// process as the user and group "nobody", after tree has been given to that user (its modes
// kept); otherwise it simply runs here.
bool asUnprivilegedUser(const std::filesystem::path& tree, const std::function<bool()>& action);

} // namespace vw::test
