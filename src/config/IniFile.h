#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/CodePage.h"

// An INI text held line by line so that a save changes nothing but the keys that were set:
// comments, unknown sections and keys, blank lines and line endings survive byte for byte.
// Section and key names match without regard to ASCII letter case; a value is the text after
// the first "=", not unquoted.
class IniFile final {
public:
    IniFile() = default;
    explicit IniFile(std::string_view text);

    std::string ToText() const;

    // Reads a stored file in the program code page (a file that is not valid UTF-8 is read as
    // CP932 under UTF-8). A missing or unreadable file gives an empty INI and false.
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

    // An existing key keeps its place; a new key goes after the last entry of its section; a new
    // section goes to the end. Line breaks inside the value become blanks.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct Line {
        std::string text;  // without its line ending
        std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Range {
        std::size_t header;  // index of the section line
        std::size_t end;     // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
    std::string NewLineEnding() const;

    std::vector<Line> m_lines;
};

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string TrimBlanks(std::string_view text);
