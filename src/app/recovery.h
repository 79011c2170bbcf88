#pragma once
// The start-up's offer of the unsaved edits that a crashed or killed editor left in its journal.

#include <cstdint>
#include <filesystem>

class frmMain;

namespace vw {

// Offers the journals in folder whose editors no longer run, newest first: "Recover the unsaved
// edits to <model> made until <time>?" Yes opens the model and writes the edits back as one
// unsaved, undoable step, and no later journal is offered; No discards the journal. A journal
// whose model changed on disk since is not applied: the user is told why and chooses whether to
// discard it; one that cannot be read is discarded, and the user told. Returns whether a model
// was opened with recovered edits.
bool offerRecovery(frmMain& window, const std::filesystem::path& folder, int64_t ownPid);

} // namespace vw
