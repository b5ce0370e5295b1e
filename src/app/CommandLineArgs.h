#pragma once

#include <string>
#include <vector>

// What the program is started for, from its arguments (without the program name). Only the
// first argument chooses: the window ignores every other argument (Qt's own, such as -platform,
// still reach Qt), so "quarrow some-file" opens the window as it always did.
enum class StartMode { Window, Update, Help, Version, Bad };

struct CommandLineArgs {
    StartMode mode = StartMode::Window;
    std::vector<std::string> indexFolders;  // --update's folders, as given
    std::string error;                      // Bad: what was wrong (UTF-8)
};

CommandLineArgs ParseCommandLineArgs(const std::vector<std::string>& args);

// The texts of --help and --version (UTF-8, ending with a newline).
std::string UsageText();
std::string VersionText();
