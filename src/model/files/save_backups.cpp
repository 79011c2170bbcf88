#include "model/files/save_backups.h"

#include "model/files/content_hash.h"
#include "model/files/file_io.h"

#include <functional>
#include <system_error>

namespace vw {

namespace {

// Calls found for each backup beside real of the file whose inode is given that a process now
// gone left behind.
void forEachLeftBackup(
    const std::filesystem::path& real, uint64_t inode,
    const std::function<void(const std::filesystem::path&, const BesideName&)>& found) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folderOf(real), error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const auto parsed = parseBesideName(it->path().filename().string(), kBackupSuffix);
        if (parsed && parsed->inode == inode && !platform::isProcessRunning(parsed->pid) &&
            isPlainFile(*it))
            found(it->path(), *parsed);
    }
}

// True when file holds exactly the content recorded; the size is looked at before the bytes.
bool holds(const std::filesystem::path& file, const WrittenContent& recorded) {
    FileStamp stamp;
    WrittenContent content;
    return stampOf(file, stamp) && static_cast<uint64_t>(stamp.size) == recorded.size &&
           writtenContentOf(file, content) && content == recorded;
}

// Only a file with more than one name is written in place, so only such a file can have been
// left incomplete; and a backup that anyone but its owner or this user made could hold anything.
std::string whyLeftAlone(const std::filesystem::path& real, const std::filesystem::path& backup,
                         const BesideName& name) {
    if (!platform::isOwnedByOwnerOfOrUser(backup, real))
        return "it belongs to another user";
    std::error_code error;
    const uintmax_t links = std::filesystem::hard_link_count(real, error);
    if (error || links < 2)
        return "the file has a single name, and only a file with more is written in place";
    if (name.writing && holds(real, *name.writing))
        return "the save that made it completed";
    return {};
}

} // namespace

Result writtenContentOf(const std::filesystem::path& file, WrittenContent& content) {
    FileBytes bytes;
    if (Result read = mapSharedFile(file, bytes); !read)
        return read;
    if (wasCutShort(bytes))
        return Result::failure("it changed while being read");
    content = {bytes.size, contentHash(bytes.bytes())};
    return {};
}

Result makeBackup(const std::filesystem::path& real, uint64_t inode, const WrittenContent& writing,
                  std::filesystem::path& backup) {
    backup = freshNameBeside(real, kBackupSuffix,
                             hexDigits(inode) + '-' + hexDigits(writing.size) + '-' +
                                 hexDigits(writing.hash));
    const std::filesystem::path partial = freshNameBeside(real, kTemporarySuffix);
    if (backup.empty() || partial.empty())
        return noFreeName(real);
    Result made = copyToNewFile(real, partial);
    if (made) {
        made = platform::flushToDisk(partial);
        if (!made)
            made = Result::failure("cannot write " + quotedPath(partial) + ": " + made.reason());
    }
    std::error_code error;
    if (made) {
        std::filesystem::rename(partial, backup, error);
        if (error)
            made = Result::failure("cannot write " + quotedPath(backup) + ": " + error.message());
    }
    if (!made)
        std::filesystem::remove(partial, error);
    return made;
}

void removeSupersededBackups(const std::filesystem::path& real, uint64_t inode) {
    forEachLeftBackup(real, inode, [&](const std::filesystem::path& backup, const BesideName&) {
        std::error_code ignored;
        if (platform::isOwnedByOwnerOfOrUser(backup, real))
            std::filesystem::remove(backup, ignored);
    });
}

std::vector<SaveBackup> backupsOf(const std::filesystem::path& real) {
    std::vector<SaveBackup> backups;
    FileStamp stamp;
    if (!stampOf(real, stamp) || stamp.inode == 0)
        return backups;
    forEachLeftBackup(real, stamp.inode,
                      [&](const std::filesystem::path& backup, const BesideName& name) {
                          backups.push_back({backup, whyLeftAlone(real, backup, name)});
                      });
    return backups;
}

} // namespace vw
