#include "dialogs/DirectoryMemo.h"

#include <algorithm>

#include "config/IniFile.h"

namespace {

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

bool EnclosedInQuotes(std::string_view text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

}  // namespace

std::vector<std::string> MemoLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

std::string MemoText(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

std::string DirectoryMemoPlace(const std::vector<std::string>& lines) {
    std::string place;
    for (const std::string& line : lines) {
        if (IsBlankLine(line)) continue;
        const std::string trimmed = TrimBlanks(line);
        std::string piece;
        if (EnclosedInQuotes(trimmed)) {
            // Quoting it again would split the path at its first blank.
            piece = trimmed;
        } else if (line.find(' ') != std::string::npos) {
            piece = '"' + line + '"';
        } else {
            piece = line;
        }
        place += piece + ' ';
    }
    return TrimBlanks(place);
}
