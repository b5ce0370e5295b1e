#pragma once

#include <optional>
#include <string>
#include <vector>

#include "process/OutputView.h"
#include "process/Prompter.h"
#include "text/CodePage.h"

// How a child is started. The numbers are the stored values.
//   Hidden:  no window; output not redirected; waits, painting goes on, user input does not.
//   Capture: stdout and stderr merged into `view` as they arrive; all events are handled.
//   Shown:   the child runs in a terminal emulator (x-terminal-emulator -e argv...); waits as
//            Hidden does.
enum class RunMode { Hidden = 0, Capture = 1, Shown = 2 };

// One change to the environment the child inherits: set `name`, or remove it when `value`
// is empty.
struct EnvironmentChange {
    std::string name;
    std::optional<std::string> value;
};

// What namazu, mknmz and pnamazu need: LANG=ja_JP.eucJP, and none of the variables that
// would override it (they read LANGUAGE, LC_ALL, LC_MESSAGES and LC_CTYPE before LANG); and
// PERL_BADLANG=0, so that Perl does not warn when that locale is not installed.
std::vector<EnvironmentChange> NamazuEnvironment();

// Runs `commandLine` (Windows form, split by SplitCommandLine; never through a shell) in
// `workDir` and returns when the child has ended, with every descriptor it opened closed.
// stdin is /dev/null. `view` is used in Capture mode only. Start failures are told through
// `prompter`; `codePage` is the code page of `commandLine` and `workDir`, for that message.
// Capture without a view runs as Hidden. `environment` changes what the child inherits.
// Returns false when the child could not be started (or the pipe could not be made).
// The child's exit code is not examined.
//
// The caller keeps `view` alive until the call returns (TfrmWindow refuses to close while
// its run flag is 0) and disables whatever could start a second run meanwhile.
bool RunCommand(const std::string& commandLine, const std::string& workDir, RunMode mode, OutputView* view,
                Prompter& prompter, CodePage codePage,
                const std::vector<EnvironmentChange>& environment = {});

// Bytes read from the pipe at a time.
inline constexpr std::size_t kCaptureSliceSize = 255;
