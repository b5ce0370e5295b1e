#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"

// Updating indexes with no window (from cron or a systemd timer): the same "*mknmz --update"
// entries through the command-list runner, mknmz's output as UTF-8 lines on `out`, each index
// that could not be updated named on `err`. Each index is locked (IndexLock) for its run; one
// that another process is updating is waited for. Nothing is written into the settings.

struct HeadlessUpdateResult {
    int exitCode = 0;                 // 0 all updated, 1 any failed or none to update
    std::vector<std::string> failed;  // as named on `err`
};

// `indexFolders` (program code page) are the indexes to update; none: those of the search place
// in `settings`.
HeadlessUpdateResult UpdateIndexesHeadless(const std::vector<std::string>& indexFolders, const Settings& settings,
                                           const PlatformProfile& platform, const std::vector<std::string>& drives,
                                           std::FILE* out, std::FILE* err);
