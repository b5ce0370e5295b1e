// Any aliases.ini reads into bounded lists that agree with each other, and choosing every alias
// and every query gives a search place and a query without fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/IniFile.h"
#include "dialogs/AliasFile.h"
#include "process/IndexDirectories.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    AliasFile file = ReadAliasFile(IniFile(text));
    if (file.aliasNames.size() != file.AliasDirectories.size()) __builtin_trap();
    if (file.aliasNames.size() > kMaxAliasListEntries) __builtin_trap();
    if (file.QueryGroups.size() > kMaxAliasListEntries) __builtin_trap();

    std::vector<int> all;
    for (std::size_t a = 0; a < file.AliasDirectories.size(); ++a) {
        const std::string& directories = file.AliasDirectories[a];
        // Blank directories are skipped, so no line of the text is empty.
        const bool badEnds =
            directories.rfind("\r\n", 0) == 0 ||
            (directories.size() >= 2 && directories.compare(directories.size() - 2, 2, "\r\n") == 0);
        if (badEnds || directories.find("\r\n\r\n") != std::string::npos) __builtin_trap();
        all.push_back(static_cast<int>(a));
    }
    std::size_t total = 0;
    for (QueryGroup& group : file.QueryGroups) {
        total += group.queries.size();
        for (QueryEntry& entry : group.queries) {
            if (entry.shown.empty() && !entry.query.empty()) __builtin_trap();
            entry.checked = true;
        }
    }
    if (total > kMaxAliasQueriesInAll) __builtin_trap();

    const std::vector<std::string> queries = SelectedQueries(file.QueryGroups);
    if (queries.size() != total) __builtin_trap();
    (void)CombineQueries(queries, false);
    if (!queries.empty() && CombineQueries(queries, true).empty()) __builtin_trap();

    Settings settings;
    ApplyChosenAliases(file, all, settings, CodePage::Utf8);
    if (settings.IndexDirectoryText != JoinIndexDirectories(settings.Directories)) __builtin_trap();
    return 0;
}
