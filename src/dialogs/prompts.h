#pragma once
// Everything that blocks for the user's answer goes through Prompts, so tests can answer
// instead of a person.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace vw {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, YesNo, SaveDiscardCancel };
enum class PromptAnswer { Ok, Yes, No, Save, Discard, Cancel };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message box; returns the button the user chose. The details, when given, stand
    // below the text (the reason an operation failed).
    virtual PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                                 PromptButtons buttons, const QString& details = QString()) = 0;
    // A modal file-open dialog; returns the chosen path, or an empty text when cancelled.
    virtual QString openFile(const QString& title, const QString& filter) = 0;
};

// The real dialogs, centred over the window they belong to.
class QtPrompts : public Prompts {
public:
    // The window the dialogs belong to; unset, they go to the active window.
    void setParentWindow(QWidget* window) { m_parentWindow = window; }

    PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                         PromptButtons buttons, const QString& details = QString()) override;
    QString openFile(const QString& title, const QString& filter) override;

private:
    QWidget* parentWindow() const;

    QPointer<QWidget> m_parentWindow;
};

} // namespace vw
