// The main window's modelling aids: the grid, snapping and hiding, all off until the user turns
// them on.

#include "app/frm_main.h"

#include "tools/selection.h"

#include <QAction>
#include <QMenu>

namespace {

const QString kGridKey = QStringLiteral("viewGrid");

} // namespace

void frmMain::createModellingAids(QMenu* view) {
    view->addSeparator();
    auto addToggle = [this, view](const QString& caption) {
        QAction* toggle = view->addAction(caption);
        toggle->setCheckable(true);
        connect(toggle, &QAction::toggled, this, &frmMain::applyModellingAids);
        return toggle;
    };
    m_mnuViewGrid = addToggle(QStringLiteral("&Grid"));
    connect(m_mnuViewGrid, &QAction::toggled, this, [this](bool shown) {
        if (m_settings)
            m_settings->setText(kGridKey, shown ? QStringLiteral("1") : QStringLiteral("0"));
    });
    m_mnuViewSnap = addToggle(QStringLiteral("S&nap"));
    m_mnuViewSnapToVertex = addToggle(QStringLiteral("Snap to &Vertex"));

    view->addSeparator();
    auto addCommand = [this, view](const QString& caption, vw::KeyCommand keys,
                                   void (*run)(vw::Pane&)) {
        QAction* command = view->addAction(caption);
        bindKeys(command, keys);
        connect(command, &QAction::triggered, this, [this, run] {
            if (m_panes)
                run(m_panes->pane());
        });
        m_paneCommands.append(command);
    };
    addCommand(QStringLiteral("&Hide Selected"), vw::KeyCommand::HideSelected, vw::hideSelected);
    addCommand(QStringLiteral("Hide &Unselected"), vw::KeyCommand::HideUnselected,
               vw::hideUnselected);
    addCommand(QStringLiteral("Show Hi&dden"), vw::KeyCommand::ShowHidden, vw::showHidden);
}

void frmMain::applyModellingAids() {
    m_session.setSnap({m_mnuViewSnap->isChecked(), m_mnuViewSnapToVertex->isChecked()});
    if (!m_panes)
        return;
    m_panes->pane().setGridShown(m_mnuViewGrid->isChecked());
    showViewState();
}

void frmMain::restoreModellingAids() {
    if (m_settings)
        m_mnuViewGrid->setChecked(m_settings->text(kGridKey) == QStringLiteral("1"));
}
