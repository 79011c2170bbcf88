#pragma once
// The names of the files a replacement makes beside its target: temporaries and backups. Only
// the file access uses them; the rest of the program sees isTemporaryName and setNameDraw.

#include "model/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vw {

inline constexpr std::string_view kTemporarySuffix = ".tmp";
inline constexpr std::string_view kBackupSuffix = ".bak";

// A 64-bit number as a name carries it: exactly 16 lowercase hex digits.
std::string hexDigits(uint64_t value);

// A name beside target that no file has: a file there is someone else's, never to be written
// or removed. tail, when given, follows the random digits after a '-'. Empty when every name
// drawn was taken. A name that cannot be looked at is given as it is, for its creation to fail
// with the reason.
std::filesystem::path freshNameBeside(const std::filesystem::path& target, std::string_view suffix,
                                      std::string_view tail = {});

// The refusal of a replacement that found no free name beside target.
Result noFreeName(const std::filesystem::path& target);

// What a backup's name records of the content its save was writing.
struct WrittenContent {
    uint64_t size = 0;
    uint64_t hash = 0;
    bool operator==(const WrittenContent&) const = default;
};

// What a name made by freshNameBeside tells: the process id, and for a backup the inode digits
// of the file it backs up and, where the name records it, what its save was writing.
struct BesideName {
    long pid = 0;
    uint64_t inode = 0;
    std::optional<WrittenContent> writing;
};

// The folder that file is in, "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& file);

// True for what a file found beside a target must be to be taken for one of these: a regular
// file, not a symbolic link.
bool isPlainFile(const std::filesystem::directory_entry& entry);

// No value when name is not exactly one that freshNameBeside makes with this suffix: a
// temporary's ".vw<pid>-<8 hex>.tmp", a backup's ".vw<pid>-<8 hex>-<16 hex>.bak", or one
// ".vw<pid>-<8 hex>-<16 hex>-<16 hex>-<16 hex>.bak" that also records the size and the hash.
std::optional<BesideName> parseBesideName(std::string_view name, std::string_view suffix);

} // namespace vw
