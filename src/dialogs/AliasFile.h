#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "text/CodePage.h"

class IniFile;

// aliases.ini, written by hand and only read: named sets of index directories and named groups
// of prepared queries. Texts are in the program code page.
struct QueryEntry {
    std::string shown;  // the caption, or the query itself when there is none
    std::string query;  // as it goes to namazu
    bool checked = false;
};

struct QueryGroup {
    std::string name;
    std::vector<QueryEntry> queries;
};

struct AliasFile {
    std::vector<std::string> aliasNames;
    // Per alias, its non-blank directories joined with CR LF.
    std::vector<std::string> AliasDirectories;
    std::vector<QueryGroup> QueryGroups;
};

// A count larger than the keys present still lists empty entries, but only up to these bounds:
// far beyond any file written by hand, small enough that a count such as 999999999 neither
// hangs the dialog nor exhausts memory.
inline constexpr std::size_t kMaxAliasListEntries = 10000;    // aliases, groups, queries of a group
inline constexpr std::size_t kMaxAliasQueriesInAll = 100000;  // queries of all groups together

// aliases.ini lives beside the settings file.
std::string AliasFilePath(const std::string& settingsPath, PathStyle style);

// Reads the file with the profile rules: names without regard to case, values trimmed and
// unquoted once, a count that is missing or not a number is 0. A missing file gives empty lists.
AliasFile LoadAliasFile(const std::string& path, CodePage codePage);
AliasFile ReadAliasFile(const IniFile& ini);

// The query texts of every ticked query, group by group, each group in its own order.
std::vector<std::string> SelectedQueries(const std::vector<QueryGroup>& groups);

// One query from several: joined by blanks (all required), or with the OR state each entry
// that is not already parenthesised is wrapped in "( ... )" and the entries joined by " or ".
std::string CombineQueries(const std::vector<std::string>& queries, bool orState);

// OK with aliases chosen (0-based rows, in list order): their directories become the search
// place, parsed and normalised. With no alias chosen the search place stays as it was.
void ApplyChosenAliases(const AliasFile& file, const std::vector<int>& chosen, Settings& settings,
                        CodePage codePage);

// What the alias dialog leaves for the search window; it lives as long as the program.
struct AliasDialogState {
    bool OrFlag = false;
    int LastAliasPage = 0;  // 1 the directory page, 2 the query page; 0 counts as 1
    std::vector<std::string> SelectedQueries;
};
