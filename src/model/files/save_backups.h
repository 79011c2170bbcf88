#pragma once
// The backups that replaceFile makes before writing a file in place, and their removal once a
// later save supersedes them. What a program may offer back is in file_io.h
// (interruptedSaveBackups).

#include "model/files/beside_names.h"
#include "model/files/file_io.h"
#include "model/result.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vw {

// The size and hash of file's content.
Result writtenContentOf(const std::filesystem::path& file, WrittenContent& content);

// Copies real, whose inode is given, to a fresh backup beside it whose name records writing,
// the content about to be written in real's place. The copy is made under a temporary name and
// renamed once whole and on the disk, so a backup found later is always a complete copy.
Result makeBackup(const std::filesystem::path& real, uint64_t inode, const WrittenContent& writing,
                  std::filesystem::path& backup);

// Removes the backups of the file whose inode was inode, beside real, that processes now gone
// left and that belong to real's owner or to this user: a save of real just completed, so none
// of them holds its newest content. Backups of running processes and anyone else's stay.
void removeSupersededBackups(const std::filesystem::path& real, uint64_t inode);

// interruptedSaveBackups for the file itself, not a symbolic link to it.
std::vector<SaveBackup> backupsOf(const std::filesystem::path& real);

} // namespace vw
