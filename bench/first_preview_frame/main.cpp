// Opens a model as the editor does, shows the Preview and exits once its first frame is on the
// screen: the editor's side of the first-Preview-frame benchmark, run as a whole process beside
// another viewer. Usage: first_preview_frame MODEL WORKING-FOLDER; exits 0 after the frame, 1
// when the model does not open or the Preview cannot draw.

#include "app/frm_main.h"
#include "app/frm_panes.h"
#include "app/open_model.h"
#include "dialogs/prompts.h"
#include "preview/preview_panel.h"
#include "preview/preview_view.h"
#include "views/pane.h"

#include <QApplication>
#include <QTabBar>

#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    if (argc != 3)
        return 2;
    QApplication app(argc, argv);
    const std::filesystem::path folder = argv[2];
    vw::ModelFolders folders{folder, folder / "current.tmp"};
    vw::Model model;
    vw::QtPrompts prompts;
    frmMain window(model, folders, prompts);
    window.resize(1600, 1000);
    window.show();
    vw::openModel(window, QString::fromLocal8Bit(argv[1]));
    frmPanes* panes = window.panes();
    PreviewView* view = panes != nullptr ? panes->preview->view() : nullptr;
    if (view == nullptr) {
        std::fprintf(stderr, "first_preview_frame: no model or no Preview\n");
        return 1;
    }
    QObject::connect(view, &QOpenGLWidget::frameSwapped, &app, [] { QApplication::exit(0); });
    panes->tabAxes->setCurrentIndex(vw::kTabPreview - 1);
    return QApplication::exec();
}
