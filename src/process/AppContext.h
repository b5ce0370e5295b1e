#pragma once

#include <string>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "process/Prompter.h"

// What every window needs, made once in main() and passed down.
struct AppContext {
    Settings settings;
    PlatformProfile platform;
    Prompter* prompter = nullptr;     // not owned
    std::vector<std::string> drives;  // drive-constant lines, "{hd1} => /    [label]"
    std::string systemctl = "systemctl";  // switches the daily update's user timer
};
