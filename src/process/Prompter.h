#pragma once

#include <QString>
#include <optional>

// Every message box, question, file and font dialog goes through this seam, so windows can be
// driven whole in tests.
enum class MessageIcon { None, Information, Warning, Error, Question };
// YesNoDefaultNo: Yes and No with No as the default button (Enter answers No).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MessageResult { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString caption;
    QString directory;
    QString fileName;
    QString filter;  // Qt form: "コマンドリスト (*.txt);;すべてのファイル (*)"
    QString defaultSuffix;
};

struct FontChoice {
    QString family;
    int pointSize = 9;
    bool bold = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual MessageResult Message(const QString& text, const QString& caption, MessageIcon icon,
                                  MessageButtons buttons) = 0;
    virtual std::optional<QString> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;
    // An existing folder (`request.directory` is where the dialog starts). Prompters that
    // cannot ask answer as if cancelled.
    virtual std::optional<QString> ChooseDirectory(const FileDialogRequest& request) {
        (void)request;
        return std::nullopt;
    }
    virtual void Beep() = 0;

    // An OK box.
    void Tell(const QString& text, const QString& caption, MessageIcon icon) {
        Message(text, caption, icon, MessageButtons::Ok);
    }
    // A Yes/No question with the question icon; true for Yes.
    bool Ask(const QString& text, const QString& caption) {
        return Message(text, caption, MessageIcon::Question, MessageButtons::YesNo) == MessageResult::Yes;
    }
};
