#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"

// The sort keys in the order of the sort table; the first checked one wins.
enum class SortKey { Later, Earlier, Score, Title, Date, Uri, Size, From, To, Newsgroup };

// One row of the table that ties the sort menu, the sort combo box, the `Sort` word and
// namazu's option together.
struct SortRow {
    SortKey key;
    const char* menuName;
    const char* comboItem;  // UTF-8
    const char* word;
    const char* option;
};
extern const std::array<SortRow, 10> kSortRows;

const SortRow& RowOf(SortKey key);
// The sort key a `Sort` setting names at start ("None" and unknown words give Score).
SortKey SortKeyFromSetting(std::string_view word);

// The number-of-hits choice as the menu, the combo box and the `ListCount` setting hold it.
enum class ListCountItem { Twenty, Fifty, Hundred, All };
struct ListCountState {
    ListCountItem item = ListCountItem::Twenty;
    std::string listCount;  // the setting's new text
    std::string comboText;  // what the combo box shows (UTF-8)
};
// From the stored setting, at start.
ListCountState ListCountAtStart(const std::string& listCount);
// From what the user left in the combo box (`allSelected`: its fourth item is selected).
ListCountState ListCountAfterEdit(const std::string& comboText, bool allSelected);

// What the menus say about the next search.
struct SearchMenuState {
    std::optional<SortKey> sort;
    bool ascending = false;
    bool contentsOff = false;
    bool listCountAll = false;
};

struct SearchCommand {
    std::string commandLine;     // as shown to the user, in the program code page
    std::string runCommandLine;  // as run: on Linux the query is in namazu's code (EUC-JP)
    // A character of the query that the index's code cannot hold (program code page); the
    // search must not run then, as namazu would look for something else.
    std::string unconvertible;
    std::string resultFilePath;
    std::string workDir;
};

// Composes the namazu (or Perl + pnamazu) command line of a search. `namazurcExists` says
// whether a file exists at `NamazurcPath`.
SearchCommand ComposeSearchCommand(const SearchMenuState& menus, std::string_view query,
                                   const Settings& settings, const PlatformProfile& platform,
                                   const std::vector<std::string>& drives, bool namazurcExists);

// True when the query is empty, or empty once every full-width blank is removed.
bool IsBlankQuery(std::string_view query, CodePage codePage);
