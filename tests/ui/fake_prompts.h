#pragma once
// Prompts that answer from the test and record what was asked.

#include "dialogs/prompts.h"

#include <QString>

#include <functional>
#include <vector>

namespace vw::test {

struct AskedMessage {
    QString text;
    QString title;
    PromptIcon icon;
    PromptButtons buttons;
};

struct AskedFile {
    QString title;
    QString filter;
};

class RecordingPrompts : public Prompts {
public:
    PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                         PromptButtons buttons) override {
        messages.push_back({text, title, icon, buttons});
        if (onMessage)
            onMessage();
        return buttons == PromptButtons::YesNo ? yesNoAnswer : PromptAnswer::Ok;
    }
    QString openFile(const QString& title, const QString& filter) override {
        files.push_back({title, filter});
        return fileAnswer;
    }

    PromptAnswer yesNoAnswer = PromptAnswer::Yes;
    QString fileAnswer;              // empty: the dialog is cancelled
    std::function<void()> onMessage; // runs while the message would be on screen
    std::vector<AskedMessage> messages;
    std::vector<AskedFile> files;
};

} // namespace vw::test
