#include "update/IndexSources.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "config/FileIo.h"

namespace {

// mknmz's options that take a value (its Getopt::Long table, with bundling).
constexpr std::string_view kShortWithValue = "12346FILOTfrt";
constexpr std::array<std::string_view, 13> kLongWithValue = {
    "exclude", "deny",         "allow",        "update", "mtime",  "target-list", "include",
    "indexing-lang", "output-dir", "template-dir", "config", "replace", "media-type"};

bool LongTakesValue(std::string_view name) {
    // Getopt::Long takes an exact name first, then any unambiguous prefix; "all" is a flag of
    // its own, not the start of "allow".
    if (name == "all") return false;
    return std::any_of(kLongWithValue.begin(), kLongWithValue.end(),
                       [&](std::string_view option) { return name.size() >= 3 && option.starts_with(name); });
}

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\t', start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::optional<std::string> StatusLine(const std::string& text, std::string_view key) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ' ')
            return std::string(line.substr(key.size() + 1));
        start = end + 1;
    }
    return std::nullopt;
}

// Resolves `path` against `cwd` and drops "." parts and trailing slashes, so that one folder
// named twice is watched once.
std::string Absolute(const std::string& path, const std::string& cwd) {
    const std::string joined = path.starts_with('/') ? path : cwd + "/" + path;
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string_view part(joined.data() + start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (std::string_view part : parts) (out += '/') += part;
    return out.empty() ? "/" : out;
}

}  // namespace

IndexSources IndexSourcesOf(const std::string& argv, const std::string& cwd) {
    IndexSources sources;
    sources.found = true;
    std::vector<std::string> targets;
    const std::vector<std::string> args = SplitTabs(argv);
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            if (!arg.empty()) targets.push_back(arg);
            continue;
        }
        std::optional<std::string> value;
        bool isList = false;
        if (arg == "--") {
            optionsEnd = true;
        } else if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            isList = name.size() >= 3 && std::string_view("target-list").starts_with(name);
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (LongTakesValue(name) && i + 1 < args.size()) {
                value = args[++i];
            }
        } else {
            // A bundle of short options; the first that takes a value takes the rest or the next.
            for (std::size_t k = 1; k < arg.size(); ++k) {
                if (kShortWithValue.find(arg[k]) == std::string_view::npos) continue;
                isList = arg[k] == 'F';
                if (k + 1 < arg.size()) {
                    value = arg.substr(k + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                }
                break;
            }
        }
        if (isList && value) sources.targetList = Absolute(*value, cwd);
    }
    for (const std::string& target : targets) {
        const std::string path = Absolute(target, cwd);
        struct stat info {};
        std::vector<std::string>& into =
            ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? sources.folders : sources.others;
        if (std::find(into.begin(), into.end(), path) == into.end()) into.push_back(path);
    }
    return sources;
}

IndexSources ReadIndexSources(const std::string& indexFolder) {
    const std::string path =
        indexFolder.empty() || indexFolder.back() == '/' ? indexFolder + "NMZ.status" : indexFolder + "/NMZ.status";
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return {};
    const std::optional<std::string> argv = StatusLine(*text, "argv");
    const std::optional<std::string> cwd = StatusLine(*text, "cwd");
    if (!argv || !cwd) return {};
    return IndexSourcesOf(*argv, *cwd);
}
