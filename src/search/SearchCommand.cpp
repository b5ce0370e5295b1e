#include "search/SearchCommand.h"

#include "config/IniFile.h"
#include "process/CommandLine.h"
#include "process/IndexDirectories.h"
#include "process/Paths.h"
#include "text/NamazuQuery.h"

const std::array<SortRow, 10> kSortRows = {{
    {SortKey::Later, "mnuSortLater", "新しい順", "Later", " --late"},
    {SortKey::Earlier, "mnuSortEarlier", "古い順", "Earlier", " --early"},
    {SortKey::Score, "mnuSortScore", "スコア", "Score", " --sort=score"},
    {SortKey::Title, "mnuSortTitle", "題名", "Title", " --sort=field:subject"},
    {SortKey::Date, "mnuSortDateHeader", "Date: ヘッダ", "Date", " --sort=field:date"},
    {SortKey::Uri, "mnuSortFileName", "ファイル名", "URI", " --sort=field:uri"},
    {SortKey::Size, "mnuSortFileSize", "ファイルサイズ", "Size", " --sort=field:size"},
    {SortKey::From, "mnuSortFrom", "差出人", "From", " --sort=field:from"},
    {SortKey::To, "mnuSortTo", "宛先", "To", " --sort=field:to"},
    {SortKey::Newsgroup, "mnuSortNewsGroup", "ニュースグループ", "Newsgroup", " --sort=field:newsgroup"},
}};

const SortRow& RowOf(SortKey key) {
    return kSortRows[static_cast<std::size_t>(key)];
}

SortKey SortKeyFromSetting(std::string_view word) {
    for (const SortRow& row : kSortRows) {
        if (SettingIs(word, row.word)) return row.key;
    }
    return SortKey::Score;
}

namespace {

ListCountItem ItemForNumber(int n) {
    return n <= 20 ? ListCountItem::Twenty : n <= 50 ? ListCountItem::Fifty : ListCountItem::Hundred;
}

const char* const kAllItem = "すべて";

}  // namespace

ListCountState ListCountAtStart(const std::string& listCount) {
    const int n = ParseCount(listCount, 0);
    if (n >= 1 && n <= 100) return {ItemForNumber(n), listCount, listCount};
    if (SettingIs(listCount, "all")) return {ListCountItem::All, listCount, kAllItem};
    return {ListCountItem::Twenty, "20", "20"};
}

ListCountState ListCountAfterEdit(const std::string& comboText, bool allSelected) {
    if (allSelected) return {ListCountItem::All, "All", kAllItem};
    const int n = ParseCount(comboText, 20);
    if (n >= 1 && n <= 100) return {ItemForNumber(n), std::to_string(n), comboText};
    return {ListCountItem::Twenty, "20", "20"};
}

bool IsBlankQuery(std::string_view query, CodePage codePage) {
    const std::string trimmed = TrimBlanksAndControls(query);
    const std::string_view fullWidthBlank = codePage == CodePage::Cp932 ? "\x81\x40" : "\xE3\x80\x80";
    for (std::size_t pos = 1; pos <= trimmed.size();) {
        const std::size_t len = CharLength(codePage, trimmed, pos);
        if (std::string_view(trimmed).substr(pos - 1, len) != fullWidthBlank) return false;
        pos += len;
    }
    return true;
}

namespace {

std::string SortOptions(const SearchMenuState& menus) {
    if (!menus.sort) return {};
    if (*menus.sort == SortKey::Earlier || *menus.sort == SortKey::Later) return RowOf(*menus.sort).option;
    return std::string(RowOf(*menus.sort).option) + (menus.ascending ? " --ascending" : "");
}

std::string ListCountOption(const SearchMenuState& menus, const Settings& settings) {
    if (menus.listCountAll) return " --all";
    int n = ParseCount(settings.Search.ListCount, 20);
    if (n < 1) n = 20;
    if (n > 100) n = 100;
    return " --max=" + std::to_string(n);
}

std::string WorkingDirectory(const PlatformProfile& platform) {
    std::string folder = platform.programFolder;
    const std::size_t rootLength = platform.pathStyle == PathStyle::Windows ? 3 : 1;  // "C:\" or "/"
    if (folder.size() > rootLength && folder.back() == PathSeparator(platform.pathStyle)) folder.pop_back();
    return folder;
}

}  // namespace

namespace {

// One index entry as namazu gets it, or nothing for an empty entry.
std::string IndexArgument(const std::string& entry, const std::string& first, bool relative,
                          const PlatformProfile& platform, const std::vector<std::string>& drives) {
    if (entry.empty()) return {};
    if (relative && entry.size() > first.size() && entry.compare(0, first.size(), first) == 0) {
        std::string rest = entry.substr(first.size());
        if (!rest.empty() && rest.front() == PathSeparator(platform.pathStyle)) rest.erase(0, 1);
        return "+" + rest;
    }
    if (entry.front() == '+') return entry;
    // An entry the user already quoted is quoted once, not twice: doubled quotes would split it.
    return QuoteArgument(IndexFolderPath(entry, platform, drives), platform.codePage);
}

std::string ComposeLine(const SearchMenuState& menus, const std::string& query, const Settings& settings,
                        const PlatformProfile& platform, const std::vector<std::string>& drives,
                        bool namazurcExists, const std::string& resultFilePath, bool html) {
    const bool pnamazu = FlagOn(settings.Command.Usepnamazu);
    std::string options = SortOptions(menus);
    if (menus.contentsOff) options += " --short";
    options += ListCountOption(menus, settings);
    if (html) options += pnamazu ? " -h" : " --html";

    std::string line =
        pnamazu ? QuoteArgument(settings.Command.PerlPath, platform.codePage) + " " + QuoteArgument(settings.Command.pnamazuPath, platform.codePage)
                : QuoteArgument(settings.Command.namazuPath, platform.codePage);
    line += options;
    const bool useNamazurc = FlagOn(settings.Search.UseNamazurc);
    if (useNamazurc && namazurcExists) {
        line += (pnamazu ? " -f " : " --config=") + QuoteArgument(settings.Search.NamazurcPath, platform.codePage);
    }
    line += (pnamazu ? " -o " : " --output=") + QuoteArgument(resultFilePath, platform.codePage) + " ";
    const std::string extra = TrimBlanks(settings.Command.namazuOption);
    if (!extra.empty()) line += extra + " ";
    line += QuoteArgument(query, platform.codePage);

    if (useNamazurc && FlagOn(settings.Search.SetIndexInNamazurc)) return line;
    const bool relative = FlagOn(settings.Search.RelativePath);
    const std::size_t start = useNamazurc && relative ? 1 : 0;
    const std::string first = settings.Directories.empty() ? std::string() : settings.Directories.front();
    for (std::size_t k = start; k < settings.Directories.size(); ++k) {
        const std::string argument =
            IndexArgument(settings.Directories[k], first, relative, platform, drives);
        if (!argument.empty()) line += " " + argument;
    }
    return line;
}

}  // namespace

SearchCommand ComposeSearchCommand(const SearchMenuState& menus, std::string_view query,
                                   const Settings& settings, const PlatformProfile& platform,
                                   const std::vector<std::string>& drives, bool namazurcExists) {
    SearchCommand command;
    const bool html = ResultsAsHtml(settings);
    const std::string temp = AddTrailingBackslash(platform.tempFolder, platform.pathStyle, platform.codePage);
    command.resultFilePath = temp + (html ? "result.html" : "result.txt");
    command.workDir = WorkingDirectory(platform);
    const std::string q(query);
    command.commandLine =
        ComposeLine(menus, q, settings, platform, drives, namazurcExists, command.resultFilePath, html);
    // namazu on Linux keeps its index in EUC-JP, as mknmz's nkf wrote it, and compares the
    // query's bytes as they are.
    std::string runQuery = q;
    if (platform.pathStyle == PathStyle::Posix) {
        NamazuQuery converted = QueryToNamazuEuc(platform.codePage, q);
        runQuery = std::move(converted.eucJp);
        command.unconvertible = std::move(converted.unconvertible);
    }
    command.runCommandLine = ComposeLine(menus, runQuery, settings, platform, drives, namazurcExists,
                                         command.resultFilePath, html);
    return command;
}
