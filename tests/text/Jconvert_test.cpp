#include "text/Jconvert.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"

namespace {

using namespace std::string_literals;

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

TEST(DetectJapaneseCode, DecidesByTheRulesOfEachByteRange) {
    struct Row {
        const char* name;
        std::string text;
        int expected;
    };
    const Row rows[] = {
        {"empty", "", jcAscii},
        {"one byte is never looked at", "\x82", jcAscii},
        {"last byte is never looked at", "abc\x82", jcAscii},
        {"7-bit text", "Subject: hello\r\n", jcAscii},
        {"BEL at position 100", std::string(99, 'a') + "\x07xyz", jcBinary},
        {"NUL at 600 found by the main scan", std::string(599, 'a') + "\0b"s, jcBinary},
        {"NUL as the last byte", std::string(99, 'a') + "\0"s, jcAscii},
        {"0xFF as the last byte after a kana", "\xB0\xFF", jcAscii},
        {"NUL beyond the pre-scan after a decision", "\x82\xA0" + std::string(600, 'a') + "\0x"s, jcSjis},
        {"NUL inside the pre-scan after a decision", "\x82\xA0" + std::string(300, 'a') + "\0x"s, jcBinary},
        {"NUL before any decision", "a\0\x82\xA0"s, jcBinary},
        {"ESC $ B", "\x1B$B$\"\x1B(B", jcNewJis},
        {"ESC $ @", "\x1B$@$\"\x1B(J", jcOldJis},
        {"ESC $ ( D decides nothing", "\x1B$(D", jcAscii},
        {"ESC $ at the end", "a\x1B$", jcAscii},
        {"byte after ESC is skipped", "\x1B\x82\xA4\xA2", jcEucOrSjis},
        {"ESC ( then Shift_JIS", "\x1B(\x82\xA0", jcSjis},
        {"first decision wins", "\x82\xA0\x1B$B", jcSjis},
        {"Shift_JIS hiragana", "\x82\xA0", jcSjis},
        {"Shift_JIS lead 0x9F", "\x9F\x40", jcSjis},
        {"EUC hiragana alone is undecided", "\xA4\xA2", jcEucOrSjis},
        {"EUC then a decisive EUC pair", "\xA4\xA2\xA4\xF3", jcEuc},
        {"kana byte then 0xF0", "\xB0\xF0", jcEuc},
        {"kana byte then 7-bit", "\xB0\x41", jcSjis},
        {"kana byte then LF", "\xB0\x0A", jcSjis},
        {"kana byte then 0xA0", "\xB0\xA0", jcAscii},
        {"0x8E then kana", "\x8E\xB1", jcEucOrSjis},
        {"0x8E then 7-bit", "\x8E\x41", jcSjis},
        {"0x8E then 0xE0", "\x8E\xE0", jcSjis},
        {"0x8E then 0xFD", "\x8E\xFD", jcAscii},
        {"0x8E then a control", "\x8E\x30", jcAscii},
        {"0xE0 then 7-bit", "\xE0\x40", jcSjis},
        {"0xE0 then 0xA0", "\xE0\xA0", jcSjis},
        {"0xE0 then 0xFD", "\xE0\xFD", jcEuc},
        {"0xE0 then 0xA1", "\xE0\xA1", jcEucOrSjis},
        {"0xF0 lead", "\xF0\x41", jcEuc},
        {"0x80 and 0xA0 decide nothing", "\x80\xA0\x41", jcAscii},
        {"run test: 0x9C decides Shift_JIS", "\xB0\xE0\x9C", jcSjis},
        {"run test: 0x9D does not", "\xB0\xE0\x9D", jcEucOrSjis},
        {"run test: 0x8E does not", "\xB0\xE0\x8E", jcEucOrSjis},
        {"run test: 0xFD decides EUC", "\xB0\xE0\xC0\xFD", jcEuc},
        {"run test: ending byte skipped", "\xB0\xE0\x1B$B", jcEucOrSjis},
        {"run test: scan goes on after the run", "\xB0\xE0\x20\x82\xA0", jcSjis},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DetectJapaneseCode(row.text), row.expected) << row.name;
    }
}

TEST(ConvertJapaneseCode, DispatchesByDetectedCodeAndTarget) {
    struct Row {
        const char* name;
        std::string text;
        int target;
        std::string expected;
    };
    const Row rows[] = {
        {"JIS to Shift_JIS", "\x1B$B$\"\x1B(B", jcSjis, "\x82\xA0"},
        {"second escape recognised", "\x1B(B\x1B$B$\"", jcSjis, "\x82\xA0"},
        {"old JIS", "\x1B$@$\"\x1B(J", jcSjis, "\x82\xA0"},
        {"JIS to EUC", "\x1B$B$\"\x1B(Ba", jcEuc,
         "\xA4\xA2"
         "a"},
        {"JIS to JIS", "\x1B$B$\"", jcNewJis, "\x1B$B$\""},
        {"EUC to Shift_JIS", "\xA4\xA2\xA4\xF3", jcSjis, "\x82\xA0\x82\xF1"},
        {"EUC to JIS, no escape at the end", "\xA4\xA2\xA4\xF3", jcNewJis, "\x1B$B$\"$s"},
        {"EUC to EUC", "\xA4\xA2\xA4\xF3", jcEuc, "\xA4\xA2\xA4\xF3"},
        {"Shift_JIS to JIS leaves with ESC ( J", "A\x82\xA0\r\nB", jcNewJis, "A\x1B$B$\"\x1B(J\r\nB"},
        {"Shift_JIS to EUC", "\x82\xA0\xB1", jcEuc, "\xA4\xA2\x8E\xB1"},
        {"Shift_JIS to Shift_JIS", "\x82\xA0", jcSjis, "\x82\xA0"},
        {"undecided kana pair unchanged", "\xB6\xDE", jcNewJis, "\xB6\xDE"},
        {"undecided EUC unchanged", "\xA4\xA2", jcSjis, "\xA4\xA2"},
        {"binary unchanged", "\x82\xA0\x01\xA4\xA2", jcEuc, "\x82\xA0\x01\xA4\xA2"},
        {"7-bit unchanged", "plain", jcNewJis, "plain"},
        {"target 3 has no effect", "\x82\xA0", jcOldJis, "\x82\xA0"},
        {"target 0 has no effect", "\x1B$B$\"", jcAscii, "\x1B$B$\""},
        {"unknown target", "\xA4\xA2\xA4\xF3", 9, "\xA4\xA2\xA4\xF3"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Hex(ConvertJapaneseCode(row.text, row.target)), Hex(row.expected)) << row.name;
    }
}

TEST(StreamConverters, ConvertMalformedInputByTheSameByteRules) {
    struct Row {
        const char* name;
        std::string (*convert)(std::string_view);
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"JIS: line break inside double-byte mode is a pair", JisToSjis, "\x1B$B$\"\r\n$\"",
         "\x82\xA0w)\x82\xA0"},
        {"JIS: ESC ( I kana come out as 7-bit", JisToSjis, "\x1B$B$\"\x1B(I1",
         "\x82\xA0"
         "1"},
        {"JIS: unknown escape keeps the mode", JisToSjis, "\x1B$B$\"\x1BxB$\"", "\x82\xA0\x82\xA0"},
        {"JIS: escape cut off after ESC", JisToSjis, "\x1B$B$\"\x1B", "\x82\xA0"},
        {"JIS: escape cut off after ESC (", JisToSjis, "\x1B$B$\"\x1B(", "\x82\xA0"},
        {"JIS: pair cut off reads 0", JisToSjis, "\x1B$B$", "\x82\x7E"},
        {"JIS: ESC as second byte of a pair", JisToSjis,
         "\x1B$B$\x1B"
         "ab",
         "\x82\x99\xE1\x82"},
        {"JIS to EUC: controls copied in double-byte mode", JisToEuc, "\x1B$B$\"\r\n $", "\xA4\xA2\r\n \xA4"},
        {"JIS to EUC: cut-off escape ends it", JisToEuc, "a\x1B$", "a"},
        {"EUC: half-width kana stay half-width", EucToSjis, "\x8E\xB6\x8E\xDE", "\xB6\xDE"},
        {"EUC: 0x80 and 0xFF copied", EucToSjis, "\x80\xFF", "\x80\xFF"},
        {"EUC: pair cut off reads 0", EucToSjis, "\xA4", "\x82\x7E"},
        {"EUC: 0x8E at the end yields 0", EucToSjis, "a\x8E", "a\0"s},
        {"EUC: three-byte 0x8F form taken as pairs", EucToSjis,
         "\x8F\xA2\xB7"
         "A",
         "\x78\x41\x8C\x60"},
        {"Shift_JIS to JIS: voiced mark merged", SjisToJis, "\xB6\xDE", "\x1B$B%,"},
        {"Shift_JIS to JIS: semi-voiced mark merged", SjisToJis, "\xCA\xDF", "\x1B$B%Q"},
        {"Shift_JIS to JIS: mark that cannot merge", SjisToJis, "\xB1\xDE", "\x1B$B%\"!+"},
        {"Shift_JIS to JIS: LF inside a pair", SjisToJis, "\x82\n", "\x1B$B#\xEB"},
        {"Shift_JIS to JIS: lead byte at the end", SjisToJis, "a\x82", "a\x1B$B#\xE1"},
        {"EUC to JIS: kana with mark", EucToJis, "\x8E\xB6\x8E\xDE", "\x1B$B%,"},
        {"EUC to JIS: 0x8E then no kana", EucToJis, "\x8E\x41", "\x1B$B\x0E\x41"},
        {"EUC to JIS: kana then 0x8E at the end", EucToJis, "\x8E\xB6\x8E", "\x1B$B%+\x0E\0"s},
        {"EUC to JIS: back to 7-bit", EucToJis, "\xA4\xA2x\xA4\xA2", "\x1B$B$\"\x1B(Jx\x1B$B$\""},
        {"Shift_JIS to EUC: kana prefixed", SjisToEuc, "\xB1\xDF", "\x8E\xB1\x8E\xDF"},
        {"Shift_JIS to EUC: pair cut off reads 0", SjisToEuc, "\x82", "\xA3\xE1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Hex(row.convert(row.text)), Hex(row.expected)) << row.name;
    }
}

// Every JIS X 0208 code that glibc maps between EUC-JP and CP932 agrees with the arithmetic.
TEST(PairArithmetic, AgreesWithIconvOverTheWholeCharacterSet) {
    int compared = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string euc{static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
            const auto sjis = StrictIconv(euc, "EUC-JP", "CP932");
            if (!sjis || sjis->size() != 2) continue;
            const BytePair expected{static_cast<unsigned char>((*sjis)[0]),
                                    static_cast<unsigned char>((*sjis)[1])};
            ASSERT_EQ(JisPairToSjis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2)), expected)
                << std::hex << j1 << ' ' << j2;
            ASSERT_EQ(SjisPairToJis(expected.first, expected.second),
                      (BytePair{static_cast<unsigned char>(j1), static_cast<unsigned char>(j2)}));
            ++compared;
        }
    }
    EXPECT_GT(compared, 6800);
}

TEST(PairArithmetic, WrapsAtEightBitsWithoutRangeChecks) {
    struct Row {
        BytePair jis;
        BytePair sjis;
    };
    const Row rows[] = {
        {{0x0D, 0x0A}, {0x77, 0x29}}, {{0x24, 0x00}, {0x82, 0x7E}}, {{0x5F, 0x60}, {0xE0, 0x80}},
        {{0xFF, 0x00}, {0xB0, 0x1F}}, {{0x80, 0xFF}, {0xF0, 0x7D}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(JisPairToSjis(row.jis.first, row.jis.second), row.sjis);
    }
    EXPECT_EQ(SjisPairToJis(0x00, 0x00), (BytePair{0x1F, 0xE1}));
    EXPECT_EQ(SjisPairToJis(0xFF, 0xFF), (BytePair{0x9E, 0x81}));
}

// The full-width forms come from iconv, not from the table under test.
TEST(HalfKana, WidensEveryHalfWidthKatakanaToItsFullWidthForm) {
    const std::string half =
        Encode("｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ", "CP932");
    const std::string full = Encode(
        "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメ"
        "モヤユヨラリルレロワン゛゜",
        "EUC-JP");
    ASSERT_EQ(half.size(), 63u);
    ASSERT_EQ(full.size(), 126u);
    for (std::size_t i = 0; i < half.size(); ++i) {
        const BytePair expected{static_cast<unsigned char>(full[2 * i] & 0x7F),
                                static_cast<unsigned char>(full[2 * i + 1] & 0x7F)};
        const HalfKanaWidening sjis = SjisHalfKanaToJis(half.substr(i, 1), 1);
        EXPECT_EQ(sjis.pair, expected) << i;
        EXPECT_EQ(sjis.position, 2u);
        const HalfKanaWidening euc = EucHalfKanaToJis("\x8E"s + half[i], 1);
        EXPECT_EQ(euc.pair, expected) << i;
        EXPECT_EQ(euc.position, 3u);
    }
}

TEST(HalfKana, MergesOnlyTheMarksThatHaveAFullWidthForm) {
    struct Row {
        const char* half;
        const char* full;  // one character: merged; two: the mark stays apart
    };
    const Row rows[] = {
        {"ｳﾞ", "ヴ"},   {"ｶﾞ", "ガ"},   {"ｷﾞ", "ギ"},   {"ｸﾞ", "グ"},   {"ｹﾞ", "ゲ"},   {"ｺﾞ", "ゴ"},
        {"ｻﾞ", "ザ"},   {"ｼﾞ", "ジ"},   {"ｽﾞ", "ズ"},   {"ｾﾞ", "ゼ"},   {"ｿﾞ", "ゾ"},   {"ﾀﾞ", "ダ"},
        {"ﾁﾞ", "ヂ"},   {"ﾂﾞ", "ヅ"},   {"ﾃﾞ", "デ"},   {"ﾄﾞ", "ド"},   {"ﾊﾞ", "バ"},   {"ﾋﾞ", "ビ"},
        {"ﾌﾞ", "ブ"},   {"ﾍﾞ", "ベ"},   {"ﾎﾞ", "ボ"},   {"ﾊﾟ", "パ"},   {"ﾋﾟ", "ピ"},   {"ﾌﾟ", "プ"},
        {"ﾍﾟ", "ペ"},   {"ﾎﾟ", "ポ"},   {"ｱﾞ", "ア゛"}, {"ｶﾟ", "カ゜"}, {"ﾅﾞ", "ナ゛"}, {"ﾜﾞ", "ワ゛"},
        {"ｳﾟ", "ウ゜"}, {"ﾞﾞ", "゛゛"}, {"ﾊｲ", "ハイ"},
    };
    for (const Row& row : rows) {
        const std::string sjis = Encode(row.half, "CP932");
        const std::string euc = Encode(row.half, "EUC-JP");
        const std::string full = Encode(row.full, "EUC-JP");
        const bool merged = full.size() == 2;
        const BytePair expected{static_cast<unsigned char>(full[0] & 0x7F),
                                static_cast<unsigned char>(full[1] & 0x7F)};
        const HalfKanaWidening fromSjis = SjisHalfKanaToJis(sjis, 1);
        EXPECT_EQ(fromSjis.pair, expected) << row.half;
        EXPECT_EQ(fromSjis.position, merged ? 3u : 2u) << row.half;
        const HalfKanaWidening fromEuc = EucHalfKanaToJis(euc, 1);
        EXPECT_EQ(fromEuc.pair, expected) << row.half;
        EXPECT_EQ(fromEuc.position, merged ? 5u : 3u) << row.half;
    }
}

TEST(HalfKana, LooksForAMarkOnlyWithinTheText) {
    const HalfKanaWidening sjis = SjisHalfKanaToJis("x\xB6", 2);
    EXPECT_EQ(sjis.pair, (BytePair{0x25, 0x2B}));
    EXPECT_EQ(sjis.position, 3u);
    const HalfKanaWidening eucPrefixOnly = EucHalfKanaToJis("\x8E\xB6\x8E", 1);
    EXPECT_EQ(eucPrefixOnly.pair, (BytePair{0x25, 0x2B}));
    EXPECT_EQ(eucPrefixOnly.position, 3u);
    const HalfKanaWidening eucMarkWithoutPrefix = EucHalfKanaToJis("\x8E\xB6\xDE", 1);
    EXPECT_EQ(eucMarkWithoutPrefix.position, 3u);
    const HalfKanaWidening notKana = EucHalfKanaToJis("\x8E", 1);
    EXPECT_EQ(notKana.pair, (BytePair{0x22, 0x2E}));
}

}  // namespace
