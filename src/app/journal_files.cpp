#include "app/journal_files.h"

#include "model/files/file_io.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <regex>

namespace vw {

std::filesystem::path journalFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state)
        return std::filesystem::path(state) / "vertwright";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".local" / "state" / "vertwright";
}

std::filesystem::path journalPathFor(const std::filesystem::path& folder, int64_t pid) {
    return folder / ("journal-" + std::to_string(pid) + ".vwj");
}

std::vector<std::filesystem::path> leftJournals(const std::filesystem::path& folder,
                                                int64_t ownPid) {
    static const std::regex name(R"(journal-(\d{1,18})\.vwj)");
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::smatch match;
        const std::string file = entry.path().filename().string();
        if (!entry.is_regular_file(error) || !std::regex_match(file, match, name))
            continue;
        const int64_t pid = std::stoll(match[1].str());
        if (pid != ownPid && platform::isProcessRunning(long(pid)))
            continue;
        found.emplace_back(entry.last_write_time(error), entry.path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::filesystem::path> paths;
    for (auto& entry : found)
        paths.push_back(std::move(entry.second));
    return paths;
}

Result readJournalFile(const std::filesystem::path& file, Journal& out) {
    FileBytes bytes;
    if (Result read = readBytesOf(file, bytes); !read)
        return read;
    return decodeJournal(bytes.bytes(), out);
}

Result identifyModelFile(const std::string& path, JournalModel& out) {
    FileStamp stamp;
    if (Result stamped = stampOf(path, stamp); !stamped)
        return stamped;
    const FilePtr file(platform::openFile(path, "rb"));
    if (!file)
        return Result::failure(lastErrorText());
    uint64_t hash = kHashStart;
    std::array<uint8_t, 1 << 16> chunk;
    while (const size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get()))
        hash = hashBytes({chunk.data(), got}, hash);
    if (std::ferror(file.get()))
        return Result::failure(lastErrorText());
    out = {path, stamp.size, stamp.modifiedNs, hash};
    return {};
}

std::optional<std::string> modelChangedReason(const JournalModel& model) {
    JournalModel now;
    if (Result identified = identifyModelFile(model.path, now); !identified)
        return "it cannot be read: " + identified.reason();
    if (now.size != model.size)
        return std::string("its size changed since");
    if (now.modifiedNs != model.modifiedNs)
        return std::string("it was modified since");
    if (now.hash != model.hash)
        return std::string("its content changed since");
    return std::nullopt;
}

Result FileJournalStore::identify(const std::string& modelPath, JournalModel& model) {
    return identifyModelFile(modelPath, model);
}

// A journal that cannot be written leaves the edits as unprotected as before; the editor goes
// on, as it would without a journal.
void FileJournalStore::write(std::span<const uint8_t> journal) {
    std::error_code error;
    const std::filesystem::path folder = m_file.parent_path();
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    (void)replaceFile(
        m_file,
        [&](const std::filesystem::path& temporary) {
            FilePtr out(platform::openFile(temporary, "wb"));
            if (!out)
                return Result::failure(lastErrorText());
            // Private before a byte of the edits is in it.
            std::error_code denied;
            std::filesystem::permissions(
                temporary, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                denied);
            if (denied)
                return Result::failure(denied.message());
            if (std::fwrite(journal.data(), 1, journal.size(), out.get()) != journal.size())
                return Result::failure(lastErrorText());
            return std::fclose(out.release()) == 0 ? Result() : Result::failure(lastErrorText());
        },
        ReplaceMode::kScratch);
}

void FileJournalStore::remove() {
    std::error_code error;
    std::filesystem::remove(m_file, error);
}

} // namespace vw
