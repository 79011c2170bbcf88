#pragma once
// Where the editor keeps its working copy and finds the delta layout's companion files.

#include "model/ebo/ebo_loader.h"

#include <QString>

#include <memory>

class QLockFile;

namespace vw {

// The folder for "current.tmp": programDir when a file can be created there, otherwise
// fallbackDir (created when missing).
QString workingCopyFolder(const QString& programDir, const QString& fallbackDir);

// The working copy one running editor may use in a folder. The first editor takes
// "current.tmp", locked for as long as it runs; an editor started while another holds it takes
// "current-<process id>.tmp" beside it. Either is removed when the editor ends. Copies of that kind
// left by editors that crashed are removed, and a lock left by one is taken over.
class WorkingCopyClaim {
public:
    explicit WorkingCopyClaim(const QString& folder);
    ~WorkingCopyClaim();
    WorkingCopyClaim(const WorkingCopyClaim&) = delete;
    WorkingCopyClaim& operator=(const WorkingCopyClaim&) = delete;

    QString path() const { return m_path; }
    bool isShared() const { return !m_ownName; } // the designed "current.tmp"

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
    bool m_ownName = false;
};

// The editor's folders: companion files in the program's folder, and the working copy the
// claim names.
ModelFolders editorFolders(const WorkingCopyClaim& claim);

// The folder for the working copy: the program's folder, or the user's application-data
// folder when the program's folder is not writable.
QString editorWorkingCopyFolder();

} // namespace vw
