#include "config/Settings.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>

#include "config/FileIo.h"
#include "config/RegularFile.h"
#include "config/IniFile.h"

namespace {

using Field = std::string& (*)(Settings&);
#define FIELD(section, key) [](Settings& s) -> std::string& { return s.section.key; }

// A value that may differ between the Windows and the Linux profile (nullptr: the same).
struct Value {
    const char* windows;
    const char* linux = nullptr;
    const char* For(FirstRunProfile profile) const {
        return profile == FirstRunProfile::Linux && linux ? linux : windows;
    }
};

// Later: keys added after the first-run file was fixed; read with their absent value and written
// by a save, never on first run.
enum class Kind { Plain, FirstRunOnly, Win95Dependent, Later };

struct Key {
    const char* section;
    const char* key;
    Field field;  // nullptr for the keys written on first run only
    Value firstRun;
    Value absent;
    Kind kind = Kind::Plain;
};

constexpr const char* kWinIndex = "C:\\namazu\\var\\namazu\\index";
constexpr const char* kLinuxIndex = "/var/lib/namazu/index";

// Every key, in the order of the first-run file. Values are UTF-8 here and converted to the
// program code page when used.
const Key kKeys[] = {
    {"Window", "SavePosition", FIELD(Window, SavePosition), {"0"}, {"0"}},
    {"Window", "ScreenType", FIELD(Window, ScreenType), {"Normal"}, {"Normal"}},
    {"Window", "StayOnTop", FIELD(Window, StayOnTop), {"0"}, {"0"}},
    {"Window", "ShowIndexDir", FIELD(Window, ShowIndexDir), {"1"}, {"1"}},
    {"Window", "ShowStatusBar", FIELD(Window, ShowStatusBar), {"1"}, {"1"}},
    {"Window", "HideSearchButton", nullptr, {"0"}, {""}, Kind::FirstRunOnly},
    {"Window", "ShowExplanation", FIELD(Window, ShowExplanation), {"1"}, {"1"}, Kind::Win95Dependent},
    {"Search", "DirectoryCount", FIELD(Search, DirectoryCount), {"1"}, {"1"}},
    {"Search", "Directory1", nullptr, {kWinIndex, kLinuxIndex}, {""}, Kind::FirstRunOnly},
    {"Search", "FormulaHistoryCount", FIELD(Search, FormulaHistoryCount), {"10"}, {"10"}},
    {"Search", "Sort", FIELD(Search, Sort), {"None"}, {"None"}},
    {"Search", "SortDirection", FIELD(Search, SortDirection), {"None"}, {"Descending"}},
    {"Search", "ShowContents", FIELD(Search, ShowContents), {"1"}, {"1"}},
    {"Search", "ListCount", FIELD(Search, ListCount), {"20"}, {"20"}},
    {"Search", "UseNamazurc", FIELD(Search, UseNamazurc), {"0"}, {"0"}},
    {"Search",
     "NamazurcPath",
     FIELD(Search, NamazurcPath),
     {"C:\\namazu\\etc\\namazu\\namazurc", "/etc/namazu/namazurc"},
     {"C:\\namazu\\etc\\namazu\\namazurc", "/etc/namazu/namazurc"}},
    {"Search", "SetIndexInNamazurc", FIELD(Search, SetIndexInNamazurc), {"0"}, {"0"}},
    {"Search", "RelativePath", FIELD(Search, RelativePath), {"0"}, {"0"}},
    {"Result", "SearchOnChangeSettings", FIELD(Result, SearchOnChangeSettings), {"0"}, {"0"}},
    {"Result", "ConfirmCommandLine", FIELD(Result, ConfirmCommandLine), {"0"}, {"0"}},
    {"Result", "FontNameResult", FIELD(Result, FontNameResult), {"ＭＳ Ｐゴシック"}, {"ＭＳ Ｐゴシック"}},
    {"Result", "FontSizeResult", FIELD(Result, FontSizeResult), {"9"}, {"9"}},
    {"Result", "FontBoldResult", FIELD(Result, FontBoldResult), {"0"}, {"0"}},
    {"Result", "FontNameText", FIELD(Result, FontNameText), {"ＭＳ ゴシック"}, {"ＭＳ ゴシック"}},
    {"Result", "FontSizeText", FIELD(Result, FontSizeText), {"9"}, {"9"}},
    {"Result", "FontBoldText", FIELD(Result, FontBoldText), {"0"}, {"0"}},
    {"Result", "Color", FIELD(Result, Color), {"1"}, {"1"}},
    {"Result", "DisplayTo", FIELD(Result, DisplayTo), {"Text"}, {"Text"}},
    {"Result", "FileNameBlankLineNext", FIELD(Result, FileNameBlankLineNext), {"2"}, {"2"}},
    {"Result", "FileNameSpaceFromEnd", FIELD(Result, FileNameSpaceFromEnd), {"2"}, {"2"}},
    {"Result", "UseDriveConstantsWebBrowser", FIELD(Result, UseDriveConstantsWebBrowser), {"0"}, {"0"}},
    {"Text", "Convert", FIELD(Text, Convert), {"ToSJIS"}, {"ToSJIS"}},
    {"Text", "DecodeHeader", FIELD(Text, DecodeHeader), {"1"}, {"1"}},
    {"Document", "HowToOpen", FIELD(Document, HowToOpen), {"Define"}, {"Define"}},
    {"Edit", "CopyDefFileName", nullptr, {""}, {""}, Kind::FirstRunOnly},
    {"WebBrowser",
     "DisplayTo",
     FIELD(WebBrowser, DisplayTo),
     {"Internal"},
     {"Internal"},
     Kind::Win95Dependent},
    {"WebBrowser", "Type", FIELD(WebBrowser, Type), {"NetscapeNavigator"}, {"NetscapeNavigator"}},
    {"WebBrowser",
     "NavigatorPath",
     FIELD(WebBrowser, NavigatorPath),
     {"C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe", "/usr/bin/firefox"},
     {"C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe", "/usr/bin/firefox"}},
    {"Mknmz", "ConfirmCommandLine", nullptr, {"0"}, {""}, Kind::FirstRunOnly},
    {"Mknmz", "ShowProcess", FIELD(Mknmz, ShowProcess), {"Internal"}, {"Internal"}},
    {"Command",
     "namazuPath",
     FIELD(Command, namazuPath),
     {"C:\\namazu\\bin\\namazu.exe", "/usr/bin/namazu"},
     {"C:\\namazu\\bin\\namazu.exe", "/usr/bin/namazu"}},
    {"Command",
     "mknmzPath",
     FIELD(Command, mknmzPath),
     {"C:\\namazu\\bin\\mknmz", "/usr/bin/mknmz"},
     {"C:\\namazu\\bin\\mknmz", "/usr/bin/mknmz"}},
    {"Command",
     "PerlPath",
     FIELD(Command, PerlPath),
     {"C:\\Perl\\Bin\\Perl.exe", "/usr/bin/perl"},
     {"C:\\Perl\\bin\\perl.exe", "/usr/bin/perl"}},
    {"Command",
     "pnamazuPath",
     FIELD(Command, pnamazuPath),
     {"C:\\pnamazu\\pnamazu.pl", "/usr/local/share/pnamazu/pnamazu.pl"},
     {"C:\\pnamazu\\pnamazu.pl", "/usr/local/share/pnamazu/pnamazu.pl"}},
    {"Command", "namazuOption", FIELD(Command, namazuOption), {""}, {""}},
    {"Command",
     "mknmzOption",
     FIELD(Command, mknmzOption),
     {"--use-kakasi -EHK --all"},
     {"--use-kakasi -EHK --all"}},
    {"Command", "NamazuVersion", FIELD(Command, NamazuVersion), {"2.0"}, {"2.0"}},
    {"Command", "Usepnamazu", FIELD(Command, Usepnamazu), {"0"}, {"0"}},
    {"Index", "Watch", FIELD(Index, Watch), {"1"}, {"1"}, Kind::Later},
    {"Index", "WatchDelaySeconds", FIELD(Index, WatchDelaySeconds), {"30"}, {"30"}, Kind::Later},
};

#undef FIELD

const Key& FindKey(std::string_view section, std::string_view key) {
    for (const Key& k : kKeys) {
        if (section == k.section && key == k.key) return k;
    }
    std::abort();  // a name missing from the table is a programming error
}

struct Entry {
    const char* section;
    const char* key;
};

// The order in which a save sets the single keys; the lists go between ShowContents' section
// neighbours as marked by nullptr keys.
constexpr Entry kSaveWindow[] = {{"Window", "SavePosition"}, {"Window", "StayOnTop"},
                                 {"Window", "ShowIndexDir"}, {"Window", "ShowStatusBar"},
                                 {"Window", "ScreenType"},   {"Window", "ShowExplanation"}};
constexpr Entry kSaveAfterLists[] = {
    {"Search", "Sort"},
    {"Search", "ShowContents"},
    {"Search", "ListCount"},
    {"Search", "UseNamazurc"},
    {"Search", "NamazurcPath"},
    {"Search", "SetIndexInNamazurc"},
    {"Search", "RelativePath"},
    {"Result", "DisplayTo"},
    {"Result", "SearchOnChangeSettings"},
    {"Result", "ConfirmCommandLine"},
    {"Result", "FontNameResult"},
    {"Result", "FontSizeResult"},
    {"Result", "FontBoldResult"},
    {"Result", "FontNameText"},
    {"Result", "FontSizeText"},
    {"Result", "FontBoldText"},
    {"Result", "Color"},
    {"Result", "FileNameBlankLineNext"},
    {"Result", "FileNameSpaceFromEnd"},
    {"Result", "UseDriveConstantsWebBrowser"},
    {"Text", "Convert"},
    {"Text", "DecodeHeader"},
    {"Document", "HowToOpen"},
    {"WebBrowser", "DisplayTo"},
    {"WebBrowser", "Type"},
    {"WebBrowser", "NavigatorPath"},
    {"Mknmz", "ShowProcess"},
    {"Command", "namazuPath"},
    {"Command", "mknmzPath"},
    {"Command", "PerlPath"},
    {"Command", "pnamazuPath"},
    {"Command", "namazuOption"},
    {"Command", "mknmzOption"},
    {"Command", "NamazuVersion"},
    {"Command", "Usepnamazu"},
    {"Index", "Watch"},
    {"Index", "WatchDelaySeconds"},
};

bool RunsOnWindows95(const PlatformProfile& platform) {
    return platform.windowsVersion &&
           IsWindows95(platform.windowsVersion->major, platform.windowsVersion->minor);
}

std::string FirstRunValue(const Key& k, const PlatformProfile& platform) {
    if (k.kind == Kind::Win95Dependent && RunsOnWindows95(platform)) {
        return std::string_view(k.section) == "Window" ? "0" : "External";
    }
    return Utf8ToProgram(platform.codePage, k.firstRun.For(platform.firstRun));
}

std::string EmptyFirstDirectory(const PlatformProfile& platform) {
    return platform.firstRun == FirstRunProfile::Linux ? kLinuxIndex : "c:\\namazu\\var\\namazu\\index";
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsWindows95(int major, int minor) {
    return major == 4 && minor < 10;
}

int ParseCount(const std::string& text, int fallback) {
    const std::string trimmed = TrimBlanks(text);
    int value = 0;
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) return fallback;
    return value;
}

std::string ConfigFolderFor(const PlatformProfile& platform) {
    if (platform.pathStyle == PathStyle::Windows || platform.configFallbackFolder.empty()) {
        return platform.programFolder;
    }
    // An installed program keeps them per user, also when it could write beside itself (as root).
    const std::string folder = platform.programFolder.empty() ? "./" : platform.programFolder;
    if (!platform.installed && ::access(folder.c_str(), W_OK) == 0) return platform.programFolder;
    const std::string fallback = platform.configFallbackFolder;
    // Create each missing level (typically ~/.config/quarrow/).
    for (std::size_t i = 1; i < fallback.size(); ++i) {
        if (fallback[i] == '/') ::mkdir(fallback.substr(0, i).c_str(), 0700);
    }
    return fallback;
}

std::string SettingsPathFor(const PlatformProfile& platform) {
    const char sep = PathSeparator(platform.pathStyle);
    const std::string& program = platform.programFilePath;
    const std::size_t cut =
        platform.pathStyle == PathStyle::Windows ? program.find_last_of("\\:") : program.rfind(sep);
    std::string name = cut == std::string::npos ? program : program.substr(cut + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    name += ".ini";
    if (platform.pathStyle == PathStyle::Windows) {
        std::string path = (cut == std::string::npos ? std::string() : program.substr(0, cut + 1)) + name;
        // Trail bytes of double-byte characters can look like capitals; they stay as they are.
        for (std::size_t pos = 1; pos <= path.size(); pos += CharLength(platform.codePage, path, pos)) {
            path[pos - 1] = AsciiLower(path[pos - 1]);
        }
        return path;
    }
    for (char& c : name) c = AsciiLower(c);
    return ConfigFolderFor(platform) + name;
}

bool WriteDefaultSettings(const std::string& path, const PlatformProfile& platform) {
    IniFile ini;
    for (const Key& k : kKeys) {
        if (k.kind != Kind::Later) ini.SetValue(k.section, k.key, FirstRunValue(k, platform));
    }
    return ini.Save(path);
}

namespace {

// The entries of a list such as `Directory1` … `DirectoryN`, N from its count key, read in one
// pass over the Search section. Small counts are taken as they stand, missing keys giving empty
// entries. A larger count reaches only as far as the keys the file holds: a hand-edited count
// must not make the program allocate for keys that are not there.
std::vector<std::string> ListEntries(const IniFile& ini, std::string_view prefix, long long count) {
    constexpr long long kPlainCountLimit = 100;
    if (count <= 0) return {};
    std::vector<std::pair<long long, std::string_view>> found;  // number and value, in file order
    std::size_t keyLines = 0;
    std::vector<std::string> entries;
    auto fill = [&](std::size_t length) {
        entries.assign(length, std::string());
        std::vector<bool> set(length, false);
        for (const auto& [k, value] : found) {
            const auto slot = static_cast<std::size_t>(k - 1);
            if (slot < length && !set[slot]) {  // the first of duplicate keys counts, as for a lookup
                entries[slot] = std::string(value);
                set[slot] = true;
            }
        }
    };
    ini.ForEachKey("Search", [&](std::string_view key, std::string_view value) {
        ++keyLines;
        if (key.size() <= prefix.size() || !EqualsNoCase(key.substr(0, prefix.size()), prefix)) return;
        const std::string_view digits = key.substr(prefix.size());
        if (digits.front() == '0' || digits.size() > 18) return;
        long long k = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
        if (ec == std::errc() && end == digits.data() + digits.size() && k <= count)
            found.emplace_back(k, value);
    });
    if (count <= kPlainCountLimit) {
        fill(static_cast<std::size_t>(count));
        return entries;
    }
    const long long reach = std::min<long long>(count, static_cast<long long>(keyLines));
    long long filled = 0;
    for (const auto& [k, value] : found) {
        if (k <= reach) filled = std::max(filled, k);
    }
    fill(static_cast<std::size_t>(filled));
    return entries;
}

long long ParseLongCount(const std::string& text, long long fallback) {
    const std::string trimmed = TrimBlanks(text);
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+') ++begin;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) return begin != end && *begin == '-' ? -1 : LLONG_MAX;
    if (ec != std::errc() || ptr != end || begin == end) return fallback;
    return value;
}

}  // namespace

Settings LoadSettings(const std::string& path, const PlatformProfile& platform) {
    IniFile ini;
    bool missing = false;
    Settings settings;
    settings.SettingsPath = path;
    // A missing file reads as empty; one that is there but cannot be read must not be replaced.
    settings.Unreadable = !ini.Load(path, platform.codePage, &missing) && !missing;
    for (const Key& k : kKeys) {
        if (!k.field) continue;
        k.field(settings) = ini.ReadString(k.section, k.key,
                                           Utf8ToProgram(platform.codePage, k.absent.For(platform.firstRun)));
    }

    const long long directoryCount = ParseLongCount(settings.Search.DirectoryCount, 0);
    if (directoryCount < 1) settings.Search.DirectoryCount = "1";
    settings.Directories = ListEntries(ini, "Directory", std::max(1LL, directoryCount));
    if (settings.Directories.empty()) settings.Directories.emplace_back();
    const std::size_t directories = settings.Directories.size();
    if (static_cast<long long>(directories) != std::max(1LL, directoryCount))
        settings.Search.DirectoryCount = std::to_string(directories);
    if (settings.Directories.front().empty()) settings.Directories.front() = EmptyFirstDirectory(platform);

    settings.QueryHistory =
        ListEntries(ini, "History", ParseLongCount(settings.Search.FormulaHistoryCount, 0));

    for (std::size_t i = 0; i < settings.Directories.size(); ++i) {
        if (i > 0) settings.IndexDirectoryText += ' ';
        settings.IndexDirectoryText += settings.Directories[i];
    }
    return settings;
}

Settings InitSettings(const PlatformProfile& platform) {
    const std::string path = SettingsPathFor(platform);
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) RemoveStaleSaveFiles(slash == 0 ? "/" : path.substr(0, slash));
    if (NothingAt(path)) WriteDefaultSettings(path, platform);
    return LoadSettings(path, platform);
}

void SaveSettings(const std::string& path, const Settings& settings, CodePage codePage) {
    if (settings.Unreadable || IsReadOnlyFile(path)) return;
    IniFile ini;
    if (!ini.Load(path, codePage)) return;
    // The field accessors hand out references for reading and writing; here they are only read,
    // and the lists are not copied.
    Settings& values = const_cast<Settings&>(settings);
    auto set = [&](const Entry& e) {
        const Key& k = FindKey(e.section, e.key);
        const std::string& value = k.field(values);
        // A later key joins the file once it differs from what its absence means.
        if (k.kind == Kind::Later && value == k.absent.For(FirstRunProfile::Linux) &&
            ini.ReadString(e.section, e.key, "\x01") == "\x01")
            return;
        ini.SetValue(e.section, e.key, value);
    };

    for (const Entry& e : kSaveWindow) set(e);
    ini.SetValue("Search", "DirectoryCount", std::to_string(settings.Directories.size()));
    for (std::size_t k = 1; k <= settings.Directories.size(); ++k) {
        ini.SetValue("Search", "Directory" + std::to_string(k), settings.Directories[k - 1]);
    }
    ini.SetValue("Search", "FormulaHistoryCount", settings.Search.FormulaHistoryCount);
    // The list holds what loading and the window gave it, never more than the count.
    const long long historyCount = std::max(0LL, ParseLongCount(settings.Search.FormulaHistoryCount, 0));
    const std::size_t history = static_cast<std::size_t>(
        std::min<long long>(historyCount, static_cast<long long>(settings.QueryHistory.size())));
    for (std::size_t k = 1; k <= history; ++k) {
        ini.SetValue("Search", "History" + std::to_string(k), settings.QueryHistory[k - 1]);
    }
    for (const Entry& e : kSaveAfterLists) set(e);
    WriteFileAtomically(path, ini.ToText());
}

bool SettingIs(std::string_view value, std::string_view word) {
    return EqualsNoCase(value, word);
}

bool FlagOn(std::string_view flag) {
    return flag == "1";
}

const char* FlagText(bool on) {
    return on ? "1" : "0";
}

bool ResultsAsHtml(const Settings& settings) {
    return SettingIs(settings.Result.DisplayTo, "webbrowser");
}

bool ResultsInExternalBrowser(const Settings& settings) {
    return ResultsAsHtml(settings) && SettingIs(settings.WebBrowser.DisplayTo, "external");
}
