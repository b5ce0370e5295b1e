#include "text/NamazuQuery.h"

#include <iconv.h>
#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct NkfRow {
    char32_t first;
    char32_t second;  // 0 for a row of one character
    const char* eucJp;
};

// Only where nkf differs from glibc's EUC-JP; made by scripts/make-nkf-query-table.
constexpr NkfRow kNkfRows[] = {
#include "text/NkfQueryTable.inc"
};

const NkfRow* FindRow(char32_t first, char32_t second) {
    const auto less = [](const NkfRow& row, std::pair<char32_t, char32_t> key) {
        return row.first != key.first ? row.first < key.first : row.second < key.second;
    };
    const auto* end = std::end(kNkfRows);
    const auto* found = std::lower_bound(std::begin(kNkfRows), end, std::pair{first, second}, less);
    return found != end && found->first == first && found->second == second ? found : nullptr;
}

// The code point at `pos` of valid UTF-8, and the position after it.
char32_t DecodeAt(std::string_view utf8, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(utf8[pos]);
    const std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? b0 : b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[pos + k]) & 0x3F);
    pos += length;
    return cp;
}

// glibc's EUC-JP form of one character; empty when it has none that nkf writes (nkf writes no
// three-byte JIS X 0212 code).
std::string GlibcEucJp(iconv_t cd, std::string_view utf8Char) {
    char buffer[16];
    char* in = const_cast<char*>(utf8Char.data());
    std::size_t inLeft = utf8Char.size();
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) return {};
    if (iconv(cd, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return {};
    const std::string bytes(buffer, static_cast<std::size_t>(out - buffer));
    return !bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0x8F ? std::string() : bytes;
}

}  // namespace

NamazuQuery QueryToNamazuEuc(CodePage codePage, std::string_view query) {
    // Bytes that are not text of the code page become U+FFFD, which has no form.
    const std::string utf8 = ProgramToUtf8(codePage, query);
    NamazuQuery result;
    iconv_t cd = iconv_open("EUC-JP", "UTF-8");
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const char32_t cp = DecodeAt(utf8, pos);
        if (cp < 0x80) {
            result.eucJp += static_cast<char>(cp);
            continue;
        }
        if (pos < utf8.size()) {
            std::size_t next = pos;
            if (const NkfRow* pair = FindRow(cp, DecodeAt(utf8, next))) {
                result.eucJp += pair->eucJp;
                pos = next;
                continue;
            }
        }
        if (const NkfRow* row = FindRow(cp, 0)) {
            result.eucJp += row->eucJp;
            continue;
        }
        const std::string_view character = std::string_view(utf8).substr(start, pos - start);
        const std::string bytes =
            cd == reinterpret_cast<iconv_t>(-1) ? std::string() : GlibcEucJp(cd, character);
        if (bytes.empty()) {
            result.unconvertible = Utf8ToProgram(codePage, character);
            break;
        }
        result.eucJp += bytes;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    if (!result.unconvertible.empty()) result.eucJp.clear();
    return result;
}
