// Any bytes load as an INI text that writes back unchanged, and setting a key disturbs nothing
// else: the key reads back, and every other key of the file keeps its value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
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
    return 0;
}
