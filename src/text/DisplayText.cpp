#include "text/DisplayText.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "text/CodePage.h"
#include "text/Jconvert.h"
#include "text/MimeHeader.h"

namespace {

struct Lines {
    std::vector<std::string> lines;
    bool endsWithBreak = false;
};

// Lines end at CR LF, LF or a lone CR, as text files from any system may.
Lines SplitLines(std::string_view text) {
    Lines result;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        result.lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    result.endsWithBreak = start == text.size() && !text.empty();
    if (start < text.size()) result.lines.emplace_back(text.substr(start));
    return result;
}

std::string JoinLines(const Lines& text, std::string_view lineBreak) {
    std::string joined;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        if (i > 0) joined += lineBreak;
        joined += text.lines[i];
    }
    if (text.endsWithBreak) joined += lineBreak;
    return joined;
}

// The mail header ends at the first line that is exactly empty.
void DecodeHeaderLines(Lines& text) {
    for (std::string& line : text.lines) {
        if (line.empty()) break;
        line = DecodeMimeHeader(line);
    }
}

bool HasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string SanitizedUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : ConvertEncoding(text, "UTF-8", "UTF-8");
}

// A UTF-8 line may carry ISO-2022-JP runs from a decoded header: each run, from ESC $ to the
// escape that leaves double-byte mode, is converted on its own.
std::string Utf8LineWithJisRuns(std::string_view line) {
    std::string out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find("\x1B$", pos);
        if (start == std::string_view::npos) break;
        const std::size_t leave = line.find("\x1B(", start + 2);
        const std::size_t end =
            leave == std::string_view::npos ? line.size() : std::min(line.size(), leave + 3);
        out += SanitizedUtf8(line.substr(pos, start - pos));
        out += ConvertEncoding(JisToSjis(line.substr(start, end - start)), "CP932", "UTF-8");
        pos = end;
    }
    out += SanitizedUtf8(line.substr(pos));
    return out;
}

std::string WithLfBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Well-formed EUC-JP: ASCII, two bytes of A1-FE, 8E + A1-DF (kana), 8F + two of A1-FE.
bool IsWellFormedEucJp(std::string_view bytes) {
    auto in = [&](std::size_t i, unsigned lo, unsigned hi) {
        return i < bytes.size() && static_cast<unsigned char>(bytes[i]) >= lo &&
               static_cast<unsigned char>(bytes[i]) <= hi;
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            i += 1;
        } else if (c == 0x8E && in(i + 1, 0xA1, 0xDF)) {
            i += 2;
        } else if (c == 0x8F && in(i + 1, 0xA1, 0xFE) && in(i + 2, 0xA1, 0xFE)) {
            i += 3;
        } else if (in(i, 0xA1, 0xFE) && in(i + 1, 0xA1, 0xFE)) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

// Valid UTF-8 made only of characters of three or four bytes (kana, kanji and beyond).
bool IsWideUtf8(std::string_view run) {
    if (!IsValidUtf8(run)) return false;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const auto c = static_cast<unsigned char>(run[i]);
        if (c >= 0xC0 && c < 0xE0) return false;
    }
    return true;
}

enum class RunCode { Utf8, EucJp };

// The codes of a line's runs of non-ASCII bytes (in EUC-JP and UTF-8 no ASCII byte lies inside
// a character), or nothing when a run is neither.
std::optional<std::vector<std::pair<std::string_view, std::optional<RunCode>>>> SplitMixedLine(
    std::string_view line) {
    std::vector<std::pair<std::string_view, std::optional<RunCode>>> runs;
    for (std::size_t i = 0; i < line.size();) {
        const bool ascii = static_cast<unsigned char>(line[i]) < 0x80;
        std::size_t j = i + 1;
        while (j < line.size() && (static_cast<unsigned char>(line[j]) < 0x80) == ascii) ++j;
        const std::string_view run = line.substr(i, j - i);
        if (ascii) {
            runs.emplace_back(run, std::nullopt);
        } else if (IsWideUtf8(run)) {
            runs.emplace_back(run, RunCode::Utf8);
        } else if (IsWellFormedEucJp(run)) {
            runs.emplace_back(run, RunCode::EucJp);
        } else if (IsValidUtf8(run)) {
            runs.emplace_back(run, RunCode::Utf8);
        } else {
            return std::nullopt;
        }
        i = j;
    }
    return runs;
}

}  // namespace

std::string OutputLineToUtf8(std::string_view line) {
    if (IsValidUtf8(line)) return std::string(line);
    if (const auto runs = SplitMixedLine(line)) {
        std::string out;
        for (const auto& [run, code] : *runs) {
            out += code == RunCode::EucJp ? ConvertEncoding(EucToSjis(run), "CP932", "UTF-8") : std::string(run);
        }
        return out;
    }
    return ConvertEncoding(ConvertJapaneseCode(line, jcSjis), "CP932", "UTF-8");
}

std::string DocumentToUtf8(std::string_view bytes, bool decodeHeader, bool convertCode) {
    const bool utf8Document = HasHighByte(bytes) && IsValidUtf8(bytes);
    Lines text = SplitLines(bytes);
    if (decodeHeader) DecodeHeaderLines(text);

    if (utf8Document) {
        for (std::string& line : text.lines) {
            line = convertCode ? Utf8LineWithJisRuns(line) : SanitizedUtf8(line);
        }
        return JoinLines(text, "\n");
    }

    // Lines are joined by CR LF before conversion: inside double-byte mode a line break is
    // converted as a pair like any other two bytes.
    std::string joined = JoinLines(text, "\r\n");
    if (convertCode) joined = ConvertJapaneseCode(joined, jcSjis);
    return WithLfBreaks(ConvertEncoding(joined, "CP932", "UTF-8"));
}

std::string DocumentInCodeToUtf8(std::string_view bytes, TextCode code, bool decodeHeader) {
    if (code == TextCode::Auto) return DocumentToUtf8(bytes, decodeHeader, true);
    Lines text = SplitLines(bytes);
    if (decodeHeader) DecodeHeaderLines(text);
    const std::string joined = JoinLines(text, "\n");
    switch (code) {
        case TextCode::Utf8:
            return SanitizedUtf8(joined);
        case TextCode::EucJp:
            return ConvertEncoding(EucToSjis(joined), "CP932", "UTF-8");
        case TextCode::ShiftJis:
            return ConvertEncoding(joined, "CP932", "UTF-8");
        case TextCode::Iso2022Jp:
            return ConvertEncoding(JisToSjis(joined), "CP932", "UTF-8");
        case TextCode::Latin1:
            return ConvertEncoding(joined, "CP1252", "UTF-8");
        case TextCode::Auto:
            break;
    }
    return DocumentToUtf8(bytes, decodeHeader, true);
}
