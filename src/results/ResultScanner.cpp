#include "results/ResultScanner.h"

#include <iconv.h>
#include <algorithm>
#include <limits>

#include "config/Settings.h"
#include "process/Paths.h"
#include "text/CodePage.h"
#include "text/Jconvert.h"

namespace {

// namazu writes the score marker in its locale's code: ASCII under C, EUC-JP under the EUC-JP
// and UTF-8 Japanese locales, Shift_JIS under a Shift_JIS locale. The UTF-8 form is kept for
// result files written by other builds.
constexpr std::string_view kScoreMarker = " (score:";
constexpr std::string_view kScoreMarkersJapanese[] = {
    "\x20\x28\xA5\xB9\xA5\xB3\xA5\xA2\x3A",              // EUC-JP
    "\x20\x28\x83\x58\x83\x52\x83\x41\x3A",              // CP932
    "\x20\x28\xE3\x82\xB9\xE3\x82\xB3\xE3\x82\xA2\x3A",  // UTF-8
};

// Where the title of a title line ends: the 1-based position of the last score marker.
int ScoreMarkerPosition(std::string_view line) {
    std::size_t n = LastPos(line, kScoreMarker);
    if (n > 0) return static_cast<int>(n);
    for (std::string_view marker : kScoreMarkersJapanese) n = std::max(n, LastPos(line, marker));
    return static_cast<int>(n);
}

bool StartsWithHitNumberOne(std::string_view line) {
    return line.substr(0, 3) == "1. ";
}

void Mark(std::string& kinds, int32_t from, int32_t count, char kind) {
    std::fill_n(kinds.begin() + from, count, kind);
}

}  // namespace

ResultScanOptions ResultScanOptionsFrom(const Settings& settings) {
    ResultScanOptions options;
    options.blankLinesAfterFileName = ParseCount(settings.Result.FileNameBlankLineNext, 1);
    if (options.blankLinesAfterFileName < 1) options.blankLinesAfterFileName = 1;
    options.blankFromEnd = ParseCount(settings.Result.FileNameSpaceFromEnd, 2);
    if (options.blankFromEnd < 1) options.blankFromEnd = 2;
    return options;
}

std::vector<std::string_view> SplitResultLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 40 + 1);
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        lines.push_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

int NthFromEnd(std::string_view text, char ch, int n) {
    if (n < 1) return 0;
    for (std::size_t i = text.size(); i > 0; --i) {
        if (text[i - 1] == ch && --n == 0) return static_cast<int>(i);
    }
    return 0;
}

ResultScan ScanResultText(std::string_view bytes, const ResultScanOptions& options) {
    ResultScan scan;
    scan.lines = SplitResultLines(bytes);
    const auto& L = scan.lines;
    const int count = static_cast<int>(std::min<std::size_t>(L.size(), std::numeric_limits<int>::max()));

    // Offsets are 32-bit: a larger text is not scanned at all.
    int64_t xSize = 0;
    scan.lineStarts.reserve(L.size());
    for (std::string_view line : L) {
        if (xSize > std::numeric_limits<int32_t>::max()) break;
        scan.lineStarts.push_back(static_cast<int32_t>(xSize));
        xSize += static_cast<int64_t>(line.size()) + 2;
    }
    if (xSize > std::numeric_limits<int32_t>::max()) {
        scan.lineStarts.clear();
        return scan;
    }
    scan.CharKinds.assign(static_cast<std::size_t>(xSize), '\0');
    if (count == 0) return scan;

    // The head: the hit list starts at the first line after line 0 that begins with "1. ".
    int i = 1;
    while (i < count && !StartsWithHitNumberOne(L[i])) ++i;
    if (i == count) return scan;
    scan.scanned = true;

    const int k = std::max(1, options.blankLinesAfterFileName);
    const int m = options.blankFromEnd < 1 ? 2 : options.blankFromEnd;
    bool waiting = false;
    for (; i <= count - 3; ++i) {
        const std::string_view line = L[i];
        const int32_t pos = scan.lineStarts[i];
        if (!waiting && !line.empty()) {
            const int n = ScoreMarkerPosition(line);
            if (n > 0) {
                Mark(scan.CharKinds, pos, n - 1, kCharTitle);
                HitRecord hit;
                hit.TitleStart = pos;
                hit.TitleEnd = pos + n - 2;
                hit.Title = std::string(line.substr(0, n - 1));
                scan.Hits.push_back(std::move(hit));
                waiting = true;
                continue;
            }
        }
        if (!waiting) continue;
        int blanks = 0;
        for (int j = i + 1; j < count && blanks < k && L[j].empty(); ++j) ++blanks;
        if (blanks != k) continue;
        const int p = NthFromEnd(line, ' ', m);
        if (p < 3) continue;
        Mark(scan.CharKinds, pos, p - 1, kCharUri);
        HitRecord& hit = scan.Hits.back();
        hit.UriStart = pos;
        hit.UriEnd = pos + p - 2;
        hit.Uri = std::string(line.substr(0, p - 1));
        waiting = false;
    }
    scan.HitCount = static_cast<int>(scan.Hits.size());
    return scan;
}

// ---------------------------------------------------------------------------------------------
// Display decoding with the offset map.

namespace {

enum class LineCode { EucJp, Cp932 };

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Length of the EUC-JP character at i; 0 for a byte that starts none.
std::size_t EucCharLength(std::string_view s, std::size_t i) {
    auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned b = at(i);
    auto high = [](unsigned c) { return c >= 0xA1 && c <= 0xFE; };
    if (b < 0x80) return 1;
    if (b == 0x8E) return at(i + 1) >= 0xA1 && at(i + 1) <= 0xDF ? 2 : 0;
    if (b == 0x8F) return high(at(i + 1)) && high(at(i + 2)) ? 3 : 0;
    if (high(b)) return high(at(i + 1)) ? 2 : 0;
    return 0;
}

std::size_t Cp932CharLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead) return 1;
    if (i + 1 >= s.size()) return 0;
    const auto t = static_cast<unsigned char>(s[i + 1]);
    return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC) ? 2 : 0;
}

template <typename CharLengthFn>
bool IsWellFormed(std::string_view s, CharLengthFn length) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = length(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Runs of non-ASCII bytes; in EUC-JP and UTF-8 an ASCII byte never lies inside a character.
template <typename Fn>
void ForEachRun(std::string_view line, Fn fn) {
    std::size_t i = 0;
    while (i < line.size()) {
        const bool ascii = static_cast<unsigned char>(line[i]) < 0x80;
        std::size_t j = i + 1;
        while (j < line.size() && (static_cast<unsigned char>(line[j]) < 0x80) == ascii) ++j;
        fn(i, j, ascii);
        i = j;
    }
}

bool IsEucAndUtf8Mix(std::string_view line) {
    bool ok = true;
    ForEachRun(line, [&](std::size_t a, std::size_t b, bool ascii) {
        if (ascii || !ok) return;
        const std::string_view run = line.substr(a, b - a);
        ok = IsWellFormed(run, EucCharLength) || IsValidUtf8(run);
    });
    return ok;
}

// The code of a line that is not UTF-8. namazu on Linux writes EUC-JP with file names as the
// file system's bytes, and a title taken from a file name may even come out mangled (neither
// UTF-8 nor EUC-JP): a line with namazu's EUC-JP score marker is EUC-JP whatever else it holds.
// Otherwise the detection decides, and what it leaves open is taken as EUC-JP.
LineCode ChooseLineCode(std::string_view line) {
    if (IsEucAndUtf8Mix(line) || line.find(kScoreMarkersJapanese[0]) != std::string_view::npos) {
        return LineCode::EucJp;
    }
    return DetectJapaneseCode(line) == jcSjis ? LineCode::Cp932 : LineCode::EucJp;
}

// Turns lines into UTF-16 while recording which bytes each unit came from.
class LineDecoder {
public:
    LineDecoder() = default;
    ~LineDecoder() {
        for (iconv_t cd : m_cd) {
            if (cd != Invalid()) iconv_close(cd);
        }
    }
    LineDecoder(const LineDecoder&) = delete;
    LineDecoder& operator=(const LineDecoder&) = delete;

    // Decodes `line` onto the end of `out`. Returns false when units and bytes match one to one
    // (pure ASCII); otherwise fills `unitToByte` (one per unit appended) and `byteToUnit` (one
    // per byte of the line, relative to the line's first unit).
    bool Decode(std::string_view line, std::u16string& out, std::vector<int32_t>& unitToByte,
                std::vector<int32_t>& byteToUnit) {
        if (IsAscii(line)) {
            for (char c : line) out.push_back(Clean(static_cast<unsigned char>(c)));
            return false;
        }
        m_out = &out;
        m_unitToByte = &unitToByte;
        m_byteToUnit = &byteToUnit;
        m_lineUnit = out.size();
        m_byteBase = byteToUnit.size();
        byteToUnit.resize(m_byteBase + line.size(), 0);
        if (IsValidUtf8(line)) {
            DecodeUtf8(line, 0, line.size());
        } else if (ChooseLineCode(line) == LineCode::EucJp) {
            ForEachRun(line, [&](std::size_t a, std::size_t b, bool ascii) {
                const std::string_view run = line.substr(a, b - a);
                if (ascii) {
                    for (std::size_t k = a; k < b; ++k) Emit(static_cast<unsigned char>(line[k]), k, 1);
                } else if (!IsWellFormed(run, EucCharLength) && IsValidUtf8(run)) {
                    DecodeUtf8(line, a, b);  // a file name in the middle of EUC-JP text
                } else {
                    DecodeWith(LineCode::EucJp, line, a, b);
                }
            });
        } else {
            DecodeWith(LineCode::Cp932, line, 0, line.size());
        }
        return true;
    }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

    static char16_t Clean(char32_t c) {
        // Characters a text document would take as a paragraph or frame break, and control
        // characters, would shift every later position: they are shown as U+FFFD.
        if ((c < 0x20 && c != '\t') || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) return 0xFFFD;
        return static_cast<char16_t>(c);
    }

    void Emit(char32_t c, std::size_t byteStart, std::size_t byteCount) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        const auto unit = static_cast<int32_t>(m_out->size() - m_lineUnit);
        std::fill_n(m_byteToUnit->begin() + static_cast<std::ptrdiff_t>(m_byteBase + byteStart), byteCount,
                    unit);
        if (c > 0xFFFF) {
            c -= 0x10000;
            m_out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            m_out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
            m_unitToByte->push_back(static_cast<int32_t>(byteStart));
        } else {
            m_out->push_back(Clean(c));
        }
        m_unitToByte->push_back(static_cast<int32_t>(byteStart));
    }

    // [a, b) of `line` is valid UTF-8.
    void DecodeUtf8(std::string_view line, std::size_t a, std::size_t b) {
        for (std::size_t i = a; i < b;) {
            const std::size_t n = CharLength(CodePage::Utf8, line, i + 1);
            const auto b0 = static_cast<unsigned char>(line[i]);
            char32_t c = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
            for (std::size_t k = 1; k < n; ++k)
                c = (c << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
            Emit(c, i, n);
            i += n;
        }
    }

    iconv_t Converter(LineCode code) {
        iconv_t& cd = m_cd[static_cast<int>(code)];
        if (cd == Invalid()) cd = iconv_open("UTF-32LE", code == LineCode::EucJp ? "EUC-JP" : "CP932");
        return cd;
    }

    // Converts `bytes` to code points; false when iconv refused any of it.
    bool Convert(iconv_t cd, std::string_view bytes, std::vector<char32_t>& out) {
        out.resize(bytes.size() + 4);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* dst = reinterpret_cast<char*>(out.data());
        std::size_t dstLeft = out.size() * sizeof(char32_t);
        const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        const bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0 &&
                        iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(out.size() - dstLeft / sizeof(char32_t));
        return ok;
    }

    // Decodes [a, b) of `line` in a Japanese code, one character of that code at a time, so
    // every unit knows its bytes. A byte that starts no character, or a character iconv
    // cannot convert, becomes one U+FFFD.
    void DecodeWith(LineCode code, std::string_view line, std::size_t a, std::size_t b) {
        const std::string_view run = line.substr(0, b);
        m_tokens.clear();
        for (std::size_t i = a; i < b;) {
            std::size_t n = code == LineCode::EucJp ? EucCharLength(run, i) : Cp932CharLength(run, i);
            const bool valid = n != 0;
            if (!valid) n = 1;
            m_tokens.push_back({i, n, valid});
            i += n;
        }
        iconv_t cd = Converter(code);
        if (cd == Invalid()) {
            for (const Token& t : m_tokens)
                Emit(t.size == 1 ? static_cast<unsigned char>(line[t.start]) : 0xFFFD, t.start, t.size);
            return;
        }
        // Usually the whole run converts at once, one code point per character.
        const bool allValid =
            std::all_of(m_tokens.begin(), m_tokens.end(), [](const Token& t) { return t.valid; });
        if (allValid && Convert(cd, line.substr(a, b - a), m_points) && m_points.size() == m_tokens.size()) {
            for (std::size_t k = 0; k < m_tokens.size(); ++k)
                Emit(m_points[k], m_tokens[k].start, m_tokens[k].size);
            return;
        }
        for (const Token& t : m_tokens) {
            if (t.valid && Convert(cd, line.substr(t.start, t.size), m_points) && !m_points.empty()) {
                for (char32_t c : m_points) Emit(c, t.start, t.size);
            } else {
                Emit(0xFFFD, t.start, t.size);
            }
        }
    }

    struct Token {
        std::size_t start;
        std::size_t size;
        bool valid;
    };

    iconv_t m_cd[2] = {Invalid(), Invalid()};
    std::u16string* m_out = nullptr;
    std::vector<int32_t>* m_unitToByte = nullptr;
    std::vector<int32_t>* m_byteToUnit = nullptr;
    std::size_t m_lineUnit = 0;
    std::size_t m_byteBase = 0;
    std::vector<Token> m_tokens;
    std::vector<char32_t> m_points;
};

}  // namespace

ResultTextMap::ResultTextMap(const std::vector<std::string_view>& lines,
                             const std::vector<int32_t>& lineStarts) {
    Append(lines, lineStarts);
}

QString ResultTextMap::Append(const std::vector<std::string_view>& lines, const std::vector<int32_t>& lineStarts,
                              std::size_t from) {
    const std::size_t count = std::min(lines.size(), lineStarts.size());
    if (from >= count) return {};
    m_lines.reserve(m_lines.size() + count - from);
    const int base = static_cast<int>(m_text.size());
    std::u16string text;
    std::size_t total = 0;
    for (std::size_t i = from; i < count; ++i) total += lines[i].size() + 1;
    text.reserve(total);
    LineDecoder decoder;
    for (std::size_t i = from; i < count; ++i) {
        if (!m_lines.empty()) text.push_back(u'\n');
        Line line;
        line.offset = lineStarts[i];
        line.length = static_cast<int32_t>(lines[i].size());
        line.viewStart = base + static_cast<int>(text.size());
        const auto unitMark = static_cast<int32_t>(m_unitToByte.size());
        const auto byteMark = static_cast<int32_t>(m_byteToUnit.size());
        if (decoder.Decode(lines[i], text, m_unitToByte, m_byteToUnit)) {
            line.unitMap = unitMark;
            line.byteMap = byteMark;
        }
        line.viewLength = base + static_cast<int>(text.size()) - line.viewStart;
        m_lines.push_back(line);
    }
    m_xSize = m_lines.back().offset + m_lines.back().length + 2;
    const QString added = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    m_text += added;
    return added;
}

int ResultTextMap::LineOfOffset(int32_t offset) const {
    const auto it = std::upper_bound(m_lines.begin(), m_lines.end(), offset,
                                     [](int32_t value, const Line& line) { return value < line.offset; });
    return it == m_lines.begin() ? 0 : static_cast<int>(it - m_lines.begin()) - 1;
}

int ResultTextMap::LineOfViewPosition(int pos) const {
    const auto it = std::upper_bound(m_lines.begin(), m_lines.end(), pos,
                                     [](int value, const Line& line) { return value < line.viewStart; });
    return it == m_lines.begin() ? 0 : static_cast<int>(it - m_lines.begin()) - 1;
}

int ResultTextMap::ViewPosition(int32_t offset) const {
    if (m_lines.empty() || offset < 0) return 0;
    if (offset >= m_xSize) return static_cast<int>(m_text.size());
    const Line& line = m_lines[LineOfOffset(offset)];
    const int32_t inLine = offset - line.offset;
    if (inLine >= line.length) return line.viewStart + line.viewLength;
    if (line.byteMap < 0) return line.viewStart + inLine;
    return line.viewStart + m_byteToUnit[line.byteMap + inLine];
}

int ResultTextMap::ViewPositionAfter(int32_t offset) const {
    const int pos = ViewPosition(offset);
    if (pos >= m_text.size()) return pos;
    if (offset >= 0 && offset < m_xSize) {
        const Line& line = m_lines[LineOfOffset(offset)];
        if (offset - line.offset >= line.length) return pos;
    }
    return pos + (m_text.at(pos).isHighSurrogate() ? 2 : 1);
}

int32_t ResultTextMap::OffsetAt(int pos) const {
    if (m_lines.empty()) return 0;
    pos = std::clamp(pos, 0, static_cast<int>(m_text.size()));
    const Line& line = m_lines[LineOfViewPosition(pos)];
    const int inLine = std::min(pos - line.viewStart, line.viewLength);
    if (inLine >= line.viewLength) return line.offset + line.length;
    if (line.unitMap < 0) return line.offset + inLine;
    return line.offset + m_unitToByte[line.unitMap + inLine];
}
