#include "indexer/MknmzProgress.h"

#include <charconv>

#include "text/CodePage.h"

namespace {

// A decimal count of at most 9 digits at the front of `text`; -1 when there is none.
int TakeCount(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || digits > 9) return -1;
    int value = 0;
    std::from_chars(text.data(), text.data() + digits, value);
    text.remove_prefix(digits);
    return value;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<MknmzProgressLine> ParseMknmzProgressLine(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    MknmzProgressLine result;
    result.done = TakeCount(line);
    if (result.done < 1 || line.empty() || line.front() != '/') return std::nullopt;
    line.remove_prefix(1);
    result.total = TakeCount(line);
    if (result.total < 1 || line.substr(0, 3) != " - ") return std::nullopt;
    line.remove_prefix(3);
    if (line.empty()) return std::nullopt;
    // "path [type]": the type is in the last brackets (a type may hold "; x-...").
    const std::size_t open = line.rfind(" [");
    if (open != std::string_view::npos && line.back() == ']' && open + 3 < line.size()) {
        result.path = std::string(line.substr(0, open));
        result.type = std::string(line.substr(open + 2, line.size() - open - 3));
    } else {
        result.path = std::string(line);
    }
    // mknmz names the document it read; a line without a name is not one of its own.
    if (result.path.empty()) return std::nullopt;
    return result;
}

std::optional<MknmzProgressLine> LastMknmzProgress(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        // Cheap test first: the line starts with a digit.
        if (it->empty() || (*it)[0] < '0' || (*it)[0] > '9') continue;
        if (auto parsed = ParseMknmzProgressLine(*it)) return parsed;
    }
    return std::nullopt;
}

std::string DisplayPathOfMknmzUri(std::string_view path) {
    if (path.find('%') == std::string_view::npos) return std::string(path);
    std::string decoded;
    decoded.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 &&
            HexValue(path[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
            i += 2;
        } else {
            decoded += path[i];
        }
    }
    return IsValidUtf8(decoded) ? decoded : std::string(path);
}
