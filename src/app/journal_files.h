#pragma once
// Where the editor keeps the journals of unsaved edits, and how it reads and writes them: one
// file per running editor, "journal-<process id>.vwj", private to the user, in the user's state
// folder and never beside the model.

#include "model/editing/history/journal.h"
#include "model/editing/history/journal_writer.h"
#include "model/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vw {

// $XDG_STATE_HOME/vertwright, else ~/.local/state/vertwright.
std::filesystem::path journalFolder();

std::filesystem::path journalPathFor(const std::filesystem::path& folder, int64_t pid);

// The journals in folder whose editors no longer run (this process counts as not running: an
// editor of the same id before it crashed), newest first.
std::vector<std::filesystem::path> leftJournals(const std::filesystem::path& folder,
                                                int64_t ownPid);

// Reads a journal file; fails with the reason, out unchanged, when it cannot be read or is no
// sound journal.
Result readJournalFile(const std::filesystem::path& file, Journal& out);

// The model file as it is now: size, modification time and a hash of its bytes.
Result identifyModelFile(const std::string& path, JournalModel& out);

// Why the journal's edits no longer fit its model file ("its size changed"), or none when the
// file is as the journal found it.
std::optional<std::string> modelChangedReason(const JournalModel& model);

// The journal kept in one file, written whole and atomically each time, readable by its owner
// only; its folder is made private to the owner when missing.
class FileJournalStore : public JournalStore {
public:
    explicit FileJournalStore(std::filesystem::path file) : m_file(std::move(file)) {}
    const std::filesystem::path& file() const { return m_file; }

    Result identify(const std::string& modelPath, JournalModel& model) override;
    void write(std::span<const uint8_t> journal) override;
    void remove() override;

private:
    std::filesystem::path m_file;
};

} // namespace vw
