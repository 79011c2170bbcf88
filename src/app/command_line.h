#pragma once
// The editor's command line: --help, --version, --companions DIR and the model path.

#include <QString>
#include <QStringList>

namespace vw {

struct EditorCommandLine {
    QString modelPath;  // the joined positional arguments, quotes stripped; empty for none
    QString companions; // --companions DIR; empty when not given
    bool help = false;
    bool version = false;
    QString error; // what is wrong with the command line; empty when nothing
};

// Parses arguments as QCoreApplication::arguments() gives them, the program first. The model
// path is the one positional argument; a path the shell split at its spaces is joined again.
EditorCommandLine parseCommandLine(const QStringList& arguments);

// The usage and the options, for --help.
QString commandLineHelp();

// "vertwright " and the version, for --version.
QString versionText();

} // namespace vw
