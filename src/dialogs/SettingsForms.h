#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "process/RunCommand.h"

// What the settings and namazurc dialogs show, as plain values: the dialogs fill their
// controls from these and read them back; the rules live here. Texts are in the program
// code page.

// The choices of the settings dialog's radio groups, in the order of their items.
enum class ResultOutput { Text, WebBrowser };
enum class MknmzWindow { Internal, DosWindow };
enum class WebBrowserOutput { Internal, External };
enum class WebBrowserType { Navigator, InternetExplorer, Default };

struct SettingsForm {
    bool showExplanation = false;
    bool savePosition = false;
    ResultOutput resultOutput = ResultOutput::Text;
    std::string blankLine;  // the edit texts, as typed
    std::string spaceCount;
    bool usePnamazu = false;
    bool searchOnChangeSettings = false;
    bool confirmCommandLine = false;
    bool useConstantInBrowser = false;
    MknmzWindow mknmzWindow = MknmzWindow::Internal;
    WebBrowserOutput webBrowserOutput = WebBrowserOutput::Internal;
    WebBrowserType webBrowserType = WebBrowserType::Default;
    std::string navigatorPath, perlPath, mknmzPath, namazuPath, pnamazuPath;
    std::string namazuParams;
};

// The form as the dialog opens: words compared without regard to case, flags on when "1",
// the two numbers as the stored number (0 when the text is not one).
SettingsForm ReadSettingsForm(const Settings& settings);

// The OK rule's test of a file-name-position box: a whole number greater than 0.
bool IsValidFileNamePosition(std::string_view text);

// Which of the two number boxes OK refuses first, if any.
enum class InvalidNumber { None, BlankLine, SpaceCount };
InvalidNumber FirstInvalidNumber(const SettingsForm& form);

// Stores every setting of the form, in the order of the dialog's table; words in their
// written form, numbers as typed.
void StoreSettingsForm(const SettingsForm& form, Settings& settings);

// What "初期値(&E)" puts into the Perl, mknmz and namazu edits: the values the profile's
// settings take when the file does not name them.
struct DefaultProgramPaths {
    std::string perlPath, mknmzPath, namazuPath;
};
DefaultProgramPaths DefaultPathsFor(const PlatformProfile& platform);

// A path cut into its folder (no trailing separator, except a root such as "/" or "C:\") and
// its file name. Windows style steps over double-byte characters.
struct PathParts {
    std::string folder;
    std::string fileName;
};
PathParts SplitPath(std::string_view path, PathStyle style, CodePage codePage);

// Where a browse button's file dialog starts and which name it proposes.
struct BrowseStart {
    std::string folder;  // empty: no starting folder
    std::string fileName;
};

// The settings dialog's browse buttons go by the path stored in the settings (not the edit's
// text): its folder when that exists, else the program's folder; its file name.
BrowseStart SettingsBrowseStart(const std::string& storedPath, const PlatformProfile& platform);

// One captured run of the option help.
struct OptionHelpRun {
    std::string commandLine;
    std::string workDir;
    std::vector<EnvironmentChange> environment;
};

// perl -v, perl mknmz --help, namazu --help, each in its program's folder, from the texts in
// the edits. mknmz and namazu get NamazuEnvironment() so that they speak Japanese.
std::vector<OptionHelpRun> OptionHelpRuns(const std::string& perlPath, const std::string& mknmzPath,
                                          const std::string& namazuPath, PathStyle style, CodePage codePage);

// The namazurc dialog.
struct NamazurcForm {
    std::string path;
    bool setIndex = false;
    bool dontUse = true;  // "namazurc を指定しない": the inverse of UseNamazurc
};

NamazurcForm ReadNamazurcForm(const Settings& settings);
void StoreNamazurcForm(const NamazurcForm& form, Settings& settings);

// The folder of the edit's text, or of the stored path when the edit is empty; its file name.
BrowseStart NamazurcBrowseStart(const std::string& editText, const std::string& storedPath, PathStyle style,
                                CodePage codePage);
