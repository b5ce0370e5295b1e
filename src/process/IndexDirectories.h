#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "text/CodePage.h"

// Splits a search-place text into index directories: blanks separate entries except inside
// double quotes; entries keep their quotes; duplicates (without regard to ASCII case) are
// dropped. Both bytes of a double-byte character are ordinary text.
std::vector<std::string> SplitIndexDirectories(std::string_view text, CodePage codePage);

// The first `count` entries joined with single blanks.
std::string JoinIndexDirectories(const std::vector<std::string>& directories, std::size_t count);
std::string JoinIndexDirectories(const std::vector<std::string>& directories);

// Replaces `Directories`, `DirectoryCount` and `IndexDirectoryText` from the text.
void ParseIndexDirectories(std::string_view text, Settings& settings, CodePage codePage);

// The folder of a search-place entry as namazu opens it: quotes taken off, relative to the
// program's folder, drive constant expanded. Empty for an empty entry and for a "+name" entry,
// which namazurc's IndexDir resolves.
std::string IndexFolderPath(const std::string& entry, const PlatformProfile& platform,
                            const std::vector<std::string>& drives);
