#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"

// The settings values: one text per key of the settings file, held for the whole run.
// Flags are "1" and "0". Texts are in the program code page.
struct Settings {
    struct {
        std::string SavePosition, ScreenType, StayOnTop, ShowIndexDir, ShowStatusBar, ShowExplanation;
    } Window;
    struct {
        std::string DirectoryCount, FormulaHistoryCount, Sort, SortDirection, ShowContents, ListCount,
            UseNamazurc, NamazurcPath, SetIndexInNamazurc, RelativePath;
    } Search;
    struct {
        std::string SearchOnChangeSettings, ConfirmCommandLine, FontNameResult, FontSizeResult,
            FontBoldResult, FontNameText, FontSizeText, FontBoldText, Color, DisplayTo, FileNameBlankLineNext,
            FileNameSpaceFromEnd, UseDriveConstantsWebBrowser;
    } Result;
    struct {
        std::string Convert, DecodeHeader;
    } Text;
    struct {
        std::string HowToOpen;
    } Document;
    struct {
        std::string DisplayTo, Type, NavigatorPath;
    } WebBrowser;
    struct {
        std::string ShowProcess;
    } Mknmz;
    // Keeping the indexes of the search place fresh while the program runs.
    struct {
        std::string Watch, WatchDelaySeconds;
    } Index;
    struct {
        std::string namazuPath, mknmzPath, PerlPath, pnamazuPath, namazuOption, mknmzOption, NamazuVersion,
            Usepnamazu;
    } Command;

    std::vector<std::string> Directories;   // index directories, in order
    std::vector<std::string> QueryHistory;  // past queries, most recent first
    std::string IndexDirectoryText;         // Directories joined with single blanks
    std::string SettingsPath;
    // Something is at SettingsPath that could not be read (no permission, not a regular file, too
    // large): the values are the absent ones, and nothing may ever be written over it.
    bool Unreadable = false;
};

// The settings file's path: beside the program, its file name lower-cased with ".ini"
// (Windows style lower-cases the whole path). On Linux, when the program is an installed one or
// its folder is not writable, the file lives in the profile's fallback folder.
std::string SettingsPathFor(const PlatformProfile& platform);

// The folder of the settings file and aliases.ini, with a trailing separator.
std::string ConfigFolderFor(const PlatformProfile& platform);

// Windows 95 (and NT 4.0): major version 4, minor below 10.
bool IsWindows95(int major, int minor);

// Creates the file with the first-run values when nothing is at its path, then loads it.
Settings InitSettings(const PlatformProfile& platform);

// Writes every key of the first-run table in order. False when the file could not be written.
bool WriteDefaultSettings(const std::string& path, const PlatformProfile& platform);

// Reads every key; missing keys take their absent values (which depend on the profile for
// the program paths).
Settings LoadSettings(const std::string& path, const PlatformProfile& platform);

// Writes the values back into the file, keeping everything else in it. Does nothing to a
// read-only, vanished or unreadable file; a failed write leaves the file as it was. Never reports.
void SaveSettings(const std::string& path, const Settings& settings, CodePage codePage);

// A count read from the file: the number, or `fallback` when the text is not one.
int ParseCount(const std::string& text, int fallback);

// Words of the settings compared without regard to ASCII case.
bool SettingIs(std::string_view value, std::string_view word);
// A flag's stored text read ("1" is on, anything else off) and written.
bool FlagOn(std::string_view flag);
const char* FlagText(bool on);

// Results as an HTML page at all (the `Result` section's `DisplayTo`).
bool ResultsAsHtml(const Settings& settings);
// Results as an HTML page shown in an outside browser.
bool ResultsInExternalBrowser(const Settings& settings);
