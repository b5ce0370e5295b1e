#include "indexer/CommandListFile.h"

#include "config/FileIo.h"
#include "indexer/MakeIndexForm.h"
#include "process/QtText.h"

const char kCommandListHeader[] = "This is a 'Quarrow for Namazu' Command Line List File.";

namespace {

const QString kAllFilesFilter = QStringLiteral("すべてのﾌｧｲﾙ (*)");

}  // namespace

std::string CommandListFileText(const std::vector<std::string>& entries) {
    std::string text = std::string(kCommandListHeader) + "\r\n";
    for (const std::string& entry : entries) text += entry + "\r\n";
    return text;
}

std::optional<std::vector<std::string>> ParseCommandListFile(std::string_view bytes, CodePage codePage) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<std::string> lines = SplitTextLines(FileTextToProgram(codePage, bytes));
    if (lines.size() < 2 || lines.front() != kCommandListHeader) return std::nullopt;
    lines.erase(lines.begin());
    return lines;
}

bool WriteCommandListFile(const std::string& path, const std::vector<std::string>& entries) {
    return WriteFileAtomically(path, CommandListFileText(entries));
}

std::optional<std::vector<std::string>> ReadCommandListFile(const std::string& path, CodePage codePage) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
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
    if (!WriteCommandListFile(FromQString(codePage, *chosen), list.entries)) {
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
    std::optional<std::vector<std::string>> entries = ReadCommandListFile(FromQString(codePage, *chosen), codePage);
    if (!entries) {
        prompter.Tell(QStringLiteral("ファイルが不正です。"), QStringLiteral("エラー"), MessageIcon::Error);
        return false;
    }
    list.entries = std::move(*entries);
    list.selected = -1;
    return true;
}
