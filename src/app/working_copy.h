#pragma once
// Where the editor keeps its working copy and finds the delta layout's companion files.

#include "model/ebo_loader.h"

#include <QString>

namespace vw {

// The folder for "current.tmp": programDir when a file can be created there, otherwise
// fallbackDir (created when missing).
QString workingCopyFolder(const QString& programDir, const QString& fallbackDir);

// The editor's folders: companion files in the program's folder, the working copy
// "current.tmp" beside them or, when that folder is not writable, in the user's
// application-data folder.
ModelFolders editorFolders();

} // namespace vw
