#include "dialogs/prompts.h"

#include "dialogs/transform_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <limits>

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

QMessageBox::StandardButtons boxButtons(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::YesNo:
    case PromptButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::SaveDiscardCancel:
        return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case PromptButtons::OverwriteSaveAsCancel:
        return QMessageBox::Cancel; // the other two are buttons of their own
    case PromptButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

PromptAnswer answerOf(int chosen) {
    switch (chosen) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Save:
        return PromptAnswer::Save;
    case QMessageBox::Discard:
        return PromptAnswer::Discard;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    default:
        return PromptAnswer::Ok;
    }
}

// Overwrite, Save As... or Cancel; closing the box cancels. Save As is the default: it loses
// nothing.
PromptAnswer askOverwrite(QMessageBox& box) {
    QPushButton* overwrite = box.addButton(QStringLiteral("&Overwrite"), QMessageBox::AcceptRole);
    QPushButton* saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::ActionRole);
    box.setDefaultButton(saveAs);
    box.exec();
    if (box.clickedButton() == overwrite)
        return PromptAnswer::Overwrite;
    return box.clickedButton() == saveAs ? PromptAnswer::SaveAs : PromptAnswer::Cancel;
}

} // namespace

// While a model opens no window may be active (the loading window just went), so the main
// window is named rather than found.
QWidget* QtPrompts::parentWindow() const {
    return m_parentWindow ? m_parentWindow.data() : QApplication::activeWindow();
}

PromptAnswer QtPrompts::message(const QString& text, const QString& title, PromptIcon icon,
                                PromptButtons buttons, const QString& details) {
    QMessageBox box(boxIcon(icon), title, text, boxButtons(buttons), parentWindow());
    box.setInformativeText(details);
    if (buttons == PromptButtons::OverwriteSaveAsCancel)
        return askOverwrite(box);
    if (buttons == PromptButtons::SaveDiscardCancel)
        box.setDefaultButton(QMessageBox::Save);
    if (buttons == PromptButtons::YesNoDefaultNo)
        box.setDefaultButton(QMessageBox::No);
    const int chosen = box.exec();
    // Closing the box by its frame or Esc is a cancel where one is offered, a No otherwise.
    if ((buttons == PromptButtons::YesNo || buttons == PromptButtons::YesNoDefaultNo) &&
        chosen != QMessageBox::Yes)
        return PromptAnswer::No;
    if (buttons == PromptButtons::SaveDiscardCancel && chosen != QMessageBox::Save &&
        chosen != QMessageBox::Discard)
        return PromptAnswer::Cancel;
    return answerOf(chosen);
}

QString QtPrompts::openFile(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(parentWindow(), title, folder, filter);
}

QString QtPrompts::saveFile(const QString& title, const QString& filter, const QString& path) {
    return QFileDialog::getSaveFileName(parentWindow(), title, path, filter);
}

std::optional<ExactTransform> QtPrompts::askTransform() {
    TransformDialog dialog(m_lastTransform, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastTransform = dialog.transform();
    return m_lastTransform;
}

std::optional<double> QtPrompts::askDistance(const QString& title, const QString& label,
                                             double value) {
    bool ok = false;
    const double distance = QInputDialog::getDouble(parentWindow(), title, label, value, 0,
                                                    std::numeric_limits<float>::max(), 6, &ok);
    return ok ? std::optional(distance) : std::nullopt;
}

} // namespace vw
