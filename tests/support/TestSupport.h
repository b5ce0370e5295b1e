#pragma once

#include <QTemporaryDir>
#include <deque>
#include <string>
#include <vector>

#include "config/PlatformProfile.h"
#include "process/Prompter.h"

#ifndef TEST_DATA_DIR
#error "TEST_DATA_DIR must be defined by the build"
#endif

// Path of a fixture in tests/data/.
std::string TestDataPath(const std::string& name);

// A private program folder for one test: the program file "quarrow" lives in it, the settings
// file beside it, temporary files in its "tmp/" folder. Removed when the test ends.
class TempProgramDir {
public:
    explicit TempProgramDir(PathStyle style = PathStyle::Posix, CodePage codePage = CodePage::Utf8);

    // The folder with a trailing "/".
    std::string Folder() const;
    std::string Path(const std::string& name) const;
    PlatformProfile Profile() const { return m_profile; }

    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;

private:
    QTemporaryDir m_dir;
    PlatformProfile m_profile;
};

// A prompter that records every call and returns scripted answers.
class FakePrompter final : public Prompter {
public:
    struct Call {
        std::string kind;  // "Message", "OpenFile", "SaveFile", "ChooseFont", "ChooseDirectory", "Beep"
        QString text;
        QString caption;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
    };

    MessageResult Message(const QString& text, const QString& caption, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<QString> OpenFile(const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(const FileDialogRequest& request) override;
    std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
    std::optional<QString> ChooseDirectory(const FileDialogRequest& request) override;
    void Beep() override;

    // Answers are taken in order; when none is left a message gets its first button
    // (Ok or Yes) and a dialog is cancelled.
    std::deque<MessageResult> messageAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;

    std::vector<Call> calls;
    std::vector<FileDialogRequest> fileRequests;  // every file dialog's request, in order
    int Count(const std::string& kind) const;
    // The texts of the message boxes shown so far.
    std::vector<QString> Messages() const;
};

// Makes a folder read-only for its lifetime, as far as this process is concerned: no write bits
// and, for root (whom mode bits do not stop), the immutable attribute. Made() is false when the
// file system would not have it.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Made() const { return m_made; }

private:
    bool SetImmutable(bool on) const;

    std::string m_folder;
    bool m_immutable = false;
    bool m_made = false;
};
