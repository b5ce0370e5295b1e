#include "config/IniFile.h"

#include "config/FileIo.h"

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The section name of a line such as "[Search]", or nothing.
std::optional<std::string> SectionName(std::string_view line) {
    const std::string trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const std::size_t close = trimmed.find(']');
    return TrimBlanks(
        std::string_view(trimmed).substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

bool IsComment(std::string_view line) {
    const std::string trimmed = TrimBlanks(line);
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// Splits "key=value"; nothing for lines that are not key lines.
std::optional<std::pair<std::string, std::string>> KeyAndValue(std::string_view line) {
    if (IsComment(line) || SectionName(line)) return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(TrimBlanks(line.substr(0, eq)), std::string(line.substr(eq + 1)));
}

std::string OneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

IniFile::IniFile(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t i = start;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        Line line{std::string(text.substr(start, i - start)), {}};
        if (i < text.size()) {
            const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            line.eol = crlf ? "\r\n" : std::string(1, text[i]);
            i += line.eol.size();
        }
        m_lines.push_back(std::move(line));
        start = i;
    }
}

std::string IniFile::ToText() const {
    std::string out;
    for (const Line& line : m_lines) out += line.text + line.eol;
    return out;
}

bool IniFile::Load(const std::string& path, CodePage codePage) {
    const auto bytes = ReadWholeFile(path);
    *this = IniFile(FileTextToProgram(codePage, bytes.value_or(std::string())));
    return bytes.has_value();
}

bool IniFile::Save(const std::string& path) const {
    return WriteFileAtomically(path, ToText());
}

std::optional<IniFile::Range> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i].text);
        if (!name || !EqualsNoCase(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !SectionName(m_lines[end].text)) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const Range& range, std::string_view key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto kv = KeyAndValue(m_lines[i].text);
        if (kv && EqualsNoCase(kv->first, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto index = FindKey(*range, key);
    if (!index) return std::nullopt;
    return KeyAndValue(m_lines[*index].text)->second;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view absent) const {
    const auto value = Value(section, key);
    return value ? *value : std::string(absent);
}

std::string IniFile::ReadProfileString(std::string_view section, std::string_view key,
                                       std::string_view absent) const {
    const auto value = Value(section, key);
    if (!value) return std::string(absent);
    std::string text = TrimBlanks(*value);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (const auto name = SectionName(line.text)) names.push_back(*name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::SectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    const auto range = FindSection(section);
    if (!range) return values;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (auto kv = KeyAndValue(m_lines[i].text)) values.push_back(std::move(*kv));
    }
    return values;
}

std::string IniFile::NewLineEnding() const {
    for (const Line& line : m_lines) {
        if (!line.eol.empty()) return line.eol;
    }
    return "\n";
}

void IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    const std::string eol = NewLineEnding();
    auto range = FindSection(section);
    if (range) {
        if (const auto index = FindKey(*range, key)) {
            std::string& text = m_lines[*index].text;
            text = text.substr(0, text.find('=') + 1) + OneLine(value);
            return;
        }
    } else {
        if (!m_lines.empty()) {
            if (m_lines.back().eol.empty()) m_lines.back().eol = eol;
            if (!TrimBlanks(m_lines.back().text).empty()) m_lines.push_back({"", eol});
        }
        m_lines.push_back({"[" + std::string(section) + "]", eol});
        range = Range{m_lines.size() - 1, m_lines.size()};
    }
    // After the section's last non-blank line, so blank lines between sections stay between them.
    std::size_t at = range->end;
    while (at > range->header + 1 && TrimBlanks(m_lines[at - 1].text).empty()) --at;
    if (m_lines[at - 1].eol.empty()) m_lines[at - 1].eol = eol;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::string(key) + "=" + OneLine(value), eol});
}

void IniFile::EraseSection(std::string_view section) {
    while (const auto range = FindSection(section)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(range->end));
    }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    const auto range = FindSection(section);
    if (!range) return;
    if (const auto index = FindKey(*range, key)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*index));
    }
}
