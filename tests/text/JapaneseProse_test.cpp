// Real text encoded by glibc iconv, converted by us, compared with iconv's own conversion.
#include <gtest/gtest.h>

#include "TextTestSupport.h"
#include "text/Jconvert.h"

namespace {

using namespace std::string_literals;

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Half-width katakana U+FF61-U+FF9F replaced by the 7-bit bytes they have under ESC ( I.
std::string HalfKanaAsJisRoman(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
        if (b(0) == 0xEF && i + 2 < utf8.size() && (b(1) == 0xBD || b(1) == 0xBE)) {
            const unsigned codePoint = 0xF000 | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
            if (codePoint >= 0xFF61 && codePoint <= 0xFF9F) {
                out += static_cast<char>(codePoint - 0xFF61 + 0x21);
                i += 2;
                continue;
            }
        }
        out += utf8[i];
    }
    return out;
}

TEST(JapaneseProse, EachEncodingIsDetectedAndConvertedToShiftJisAsIconvDoes) {
    const std::string sjis = Encode(kProseWithHalfKana, "CP932");
    const std::string euc = Encode(kProseWithHalfKana, "EUC-JP");
    // glibc's ISO-2022-JP has no half-width katakana.
    const std::string jis = Encode(kProse, "ISO-2022-JP");

    EXPECT_EQ(DetectJapaneseCode(sjis), jcSjis);
    EXPECT_EQ(DetectJapaneseCode(euc), jcEuc);
    EXPECT_EQ(DetectJapaneseCode(jis), jcNewJis);

    EXPECT_EQ(ConvertJapaneseCode(euc, jcSjis), sjis);
    EXPECT_EQ(ConvertJapaneseCode(sjis, jcSjis), sjis);
    EXPECT_EQ(ConvertJapaneseCode(jis, jcSjis), Encode(kProse, "CP932"));
}

TEST(JapaneseProse, ConversionsToEucJpMatchIconv) {
    EXPECT_EQ(ConvertJapaneseCode(Encode(kProseWithHalfKana, "CP932"), jcEuc),
              Encode(kProseWithHalfKana, "EUC-JP"));
    EXPECT_EQ(ConvertJapaneseCode(Encode(kProse, "ISO-2022-JP"), jcEuc), Encode(kProse, "EUC-JP"));
}

// Differences from iconv's ISO-2022-JP: double-byte mode is left with ESC ( J rather than
// ESC ( B, and half-width katakana are widened to full width.
TEST(JapaneseProse, ConversionsToJisWidenKanaAndLeaveWithJisRoman) {
    const std::string expected = Replace(Encode(kProseWidened, "ISO-2022-JP"), "\x1B(B", "\x1B(J");
    const std::string fromSjis = ConvertJapaneseCode(Encode(kProseWithHalfKana, "CP932"), jcNewJis);
    const std::string fromEuc = ConvertJapaneseCode(Encode(kProseWithHalfKana, "EUC-JP"), jcNewJis);
    EXPECT_EQ(fromSjis, expected);
    EXPECT_EQ(fromEuc, expected);
    EXPECT_EQ(StrictIconv(fromSjis, "ISO-2022-JP", "UTF-8").value_or("?"), kProseWidened);
}

// Where the conversion rules and iconv part ways, the rules hold.
TEST(JapaneseProse, DifferencesFromIconvAreTheIntendedOnes) {
    const std::string lead = Encode(kProse, "EUC-JP");  // decides EUC-JP before the difference
    struct Row {
        const char* difference;
        std::string text;
        std::string expected;
        std::string iconvFrom;
    };
    const Row rows[] = {
        {"ESC ( I katakana come out as their 7-bit bytes", Encode(kProseWithHalfKana, "ISO-2022-JP-3"),
         Encode(HalfKanaAsJisRoman(kProseWithHalfKana), "CP932"), "ISO-2022-JP-3"},
        {"three-byte JIS X 0212 EUC-JP is taken as pairs and disturbs what follows",
         lead + Encode("～A", "EUC-JP"), Encode(kProse, "CP932") + "\x78\x41\x8C\x60", "EUC-JP"},
        {"a line break inside double-byte mode is paired", "\x1B$B$\"\r\n$\"\x1B(B", "\x82\xA0w)\x82\xA0",
         "ISO-2022-JP"},
        {"a short EUC-JP text is undecided and left as it is", "\xA4\xA2\xA4\xA4", "\xA4\xA2\xA4\xA4",
         "EUC-JP"},
        {"EUC-JP beginning with a JIS X 0212 character is taken for Shift_JIS", Encode("～です", "EUC-JP"),
         Encode("～です", "EUC-JP"), "EUC-JP"},
    };
    for (const Row& row : rows) {
        const std::string ours = ConvertJapaneseCode(row.text, jcSjis);
        EXPECT_EQ(ours, row.expected) << row.difference;
        EXPECT_NE(ours, StrictIconv(row.text, row.iconvFrom.c_str(), "CP932").value_or("<iconv failed>"))
            << row.difference;
    }
}

}  // namespace
