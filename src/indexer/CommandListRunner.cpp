#include "indexer/CommandListRunner.h"

#include <algorithm>

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

private:
    void Tap(const std::vector<std::string>& lines) {
        if (auto progress = LastMknmzProgress(lines)) m_sink.DocumentProgress(*progress);
    }

    OutputView& m_view;
    RunProgressSink& m_sink;
};

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
        const PreparedEntry prepared = PrepareEntry(entries[i], run, settings, platform);
        bool failed = false;
        if (!prepared.commandLine.empty()) {
            const bool started =
                RunCommand(prepared.commandLine, prepared.workDir, options.mode, tap ? &*tap : view, prompter,
                           platform.codePage,
                           prepared.namazuEnvironment ? NamazuEnvironment() : std::vector<EnvironmentChange>{},
                           options.control);
            // A terminal's exit code is the terminal's, not the command's.
            const bool ownExitCode = options.control && options.mode != RunMode::Shown;
            failed = !started || (ownExitCode && options.control->ExitCode().value_or(-1) != 0);
        }
        const bool stopped = options.control && options.control->StopRequested();
        if (options.sink) {
            options.sink->EntryEnded(i + 1, stopped  ? EntryOutcome::Stopped
                                            : failed ? EntryOutcome::Failed
                                                     : EntryOutcome::Done);
        }
        if (stopped) {
            result.stopped = true;
            result.remaining = count - i - 1;
            break;
        }
        if (failed) result.failed.push_back(i + 1);
        ++result.finished;
    }
    return result;
}
