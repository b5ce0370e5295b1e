#include "indexer/CommandListRunner.h"

#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "config/FileIo.h"
#include "indexer/MakeIndexForm.h"
#include "process/CommandLine.h"

namespace {

// Passes everything to the view and reads mknmz's progress out of each batch of new lines.
// A batch costs one parse (the last progress line, found from the batch's end).
class ProgressTap final : public OutputView {
public:
    ProgressTap(OutputView& view, RunProgressSink& sink) : m_view(view), m_sink(sink) {}

    int LineCount() const override { return m_view.LineCount(); }
    void AppendLines(const std::vector<std::string>& lines) override {
        m_view.AppendLines(lines);
        Tap(lines);
    }
    void AppendLine(const std::string& line) override {
        m_view.AppendLine(line);
        Tap({line});
    }
    void InsertLine(int index, const std::string& line) override {
        m_view.InsertLine(index, line);
        Tap({line});
    }
    void InsertLines(int index, const std::vector<std::string>& lines) override {
        m_view.InsertLines(index, lines);
        Tap(lines);
    }
    void MakeCurrent(int index) override { m_view.MakeCurrent(index); }
    void Repaint() override { m_view.Repaint(); }
    int RunFlag() const override { return m_view.RunFlag(); }
    void SetRunFlag(int flag) override { m_view.SetRunFlag(flag); }

    // Whether a document line has come since the last call.
    bool TakeSawProgress() { return std::exchange(m_sawProgress, false); }

private:
    void Tap(const std::vector<std::string>& lines) {
        if (auto progress = LastMknmzProgress(lines)) {
            m_sawProgress = true;
            m_sink.DocumentProgress(*progress);
        }
    }

    OutputView& m_view;
    RunProgressSink& m_sink;
    bool m_sawProgress = false;
};

// mknmz --quiet tells of no document even when it reads some (-q, or --quiet abbreviated).
bool QuietMknmz(const std::string& entry) {
    for (const std::string& argument : SplitCommandLine(ParseEntry(entry).arguments)) {
        if (argument == "-q" || (argument.size() >= 3 && argument.rfind("--", 0) == 0 &&
                                 std::string_view("--quiet").starts_with(argument))) {
            return true;
        }
    }
    return false;
}

// mknmz locks its index folder with NMZ.lock2, holding its process id, and refuses to build
// there while it exists. Killed, it leaves the lock behind, and the next build of the same list
// would fail: a lock of the child that was just killed is removed.
void RemoveLockOfKilledMknmz(const std::string& folder, pid_t child) {
    if (folder.empty() || child <= 0) return;
    const std::string lock = folder + (folder.back() == '/' ? "" : "/") + "NMZ.lock2";
    const std::optional<std::string> holder = ReadWholeFile(lock);
    if (holder && TrimText(*holder) == std::to_string(child)) ::unlink(lock.c_str());
}

}  // namespace

RunMode ModeForShowProcess(const std::string& showProcess) {
    std::string lower = showProcess;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "doswindow" ? RunMode::Shown : RunMode::Capture;
}

BatchResult RunCommandEntries(const std::vector<std::string>& entries, CommandListRun& run,
                              const Settings& settings, const PlatformProfile& platform, Prompter& prompter,
                              const EntryRunOptions& options) {
    BatchResult result;
    EnterMknmzFolder(run, settings, platform);
    OutputView* view = options.mode == RunMode::Capture ? options.view : nullptr;
    std::optional<ProgressTap> tap;
    if (view && options.sink) tap.emplace(*view, *options.sink);
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (options.control && options.control->StopRequested()) {
            result.stopped = true;
            result.remaining = count - i;
            break;
        }
        if (options.sink) options.sink->EntryStarting(i + 1, count, entries[i]);
        if (tap) tap->TakeSawProgress();
        const PreparedEntry prepared = PrepareEntry(entries[i], run, settings, platform);
        bool failed = false;
        bool sawProgress = true;
        if (!prepared.commandLine.empty()) {
            int exitCode = -1;
            const bool started =
                RunCommand(prepared.commandLine, prepared.workDir, options.mode, tap ? &*tap : view, prompter,
                           platform.codePage,
                           prepared.namazuEnvironment ? NamazuEnvironment() : std::vector<EnvironmentChange>{},
                           options.control, &exitCode);
            // A terminal's exit code is the terminal's, not the command's.
            failed = !started || (options.mode != RunMode::Shown && exitCode != 0);
            if (tap) sawProgress = tap->TakeSawProgress();
            if (started && failed && view && !(options.control && options.control->StopRequested())) {
                view->AppendLines({Utf8ToProgram(platform.codePage, "*** 失敗しました (終了コード " +
                                                                        std::to_string(exitCode) + ") ***"),
                                   ""});
                view->MakeCurrent(view->LineCount() - 1);
                view->Repaint();
            }
        }
        if (prepared.namazuEnvironment && options.control && options.control->Killed()) {
            RemoveLockOfKilledMknmz(prepared.indexFolder, options.control->LastChild());
        }
        // A terminal may still be showing the command when it returns: its link stays.
        if (!prepared.outputLink.empty() && options.mode != RunMode::Shown)
            ::unlink(prepared.outputLink.c_str());
        const bool stopped = options.control && options.control->StopRequested();
        EntryOutcome outcome = EntryOutcome::Done;
        if (stopped) {
            outcome = EntryOutcome::Stopped;
        } else if (failed) {
            outcome = EntryOutcome::Failed;
            result.failed.push_back(i + 1);
        } else if (!sawProgress && prepared.namazuEnvironment && !QuietMknmz(entries[i])) {
            outcome = EntryOutcome::NoDocuments;
        }
        if (options.sink) options.sink->EntryEnded(i + 1, outcome);
        if (stopped) {
            result.stopped = true;
            result.remaining = count - i - 1;
            break;
        }
        ++result.finished;
    }
    return result;
}

std::vector<std::string> StopNote(bool killed, std::size_t remaining, std::string_view leftOut) {
    std::vector<std::string> note = {"", killed ? "*** 中止しました (強制終了) ***" : "*** 中止しました ***"};
    if (remaining > 0) note.push_back("*** 残りの " + std::to_string(remaining) + " " + std::string(leftOut) + " ***");
    return note;
}
