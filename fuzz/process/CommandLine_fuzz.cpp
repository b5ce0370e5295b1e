// Any text splits without fault, and quoting gives every argument back whole, in both code pages.
#include <cstddef>
#include <cstdint>
#include <string>

#include "process/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (const CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        const std::vector<std::string> args = SplitCommandLine(text, cp);
        std::string line;
        for (const std::string& arg : args) {
            if (SplitCommandLine(QuoteArgument(arg, cp), cp) != std::vector<std::string>{arg}) {
                __builtin_trap();
            }
            if (!line.empty()) line += ' ';
            line += QuoteArgument(arg, cp);
        }
        if (SplitCommandLine(line, cp) != args) __builtin_trap();

        if (SplitCommandLine(QuoteArgument(text, cp), cp) != std::vector<std::string>{text}) __builtin_trap();
    }
    return 0;
}
