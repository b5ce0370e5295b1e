#include "app/SearchNotices.h"

#include <algorithm>

namespace {

constexpr std::string_view kTooMany = "(Too many documents hit. Ignored)";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<std::string> WordsIgnoredForTooManyHits(std::string_view result) {
    std::vector<std::string> words;
    // Only namazu's own References line counts, not a document's summary quoting the marker.
    constexpr std::string_view kReferences = "References:";
    std::size_t start = result.starts_with(kReferences) ? 0 : result.find("\n" + std::string(kReferences));
    if (start == std::string_view::npos) return words;
    if (result[start] == '\n') ++start;
    const std::size_t end = std::min(result.size(), result.find('\n', start));
    const std::string_view line = result.substr(start, end - start);
    for (std::size_t at = line.find(kTooMany); at != std::string_view::npos;
         at = line.find(kTooMany, at + kTooMany.size())) {
        // The word stands between the "[" that opens its reference and the marker.
        const std::size_t open = line.rfind('[', at);
        std::string word = open == std::string_view::npos ? "" : std::string(line.substr(open + 1, at - open - 1));
        // An HTML result may write the reference with markup: keep only the text.
        for (std::size_t tag = word.find('<'); tag != std::string::npos; tag = word.find('<')) {
            const std::size_t close = word.find('>', tag);
            word.erase(tag, close == std::string::npos ? std::string::npos : close - tag + 1);
        }
        word = std::string(Trimmed(word));
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    }
    return words;
}

std::string TooManyHitsNotice(const std::vector<std::string>& words, std::string_view query) {
    std::string named;
    for (const std::string& word : words) {
        if (!named.empty()) named += "、";
        named += "「" + (word.empty() ? std::string(query) : word) + "」";
    }
    return named +
           " は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
           "語を加えて絞り込むか、namazurc の MaxHit を大きくしてください (検索 → namazurc の設定)。";
}
