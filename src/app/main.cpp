// The editor's entry: the main window, then the model named on the command line.

#include "app/frm_main.h"
#include "app/open_model.h"
#include "app/prompts.h"
#include "app/working_copy.h"
#include "model/model.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vertwright"));

    const vw::WorkingCopyClaim workingCopy(vw::editorWorkingCopyFolder());
    vw::Model model;
    vw::QtPrompts prompts;
    frmMain window(model, vw::editorFolders(workingCopy), prompts);
    prompts.setParentWindow(&window);
    // Modal: the main window appears, and the command-line model opens, once it has closed.
    window.showSplash();
    window.show();

    // The path may hold spaces; the shell split it, so the pieces are joined again.
    QStringList pieces = QApplication::arguments();
    pieces.removeFirst();
    const QString commandLine = pieces.join(u' ');
    if (!commandLine.isEmpty())
        vw::openModel(window, vw::stripQuotes(commandLine));

    return QApplication::exec();
}
