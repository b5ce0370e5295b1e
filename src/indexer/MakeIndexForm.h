#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "process/Prompter.h"
#include "text/CodePage.h"

// The make-index form as plain data, and the command-list entries it becomes.
//
// The window reads its controls into a MakeIndexForm (texts in the program code page, the
// field names are the controls' names), calls CheckOptions and, when that lets it, then
// BuildCommandList with its list's entries and the Shift state it read at the button press
// (QGuiApplication::queryKeyboardModifiers()). Afterwards it shows the entries, recomputes the
// list buttons' enabling (ListButtonsEnabling) and, when BuildCommandList returned more than
// 0, shows tabReserve with the focus in edtCmdlineEdit.

inline constexpr std::size_t kCriteriaCount = 12;
inline constexpr std::size_t kCriteriaDelete = 0;  // "*delete" entries before building
inline constexpr std::size_t kCriteriaUpdate = 1;  // the update form of the entries

// The texts of lstCriteria's items, in list order (UTF-8; the window converts them).
extern const std::array<const char*, kCriteriaCount> kCriteriaItemTexts;

struct CriteriaItem {
    std::string text;  // as the list shows it, in the program code page
    bool checked = false;
};

struct MakeIndexForm {
    // tab1 "ディレクトリ(&1)"
    std::string edtTargetDirectories;  // one directory per line; CR LF, CR or LF end a line
    bool chkMakeEach = false;
    bool chkCreateDirEach = false;  // read even while disabled: it keeps its check mark
    bool chkSerialDirName = false;
    bool chkExcludeDir = false;
    std::string edtExcludeDirPattern;
    bool chkOutputDir = false;
    std::string edtOutputDir;

    // tab2 "ファイル(&2)"; none of the three radio buttons may be selected
    bool optTargetDefault = true;
    bool optTargetAll = false;
    bool optTargetRegex = false;
    std::string edtTargetFilePattern;
    bool chkTargetFileList = false;
    std::string edtTargetFileListFileName;
    bool chkDenyFile = false;
    std::string edtDenyFilePattern;

    // tab3 "その他(&3)"
    std::array<CriteriaItem, kCriteriaCount> lstCriteria;
    bool chkMediaType = false;
    std::string edtMediaType;
    bool chkReplace = false;
    std::string edtReplace;
    bool chkMknmzrc = false;
    std::string edtMknmzrcFileName;
    std::string edtOtherParameters;
};

// A form as a newly created window holds it: every box cleared, optTargetDefault selected,
// the twelve item texts in `codePage`.
MakeIndexForm NewMakeIndexForm(CodePage codePage);

// The mknmz option an item of lstCriteria contributes: the text after the "(" of the first
// "(-", without the item's last character; empty for an item without "(-".
std::string CriteriaOption(std::string_view itemText);

// Shows a message and returns true when the entries must not be built; false when they may be.
// May create the output folder (with its parents) after asking. Paths are the host's.
bool CheckOptions(const MakeIndexForm& form, const PlatformProfile& platform, Prompter& prompter);

// Turns the form into entries of `commandList`: cleared first unless `shiftHeld`, then the new
// entries appended. Returns -1 after an error message (the list untouched), otherwise the number
// of entries the list holds afterwards. Paths in *mknmz entries are quoted so that
// SplitCommandLine gives each back whole.
int BuildCommandList(const MakeIndexForm& form, std::vector<std::string>& commandList, bool shiftHeld,
                     const PlatformProfile& platform, Prompter& prompter);

// The path without its last character when that is a separator of the style standing as a
// character of its own (Windows "\", a CP932 trail byte 0x5C is not one; Posix "/"). A root
// stays a root: "C:\", "\" and "/" come back unchanged. Anything else, "" included, unchanged.
std::string RemoveTrailingBackslash(std::string_view path, PathStyle style, CodePage codePage);

// Leading and trailing blanks and control characters removed.
std::string TrimText(std::string_view text);

// Creates a folder with every missing parent (host paths). True when it exists afterwards.
bool MakeDirectories(const std::string& path);

// The lines of a multi-line text: CR LF, CR or LF end a line; a final line end adds no line.
std::vector<std::string> SplitTextLines(std::string_view text);
