#include "dialogs/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace vw {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

// While a model opens no window may be active (the loading window just went), so the main
// window is named rather than found.
QWidget* QtPrompts::parentWindow() const {
    return m_parentWindow ? m_parentWindow.data() : QApplication::activeWindow();
}

PromptAnswer QtPrompts::message(const QString& text, const QString& title, PromptIcon icon,
                                PromptButtons buttons) {
    const bool yesNo = buttons == PromptButtons::YesNo;
    QMessageBox box(boxIcon(icon), title, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parentWindow());
    const int chosen = box.exec();
    if (!yesNo)
        return PromptAnswer::Ok;
    return chosen == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
}

QString QtPrompts::openFile(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parentWindow(), title, QString(), filter);
}

} // namespace vw
