#include "app/MruList.h"

#include <algorithm>

#include "config/IniFile.h"

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ItemKey(std::size_t index) {
    return "Item_" + std::to_string(index);
}

}  // namespace

bool SameMruEntry(CodePage codePage, std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t pos = 1; pos <= a.size();) {
        const std::size_t length = CharLength(codePage, a, pos);
        if (length == 1) {
            if (AsciiLower(a[pos - 1]) != AsciiLower(b[pos - 1])) return false;
        } else if (a.substr(pos - 1, length) != b.substr(pos - 1, length)) {
            // A CP932 trail byte can be an ASCII letter; it must match exactly.
            return false;
        }
        pos += length;
    }
    return true;
}

std::string MruCaption(std::size_t index, std::string_view entry) {
    const char accelerator = index < 9 ? static_cast<char>('1' + index) : 'A';
    std::string caption = "&";
    caption += accelerator;
    caption += '\t';
    caption += entry;
    return caption;
}

void MruList::Add(std::string_view entry) {
    if (entry.empty()) return;
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const std::string& known) {
        return SameMruEntry(m_codePage, known, entry);
    });
    if (found != m_entries.end()) {
        // The list keeps the spelling it already had; only the order changes.
        std::rotate(m_entries.begin(), found, found + 1);
        return;
    }
    m_entries.insert(m_entries.begin(), std::string(entry));
    if (m_entries.size() > kCapacity) m_entries.resize(kCapacity);
}

bool MruList::Contains(std::string_view entry) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const std::string& known) { return SameMruEntry(m_codePage, known, entry); });
}

void MruList::Load(const IniFile& ini) {
    m_entries.clear();
    for (std::size_t i = kCapacity; i-- > 0;) {
        const std::string value = ini.ReadString(kSection, ItemKey(i), "");
        if (!value.empty()) Add(value);
    }
}

void MruList::Save(IniFile& ini) const {
    ini.EraseSection(kSection);
    for (std::size_t i = 0; i < m_entries.size(); ++i) ini.SetValue(kSection, ItemKey(i), m_entries[i]);
}
