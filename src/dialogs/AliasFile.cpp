#include "dialogs/AliasFile.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "config/IniFile.h"
#include "process/IndexDirectories.h"

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A value as the profile functions read it: blanks around it and one pair of enclosing quotes
// removed (the same rule as IniFile::ReadProfileString).
std::string ProfileValue(std::string_view raw) {
    std::string text = TrimBlanks(raw);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

// The keys of one section, found by name without regard to case. Each section is read once, so
// a file with thousands of numbered keys is read in time proportional to its size.
class SectionKeys {
public:
    SectionKeys() = default;
    SectionKeys(const IniFile& ini, std::string_view section) {
        for (auto& [key, value] : ini.SectionValues(section)) {
            m_raw.try_emplace(Lower(key), std::move(value));  // the first of two equal keys counts
        }
    }

    std::string Value(const std::string& lowerKey) const {
        const auto found = m_raw.find(lowerKey);
        return found == m_raw.end() ? std::string() : ProfileValue(found->second);
    }

    // Missing, not a number or negative: 0.
    std::size_t Count(const std::string& lowerKey) const {
        const int count = ParseCount(Value(lowerKey), 0);
        return count > 0 ? static_cast<std::size_t>(count) : 0;
    }

    // The values of the keys `prefix` + k (k written without leading zeros, 1 <= k <= last),
    // in the order of k.
    std::vector<std::string> Numbered(std::string_view prefix, std::size_t last) const {
        std::vector<std::pair<std::size_t, std::string>> found;
        for (const auto& [key, raw] : m_raw) {
            if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
            const std::string_view digits = std::string_view(key).substr(prefix.size());
            if (digits.front() == '0') continue;
            std::size_t k = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
            if (error != std::errc() || end != digits.data() + digits.size() || k > last) continue;
            found.emplace_back(k, ProfileValue(raw));
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> values;
        values.reserve(found.size());
        for (auto& entry : found) values.push_back(std::move(entry.second));
        return values;
    }

private:
    std::unordered_map<std::string, std::string> m_raw;
};

std::string KeyName(const char* prefix, std::size_t k) {
    return prefix + std::to_string(k);
}

}  // namespace

std::string AliasFilePath(const std::string& settingsPath, PathStyle style) {
    return FolderOf(settingsPath, style) + "aliases.ini";
}

AliasFile LoadAliasFile(const std::string& path, CodePage codePage) {
    IniFile ini;
    ini.Load(path, codePage);  // a missing or unreadable file reads as empty
    return ReadAliasFile(ini);
}

AliasFile ReadAliasFile(const IniFile& ini) {
    std::unordered_set<std::string> present;
    for (const std::string& name : ini.SectionNames()) present.insert(Lower(name));
    // A numbered section that is not in the file has no keys; skipping it keeps a huge count cheap.
    auto section = [&](const std::string& lowerName) {
        return present.count(lowerName) ? SectionKeys(ini, lowerName) : SectionKeys();
    };

    AliasFile file;
    const SectionKeys aliasList = section("diraliaslist");
    const std::size_t aliasCount = std::min(aliasList.Count("count"), kMaxAliasListEntries);
    for (std::size_t a = 1; a <= aliasCount; ++a) {
        file.aliasNames.push_back(aliasList.Value(KeyName("alias", a)));
        const SectionKeys alias = section(KeyName("diralias", a));
        std::string directories;
        // Blank directories are skipped, so only the keys present can contribute. A value that
        // is blank once unquoted (`Directory2=" "`) is no directory either.
        for (const std::string& directory : alias.Numbered("directory", alias.Count("dircount"))) {
            if (TrimBlanks(directory).empty()) continue;
            if (!directories.empty()) directories += "\r\n";
            directories += directory;
        }
        file.AliasDirectories.push_back(std::move(directories));
    }

    const SectionKeys groupList = section("querygrouplist");
    const std::size_t groupCount = std::min(groupList.Count("count"), kMaxAliasListEntries);
    std::size_t budget = kMaxAliasQueriesInAll;
    for (std::size_t g = 1; g <= groupCount; ++g) {
        QueryGroup group;
        group.name = groupList.Value(KeyName("group", g));
        const SectionKeys queries = section(KeyName("querygroup", g));
        const std::size_t queryCount = std::min({queries.Count("querycount"), kMaxAliasListEntries, budget});
        budget -= queryCount;
        group.queries.reserve(queryCount);
        for (std::size_t q = 1; q <= queryCount; ++q) {
            QueryEntry entry;
            entry.query = queries.Value(KeyName("query", q));
            const std::string caption = queries.Value(KeyName("caption", q));
            entry.shown = caption.empty() ? entry.query : caption;
            group.queries.push_back(std::move(entry));
        }
        file.QueryGroups.push_back(std::move(group));
    }
    return file;
}

std::vector<std::string> SelectedQueries(const std::vector<QueryGroup>& groups) {
    std::vector<std::string> selected;
    for (const QueryGroup& group : groups) {
        for (const QueryEntry& entry : group.queries) {
            if (entry.checked) selected.push_back(entry.query);
        }
    }
    return selected;
}

std::string CombineQueries(const std::vector<std::string>& queries, bool orState) {
    std::string combined;
    if (!orState) {
        for (const std::string& query : queries) combined += query + ' ';
        return TrimBlanks(combined);
    }
    for (const std::string& query : queries) {
        const bool grouped = query.size() >= 2 && query.front() == '(' && query.back() == ')';
        combined += grouped ? " or " + query : " or ( " + query + " )";
    }
    return combined.size() > 4 ? combined.substr(4) : std::string();
}

void ApplyChosenAliases(const AliasFile& file, const std::vector<int>& chosen, Settings& settings,
                        CodePage codePage) {
    if (chosen.empty()) return;
    std::string text;
    for (const int row : chosen) {
        if (row < 0 || static_cast<std::size_t>(row) >= file.AliasDirectories.size()) continue;
        const std::string& directories = file.AliasDirectories[static_cast<std::size_t>(row)];
        // An alias without directories adds nothing; joining it would leave an empty entry
        // between two blanks.
        if (directories.empty()) continue;
        if (!text.empty()) text += "\r\n";
        text += directories;
    }
    std::string place;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            place += ' ';
            ++i;
        } else {
            place += text[i];
        }
    }
    ParseIndexDirectories(TrimBlanks(place), settings, codePage);
}
