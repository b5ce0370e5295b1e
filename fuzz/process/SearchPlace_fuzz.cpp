// Any search-place text parses in both code pages without fault, and the count and the joined
// text agree with the entries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "process/IndexDirectories.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (CodePage codePage : {CodePage::Cp932, CodePage::Utf8}) {
        Settings settings;
        ParseIndexDirectories(text, settings, codePage);
        if (settings.Search.DirectoryCount != std::to_string(settings.Directories.size())) __builtin_trap();
        if (settings.IndexDirectoryText != JoinIndexDirectories(settings.Directories)) __builtin_trap();
    }
    return 0;
}
