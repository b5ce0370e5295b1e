#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/CodePage.h"

// An INI text held line by line so that a save changes nothing but the keys that were set:
// comments, unknown sections and keys, blank lines, line endings, a UTF-8 byte-order mark and
// lines in another code survive byte for byte. Section and key names match without regard to
// ASCII letter case; a value is the text after the first "=", not unquoted. Sections and keys
// are indexed once, so reading or setting a key does not scan the file.
class IniFile final {
public:
    IniFile() = default;
    // Lines are kept as they are.
    explicit IniFile(std::string_view text);
    // Lines are decoded for the program code page one by one: under UTF-8 a line that is not
    // valid UTF-8 is read as CP932 (written from Windows); its bytes are written back unless
    // one of its keys is set.
    IniFile(std::string_view fileBytes, CodePage codePage);

    std::string ToText() const;

    // Reads a stored file (see the constructor). A missing or unreadable file gives an empty
    // INI and false.
    bool Load(const std::string& path, CodePage codePage);
    bool Save(const std::string& path) const;

    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view absent) const;

    // Values as the profile functions of Windows read them: blanks trimmed, then one pair of
    // enclosing double (or single) quotes removed.
    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view absent) const;

    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    // Key names and raw values of one section, in file order.
    std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view section) const;
    // Key names of one section, in file order.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Each key line of one section, in file order, without copying: a long list is read in one
    // pass instead of a lookup per entry.
    void ForEachKey(std::string_view section,
                    const std::function<void(std::string_view key, std::string_view value)>& visit) const;

    // An existing key keeps its place; a new key goes after the last entry of its section; a new
    // section goes to the end. Line breaks inside the value become blanks.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct Line {
        std::string text;      // in the program code page, without its line ending
        std::string eol;       // "\r\n", "\n", "\r" or "" for a last line without one
        std::string raw;       // the bytes read, when decoding changed them
        bool decoded = false;  // `raw` is what the file holds for this line
    };
    // Key name (without regard to case) -> the first line holding it. Open addressing over the
    // names' hashes; names are compared against the lines themselves, so indexing a section of
    // thousands of keys allocates nothing per key.
    class KeyIndex {
    public:
        void Clear(std::size_t expected);
        std::optional<std::size_t> Find(const std::vector<Line>& lines, std::string_view key) const;
        // Adds the key unless it is there already.
        void Add(const std::vector<Line>& lines, std::string_view key, std::size_t line);

    private:
        std::size_t Slot(const std::vector<Line>& lines, std::string_view key, std::uint64_t hash) const;
        void Grow();

        std::vector<std::uint64_t> m_hashes;
        std::vector<std::size_t> m_lines;  // line + 1; 0 for an empty slot
        std::size_t m_count = 0;
    };
    struct Section {
        bool hasHeader = false;  // false only for the lines before the first section
        std::string name;        // trimmed, as written
        Line header;
        std::vector<Line> lines;
        KeyIndex keys;
    };

    void Parse(std::string_view bytes, const CodePage* decode);
    void IndexSections();
    static void IndexKeys(Section& section);
    const Section* FindSection(std::string_view section) const;
    Section* FindSection(std::string_view section);
    const Line* FindKey(const Section& section, std::string_view key) const;
    Line* LastLine();

    std::string m_bom;
    std::string m_eol = "\n";  // for new lines: the file's first line ending
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // lower-cased name -> first section
};

// Without regard to ASCII case: the one compare of setting words, section and key names.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string TrimBlanks(std::string_view text);
// Leading and trailing blanks and control characters removed.
std::string TrimBlanksAndControls(std::string_view text);
