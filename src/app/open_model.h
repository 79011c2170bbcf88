#pragma once
// The one road into a model, for the command line and File > Open.

#include <QString>

class frmMain;

namespace vw {

// Drops the first character when the text holds a double quote, then the last character
// when what remains still holds one.
QString stripQuotes(const QString& text);

// Loads the model at path while the loading window shows. On success the parts tree is
// rebuilt, the pane shown, titled and reset, saving enabled and the file watched; on failure
// (an exception of the loader included) the user is told "Unable to open file" and nothing else
// changes. A backup that an interrupted save of the file left is offered first, No the default;
// backups that cannot hold the file's newest content are only named in the notice.
void openModel(frmMain& main, const QString& path);

} // namespace vw
