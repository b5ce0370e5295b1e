#include "indexer/CommandListRunner.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
bool QuietMknmz(const std::string& entry, CodePage codePage) {
    for (const std::string& argument : SplitCommandLine(ParseEntry(entry).arguments, codePage)) {
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

std::string InFolder(const std::string& folder, const char* name) {
    return folder + (folder.back() == '/' ? "" : "/") + name;
}

// The process id in an index folder's NMZ.lock2 (mknmz writes "$$" into it), 0 when the file
// holds none; nothing when there is no lock. Read without following a link or waiting on a pipe.
std::optional<pid_t> IndexLockHolder(const std::string& folder) {
    const int fd = ::open(InFolder(folder, "NMZ.lock2").c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? std::nullopt : std::optional<pid_t>(0);
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    const std::string holder = TrimText(std::string_view(text, n > 0 ? static_cast<std::size_t>(n) : 0));
    if (holder.empty() || holder.size() > 9 || holder.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::stol(holder));
}

// Whether the process still exists and is a mknmz (an id taken again by another program is not).
// Where the process table cannot be read, a live process counts as the holder.
bool MknmzAlive(pid_t pid) {
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) return false;
    const std::optional<std::string> cmdline = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
    return !cmdline || cmdline->find("mknmz") != std::string::npos;
}

// What mknmz removes itself when it ends well: its lock files, temporary files and an empty
// error log.
int RemoveMknmzLeftovers(const std::string& folder) {
    int removed = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const std::string path = InFolder(folder, entry->d_name);
        struct stat st {};
        if (!name.starts_with("NMZ.") || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const bool leftover = name.ends_with(".tmp") || name == "NMZ.lock" || name == "NMZ.lock2" ||
                              (name == "NMZ.err" && st.st_size == 0);
        if (leftover && ::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

// A line of the run's own (UTF-8) and an empty one after it, made visible at once.
void Tell(OutputView& view, CodePage codePage, const std::string& utf8) {
    view.AppendLines({Utf8ToProgram(codePage, utf8), ""});
    view.MakeCurrent(view.LineCount() - 1);
    view.Repaint();
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
        if (!prepared.skipReason.empty() && view) {
            Tell(*view, platform.codePage, "*** 実行されませんでした: " + prepared.skipReason + " ***");
        }
        bool failed = false;
        bool sawProgress = true;
        // A lock left by a mknmz that was killed (or whose program was) would make it refuse the
        // folder with a message naming the private link: removed, or told with the user's folder.
        bool locked = false;
        if (prepared.namazuEnvironment && !prepared.indexFolder.empty() && platform.pathStyle == PathStyle::Posix) {
            if (const std::optional<pid_t> holder = IndexLockHolder(prepared.indexFolder)) {
                const std::string folder = ProgramToUtf8(platform.codePage, prepared.indexFolder);
                if (*holder > 0 && !MknmzAlive(*holder)) {
                    const int removed = RemoveMknmzLeftovers(prepared.indexFolder);
                    if (view) {
                        Tell(*view, platform.codePage,
                             "*** " + folder + " に残っていたロック (NMZ.lock2: プロセス " +
                                 std::to_string(*holder) + " はもうありません) と一時ファイルを削除しました (" +
                                 std::to_string(removed) + " 個) ***");
                    }
                } else if (view) {
                    locked = failed = true;
                    Tell(*view, platform.codePage,
                         "*** " + folder + " は他の mknmz" +
                             (*holder > 0 ? " (プロセス " + std::to_string(*holder) + ")" : std::string()) +
                             " が更新中です。そのプロセスがないときは " + folder +
                             "/NMZ.lock2 を削除してください ***");
                }
            }
        }
        if (!prepared.commandLine.empty() && !locked) {
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
                Tell(*view, platform.codePage, "*** 失敗しました (終了コード " + std::to_string(exitCode) + ") ***");
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
        } else if (!prepared.skipReason.empty()) {
            outcome = EntryOutcome::Skipped;
        } else if (failed) {
            outcome = EntryOutcome::Failed;
            result.failed.push_back(i + 1);
        } else if (!sawProgress && prepared.namazuEnvironment && !QuietMknmz(entries[i], platform.codePage)) {
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
    // Finished also when no command ran (every entry skipped or refused): a console can close.
    if (view) view->SetRunFlag(1);
    return result;
}

std::vector<std::string> StopNote(bool killed, std::size_t remaining, std::string_view leftOut) {
    std::vector<std::string> note = {"", killed ? "*** 中止しました (強制終了) ***" : "*** 中止しました ***"};
    if (remaining > 0) note.push_back("*** 残りの " + std::to_string(remaining) + " " + std::string(leftOut) + " ***");
    return note;
}
