// A hit location, a program folder and drive lines from the input, through the whole chain
// in both path styles and both code pages.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "process/Paths.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        lines.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string location = lines[0];
    const std::string folder = lines.size() > 1 ? lines[1] : std::string();
    const std::vector<std::string> drives(lines.size() > 2 ? lines.begin() + 2 : lines.end(), lines.end());

    for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
        for (const CodePage codePage : {CodePage::Cp932, CodePage::Utf8}) {
            const std::string local = UriToLocalPath(location, style, codePage);
            const std::string absolute = ExpandProgramRelativePath(local, folder, style, codePage);
            const std::string path = ExpandDriveConstant(absolute, drives, style, codePage);
            if (ExpandDriveConstant(absolute, {}, style, codePage) != absolute) __builtin_trap();

            const std::string uri = LocalPathToUriPath(path, style, codePage);
            if (!uri.empty() && style == PathStyle::Windows && uri[0] != '/') __builtin_trap();
            if (!StartsWith(path, StripFragment(path, style))) __builtin_trap();
            const std::string withSeparator = AddTrailingBackslash(path, style, codePage);
            if (!StartsWith(withSeparator, path) || withSeparator.size() > path.size() + 1) __builtin_trap();
            if (StripQuotes(path).size() + 2 < path.size()) __builtin_trap();
            const std::size_t pos = LastPos(path, folder);
            if (pos != 0 && path.compare(pos - 1, folder.size(), folder) != 0) __builtin_trap();
            MatchesFileMask(local, folder, codePage);
        }
    }
    return 0;
}
