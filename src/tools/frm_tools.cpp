#include "tools/frm_tools.h"

#include "tools/tool_frame.h"
#include "tools/tool_icons.h"
#include "views/pane.h"

#include <QAction>
#include <QActionGroup>

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
    detach();
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
    detach();
    m_clicks = connect(this, &frmTools::toolClicked, owner,
                       [&frame](int position) { frame.toolButtonClicked(position); });
    m_state = connect(&pane, &vw::Pane::paletteChanged, this, [this, &pane] { showState(pane); });
    showState(pane);
}

void frmTools::detach() {
    disconnect(m_clicks);
    disconnect(m_state);
    for (QAction* button : m_buttons)
        button->setEnabled(false);
}

void frmTools::showState(const vw::Pane& pane) {
    for (int position = 1; position <= buttonCount; ++position)
        setButtonEnabled(position, pane.isToolEnabled(position));
    setButtonPressed(pane.pressedTool());
}
