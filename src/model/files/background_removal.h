#pragma once
// Removing files off the caller's thread. Dropping the last name of a large file frees its pages
// and its blocks, which takes long enough (25 ms for 67 MB here) to hold up a save that has
// already put its new file in place.

#include <filesystem>

namespace vw {

// Removes file on the one thread that removes files, after those asked for before it; here at
// once when that thread cannot start, or once the process is ending. Every removal is done before
// the process ends.
void removeInBackground(std::filesystem::path file);

// Returns once every removal asked for before is done.
void waitForRemovals();

} // namespace vw
