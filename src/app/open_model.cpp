#include "app/open_model.h"

#include "app/companion_folder.h"
#include "app/frm_loading.h"
#include "app/frm_main.h"
#include "app/frm_panes.h"
#include "model/ebo/ebo_loader.h"
#include "panels/frm_parts.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>

namespace vw {

QString stripQuotes(const QString& text) {
    const QChar quote(u'"');
    QString rest = text;
    if (rest.contains(quote))
        rest.remove(0, 1);
    if (rest.contains(quote))
        rest.chop(1);
    return rest;
}

void openModel(frmMain& main, const QString& path) {
    frmLoading loading(&main);
    loading.show();
    // Painted now, so the message is on screen while the load runs.
    loading.repaint();

    const LoadOutcome outcome =
        loadModel(main.model(), QFile::encodeName(path).toStdString(), main.folders());
    if (outcome.result != kLoadFailed) {
        main.document().modelReplaced();
        main.statusPanel()->clear();
        main.parts()->LoadList();
        main.showPanes()->Init_Ebo();
        main.setModelCommandsEnabled(true);
        main.addRecentFile(path);
    } else {
        loading.hide();
        QString details = QString::fromStdString(outcome.reason);
        const QString help = companionHelpText(path, main.folders().programDir);
        if (!help.isEmpty())
            details += QStringLiteral("\n\n") + help;
        main.prompts().message(QStringLiteral("Unable to open file"), QStringLiteral("Error"),
                               PromptIcon::Error, PromptButtons::Ok, details);
    }

    // Input waits until the loading window is gone, so no command starts inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    loading.close();
}

} // namespace vw
