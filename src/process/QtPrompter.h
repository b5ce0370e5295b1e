#pragma once

#include "process/Prompter.h"

// The program's prompter: Qt's message boxes and dialogs, parented to the active window.
class QtPrompter final : public Prompter {
public:
    MessageResult Message(const QString& text, const QString& caption, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<QString> OpenFile(const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(const FileDialogRequest& request) override;
    std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
    std::optional<QString> ChooseDirectory(const FileDialogRequest& request) override;
    void Beep() override;
};
