#include "process/IndexDirectories.h"

#include <algorithm>

#include "config/IniFile.h"
#include "process/Paths.h"

namespace {

void AppendUnlessKnown(std::vector<std::string>& entries, const std::string& entry) {
    const bool known = std::any_of(entries.begin(), entries.end(),
                                   [&](const std::string& e) { return EqualsNoCase(e, entry); });
    if (!known) entries.push_back(entry);
}

}  // namespace

std::vector<std::string> SplitIndexDirectories(std::string_view text, CodePage codePage) {
    std::vector<std::string> entries;
    std::string w(text);
    bool inQuote = false;
    std::size_t start = 1;
    std::size_t i = 0;
    // Positions are 1-based as in the rule this follows; `multi` says whether the byte at a
    // position belongs to a character of more than one byte.
    std::vector<bool> multi;
    auto mark = [&] {
        multi.assign(w.size() + 2, false);
        for (std::size_t p = 1; p <= w.size();) {
            const std::size_t len = CharLength(codePage, w, p);
            for (std::size_t k = 0; k < len && len > 1; ++k) multi[p + k] = true;
            p += len;
        }
    };
    mark();
    auto at = [&](std::size_t pos) { return w[pos - 1]; };
    while (i < w.size()) {
        ++i;
        const char c = at(i);
        if (multi[i] || (c != ' ' && c != '"')) continue;
        if (c == ' ') {
            if (inQuote) continue;
            AppendUnlessKnown(entries, w.substr(start - 1, i - start));
            start = i + 1;
            continue;
        }
        // A double quote.
        if (i == w.size()) {
            inQuote = !inQuote;
            continue;
        }
        // A quote before a double-byte character toggles quoting like any other quote, so that
        // a quoted name that starts with a Japanese character stays one entry.
        const char d = at(i + 1);
        if (multi[i + 1] || d != '"') {
            inQuote = !inQuote;
            if (!inQuote && d != ' ') {
                w.insert(i, 1, ' ');
                mark();
            }
            continue;
        }
        // Two double quotes: the first is dropped, then skip quotes and double-byte characters
        // and make sure a blank follows without ending the entry.
        w.erase(i - 1, 1);
        mark();
        --i;
        std::size_t j = i + 1;
        while (j <= w.size() && (at(j) == '"' || multi[j])) ++j;
        if (j <= w.size() && at(j) != ' ') {
            w.insert(j - 1, 1, ' ');
            mark();
        }
        i = std::min(j, w.size());
    }
    if (!text.empty()) {
        std::string last = start <= w.size() ? w.substr(start - 1) : std::string();
        const bool known = std::any_of(entries.begin(), entries.end(),
                                       [&](const std::string& e) { return EqualsNoCase(e, last); });
        if (!known) {
            if (inQuote && !last.empty() && last.front() == '"') last += '"';
            entries.push_back(last);
        }
    }
    return entries;
}

std::string JoinIndexDirectories(const std::vector<std::string>& directories, std::size_t count) {
    std::string text;
    for (std::size_t k = 0; k < std::min(count, directories.size()); ++k) {
        if (k > 0) text += ' ';
        text += directories[k];
    }
    return text;
}

std::string JoinIndexDirectories(const std::vector<std::string>& directories) {
    return JoinIndexDirectories(directories, directories.size());
}

void ParseIndexDirectories(std::string_view text, Settings& settings, CodePage codePage) {
    settings.Directories = SplitIndexDirectories(text, codePage);
    settings.Search.DirectoryCount = std::to_string(settings.Directories.size());
    settings.IndexDirectoryText = JoinIndexDirectories(settings.Directories);
}

std::string IndexFolderPath(const std::string& entry, const PlatformProfile& platform,
                            const std::vector<std::string>& drives) {
    if (entry.empty() || entry.front() == '+') return {};
    return ExpandDriveConstant(ExpandProgramRelativePath(StripQuotes(entry), platform.programFolder,
                                                         platform.pathStyle, platform.codePage),
                               drives, platform.pathStyle, platform.codePage);
}
