// Any bytes as mknmz's output: each line either is not progress or gives counts from 1 and a
// path that the line holds; the last progress line of a batch is the one a line-by-line walk
// finds last; a display path is never empty for a non-empty path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "indexer/MknmzProgress.h"
#include "process/CaptureSplitter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CaptureSplitter splitter;
    std::vector<std::string> lines;
    splitter.Feed(bytes, lines);
    splitter.Finish(lines);
    std::optional<MknmzProgressLine> last;
    for (const std::string& line : lines) {
        const auto parsed = ParseMknmzProgressLine(line);
        if (!parsed) continue;
        if (parsed->done < 1 || parsed->total < 1) __builtin_trap();
        if (parsed->path.empty() || line.find(parsed->path) == std::string::npos) __builtin_trap();
        if (DisplayPathOfMknmzUri(parsed->path).empty()) __builtin_trap();
        last = parsed;
    }
    const auto found = LastMknmzProgress(lines);
    if (found.has_value() != last.has_value()) __builtin_trap();
    if (found && (found->done != last->done || found->total != last->total || found->path != last->path)) {
        __builtin_trap();
    }
    return 0;
}
