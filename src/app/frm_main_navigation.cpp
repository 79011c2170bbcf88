// The main window's View and Select menus, Edit > Transform, and the status bar's panels beside
// the angle: what the user needs to find their way about the model.

#include "app/frm_main.h"

#include "model/editing/exact_transform.h"
#include "model/editing/limits/edit_limits.h"
#include "model/vertex_fields.h"
#include "tools/angle_text.h"
#include "tools/selection.h"
#include "tools/view_navigation.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QStatusBar>

#include <cmath>
#include <numbers>

namespace {

const char* const kAxisNames[] = {"x", "y", "z", "u", "v"};

QString axisName(int axis) {
    return QString::fromLatin1(axis >= 0 && axis < 5 ? kAxisNames[axis] : "?");
}

// Readouts as the sheet shows its values: the shortest text of the float.
QString number(double value) {
    return vw::floatText(static_cast<float>(value));
}

} // namespace

QAction* frmMain::action(const QString& caption) const {
    for (QAction* menu : menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text() == caption)
                return item;
    return nullptr;
}

void frmMain::createNavigationMenus() {
    auto addCommand = [this](QMenu* menu, const QString& caption,
                             std::optional<vw::KeyCommand> keys, auto run) {
        QAction* command = menu->addAction(caption);
        if (keys)
            bindKeys(command, *keys);
        connect(command, &QAction::triggered, this, [this, run] {
            if (m_panes)
                run(m_panes->pane());
        });
        m_paneCommands.append(command);
    };
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    addCommand(view, QStringLiteral("Fit Model"), vw::KeyCommand::FitModel,
               [this](vw::Pane&) { m_panes->fitModel(); });
    addCommand(view, QStringLiteral("Fit Selection"), vw::KeyCommand::FitSelection,
               [this](vw::Pane&) { m_panes->fitSelection(); });
    addCommand(view, QStringLiteral("Reset View"), std::nullopt, vw::resetCurrentView);
    createModellingAids(view);

    QMenu* select = menuBar()->addMenu(QStringLiteral("&Select"));
    addCommand(select, QStringLiteral("Select &All"), vw::KeyCommand::SelectAll, vw::selectAll);
    addCommand(select, QStringLiteral("Select &None"), vw::KeyCommand::SelectNone, vw::selectNone);
    addCommand(select, QStringLiteral("&Invert Selection"), vw::KeyCommand::InvertSelection,
               vw::invertSelection);
    addCommand(select, QStringLiteral("Select &Coincident"), vw::KeyCommand::SelectCoincident,
               [](vw::Pane& pane) { vw::selectCoincident(pane); });
    select->addSeparator();
    addCommand(select, QStringLiteral("Select &Linked"), vw::KeyCommand::SelectLinked,
               vw::selectLinkedVertices);
    addCommand(select, QStringLiteral("Select Linked Under &Pointer"),
               vw::KeyCommand::SelectLinkedUnderPointer, vw::selectLinkedAtPointer);
    addCommand(select, QStringLiteral("&Grow Selection"), vw::KeyCommand::GrowSelection,
               vw::growSelectedVertices);
    addCommand(select, QStringLiteral("&Shrink Selection"), vw::KeyCommand::ShrinkSelection,
               vw::shrinkSelectedVertices);
}

void frmMain::createStatusPanels() {
    for (QLabel** panel :
         {&m_degreesPanel, &m_positionPanel, &m_selectionPanel, &m_zoomPanel, &m_linkPanel}) {
        *panel = new QLabel(this);
        statusBar()->addPermanentWidget(*panel);
    }
}

void frmMain::showRotateStatus(const QString& text) {
    m_statusPanel->setText(text);
    const bool turning = m_panes && m_panes->pane().isOnRotater;
    m_degreesPanel->setText(turning ? number(m_panes->pane().rotAngle * 180 / std::numbers::pi) +
                                          QChar(0x00B0)
                                    : QString());
}

void frmMain::showPointer(int axisH, float h, int axisV, float v) {
    m_positionPanel->setText(
        QStringLiteral("%1 %2  %3 %4").arg(axisName(axisH), number(h), axisName(axisV), number(v)));
}

void frmMain::showSelectionCount() {
    if (!m_panes) {
        m_selectionPanel->clear();
        return;
    }
    const vw::SelectionSummary& summary = m_document.selectionSummary();
    const size_t selected = summary.selected;
    const auto& firstTwo = summary.firstTwo;
    const auto& low = summary.low;
    const auto& high = summary.high;
    QString text = QStringLiteral("%1 of %2 selected").arg(selected).arg(summary.total);
    if (const size_t hidden = m_session.hidden().count(); hidden > 0)
        text += QStringLiteral(", %1 hidden").arg(hidden);
    // Two vertices are measured apart, more by the box around them, in the sheet's units.
    if (selected == 2) {
        const double dx = double(firstTwo[1]->x) - firstTwo[0]->x;
        const double dy = double(firstTwo[1]->y) - firstTwo[0]->y;
        const double dz = double(firstTwo[1]->z) - firstTwo[0]->z;
        text += QStringLiteral("  distance %1 (dx %2, dy %3, dz %4)")
                    .arg(number(std::sqrt(dx * dx + dy * dy + dz * dz)), number(dx), number(dy),
                         number(dz));
    } else if (selected > 2) {
        text +=
            QStringLiteral("  box %1 x %2 x %3")
                .arg(number(high[0] - low[0]), number(high[1] - low[1]), number(high[2] - low[2]));
    }
    m_selectionPanel->setText(text);
}

void frmMain::showViewState() {
    if (!m_panes || m_panes->pane().selectedTab() > vw::kTabUV) {
        m_zoomPanel->clear();
        // The Preview has no plane under the pointer.
        m_positionPanel->clear();
        return;
    }
    vw::Pane& pane = m_panes->pane();
    // In percent of the tab's start view: zoom 100 on the planes, the texture square over two
    // thirds of the height on the UV tab.
    const double start = pane.selectedTab() == vw::kTabUV ? pane.surfaceHeight() * 2.0 / 3 : 100.0;
    QString text = QStringLiteral("Zoom %1%").arg(qRound64(pane.currentView().zoom / start * 100));
    if (pane.gridShown())
        text += QStringLiteral("  Grid %1").arg(number(pane.gridSpacing()));
    if (!vw::workingDataInView(pane))
        text += QStringLiteral("  Home: fit model");
    m_zoomPanel->setText(text);
}

void frmMain::mnuEditTransform_Click() {
    if (!m_panes)
        return;
    // Asked before the dialog, so the user does not type a transform that cannot be kept.
    if (const vw::Result editable = vw::checkEditable(m_model, vw::kPositionFields); !editable) {
        m_document.refuse(editable.reason());
        return;
    }
    std::optional<vw::ExactTransform> transform = m_prompts.askTransform();
    if (!transform)
        return;
    if (!transform->aboutOrigin)
        transform->centre = m_session.pivotPoint();
    (void)m_session.shown(m_session.edit(
        vw::stepLabel(transform->kind), vw::kPositionFields,
        [&](std::vector<vw::Segment>& data) { vw::transformSelected(data, *transform); },
        vw::AidUse::MirrorOnly));
}
