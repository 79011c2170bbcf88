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
    QString details;
};

struct AskedFile {
    QString title;
    QString filter;
    QString start; // the folder or path the dialog starts at
};

class RecordingPrompts : public Prompts {
public:
    PromptAnswer message(const QString& text, const QString& title, PromptIcon icon,
                         PromptButtons buttons, const QString& details = QString()) override {
        messages.push_back({text, title, icon, buttons, details});
        if (onMessage)
            onMessage();
        switch (buttons) {
        case PromptButtons::YesNo:
        case PromptButtons::YesNoDefaultNo:
            return yesNoAnswer;
        case PromptButtons::SaveDiscardCancel:
            return saveAnswer;
        case PromptButtons::OverwriteSaveAsCancel:
            return changedAnswer;
        case PromptButtons::Ok:
            break;
        }
        return PromptAnswer::Ok;
    }
    QString openFile(const QString& title, const QString& filter,
                     const QString& folder = QString()) override {
        files.push_back({title, filter, folder});
        return fileAnswer;
    }
    QString saveFile(const QString& title, const QString& filter, const QString& path) override {
        files.push_back({title, filter, path});
        return saveFileAnswer;
    }
    std::optional<ExactTransform> askTransform() override { return transformAnswer; }
    std::optional<double> askDistance(const QString&, const QString&, double) override {
        return distanceAnswer;
    }

    PromptAnswer yesNoAnswer = PromptAnswer::Yes;
    PromptAnswer saveAnswer = PromptAnswer::Cancel;    // "Save changes to ...?"
    PromptAnswer changedAnswer = PromptAnswer::Cancel; // "... was changed on disk ..."
    QString fileAnswer;                                // empty: the dialog is cancelled
    QString saveFileAnswer;                            // empty: the dialog is cancelled
    std::optional<ExactTransform> transformAnswer;
    std::optional<double> distanceAnswer; // none: the dialog is cancelled
    std::function<void()> onMessage;      // runs while the message would be on screen
    std::vector<AskedMessage> messages;
    std::vector<AskedFile> files;
};

} // namespace vw::test
