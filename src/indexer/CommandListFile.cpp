#include "indexer/CommandListFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "config/FileIo.h"
#include "indexer/MakeIndexForm.h"
#include "process/QtText.h"

const char kCommandListHeader[] = "This is a 'Quarrow for Namazu' Command Line List File.";

namespace {

const QString kAllFilesFilter = QStringLiteral("すべてのﾌｧｲﾙ (*)");
constexpr off_t kMaxListBytes = 64 << 20;  // far beyond any list a person keeps

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads on until `bytes` holds `upTo` bytes or the file ends; false on a read error.
bool ReadInto(int fd, std::string& bytes, std::size_t upTo) {
    char buffer[64 * 1024];
    while (bytes.size() < upTo) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, upTo - bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == EAGAIN;
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

// A list file's bytes. Its first line is looked at before anything else is read, so a huge
// file or a device that never ends (/dev/zero) is refused at once; the rest is read only from
// an ordinary file of a sane size.
std::optional<std::string> ReadListFileBytes(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return std::nullopt;
    const std::size_t headerLength = std::strlen(kCommandListHeader);
    std::string bytes;
    if (!ReadInto(file.Get(), bytes, 3 + headerLength + 1)) return std::nullopt;  // BOM, header, line end
    std::string_view head(bytes);
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    if (head.size() <= headerLength || head.substr(0, headerLength) != kCommandListHeader ||
        (head[headerLength] != '\r' && head[headerLength] != '\n')) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxListBytes)
        return std::nullopt;
    const auto most = static_cast<std::size_t>(kMaxListBytes);
    if (!ReadInto(file.Get(), bytes, most + 1) || bytes.size() > most) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::string CommandListFileText(const std::vector<std::string>& entries) {
    std::string text = std::string(kCommandListHeader) + "\r\n";
    for (const std::string& entry : entries) text += entry + "\r\n";
    return text;
}

std::optional<std::vector<std::string>> ParseCommandListFile(std::string_view bytes, CodePage codePage) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Decided per line, as the settings file is: one line pasted from elsewhere in another code
    // must not garble the rest.
    std::vector<std::string> lines = SplitTextLines(bytes);
    for (std::string& line : lines) line = FileTextToProgram(codePage, line);
    if (lines.size() < 2 || lines.front() != kCommandListHeader) return std::nullopt;
    lines.erase(lines.begin());
    return lines;
}

bool WriteCommandListFile(const std::string& path, const std::vector<std::string>& entries) {
    return WriteFileAtomically(path, CommandListFileText(entries));
}

std::optional<std::vector<std::string>> ReadCommandListFile(const std::string& path, CodePage codePage) {
    const std::optional<std::string> bytes = ReadListFileBytes(path);
    if (!bytes) return std::nullopt;
    return ParseCommandListFile(*bytes, codePage);
}

bool SaveCommandList(CommandListState& list, CodePage codePage, Prompter& prompter) {
    TrimCommandLines(list);
    if (list.entries.empty()) return false;
    FileDialogRequest request;
    request.filter = kAllFilesFilter;
    const std::optional<QString> chosen = prompter.SaveFile(request);
    if (!chosen) return false;
    const std::string path = FromQString(codePage, *chosen);
    if (FileExists(path) && IsReadOnlyFile(path) &&
        prompter.Message(*chosen + QStringLiteral(" は読み取り専用です。\n上書きしますか？"), QStringLiteral("確認"),
                         MessageIcon::Warning, MessageButtons::YesNoDefaultNo) != MessageResult::Yes) {
        return false;
    }
    if (!WriteCommandListFile(path, list.entries)) {
        // The list is still only in the window: say that it was not kept.
        prompter.Tell(QStringLiteral("ファイルを保存できませんでした。"), QStringLiteral("エラー"),
                      MessageIcon::Error);
        return false;
    }
    return true;
}

bool LoadCommandList(CommandListState& list, CodePage codePage, Prompter& prompter) {
    FileDialogRequest request;
    request.filter = kAllFilesFilter;
    const std::optional<QString> chosen = prompter.OpenFile(request);
    if (!chosen) return false;
    std::optional<std::vector<std::string>> entries =
        ReadCommandListFile(FromQString(codePage, *chosen), codePage);
    if (!entries) {
        prompter.Tell(QStringLiteral("ファイルが不正です。"), QStringLiteral("エラー"), MessageIcon::Error);
        return false;
    }
    list.entries = std::move(*entries);
    list.selected = -1;
    return true;
}
