#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Japanese character codes: detection of the code a text is in, and conversion between
// ISO-2022-JP ("JIS"), EUC-JP and Shift_JIS. Pure functions on bytes; they never fail.
// Malformed input is converted by the same byte rules as well-formed input.

// Detection results; 2, 4 and 5 double as conversion targets.
enum JapaneseCode : int {
    jcAscii = 0,      // nothing decided the code
    jcBinary = 1,     // a byte 0x00-0x07 or 0xFF: not a text
    jcNewJis = 2,     // ESC $ B
    jcOldJis = 3,     // ESC $ @
    jcEuc = 4,        // EUC-JP
    jcSjis = 5,       // Shift_JIS
    jcEucOrSjis = 6,  // only bytes valid in both EUC-JP and Shift_JIS
};

JapaneseCode DetectJapaneseCode(std::string_view text);

// Detects the code of `text` and converts it to `target` (jcNewJis, jcEuc or jcSjis). Texts that
// are binary, plain or undecided, and any other target, come back unchanged.
std::string ConvertJapaneseCode(std::string_view text, int target);

struct BytePair {
    unsigned char first = 0;
    unsigned char second = 0;
    friend bool operator==(const BytePair&, const BytePair&) = default;
};

// JIS X 0208 row/cell <-> Shift_JIS arithmetic, 8-bit, without range checks.
BytePair JisPairToSjis(unsigned char j1, unsigned char j2);
BytePair SjisPairToJis(unsigned char s1, unsigned char s2);

struct HalfKanaWidening {
    BytePair pair;         // JIS X 0208 row and cell
    std::size_t position;  // 1-based position after everything consumed
};

// Widen the half-width katakana at 1-based `position` to its full-width JIS form, merging a
// following voiced or semi-voiced mark where the pair has a full-width form.
// Shift_JIS: `position` is the kana byte; EUC-JP: `position` is its 0x8E prefix. A byte that
// is no half-width katakana gives the JIS replacement mark 0x222E.
HalfKanaWidening SjisHalfKanaToJis(std::string_view text, std::size_t position);
HalfKanaWidening EucHalfKanaToJis(std::string_view text, std::size_t position);

std::string JisToSjis(std::string_view text);
std::string EucToSjis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string SjisToEuc(std::string_view text);
std::string EucToJis(std::string_view text);
std::string SjisToJis(std::string_view text);
