#include "model/files/beside_names.h"

#include "model/files/file_io.h"

#include <charconv>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

namespace vw {

namespace {

// Files beside a target are named ".vw<pid>-<8 hex digits>.tmp": short, so that any file name
// that can be opened can be saved, and naming the process that made them, so that a later run can
// tell which ones a killed process left behind. A backup made before writing a file in place
// also names the file's inode, so that the next open of that file finds it, and the size and
// hash of what its save was writing, so that the next open can tell whether that save got
// through.
constexpr std::string_view kTemporaryPrefix = ".vw";
constexpr size_t kRandomDigits = 8;
constexpr size_t kNumberDigits = 16;

// Enough that only a folder filled on purpose runs out of fresh names.
constexpr int kNameAttempts = 64;

uint32_t drawFromSystem() {
    std::random_device entropy;
    return entropy();
}

NameDraw& nameDraw() {
    static NameDraw draw = drawFromSystem;
    return draw;
}

std::filesystem::path nameBeside(const std::filesystem::path& target, std::string_view suffix,
                                 std::string_view tail) {
    char name[128];
    std::snprintf(name, sizeof name, "%.*s%ld-%08x%s%.*s%.*s", int(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), platform::processId(), unsigned{nameDraw()()},
                  tail.empty() ? "" : "-", int(tail.size()), tail.data(), int(suffix.size()),
                  suffix.data());
    return target.parent_path() / name;
}

bool isHexDigits(std::string_view text, size_t count) {
    return text.size() == count && text.find_first_not_of("0123456789abcdef") == text.npos;
}

// Takes "-<16 hex>" off the front of text into value; false when text does not start so.
bool takeNumber(std::string_view& text, uint64_t& value) {
    if (text.size() < 1 + kNumberDigits || text[0] != '-' ||
        !isHexDigits(text.substr(1, kNumberDigits), kNumberDigits))
        return false;
    std::from_chars(text.data() + 1, text.data() + 1 + kNumberDigits, value, 16);
    text.remove_prefix(1 + kNumberDigits);
    return true;
}

// The part of a backup's name after its random digits: the inode, then the record, if any.
bool parseBackupTail(std::string_view tail, BesideName& parsed) {
    if (!takeNumber(tail, parsed.inode))
        return false;
    if (tail.empty())
        return true;
    WrittenContent writing;
    if (!takeNumber(tail, writing.size) || !takeNumber(tail, writing.hash) || !tail.empty())
        return false;
    parsed.writing = writing;
    return true;
}

} // namespace

std::string hexDigits(uint64_t value) {
    char digits[kNumberDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

std::filesystem::path freshNameBeside(const std::filesystem::path& target, std::string_view suffix,
                                      std::string_view tail) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path name = nameBeside(target, suffix, tail);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, error)))
            return name;
    }
    return {};
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : ".";
}

bool isPlainFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) && !entry.is_symlink(error);
}

Result noFreeName(const std::filesystem::path& target) {
    return Result::failure("cannot write " + quotedPath(target) +
                           ": every name tried for a temporary file beside it is taken");
}

std::optional<BesideName> parseBesideName(std::string_view name, std::string_view suffix) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(suffix))
        return std::nullopt;
    name.remove_prefix(kTemporaryPrefix.size());
    name.remove_suffix(suffix.size());
    BesideName parsed;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), parsed.pid);
    if (error != std::errc{} || end == name.data() || name.front() == '0' || parsed.pid <= 0 ||
        end == name.data() + name.size() || *end != '-')
        return std::nullopt;
    name.remove_prefix(static_cast<size_t>(end - name.data()) + 1);
    if (name.size() < kRandomDigits || !isHexDigits(name.substr(0, kRandomDigits), kRandomDigits))
        return std::nullopt;
    name.remove_prefix(kRandomDigits);
    if (suffix == kBackupSuffix)
        return parseBackupTail(name, parsed) ? std::optional(parsed) : std::nullopt;
    return name.empty() ? std::optional(parsed) : std::nullopt;
}

NameDraw setNameDraw(NameDraw draw) {
    return std::exchange(nameDraw(), std::move(draw));
}

bool isTemporaryName(std::string_view name) {
    return parseBesideName(name, kTemporarySuffix).has_value();
}

} // namespace vw
