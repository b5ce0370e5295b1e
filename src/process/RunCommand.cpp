#include "process/RunCommand.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "process/CaptureSplitter.h"
#include "process/CommandLine.h"
#include "process/NamazuLocale.h"
#include "process/QtText.h"

extern char** environ;

namespace {

// One batch of reads before the view is updated and other events get their turn.
constexpr std::size_t kBatchBytes = 64 * 1024;
// After a small batch that emptied the pipe, the next read waits this long: a child that writes
// a line at a time then costs one wake-up per pause instead of one per line. A batch of at least
// kCaptureQuietBytes means a child that writes fast: it is read again at once, never blocked on
// a full pipe.
constexpr int kCapturePauseMs = 100;
constexpr std::size_t kCaptureQuietBytes = 8 * 1024;

// Terminal emulators for Shown, in the order they are looked for: Debian's alternative, which
// names the desktop's own, then the one every X installation can have.
constexpr const char* kTerminals[] = {"x-terminal-emulator", "xterm"};

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int Get() const { return m_fd; }
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

std::vector<std::string> ChildEnvironment(const std::vector<EnvironmentChange>& changes) {
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const EnvironmentChange& change : changes) replaced = replaced || name == change.name;
        if (!replaced) env.emplace_back(text);
    }
    for (const EnvironmentChange& change : changes) {
        if (change.value) env.push_back(change.name + "=" + *change.value);
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts argv[0] (searched on PATH when it has no '/') in `workDir`. stdin is /dev/null;
// stdout and stderr go to `outFd`, or stay ours when it is -1. Returns 0 or the errno of the
// failed step (chdir, exec).
// With `ownGroup` the child leads a process group of its own.
int Spawn(std::vector<std::string> argv, const std::string& workDir, std::vector<std::string> env, int outFd,
          pid_t& pid, bool ownGroup) {
    if (argv.empty()) return ENOENT;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);

    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outFd, STDERR_FILENO);
    }
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());

    // The child starts with default signal handling whatever this program ignores or blocks.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (ownGroup) {
        posix_spawnattr_setpgroup(&attr, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attr, flags);

    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    const int error = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return error;
}

// errno that starting `program` would give, found before a terminal is asked to start it:
// the terminal itself cannot tell us.
int CheckRunnable(const std::string& program, const std::string& workDir) {
    auto check = [](const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return errno;
        if (S_ISDIR(st.st_mode) || ::access(path.c_str(), X_OK) != 0) return EACCES;
        return 0;
    };
    if (program.empty()) return ENOENT;
    // The child would start in it.
    if (!workDir.empty()) {
        struct stat st {};
        if (::stat(workDir.c_str(), &st) != 0) return errno;
        if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    }
    if (program.find('/') != std::string::npos) {
        if (program.front() == '/' || workDir.empty()) return check(program);
        return check(workDir + "/" + program);
    }
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/bin:/usr/bin";
    int first = ENOENT;
    while (true) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        const int error = check((dir.empty() ? std::string(".") : std::string(dir)) + "/" + program);
        if (error == 0) return 0;
        if (error == EACCES) first = EACCES;
        if (colon == std::string_view::npos) break;
        dirs.remove_prefix(colon + 1);
    }
    return first;
}

std::string FindTerminal() {
    for (const char* terminal : kTerminals) {
        if (CheckRunnable(terminal, {}) == 0) return terminal;
    }
    return {};
}

// The exit code of a wait status; a child ended by a signal counts as 128 + the signal, as in a
// shell.
int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Waits until `pid` has ended and reaps it, running an event loop meanwhile when there is an
// application object. Returns its exit code (-1 when it could not be had).
int WaitForChild(pid_t pid, QEventLoop::ProcessEventsFlags flags) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return ExitCodeOf(status);
    if (!QCoreApplication::instance()) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return ExitCodeOf(status);
    }
    QEventLoop loop;
    bool ended = false;
    bool reaped = false;
    auto poll = [&] {
        if (ended) return;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) {
            ended = true;
            reaped = r == pid;
            loop.quit();
        }
    };
    Fd pidFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    std::optional<QSocketNotifier> notifier;
    QTimer timer;
    if (pidFd.Get() >= 0) {
        notifier.emplace(pidFd.Get(), QSocketNotifier::Read);
        QObject::connect(&*notifier, &QSocketNotifier::activated, &loop, poll);
    } else {
        // Kernels without pidfd: look every few milliseconds.
        QObject::connect(&timer, &QTimer::timeout, &loop, poll);
        timer.start(5);
    }
    poll();
    if (!ended) loop.exec(flags);
    // The loop refuses to run while the application is quitting: wait without it, so the child
    // is still reaped and the caller still returns only after it ended.
    if (!ended) {
        pid_t r;
        while ((r = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
        }
        reaped = r == pid;
    }
    return reaped ? ExitCodeOf(status) : -1;
}

QString StartFailureText(CodePage codePage, const std::string& commandLine, const std::string& workDir,
                         int error) {
    return QStringLiteral("コマンドの実行に失敗しました。\n\n作業ディレクトリ: ") +
           ToQString(codePage, workDir) + QStringLiteral("\n") + QStringLiteral("コマンド: ") +
           ToQString(codePage, commandLine) + QStringLiteral("\n") + QStringLiteral("エラーコード： ") +
           QString::number(error);
}

void TellPlain(Prompter& prompter, const QString& text) {
    prompter.Tell(text, QCoreApplication::applicationName(), MessageIcon::None);
}

void AddHeader(OutputView& view, const std::string& commandLine, const std::string& workDir) {
    std::vector<std::string> header;
    if (view.LineCount() > 0) header.insert(header.end(), {"", ""});
    header.push_back("WorkDir: " + workDir);
    header.push_back("CommandLine: ");
    header.push_back(commandLine);
    header.insert(header.end(), {"", ""});
    view.AppendLines(header);
    view.MakeCurrent(view.LineCount() - 1);
    view.Repaint();
}

void InsertBeforeLast(OutputView& view, std::vector<std::string>& lines) {
    if (lines.empty()) return;
    view.InsertLines(std::max(0, view.LineCount() - 1), lines);
    lines.clear();
    view.MakeCurrent(view.LineCount() - 1);
    view.Repaint();
}

// Reads the pipe to its end (every writer closed), feeding the view batch by batch.
void CaptureOutput(int readFd, OutputView& view) {
    CaptureSplitter splitter;
    std::vector<std::string> lines;
    std::vector<char> buffer(kBatchBytes);

    // Returns true when the output has ended; `drained` tells that a small batch emptied the pipe.
    bool drained = false;
    auto readBatch = [&] {
        std::size_t total = 0;
        drained = false;
        while (total < kBatchBytes) {
            // One read takes what the pipe holds; the splitter gets it in slices as if each
            // slice had been a read of its own.
            const ssize_t n = ::read(readFd, buffer.data(), kBatchBytes - total);
            if (n > 0) {
                const std::string_view got(buffer.data(), static_cast<std::size_t>(n));
                for (std::size_t at = 0; at < got.size(); at += kCaptureSliceSize) {
                    splitter.Feed(got.substr(at, kCaptureSliceSize), lines);
                }
                total += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                drained = total < kCaptureQuietBytes;
                break;
            } else {
                // End of the output; a read error ends the capture the same way.
                splitter.Finish(lines);
                InsertBeforeLast(view, lines);
                return true;
            }
        }
        InsertBeforeLast(view, lines);
        return false;
    };

    if (!QCoreApplication::instance()) {
        const int flags = ::fcntl(readFd, F_GETFL);
        ::fcntl(readFd, F_SETFL, flags & ~O_NONBLOCK);
        while (!readBatch()) {
        }
        return;
    }
    QEventLoop loop;
    QSocketNotifier notifier(readFd, QSocketNotifier::Read);
    QTimer pause;
    pause.setSingleShot(true);
    pause.setInterval(kCapturePauseMs);
    QObject::connect(&pause, &QTimer::timeout, &notifier, [&] { notifier.setEnabled(true); });
    bool ended = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        if (ended) return;
        notifier.setEnabled(false);
        ended = readBatch();
        if (ended) {
            loop.quit();
        } else if (drained) {
            pause.start();
        } else {
            notifier.setEnabled(true);
        }
    });
    loop.exec(QEventLoop::AllEvents);
    if (!ended) {
        // The application is quitting and the loop did not run: read the rest without it.
        pause.stop();
        notifier.setEnabled(false);
        const int flags = ::fcntl(readFd, F_GETFL);
        ::fcntl(readFd, F_SETFL, flags & ~O_NONBLOCK);
        while (!readBatch()) {
        }
    }
}

bool RunCaptured(const std::string& commandLine, const std::string& workDir, OutputView& view,
                 Prompter& prompter, CodePage codePage, const std::vector<EnvironmentChange>& environment,
                 RunControl* control, int& exitCode) {
    view.SetRunFlag(0);
    AddHeader(view, commandLine, workDir);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        TellPlain(prompter, QStringLiteral("パイプの作成に失敗しました。"));
        view.SetRunFlag(1);
        return false;
    }
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);

    pid_t pid = -1;
    const int error = Spawn(SplitCommandLine(commandLine, codePage), workDir, ChildEnvironment(environment),
                            writeEnd.Get(), pid, control != nullptr);
    if (error != 0) {
        readEnd.Close();
        writeEnd.Close();
        TellPlain(prompter, StartFailureText(codePage, commandLine, workDir, error));
        view.SetRunFlag(1);
        return false;
    }
    if (control) control->Attach(pid);
    // Only the child's copies keep the pipe open now: its end is our end of the output.
    writeEnd.Close();
    ::fcntl(readEnd.Get(), F_SETFL, ::fcntl(readEnd.Get(), F_GETFL) | O_NONBLOCK);

    CaptureOutput(readEnd.Get(), view);
    readEnd.Close();
    exitCode = WaitForChild(pid, QEventLoop::AllEvents);
    if (control) control->Detach();

    view.AppendLine("");
    view.SetRunFlag(1);
    return true;
}

}  // namespace

std::vector<EnvironmentChange> NamazuEnvironment() {
    std::vector<EnvironmentChange> environment{
        {"LANG", "ja_JP.eucJP"},
        {"LANGUAGE", std::nullopt},
        {"LC_ALL", std::nullopt},
        {"LC_MESSAGES", std::nullopt},
        {"LC_CTYPE", std::nullopt},
        // The locale need not be installed; Perl (mknmz) would complain of it on every run.
        {"PERL_BADLANG", "0"}};
    const std::string locale = ProcessNamazuLocale().Path();
    if (!locale.empty()) environment.push_back({"LOCPATH", locale});
    return environment;
}

bool RunCommand(const std::string& commandLine, const std::string& workDir, RunMode mode, OutputView* view,
                Prompter& prompter, CodePage codePage, const std::vector<EnvironmentChange>& environment,
                RunControl* control, int* exitCode) {
    int ignored = 0;
    int& code = exitCode ? *exitCode : ignored;
    code = -1;
    if (mode == RunMode::Capture && view) {
        return RunCaptured(commandLine, workDir, *view, prompter, codePage, environment, control, code);
    }

    std::vector<std::string> argv = SplitCommandLine(commandLine, codePage);
    int error = 0;
    if (mode == RunMode::Shown) {
        error = CheckRunnable(argv.empty() ? std::string() : argv.front(), workDir);
        const std::string terminal = FindTerminal();
        if (error == 0 && terminal.empty()) {
            TellPlain(prompter,
                      QStringLiteral("コマンドを表示する端末エミュレータ (x-terminal-emulator、xterm) が"
                                     "見つかりませんでした。\n\n端末エミュレータをインストールするか、"
                                     "オプションの「実行中の経過」を「ウィンドウ内に表示」にしてください。"
                                     "\n\nコマンド: ") +
                          ToQString(codePage, commandLine));
            return false;
        }
        argv.insert(argv.begin(), {terminal, "-e"});
    }
    pid_t pid = -1;
    if (error == 0)
        error = Spawn(std::move(argv), workDir, ChildEnvironment(environment), -1, pid, control != nullptr);
    if (error != 0) {
        TellPlain(prompter, StartFailureText(codePage, commandLine, workDir, error));
        return false;
    }
    if (!control) {
        code = WaitForChild(pid, QEventLoop::ExcludeUserInputEvents);
        return true;
    }
    // The stop button must be able to arrive.
    control->Attach(pid);
    code = WaitForChild(pid, QEventLoop::AllEvents);
    control->Detach();
    return true;
}

struct RunControl::Timer {
    QTimer grace;
};

RunControl::RunControl(std::chrono::milliseconds grace) : m_grace(grace), m_timer(std::make_unique<Timer>()) {
    m_timer->grace.setSingleShot(true);
    QObject::connect(&m_timer->grace, &QTimer::timeout, [this] { Kill(); });
}

RunControl::~RunControl() = default;

void RunControl::Stop() {
    if (m_stopRequested) return;
    m_stopRequested = true;
    if (Running()) Terminate();
}

void RunControl::StopNow() {
    m_stopRequested = true;
    Kill();
}

void RunControl::Reset() {
    m_stopRequested = false;
    m_killed = false;
}

void RunControl::Attach(pid_t pid) {
    m_pid = pid;
    m_lastPid = pid;
    if (m_stopRequested) Terminate();
}

void RunControl::Detach() {
    m_timer->grace.stop();
    // A stopped run leaves nothing behind: what the child started goes with it.
    if (m_stopRequested && m_pid > 0) ::kill(-m_pid, SIGKILL);
    m_pid = -1;
}

void RunControl::Terminate() {
    // The child alone gets the polite signal: a program that finishes its work on it may still
    // need what it started (mknmz its filters).
    ::kill(m_pid, SIGTERM);
    m_timer->grace.start(m_grace);
}

void RunControl::Kill() {
    m_timer->grace.stop();
    if (!Running()) return;
    m_killed = true;
    ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
}
