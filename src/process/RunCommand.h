#pragma once

#include <sys/types.h>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "process/OutputView.h"
#include "process/Prompter.h"
#include "text/CodePage.h"

// How a child is started. The numbers are the stored values.
//   Hidden:  no window; output not redirected; waits, painting goes on, user input does not.
//   Capture: stdout and stderr merged into `view` as they arrive; all events are handled.
//   Shown:   the child runs in a terminal emulator (x-terminal-emulator -e argv..., else xterm);
//            waits as Hidden does. No terminal emulator is a start failure that says so.
enum class RunMode { Hidden = 0, Capture = 1, Shown = 2 };

// One change to the environment the child inherits: set `name`, or remove it when `value`
// is empty.
struct EnvironmentChange {
    std::string name;
    std::optional<std::string> value;
};

// What namazu, mknmz and pnamazu need: LANG=ja_JP.eucJP, and none of the variables that
// would override it (they read LANGUAGE, LC_ALL, LC_MESSAGES and LC_CTYPE before LANG); and
// PERL_BADLANG=0, so that Perl does not warn when that locale is not installed; and LOCPATH
// when the program built that locale itself (ProcessNamazuLocale(), waited for when still being
// built).
std::vector<EnvironmentChange> NamazuEnvironment();

// Lets the caller end the child of a run before it ends by itself (a stop button). Stop()
// sends SIGTERM to the child at once, so a program that cleans up on it can (mknmz finishes
// its current file and writes the index of what it has read), and SIGKILL to the child's whole
// process group when it has not ended after the grace period. A run given a control starts its
// child in a process group of its own, so whatever the child started ends with it, and handles
// user input while it waits in every mode (that is how the stop arrives): the caller disables
// whatever could start a second run. One control serves one run at a time; a batch passes the
// same control to each of its runs and asks StopRequested() between them.
class RunControl {
public:
    explicit RunControl(std::chrono::milliseconds grace = std::chrono::seconds(10));
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // Ends the running child as above; with no child running, the next run's child is ended as
    // soon as it starts. Asking twice changes nothing.
    void Stop();
    // Does not wait for the grace period: kills the running child's group now (a second press of
    // a stop button). Counts as a stop.
    void StopNow();
    // Whether Stop() was called since the last Reset().
    bool StopRequested() const { return m_stopRequested; }
    // Whether the grace period ran out and the child's group was killed.
    bool Killed() const { return m_killed; }
    // Whether a child of a run with this control is running now.
    bool Running() const { return m_pid > 0; }
    // The process id of the last child a run with this control started (it may have ended).
    pid_t LastChild() const { return m_lastPid; }
    // Forgets an earlier stop, for the next batch.
    void Reset();

    // For RunCommand: the child has started, in process group `pid`; it has been reaped.
    void Attach(pid_t pid);
    void Detach();

private:
    void Terminate();
    void Kill();

    std::chrono::milliseconds m_grace;
    pid_t m_pid = -1;
    pid_t m_lastPid = -1;
    bool m_stopRequested = false;
    bool m_killed = false;
    struct Timer;
    std::unique_ptr<Timer> m_timer;
};

// Runs `commandLine` (Windows form, split by SplitCommandLine; never through a shell) in
// `workDir` and returns when the child has ended, with every descriptor it opened closed.
// stdin is /dev/null. `view` is used in Capture mode only. Start failures are told through
// `prompter`; `codePage` is the code page of `commandLine` and `workDir`, for that message.
// Capture without a view runs as Hidden. `environment` changes what the child inherits.
// Returns false when the child could not be started (or the pipe could not be made).
// `exitCode`, when given, receives the child's exit code (128 + the signal that ended it; in
// Shown mode the terminal's), or -1 when there was no child to wait for.
//
// The caller keeps `view` alive until the call returns (TfrmWindow refuses to close while
// its run flag is 0) and disables whatever could start a second run meanwhile.
// With `control`, the caller can end the child early (see RunControl); the result is still
// true for a child that started, so ask the control whether it was stopped.
bool RunCommand(const std::string& commandLine, const std::string& workDir, RunMode mode, OutputView* view,
                Prompter& prompter, CodePage codePage, const std::vector<EnvironmentChange>& environment = {},
                RunControl* control = nullptr, int* exitCode = nullptr);

// Bytes read from the pipe at a time.
inline constexpr std::size_t kCaptureSliceSize = 255;
