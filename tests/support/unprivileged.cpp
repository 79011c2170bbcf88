#include "support/unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vw::test {

namespace {

constexpr uid_t kNobody = 65534;

bool giveTo(const std::filesystem::path& tree, uid_t user) {
    if (::lchown(tree.c_str(), user, user) != 0)
        return false;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree, error)) {
        if (::lchown(entry.path().c_str(), user, user) != 0)
            return false;
    }
    return !error;
}

} // namespace

bool asUnprivilegedUser(const std::filesystem::path& tree, const std::function<bool()>& action) {
    if (::geteuid() != 0)
        return action();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            giveTo(tree, kNobody) && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped && action() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vw::test
