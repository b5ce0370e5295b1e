#include "update/HeadlessUpdate.h"

#include <filesystem>

#include "indexer/CommandListRunner.h"
#include "update/IndexLock.h"
#include "update/IndexUpdate.h"
#include "process/CommandLine.h"
#include "process/Prompter.h"
#include "text/CodePage.h"
#include "text/DisplayText.h"

namespace {

// Prints every line as soon as the runner has it; the runner's layout (lines inserted before
// a last blank one) is for a window and does not matter on a stream.
class StreamView final : public OutputView {
public:
    explicit StreamView(std::FILE* out) : m_out(out) {}
    int LineCount() const override { return m_count; }
    void AppendLines(const std::vector<std::string>& lines) override {
        for (const std::string& line : lines) AppendLine(line);
    }
    void AppendLine(const std::string& line) override {
        const std::string text = OutputLineToUtf8(line);
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fputc('\n', m_out);
        ++m_count;
    }
    void InsertLine(int, const std::string& line) override { AppendLine(line); }
    void MakeCurrent(int) override {}
    void Repaint() override { std::fflush(m_out); }
    int RunFlag() const override { return m_runFlag; }
    void SetRunFlag(int flag) override { m_runFlag = flag; }

private:
    std::FILE* m_out;
    int m_count = 0;
    int m_runFlag = 1;
};

// Nobody to ask: messages go to the error stream, questions are answered no.
class StreamPrompter final : public Prompter {
public:
    explicit StreamPrompter(std::FILE* err) : m_err(err) {}
    MessageResult Message(const QString& text, const QString&, MessageIcon, MessageButtons buttons) override {
        std::fprintf(m_err, "quarrow: %s\n", text.toUtf8().constData());
        return buttons == MessageButtons::Ok ? MessageResult::Ok : buttons == MessageButtons::OkCancel
                                                                        ? MessageResult::Cancel
                                                                        : MessageResult::No;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}

private:
    std::FILE* m_err;
};

}  // namespace

HeadlessUpdateResult UpdateIndexesHeadless(const std::vector<std::string>& indexFolders, const Settings& settings,
                                           const PlatformProfile& platform, const std::vector<std::string>& drives,
                                           std::FILE* out, std::FILE* err) {
    HeadlessUpdateResult result;
    auto fail = [&](const std::string& lineUtf8) {
        std::fprintf(err, "quarrow: %s\n", lineUtf8.c_str());
        result.failed.push_back(lineUtf8);
        result.exitCode = 1;
    };
    std::string place;
    if (indexFolders.empty()) {
        place = settings.IndexDirectoryText;
    } else {
        // Each argument is one folder, blanks and all; a relative one is taken from where quarrow
        // was started, as mknmz runs in a folder of its own.
        for (const std::string& folder : indexFolders) {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
            place += QuoteArgument(error ? folder : absolute.string(), platform.codePage) + " ";
        }
    }
    const std::vector<IndexToUpdate> indexes = IndexesToUpdate(place, platform, drives);
    if (indexes.empty()) {
        fail("検索場所が設定されていません。更新するインデックスのフォルダを指定してください");
        return result;
    }
    StreamView view(out);
    StreamPrompter prompter(err);
    CommandListRun run;
    for (const IndexToUpdate& index : indexes) {
        if (index.refusal != UpdateRefusal::None) {
            fail(RefusalLine(index, platform.codePage));
            continue;
        }
        const std::string shown = ProgramToUtf8(platform.codePage, index.folder);
        IndexLock lock;
        if (!lock.Acquire(index.folder, IndexLock::Wait::No)) {
            std::fprintf(out, "%s: 他のプロセスが更新中です。終わるのを待ちます\n", shown.c_str());
            std::fflush(out);
            if (!lock.Acquire(index.folder, IndexLock::Wait::Yes)) {
                fail(shown + ": ロックできません");
                continue;
            }
        }
        EntryRunOptions options;
        options.mode = RunMode::Capture;
        options.view = &view;
        const BatchResult batch =
            RunCommandEntries({UpdateEntry(index.folder, platform.codePage)}, run, settings, platform, prompter, options);
        if (batch.finished == 1 && batch.failed.empty()) {
            MarkIndexUpdated(index.folder);
        } else {
            fail(shown + ": 更新に失敗しました");
        }
    }
    std::fflush(out);
    return result;
}
