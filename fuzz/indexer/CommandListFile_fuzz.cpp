// Any bytes read as a command-list file either are refused or give entries that write back and
// read again unchanged; every entry parses without touching anything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "indexer/CommandList.h"
#include "indexer/CommandListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const CodePage codePage : {CodePage::Utf8, CodePage::Cp932}) {
        const auto entries = ParseCommandListFile(bytes, codePage);
        if (!entries) continue;
        if (ParseCommandListFile(CommandListFileText(*entries), codePage) != entries) __builtin_trap();
        for (const std::string& entry : *entries) {
            const ParsedEntry parsed = ParseEntry(entry);
            if (parsed.kind == EntryKind::Delete && parsed.directory.find("\",\"") != std::string::npos &&
                entry.find("\", \"") == std::string::npos) {
                __builtin_trap();  // the folder ends at the first separator
            }
            if (parsed.kind == EntryKind::Chdir && parsed.directory.empty()) __builtin_trap();
        }
    }
    return 0;
}
