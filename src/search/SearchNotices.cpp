#include "search/SearchNotices.h"

#include <algorithm>

namespace {

struct Marker {
    std::string_view text;
    IgnoredReason reason;
};
constexpr Marker kMarkers[] = {
    {"(Too many documents hit. Ignored)", IgnoredReason::TooManyDocuments},
    {"(Too many words matched. Ignored)", IgnoredReason::TooManyWords},
};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// namazu's References line: the first line that begins with "References:".
std::string_view ReferencesLine(std::string_view result) {
    constexpr std::string_view kReferences = "References:";
    std::size_t start = 0;
    if (!result.starts_with(kReferences)) {
        start = result.find("\nReferences:");
        if (start == std::string_view::npos) return {};
        ++start;
    }
    const std::size_t end = result.find('\n', start);
    return result.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The word between the "[" that opens a reference and its marker, without markup.
std::string WordBefore(std::string_view line, std::size_t marker) {
    const std::size_t open = line.rfind('[', marker);
    if (open == std::string_view::npos) return {};
    std::string word(line.substr(open + 1, marker - open - 1));
    for (std::size_t tag = word.find('<'); tag != std::string::npos; tag = word.find('<')) {
        const std::size_t close = word.find('>', tag);
        word.erase(tag, close == std::string::npos ? std::string::npos : close - tag + 1);
    }
    return std::string(Trimmed(word));
}

}  // namespace

std::vector<IgnoredWord> WordsIgnoredByNamazu(std::string_view result) {
    const std::string_view line = ReferencesLine(result);
    std::vector<std::pair<std::size_t, IgnoredWord>> found;
    for (const Marker& marker : kMarkers) {
        for (std::size_t at = line.find(marker.text); at != std::string_view::npos;
             at = line.find(marker.text, at + marker.text.size())) {
            found.push_back({at, {WordBefore(line, at), marker.reason}});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<IgnoredWord> words;
    for (const auto& [at, word] : found) {
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    }
    return words;
}

std::string IgnoredWordsNotice(const std::vector<IgnoredWord>& words, std::string_view query) {
    struct Reason {
        IgnoredReason reason;
        const char* why;
        const char* setting;
    };
    const Reason reasons[] = {
        {IgnoredReason::TooManyDocuments, " は一致する文書が多すぎるため", "MaxHit"},
        {IgnoredReason::TooManyWords, " は一致する語が多すぎるため", "MaxMatch"},
    };
    std::string notice;
    std::string settings;
    for (const Reason& r : reasons) {
        std::string named;
        for (const IgnoredWord& word : words) {
            if (word.reason != r.reason) continue;
            if (!named.empty()) named += "、";
            named += "「" + (word.word.empty() ? std::string(query) : word.word) + "」";
        }
        if (named.empty()) continue;
        notice += named + r.why + " (namazurc の " + r.setting + " を超えたため) 無視されました。";
        if (!settings.empty()) settings += " と ";
        settings += r.setting;
    }
    if (notice.empty()) return {};
    return notice + "語を加えて絞り込むか、namazurc の " + settings +
           " を大きくしてください (検索 → namazurc の設定)。";
}

bool NamazuSaysIndexLocked(std::string_view result) {
    // "インデックスは保守作業の最中です" in EUC-JP, the code namazu writes its Japanese messages in.
    static const std::string_view kJapanese =
        "\xA5\xA4\xA5\xF3\xA5\xC7\xA5\xC3\xA5\xAF\xA5\xB9\xA4\xCF\xCA\xDD\xBC\xE9\xBA\xEE\xB6\xC8\xA4\xCE"
        "\xBA\xC7\xC3\xE6\xA4\xC7\xA4\xB9";
    return result.find("The index is locked for maintenance") != std::string_view::npos ||
           result.find(kJapanese) != std::string_view::npos ||
           result.find("インデックスは保守作業の最中です") != std::string_view::npos;
}
