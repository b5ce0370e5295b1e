#include "config/IniFile.h"

#include "config/FileIo.h"

#include <algorithm>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

std::uint64_t KeyHash(std::string_view key) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a over the lower-cased bytes
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(AsciiLower(c));
        hash *= 1099511628211ULL;
    }
    return hash;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The section name of a line such as "[Search]", or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = TrimView(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const std::size_t close = trimmed.find(']');
    return TrimView(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view trimmed = TrimView(line);
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The key of a key line ("key=value"), or nothing for other lines. Lines in a section are never
// section lines.
std::optional<std::string_view> KeyName(std::string_view line) {
    if (IsComment(line)) return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return TrimView(line.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
    return line.substr(line.find('=') + 1);
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
    return std::string(TrimView(text));
}

std::string TrimBlanksAndControls(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return std::string(text.substr(begin, end - begin));
}

IniFile::IniFile(std::string_view text) {
    Parse(text, nullptr);
}

IniFile::IniFile(std::string_view fileBytes, CodePage codePage) {
    Parse(fileBytes, &codePage);
}

void IniFile::Parse(std::string_view bytes, const CodePage* decode) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        m_bom = kUtf8Bom;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    // First the line boundaries and how many lines each section holds, so that every section's
    // lines are allocated once: a history of thousands of entries is one section.
    struct Span {
        std::size_t start;
        std::size_t length;
        std::size_t eolLength;
        bool header;
    };
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::vector<std::size_t> sectionLines(1, 0);
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t i = start;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        std::size_t eolLength = 0;
        if (i < bytes.size())
            eolLength = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
        // Blanks and "[" read the same whether the line is decoded or not.
        const std::string_view trimmed = TrimView(bytes.substr(start, i - start));
        const bool header = !trimmed.empty() && trimmed.front() == '[';
        spans.push_back({start, i - start, eolLength, header});
        if (header) {
            sectionLines.push_back(0);
        } else {
            ++sectionLines.back();
        }
        start = i + eolLength;
    }

    m_sections.reserve(sectionLines.size());
    m_sections.push_back(Section{});
    m_sections.back().lines.reserve(sectionLines.front());
    bool eolSeen = false;
    for (const Span& span : spans) {
        Line line;
        const std::string_view raw = bytes.substr(span.start, span.length);
        if (decode && *decode == CodePage::Utf8 && !IsValidUtf8(raw)) {
            line.text = ConvertEncoding(raw, "CP932", "UTF-8");
            line.raw = raw;
            line.decoded = true;
        } else {
            line.text = raw;
        }
        if (span.eolLength > 0) {
            line.eol = bytes.substr(span.start + span.length, span.eolLength);
            if (!eolSeen) m_eol = line.eol;
            eolSeen = true;
        }
        if (span.header) {
            Section section;
            section.hasHeader = true;
            section.name = *SectionName(line.text);
            section.header = std::move(line);
            section.lines.reserve(sectionLines[m_sections.size()]);
            m_sections.push_back(std::move(section));
        } else {
            m_sections.back().lines.push_back(std::move(line));
        }
    }
    for (Section& section : m_sections) IndexKeys(section);
    IndexSections();
}

void IniFile::KeyIndex::Clear(std::size_t expected) {
    std::size_t size = 16;
    while (size < 2 * expected) size *= 2;
    m_hashes.assign(size, 0);
    m_lines.assign(size, 0);
    m_count = 0;
}

// The slot holding the key, or the empty slot where it would go.
std::size_t IniFile::KeyIndex::Slot(const std::vector<Line>& lines, std::string_view key,
                                    std::uint64_t hash) const {
    const std::size_t mask = m_lines.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        if (m_lines[i] == 0) return i;
        if (m_hashes[i] == hash && EqualsNoCase(*KeyName(lines[m_lines[i] - 1].text), key)) return i;
    }
}

std::optional<std::size_t> IniFile::KeyIndex::Find(const std::vector<Line>& lines,
                                                   std::string_view key) const {
    if (m_lines.empty()) return std::nullopt;
    const std::size_t slot = Slot(lines, key, KeyHash(key));
    if (m_lines[slot] == 0) return std::nullopt;
    return m_lines[slot] - 1;
}

void IniFile::KeyIndex::Add(const std::vector<Line>& lines, std::string_view key, std::size_t line) {
    if (m_lines.empty() || 2 * (m_count + 1) > m_lines.size()) Grow();
    const std::uint64_t hash = KeyHash(key);
    const std::size_t slot = Slot(lines, key, hash);
    if (m_lines[slot] != 0) return;
    m_hashes[slot] = hash;
    m_lines[slot] = line + 1;
    ++m_count;
}

void IniFile::KeyIndex::Grow() {
    std::vector<std::uint64_t> hashes(std::max<std::size_t>(16, 2 * m_lines.size()), 0);
    std::vector<std::size_t> lines(hashes.size(), 0);
    const std::size_t mask = hashes.size() - 1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i] == 0) continue;
        std::size_t at = m_hashes[i] & mask;
        while (lines[at] != 0) at = (at + 1) & mask;
        hashes[at] = m_hashes[i];
        lines[at] = m_lines[i];
    }
    m_hashes = std::move(hashes);
    m_lines = std::move(lines);
}

void IniFile::IndexSections() {
    m_sectionIndex.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].hasHeader) m_sectionIndex.try_emplace(LowerAscii(m_sections[i].name), i);
    }
}

void IniFile::IndexKeys(Section& section) {
    section.keys.Clear(section.lines.size());
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        if (const auto key = KeyName(section.lines[i].text)) section.keys.Add(section.lines, *key, i);
    }
}

std::string IniFile::ToText() const {
    std::size_t size = m_bom.size();
    const auto lineSize = [](const Line& line) {
        return (line.decoded ? line.raw.size() : line.text.size()) + line.eol.size();
    };
    for (const Section& section : m_sections) {
        if (section.hasHeader) size += lineSize(section.header);
        for (const Line& line : section.lines) size += lineSize(line);
    }
    std::string out;
    out.reserve(size);
    out += m_bom;
    const auto append = [&out](const Line& line) {
        out += line.decoded ? line.raw : line.text;
        out += line.eol;
    };
    for (const Section& section : m_sections) {
        if (section.hasHeader) append(section.header);
        for (const Line& line : section.lines) append(line);
    }
    return out;
}

bool IniFile::Load(const std::string& path, CodePage codePage) {
    const auto bytes = ReadWholeFile(path);
    *this = IniFile(bytes ? std::string_view(*bytes) : std::string_view(), codePage);
    return bytes.has_value();
}

bool IniFile::Save(const std::string& path) const {
    return WriteFileAtomically(path, ToText());
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
    const auto found = m_sectionIndex.find(LowerAscii(section));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view section) {
    return const_cast<Section*>(std::as_const(*this).FindSection(section));
}

const IniFile::Line* IniFile::FindKey(const Section& section, std::string_view key) const {
    const auto found = section.keys.Find(section.lines, key);
    return found ? &section.lines[*found] : nullptr;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    const Line* line = s ? FindKey(*s, key) : nullptr;
    if (!line) return std::nullopt;
    return std::string(ValueOf(line->text));
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
    return FindSection(section) != nullptr;
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : m_sections) {
        if (section.hasHeader) names.push_back(section.name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::SectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    const Section* s = FindSection(section);
    if (!s) return values;
    for (const Line& line : s->lines) {
        if (const auto key = KeyName(line.text)) values.emplace_back(*key, ValueOf(line.text));
    }
    return values;
}

void IniFile::ForEachKey(
    std::string_view section,
    const std::function<void(std::string_view key, std::string_view value)>& visit) const {
    const Section* s = FindSection(section);
    if (!s) return;
    for (const Line& line : s->lines) {
        if (const auto key = KeyName(line.text)) visit(*key, ValueOf(line.text));
    }
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* s = FindSection(section);
    if (!s) return names;
    for (const Line& line : s->lines) {
        if (const auto key = KeyName(line.text)) names.emplace_back(*key);
    }
    return names;
}

IniFile::Line* IniFile::LastLine() {
    for (auto s = m_sections.rbegin(); s != m_sections.rend(); ++s) {
        if (!s->lines.empty()) return &s->lines.back();
        if (s->hasHeader) return &s->header;
    }
    return nullptr;
}

void IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (s) {
        if (const auto found = s->keys.Find(s->lines, key)) {
            Line& line = s->lines[*found];
            line.text.resize(line.text.find('=') + 1);
            line.text += OneLine(value);
            line.decoded = false;
            line.raw.clear();
            return;
        }
    } else {
        if (Line* last = LastLine()) {
            if (last->eol.empty()) last->eol = m_eol;
            if (!TrimView(last->text).empty()) m_sections.back().lines.push_back({"", m_eol});
        }
        Section added;
        added.hasHeader = true;
        added.name = std::string(section);
        added.header = {"[" + std::string(section) + "]", m_eol};
        m_sections.push_back(std::move(added));
        m_sectionIndex.try_emplace(LowerAscii(section), m_sections.size() - 1);
        s = &m_sections.back();
    }
    // After the section's last non-blank line, so blank lines between sections stay between them.
    std::size_t at = s->lines.size();
    while (at > 0 && TrimView(s->lines[at - 1].text).empty()) --at;
    Line& before = at > 0 ? s->lines[at - 1] : s->header;
    if (before.eol.empty()) before.eol = m_eol;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                    Line{std::string(key) + "=" + OneLine(value), m_eol});
    // Only blank lines followed the new one, so no key moved.
    s->keys.Add(s->lines, TrimView(key), at);
}

void IniFile::EraseSection(std::string_view section) {
    std::erase_if(m_sections, [&](const Section& s) { return s.hasHeader && EqualsNoCase(s.name, section); });
    IndexSections();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* s = FindSection(section);
    if (!s) return;
    const auto found = s->keys.Find(s->lines, key);
    if (!found) return;
    s->lines.erase(s->lines.begin() + static_cast<std::ptrdiff_t>(*found));
    IndexKeys(*s);
}
