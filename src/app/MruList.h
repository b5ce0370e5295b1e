#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

class IniFile;

// The recently used search places: at most ten, most recent first. Two entries that differ
// only in ASCII letter case are the same entry; the letters inside a double-byte character of
// the program code page are left alone.
class MruList final {
public:
    static constexpr std::size_t kCapacity = 10;
    static constexpr std::string_view kSection = "SearchMRU";

    explicit MruList(CodePage codePage = CodePage::Utf8) : m_codePage(codePage) {}

    // Moves a known entry to the front, or inserts a new one there and drops the oldest beyond
    // ten. An empty entry is not a place and is ignored.
    void Add(std::string_view entry);
    bool Contains(std::string_view entry) const;
    void Clear() { m_entries.clear(); }

    const std::vector<std::string>& Entries() const { return m_entries; }
    std::size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }

    // Replaces the list with [SearchMRU] Item_9 down to Item_0, each non-empty value added at
    // the front, so Item_0 ends first.
    void Load(const IniFile& ini);
    // Erases [SearchMRU] and writes Item_0 (the most recent) onwards.
    void Save(IniFile& ini) const;

private:
    CodePage m_codePage;
    std::vector<std::string> m_entries;
};

// True when the two texts differ at most in the letter case of single-byte characters.
bool SameMruEntry(CodePage codePage, std::string_view a, std::string_view b);

// The menu caption of the entry at 0-based `index`: "&1" .. "&9", "&A", a tab, the entry.
std::string MruCaption(std::size_t index, std::string_view entry);
