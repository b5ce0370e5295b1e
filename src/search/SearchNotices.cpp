#include "search/SearchNotices.h"

#include <algorithm>

#include "config/FileIo.h"

namespace {

// namazu writes its frame in English (LANG=C, or when ja_JP.eucJP is not generated) or, through
// gettext, in Japanese in EUC-JP; both forms are read.
struct Marker {
    std::string_view text;
    IgnoredReason reason;
};
constexpr Marker kMarkers[] = {
    {"(Too many documents hit. Ignored)", IgnoredReason::TooManyDocuments},
    {"(Too many words matched. Ignored)", IgnoredReason::TooManyWords},
    // (ヒット数が多すぎるので無視しました)
    {"\x28\xa5\xd2\xa5\xc3\xa5\xc8\xbf\xf4\xa4\xac\xc2\xbf\xa4\xb9\xa4"
     "\xae\xa4\xeb\xa4\xce\xa4\xc7\xcc\xb5\xbb\xeb\xa4\xb7\xa4\xde\xa4"
     "\xb7\xa4\xbf\x29",
     IgnoredReason::TooManyDocuments},
    // (マッチする単語が多すぎるので無視しました)
    {"\x28\xa5\xde\xa5\xc3\xa5\xc1\xa4\xb9\xa4\xeb\xc3\xb1\xb8\xec\xa4"
     "\xac\xc2\xbf\xa4\xb9\xa4\xae\xa4\xeb\xa4\xce\xa4\xc7\xcc\xb5\xbb"
     "\xeb\xa4\xb7\xa4\xde\xa4\xb7\xa4\xbf\x29",
     IgnoredReason::TooManyWords},
};

constexpr std::string_view kReferencesLabels[] = {
    "References:",
    "\xbb\xb2\xb9\xcd\xa5\xd2\xa5\xc3\xa5\xc8\xbf\xf4\x3a",  // 参考ヒット数:
};

// "Total N documents matching your query." and its Japanese form; HTML puts "<!-- HIT -->"
// around N.
struct TotalForm {
    std::string_view before;
    std::string_view after;
};
constexpr TotalForm kTotalForms[] = {
    {"Total ", " documents matching your query."},
    // 検索式にマッチする N 個の文書が見つかりました。
    {"\xb8\xa1\xba\xf7\xbc\xb0\xa4\xcb\xa5\xde\xa5\xc3\xa5\xc1\xa4\xb9"
     "\xa4\xeb\x20",
     "\x20\xb8\xc4\xa4\xce\xca\xb8\xbd\xf1\xa4\xac\xb8\xab\xa4\xc4\xa4"
     "\xab\xa4\xea\xa4\xde\xa4\xb7\xa4\xbf\xa1\xa3"},
};
constexpr std::string_view kHitComment = "<!-- HIT -->";

constexpr std::string_view kNoDocument[] = {
    "No document matching your query.",
    // 検索式にマッチする文書はありませんでした。
    "\xb8\xa1\xba\xf7\xbc\xb0\xa4\xcb\xa5\xde\xa5\xc3\xa5\xc1\xa4\xb9"
    "\xa4\xeb\xca\xb8\xbd\xf1\xa4\xcf\xa4\xa2\xa4\xea\xa4\xde\xa4\xbb"
    "\xa4\xf3\xa4\xc7\xa4\xb7\xa4\xbf\xa1\xa3",
};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The first line that begins with `label`, without the label; `found` says whether there was one.
std::string_view LineAfter(std::string_view text, std::string_view label, bool& found) {
    std::size_t start = 0;
    if (!text.starts_with(label)) {
        start = text.find("\n" + std::string(label));
        if (start == std::string_view::npos) return {};
        ++start;
    }
    found = true;
    start += label.size();
    const std::size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// A count written as digits at the front of `text`, perhaps inside "<!-- HIT -->" comments.
int TakeCount(std::string_view& text) {
    if (text.starts_with(kHitComment)) text.remove_prefix(kHitComment.size());
    std::size_t digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0) return -1;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) value = value * 10 + (text[i] - '0');
    text.remove_prefix(digits);
    if (text.starts_with(kHitComment)) text.remove_prefix(kHitComment.size());
    return value;
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

NamazuFrame ReadNamazuFrame(std::string_view result) {
    NamazuFrame frame;
    for (std::string_view label : kReferencesLabels) {
        bool found = false;
        const std::string_view line = LineAfter(result, label, found);
        if (found) {
            frame.hasReferences = true;
            frame.references = std::string(Trimmed(line));
            break;
        }
    }
    for (const TotalForm& form : kTotalForms) {
        for (std::size_t at = result.find(form.before); at != std::string_view::npos && frame.total < 0;
             at = result.find(form.before, at + 1)) {
            std::string_view rest = result.substr(at + form.before.size());
            const int count = TakeCount(rest);
            if (count >= 0 && rest.starts_with(form.after)) frame.total = count;
        }
    }
    for (std::string_view text : kNoDocument)
        frame.noDocument = frame.noDocument || result.find(text) != std::string_view::npos;
    return frame;
}

std::vector<IgnoredWord> WordsIgnoredByNamazu(std::string_view result) {
    const std::string line = ReadNamazuFrame(result).references;
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

bool NamazuCouldNotOpenAnIndex(std::string_view result) {
    constexpr std::string_view kTexts[] = {
        "can't open the index",
        "\xA5\xA4\xA5\xF3\xA5\xC7\xA5\xC3\xA5\xAF\xA5\xB9\xA4\xAC\xB3\xAB\xA4\xB1\xA4\xDE\xA4\xBB\xA4\xF3",  // EUC-JP
        "インデックスが開けません",
    };
    return std::any_of(std::begin(kTexts), std::end(kTexts),
                       [&](std::string_view text) { return result.find(text) != std::string_view::npos; });
}

std::string UnquotedFolderNotice(std::string_view result, const std::vector<std::string>& pieces,
                                 const std::function<std::string(const std::string&)>& folderOf,
                                 CodePage codePage) {
    if (!NamazuCouldNotOpenAnIndex(result)) return {};
    // A search place is typed by hand: a few dozen pieces at most; beyond that nobody split a
    // folder name by accident, and the pairs would cost more than they tell.
    constexpr std::size_t kMostPieces = 64;
    const std::size_t count = std::min(pieces.size(), kMostPieces);
    for (std::size_t first = 0; first < count; ++first) {
        if (pieces[first].empty()) continue;
        std::string joined = pieces[first];
        for (std::size_t last = first + 1; last < count; ++last) {
            joined += ' ' + pieces[last];
            if (pieces[last].empty()) continue;
            const std::string folder = folderOf(joined);
            if (!folder.empty() && FileExists(folder + "/NMZ.i")) {
                return "空白を含むフォルダは \"…\" で囲んでください: \"" + ProgramToUtf8(codePage, joined) + "\"";
            }
        }
    }
    return {};
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
