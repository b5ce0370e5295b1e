// Any bytes load as an INI text that writes back unchanged, and setting a key disturbs nothing
// else: the key reads back, and every other key of the file keeps its value. Read as a settings
// file, any bytes start the program without allocating for counts that name keys not there, and
// a save keeps every search place and history entry that was loaded.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/IniFile.h"
#include "config/Settings.h"

namespace {

void CheckPlainText(const std::string& text) {
    IniFile ini(text);
    if (ini.ToText() != text) __builtin_trap();

    const std::vector<std::string> sections = ini.SectionNames();
    for (const std::string& section : sections) {
        for (const auto& [key, value] : ini.SectionValues(section)) {
            (void)ini.ReadProfileString(section, key, "");
            (void)value;
        }
    }

    IniFile changed(text);
    changed.SetValue("Search", "Directory1", "/var/lib/namazu/index");
    changed.SetValue("SearchMRU", "Item_0", text.substr(0, 64));
    if (changed.ReadString("Search", "Directory1", "") != "/var/lib/namazu/index") __builtin_trap();
    for (const std::string& section : sections) {
        if (EqualsNoCase(section, "Search") || EqualsNoCase(section, "SearchMRU")) continue;
        for (const auto& [key, value] : ini.SectionValues(section)) {
            if (changed.Value(section, key) != ini.Value(section, key)) __builtin_trap();
        }
    }
    const IniFile reread(changed.ToText());
    if (reread.ReadString("Search", "Directory1", "") != "/var/lib/namazu/index") __builtin_trap();
    changed.EraseSection("SearchMRU");
    if (changed.HasSection("SearchMRU")) __builtin_trap();
}

// Decoded line by line, a file that is not changed writes back byte for byte.
void CheckDecodedText(const std::string& text) {
    for (const CodePage codePage : {CodePage::Utf8, CodePage::Cp932}) {
        const IniFile ini(text, codePage);
        if (ini.ToText() != text) __builtin_trap();
    }
}

// On tmpfs: a save syncs its file, which costs nothing there.
const std::string& SettingsFolder() {
    static const std::string folder = [] {
        static std::string f = "/dev/shm/quarrow-inifile-fuzz-" + std::to_string(::getpid());
        ::mkdir(f.c_str(), 0700);
        std::atexit([] { std::filesystem::remove_all(f); });
        return f + "/";
    }();
    return folder;
}

void CheckSettingsFile(const std::string& text) {
    PlatformProfile platform;
    platform.programFolder = SettingsFolder();
    platform.programFilePath = platform.programFolder + "quarrow";
    platform.tempFolder = platform.programFolder;
    const std::string path = platform.programFolder + "quarrow.ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;

    const Settings loaded = LoadSettings(path, platform);
    // Counts beyond the file's own keys give no entries: at most one per line, or the 100 a
    // small count asks for whatever the file holds.
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (loaded.Directories.empty() || loaded.Directories.size() > std::max<std::size_t>(100, lines))
        __builtin_trap();
    if (loaded.QueryHistory.size() > std::max<std::size_t>(100, lines)) __builtin_trap();
    if (ParseCount(loaded.Search.DirectoryCount, 0) < 1) __builtin_trap();

    SaveSettings(path, loaded, platform.codePage);
    const Settings again = LoadSettings(path, platform);
    // The history keeps its count; keys past its first reach may count after the save.
    if (again.Directories != loaded.Directories || again.QueryHistory.size() < loaded.QueryHistory.size() ||
        !std::equal(loaded.QueryHistory.begin(), loaded.QueryHistory.end(), again.QueryHistory.begin()))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckPlainText(text);
    CheckDecodedText(text);
    CheckSettingsFile(text);
    return 0;
}
