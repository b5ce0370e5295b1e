#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "indexer/CommandList.h"
#include "indexer/MknmzProgress.h"
#include "process/OutputView.h"
#include "process/Prompter.h"
#include "process/RunCommand.h"

// Runs command-list entries one after the other, for any window: the make-index window runs
// its list with it, and a window that updates indexes can run "*mknmz --update=" entries into
// a console window the same way. No widget here: what a run shows goes to an OutputView and a
// RunProgressSink; a RunControl stops it.

// How an entry ended.
enum class EntryOutcome {
    Done,         // carried out: its command, if it had one, ended with exit code 0
    NoDocuments,  // a captured *mknmz command ended well without telling of a document: it found none
    Failed,       // its command could not start, or ended with another exit code (in a terminal,
                  // whose exit code is the terminal's, only a terminal that could not start)
    Stopped,      // the stop was asked for while it ran
    Skipped,      // it could not be carried out (not a command, or a malformed one): nothing ran
};

// What a batch tells as it goes. Every call comes from the user-interface thread, between the
// reads of the running command's output.
class RunProgressSink {
public:
    virtual ~RunProgressSink() = default;
    // Entry `number` of `count` (from 1) is about to be carried out.
    virtual void EntryStarting(std::size_t number, std::size_t count, const std::string& entry) = 0;
    // mknmz has told how far it is in the running entry (its last "k/N - path" line of a read).
    virtual void DocumentProgress(const MknmzProgressLine& progress) = 0;
    // The entry is done: its command, if it had one, has ended.
    virtual void EntryEnded(std::size_t number, EntryOutcome outcome) = 0;
};

struct EntryRunOptions {
    // Capture into `view`; Shown runs each command in a terminal window ("DOSWindow").
    RunMode mode = RunMode::Capture;
    OutputView* view = nullptr;       // Capture: where the output goes
    RunProgressSink* sink = nullptr;  // may be null
    RunControl* control = nullptr;    // may be null: the batch cannot be stopped
};

struct BatchResult {
    bool stopped = false;       // the control's stop was asked for during the batch
    std::size_t finished = 0;   // entries carried out to their end, failed ones too
    std::size_t remaining = 0;  // entries never started because of the stop
    std::vector<std::size_t> failed;  // the numbers (from 1) of the entries that failed
};

// Runs `entries` (the caller's own copy: edits of the list meanwhile change nothing): the
// mknmz folder becomes the run's current folder first, then each entry is prepared
// (PrepareEntry) and its command line, if any, run through RunCommand in `run`'s current folder.
// A command that cannot start has been told by the runner, and the next entry follows; a
// captured command that ends with an error, and an entry that could not be carried out, get a
// line saying so. After a stop no further entry starts.
BatchResult RunCommandEntries(const std::vector<std::string>& entries, CommandListRun& run,
                              const Settings& settings, const PlatformProfile& platform, Prompter& prompter,
                              const EntryRunOptions& options);

// What the output view says after a stopped batch (UTF-8): a blank line, that it was stopped (and
// whether killed), and, when entries were left out, their number followed by `leftOut`.
std::vector<std::string> StopNote(bool killed, std::size_t remaining, std::string_view leftOut);

// The mode a run takes by [Mknmz] ShowProcess: "DOSWindow" (letter case ignored) is Shown,
// anything else Capture.
RunMode ModeForShowProcess(const std::string& showProcess);
