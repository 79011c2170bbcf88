#pragma once
// The tool palette: six checkable buttons in one exclusive group, one per mouse tool. A
// button's position (1 to 6) is its tool's code.

#include <QToolBar>

#include <array>

class QAction;
class QActionGroup;

namespace vw {
class Pane;
class ToolFrame;
} // namespace vw

class frmTools : public QToolBar {
    Q_OBJECT
public:
    static constexpr int buttonCount = 6;

    explicit frmTools(QWidget* parent = nullptr);

    // Show the button at position (1 to 6) pressed and the others released; other positions are
    // ignored. Works on a disabled button too, as a tool letter chooses its tool regardless.
    void setButtonPressed(int position);
    void setButtonEnabled(int position, bool enabled);
    // The button at position 1 to 6, or nullptr.
    QAction* button(int position) const;

    // From now on shows the pane's palette state (enabled buttons, the pressed one) and hands
    // button clicks to frame, until owner, the pane's window, is destroyed or detach is called.
    void attach(vw::Pane& pane, vw::ToolFrame& frame, QObject* owner);
    // No model is shown: every button is disabled.
    void detach();
    void showState(const vw::Pane& pane);

signals:
    // The user clicked the button at position (1 to 6), also when it was already pressed.
    void toolClicked(int position);

private:
    QActionGroup* m_group;
    QMetaObject::Connection m_clicks;
    QMetaObject::Connection m_state;
    std::array<QAction*, buttonCount> m_buttons{};
};
