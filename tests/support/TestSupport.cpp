#include "TestSupport.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string TestDataPath(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/" + name;
}

TempProgramDir::TempProgramDir(PathStyle style, CodePage codePage) {
    if (!m_dir.isValid()) throw std::runtime_error("cannot create a temporary folder");
    QDir(m_dir.path()).mkdir(QStringLiteral("tmp"));
    m_profile.programFolder = Folder();
    m_profile.programFilePath = Folder() + "quarrow";
    m_profile.codePage = codePage;
    m_profile.pathStyle = style;
    m_profile.tempFolder = Folder() + "tmp/";
    m_profile.firstRun = style == PathStyle::Windows ? FirstRunProfile::Windows : FirstRunProfile::Linux;
    m_profile.configFallbackFolder = Folder() + "config/quarrow/";
    m_profile.dataFolder = Folder();
}

std::string TempProgramDir::Folder() const {
    return m_dir.path().toStdString() + "/";
}

std::string TempProgramDir::Path(const std::string& name) const {
    return Folder() + name;
}

void TempProgramDir::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << bytes;
}

std::string TempProgramDir::ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// The next scripted answer; none left means the dialog was cancelled.
template <typename T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& answers) {
    std::optional<T> answer;
    if (!answers.empty()) {
        answer.swap(answers.front());
        answers.pop_front();
    }
    return answer;
}

}  // namespace

MessageResult FakePrompter::Message(const QString& text, const QString& caption, MessageIcon icon,
                                    MessageButtons buttons) {
    calls.push_back({"Message", text, caption, icon, buttons});
    if (!messageAnswers.empty()) {
        const MessageResult answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    const bool yesFirst = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ||
                          buttons == MessageButtons::YesNoDefaultNo;
    return yesFirst ? MessageResult::Yes : MessageResult::Ok;
}

std::optional<QString> FakePrompter::OpenFile(const FileDialogRequest& request) {
    calls.push_back({"OpenFile", request.directory, request.caption});
    fileRequests.push_back(request);
    return TakeFront(fileAnswers);
}

std::optional<QString> FakePrompter::SaveFile(const FileDialogRequest& request) {
    calls.push_back({"SaveFile", request.directory, request.caption});
    fileRequests.push_back(request);
    return TakeFront(fileAnswers);
}

std::optional<FontChoice> FakePrompter::ChooseFont(const FontChoice& initial) {
    calls.push_back({"ChooseFont", initial.family, {}});
    return TakeFront(fontAnswers);
}

std::optional<QString> FakePrompter::ChooseDirectory(const FileDialogRequest& request) {
    calls.push_back({"ChooseDirectory", request.directory, request.caption});
    return TakeFront(fileAnswers);
}

void FakePrompter::Beep() {
    calls.push_back({"Beep", {}, {}});
}

int FakePrompter::Count(const std::string& kind) const {
    int n = 0;
    for (const Call& call : calls) n += call.kind == kind ? 1 : 0;
    return n;
}

std::vector<QString> FakePrompter::Messages() const {
    std::vector<QString> texts;
    for (const Call& call : calls) {
        if (call.kind == "Message") texts.push_back(call.text);
    }
    return texts;
}

ReadOnlyFolder::ReadOnlyFolder(std::string folder) : m_folder(std::move(folder)) {
    ::chmod(m_folder.c_str(), 0555);
    if (::geteuid() == 0) m_immutable = SetImmutable(true);
    m_made = ::access(m_folder.c_str(), W_OK) != 0;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (m_immutable) SetImmutable(false);
    ::chmod(m_folder.c_str(), 0755);
}

bool ReadOnlyFolder::SetImmutable(bool on) const {
    const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
