#pragma once
// Everything that blocks for the user's answer goes through Prompts, so tests can answer
// instead of a person.

#include "model/editing/exact_transform.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

namespace vw {

enum class PromptIcon { None, Information, Warning, Error, Question };
// YesNoDefaultNo: Yes and No with No the default button, for a Yes that cannot be undone.
enum class PromptButtons { Ok, YesNo, YesNoDefaultNo, SaveDiscardCancel, OverwriteSaveAsCancel };
enum class PromptAnswer { Ok, Yes, No, Save, Discard, Cancel, Overwrite, SaveAs };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message box; returns the button the user chose. The details, when given, stand
    // below the text (the reason an operation failed).
    virtual PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                                 PromptButtons buttons, const QString& details = QString()) = 0;
    // A modal file-open dialog starting in folder (the dialog's own choice when empty); returns
    // the chosen path, or an empty text when cancelled.
    virtual QString openFile(const QString& title, const QString& filter,
                             const QString& folder = QString()) = 0;
    // A modal file-save dialog proposing path; the chosen path, or empty when cancelled.
    virtual QString saveFile(const QString& title, const QString& filter, const QString& path) = 0;
    // The Transform dialog; none when cancelled. It opens as the last one chosen in this run
    // left it.
    virtual std::optional<ExactTransform> askTransform() = 0;
    // A distance in model units, 0 or more, starting at value; none when cancelled (and by
    // default, for prompts that never ask).
    virtual std::optional<double> askDistance(const QString& /*title*/, const QString& /*label*/,
                                              double /*value*/) {
        return std::nullopt;
    }
};

// The real dialogs, centred over the window they belong to.
class QtPrompts : public Prompts {
public:
    // The window the dialogs belong to; unset, they go to the active window.
    void setParentWindow(QWidget* window) { m_parentWindow = window; }

    PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                         PromptButtons buttons, const QString& details = QString()) override;
    QString openFile(const QString& title, const QString& filter,
                     const QString& folder = QString()) override;
    QString saveFile(const QString& title, const QString& filter, const QString& path) override;
    std::optional<ExactTransform> askTransform() override;
    std::optional<double> askDistance(const QString& title, const QString& label,
                                      double value) override;

private:
    QWidget* parentWindow() const;

    QPointer<QWidget> m_parentWindow;
    ExactTransform m_lastTransform;
};

} // namespace vw
