#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "process/Prompter.h"
#include "process/RunCommand.h"
#include "text/CodePage.h"

// The command list: its entries, how each one runs, the list file, and the editing rules of
// the list buttons, without a window.
//
// An entry is one line in the program code page:
//   *mknmz ARGS             Perl with the mknmz script and ARGS, in NamazuEnvironment()
//   *mkdir "DIR"            creates DIR with its parents
//   *delete "DIR", "MASK"   deletes the matching ordinary files of DIR (also "DIR","MASK")
//   *chdir "DIR"            the following commands of the run start in DIR
//   !COMMAND LINE           runs the command line as it stands, in the user's environment
// Anything else, and a malformed pseudo-command, does nothing, and the run says why.

// What a run carries from entry to entry. The program never changes its own current folder
// (its own files must not depend on it): *chdir changes `currentDirectory` here, and relative
// folders of *mkdir, *delete and *chdir are taken from it. The window keeps one for its lifetime
// (so a *chdir stays in force after the run) and starts it with the program's current folder.
struct CommandListRun {
    std::string currentDirectory;  // absolute
};

// Step before the first entry of every run: the mknmz script's folder becomes the current
// folder, when it exists.
void EnterMknmzFolder(CommandListRun& run, const Settings& settings, const PlatformProfile& platform);

enum class EntryKind { None, Mknmz, Mkdir, Delete, Chdir, Raw };

// An entry taken apart, before anything is done.
struct ParsedEntry {
    EntryKind kind = EntryKind::None;
    std::string arguments;  // Mknmz: as they follow the name, trimmed; Raw: the text after "!"
    std::string directory;  // Mkdir, Delete, Chdir: between the quotes
    std::string mask;       // Delete
    std::string skipReason;  // None: why the entry does nothing (UTF-8), for the run's view
};

ParsedEntry ParseEntry(std::string_view entry);

// What to start for an entry; an empty command line means nothing (the entry was carried out
// here, or it does nothing).
struct PreparedEntry {
    std::string commandLine;         // Windows form, for RunCommand
    std::string workDir;             // the run's current folder
    bool namazuEnvironment = false;  // start with NamazuEnvironment() (the *mknmz entries)
    std::string outputLink;          // a link made for the command (see below), or empty
    std::string indexFolder;         // *mknmz: the folder it writes its index into
    std::string skipReason;          // the entry could not be carried out: why (UTF-8); else empty
};

// Carries out *mkdir, *delete and *chdir (failures are silent) and composes the command line of
// *mknmz ("PerlPath" "mknmzPath" ARGS) and "!" entries. [Command] mknmzOption does not join the
// command line: what runs is what the entry shows.
// mknmz hands its output folder to Perl's glob, which splits a path at blanks and expands
// wildcards: an index folder (--output-dir, --update) whose path holds one of them is given to
// mknmz as a link in the private temporary folder instead (`outputLink`, removed by the caller
// when the command has ended).
PreparedEntry PrepareEntry(std::string_view entry, CommandListRun& run, const Settings& settings,
                           const PlatformProfile& platform);

// What a run of the make-index window carries out.
enum class RunSource {
    CommandBox,  // the first line of the trimmed edtCommandLine text (none when it is empty)
    List,        // a copy of the whole list
};
std::vector<std::string> EntriesToRun(RunSource source, std::string_view commandLineText,
                                      const std::vector<std::string>& list);

// How the commands of a run start: Capture into edtProcess, or Shown in a terminal when
// [Mknmz] ShowProcess is "DOSWindow" (any letter case).
RunMode CommandListRunMode(const Settings& settings);

// lblProgress during entry i of n: "i / n".
std::string ProgressText(std::size_t i, std::size_t n);

// ---- the list and its buttons ----

struct CommandListState {
    std::vector<std::string> entries;  // lstCmdlineList's items
    int selected = -1;                 // its selected item, -1 for none
};

struct CommandListEnabling {
    bool btnCmdlineModify = false;
    bool btnCmdlineDelete = false;
    bool btnCmdlineUp = false;
    bool btnCmdlineDown = false;
    bool btnCmdlineClear = false;
};

// Recomputed after a selection change, adding, deleting, clearing, loading and BuildCommandList.
CommandListEnabling ListButtonsEnabling(const CommandListState& list);

// btnCmdlineAdd: appends the trimmed first line of the text; nothing when it is empty. A text
// that starts with "-" (mknmz options alone) asks whether to add it as "*mknmz TEXT" (Yes), as
// it stands (No) or not at all. An entry equal to it without regard to letter case (full-width
// letters too) asks the duplicate question first. True when an entry was added.
bool AddCommandLine(CommandListState& list, std::string_view editText, CodePage codePage, Prompter& prompter);
// btnCmdlineModify: the trimmed first line of the text, when not empty, replaces the selected
// entry.
bool ModifyCommandLine(CommandListState& list, std::string_view editText);
// btnCmdlineDelete: removes the selected entry; the entry now at its place is selected, or the
// last one when the removed entry was the last.
bool DeleteCommandLine(CommandListState& list);
// btnCmdlineUp / btnCmdlineDown: move the selected entry and keep it selected.
bool MoveCommandLineUp(CommandListState& list);
bool MoveCommandLineDown(CommandListState& list);
// btnCmdlineClear: asks (No is the default button); true when the list was emptied, and the
// window then puts the focus into edtCmdlineEdit.
bool ClearCommandLines(CommandListState& list, Prompter& prompter);
// Double click or Enter in the list: the selected entry, for edtCmdlineEdit.
std::optional<std::string> EntryToEdit(const CommandListState& list);

// Saving, step 1: every entry trimmed in place, the empty ones removed. The list keeps this.
void TrimCommandLines(CommandListState& list);
