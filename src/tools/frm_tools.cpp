#include "tools/frm_tools.h"

#include "tools/tool_frame.h"
#include "tools/tool_icons.h"
#include "views/pane.h"

#include <QAction>
#include <QActionGroup>
#include <QPointer>

namespace {

struct ButtonText {
    const char* key;
    const char* tooltip;
};

constexpr std::array<ButtonText, frmTools::buttonCount> buttonTexts{{
    {"Select", "Select (S)"},
    {"Move", "Move (V)"},
    {"Pan", "Pan (A)"},
    {"Zoom", "Zoom (Z)"},
    {"Scale", "Scale (C)"},
    {"Rotate", "Rotate (R)"},
}};

} // namespace

frmTools::frmTools(QWidget* parent) : QToolBar(parent), m_group(new QActionGroup(this)) {
    setObjectName("frmTools");
    setWindowTitle("Tools");
    setIconSize(QSize(32, 32));
    m_group->setExclusive(true);
    for (int position = 1; position <= buttonCount; ++position) {
        const ButtonText& text = buttonTexts[position - 1];
        QAction* action = addAction(vw::toolIcon(position), text.key);
        action->setObjectName(text.key);
        action->setToolTip(text.tooltip);
        action->setCheckable(true);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, position] { emit toolClicked(position); });
        m_buttons[position - 1] = action;
    }
}

QAction* frmTools::button(int position) const {
    if (position < 1 || position > buttonCount)
        return nullptr;
    return m_buttons[position - 1];
}

void frmTools::setButtonPressed(int position) {
    if (QAction* action = button(position))
        action->setChecked(true);
}

void frmTools::setButtonEnabled(int position, bool enabled) {
    if (QAction* action = button(position))
        action->setEnabled(enabled);
}

void frmTools::attach(vw::Pane& pane, vw::ToolFrame& frame, QObject* owner) {
    disconnect(m_clicks);
    m_clicks = connect(this, &frmTools::toolClicked, owner,
                       [&frame](int position) { frame.toolButtonClicked(position); });
    pane.paletteChanged = [palette = QPointer<frmTools>(this), &pane] {
        if (palette)
            palette->showState(pane);
    };
    showState(pane);
}

void frmTools::showState(const vw::Pane& pane) {
    for (int position = 1; position <= buttonCount; ++position)
        setButtonEnabled(position, pane.isToolEnabled(position));
    setButtonPressed(pane.pressedTool());
}
