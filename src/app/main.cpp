// The editor's entry: the main window, then the model named on the command line.

#include "app/frm_main.h"
#include "app/open_model.h"
#include "app/working_copy.h"
#include "dialogs/prompts.h"
#include "model/model.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vertwright"));

    vw::Model model;
    vw::QtPrompts prompts;
    frmMain window(model, vw::editorFolders(), prompts);
    prompts.setParentWindow(&window);
    window.show();
    // Modal: the command-line model opens once the splash has closed.
    window.showSplash();

    // The path may hold spaces; the shell split it, so the pieces are joined again.
    QStringList pieces = QApplication::arguments();
    pieces.removeFirst();
    const QString commandLine = pieces.join(u' ');
    if (!commandLine.isEmpty())
        vw::openModel(window, vw::stripQuotes(commandLine));

    return QApplication::exec();
}
