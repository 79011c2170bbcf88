#pragma once
// Where the editor looks up a delta model's companion files, and what it says when they are
// missing.

#include "app/settings.h"

#include <QString>

#include <filesystem>
#include <functional>

class frmMain;

namespace vw {

// The folder's three sources, in the order they count: the --companions option of this run,
// the folder chosen under Options and kept in the settings, and the program's own folder,
// which keeps a portable copy working with its companion files beside it.
class CompanionFolder {
public:
    CompanionFolder(QString option, Settings& settings, QString programDir);

    QString folder() const;
    // Keeps chosen in the settings for this and later runs.
    void choose(const QString& chosen);

private:
    QString m_option;
    Settings& m_settings;
    QString m_programDir;
};

// Asks for a folder, starting at a given one; empty when cancelled.
using AskFolder = std::function<QString(const QString& start)>;

// Makes "Options" > "Companion Files &Folder..." ask for the folder, keep it and hand the
// folder now in effect to the main window for the next open.
void connectCompanionFolderCommand(frmMain& main, CompanionFolder& companions, AskFolder ask);

// For a delta model whose companion files are missing from folder: the files looked for, where,
// and how to choose the folder. Empty for any other model.
QString companionHelpText(const QString& modelPath, const std::filesystem::path& folder);

} // namespace vw
