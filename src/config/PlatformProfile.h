#pragma once

#include <optional>
#include <string>

#include "text/CodePage.h"

// How paths are written: Windows (backslashes, drive letters) or the Linux host style.
enum class PathStyle { Windows, Posix };

// Which set of program paths a first-run settings file gets.
enum class FirstRunProfile { Windows, Linux };

struct WindowsVersion {
    int major = 0;
    int minor = 0;
};

// Facts about the machine the program runs on, fixed for the run.
struct PlatformProfile {
    std::string programFilePath;  // the program file, as the system reports it
    std::string programFolder;    // with a trailing separator
    CodePage codePage = CodePage::Utf8;
    PathStyle pathStyle = PathStyle::Posix;
    std::string tempFolder;                        // private to the user, with a trailing separator
    std::optional<WindowsVersion> windowsVersion;  // absent on Linux
    FirstRunProfile firstRun = FirstRunProfile::Linux;
    // Where settings and aliases.ini go when the program's folder is read-only, and always for
    // an installed program: $XDG_CONFIG_HOME/quarrow/.
    std::string configFallbackFolder;
    // The program's own pages (help/, README.md): its folder, or <prefix>/share/quarrow/ when installed.
    std::string dataFolder;
    bool installed = false;
};

// For a program folder "<prefix>/bin/" that has "<prefix>/share/quarrow/" beside it, that data
// folder: the program is an installed one. Empty for any other folder (a build tree).
std::string InstalledDataFolder(const std::string& programFolder);

// The profile of this process on Linux. Creates the private temporary folder (mode 0700).
PlatformProfile HostPlatformProfile();

// $XDG_RUNTIME_DIR/quarrow, else <tmp>/quarrow-<uid>; created with mode 0700 when missing.
std::string PrivateTempFolder();

// The folder part of a path, with its trailing separator.
std::string FolderOf(const std::string& path, PathStyle style);

char PathSeparator(PathStyle style);
