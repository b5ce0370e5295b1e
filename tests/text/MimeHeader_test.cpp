#include "text/MimeHeader.h"

#include <gtest/gtest.h>

#include <random>

#include "MimeHeaderReference.h"
#include "TextTestSupport.h"
#include "text/CodePage.h"
#include "text/Jconvert.h"

namespace {

using namespace std::string_literals;

TEST(DecodeBase64, FixesTheOutputLengthFromTheCountOfDataBytes) {
    struct Row {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"full group", "QUJD", "ABC"},
        {"one pad", "QUI=", "AB"},
        {"two pads", "QQ==", "A"},
        {"unpadded three", "QUI", "AB"},
        {"unpadded two", "QQ", "A"},
        {"lone character", "Q", ""},
        {"empty", "", ""},
        {"line break between groups", "QUJD\r\nREVG\n", "ABCDEF"},
        {"line break inside a group counts there", "QU\r\nJD", "A@\0"s},
        {"padding mid-stream", "QQ==QUI=", "AAB"},
        {"padding mid-stream leaves zeros", "QQ==QQ==", "AA\0"s},
        {"byte outside the alphabet reads 0", "Q*==", "@"},
        {"never more than the fixed length", "Q=AA", "@\0"s},
        {"JIS text", "GyRCJCIbKEI=", "\x1B$B$\"\x1B(B"},
        {"every value", "+/+/", "\xFB\xFF\xBF"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeBase64(row.text), row.expected) << row.name;
    }
}

TEST(DecodeMimeHeader, DecodesOnlyIso2022JpBWords) {
    const std::string jis = "\x1B$B$\"\x1B(B";
    const std::string word = "=?ISO-2022-JP?B?GyRCJCIbKEI=?=";
    struct Row {
        const char* name;
        std::string line;
        std::string expected;
    };
    const Row rows[] = {
        {"no marker", "Subject: hello =?x?=", "Subject: hello =?x?="},
        {"one word", "Subject: " + word, "Subject: " + jis},
        {"lower-case marker", "Subject: =?iso-2022-jp?b?GyRCJCIbKEI=?=", "Subject: " + jis},
        {"mixed-case marker", "=?Iso-2022-Jp?b?QUJD?=", "ABC"},
        {"encoded text keeps its case", "=?iso-2022-jp?b?YWJj?=", "abc"},
        {"Q encoding left alone",
         "Subject: =?ISO-2022-JP?Q?=1B$B$=22=1B(B?=", "Subject: =?ISO-2022-JP?Q?=1B$B$=22=1B(B?="},
        {"other charset left alone", "Subject: =?UTF-8?B?44GC?= x", "Subject: =?UTF-8?B?44GC?= x"},
        {"white space between words kept", word + " " + word, jis + " " + jis},
        {"adjacent words", word + word, jis + jis},
        {"folded continuation line", "\t" + word, "\t" + jis},
        {"closing before the marker does not count", "a?= =?ISO-2022-JP?B?QUJD?=", "a?= ABC"},
        {"no closing: marker removed, rest kept", "X =?ISO-2022-JP?B?QUJD", "X QUJD"},
        {"empty word removed",
         "A=?ISO-2022-JP?B?"
         "?=B",
         "AB"},
        {"decoded marker is decoded again", "=?ISO-2022-JP?B?PT9JU08tMjAyMi1KUD9CP1FVSkQ/PQ==?=", "ABC"},
        {"decoded lower-case marker is not",
         "=?ISO-2022-JP?B?PT9pc28tMjAyMi1qcD9iP1FVSkQ/PQ==?=", "=?iso-2022-jp?b?QUJD?="},
        {"first marker is the one decoded",
         "=?ISO-2022-=?ISO-2022-JP?B?JP?B?QUJD?=", "=?ISO-2022-" + DecodeBase64("JP?B?QUJD")},
        {"marker formed by removing one", "=?ISO-2022-=?ISO-2022-JP?B?JP?B?QUJD", "QUJD"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeMimeHeader(row.line), row.expected) << row.name;
    }
}

TEST(DecodeMimeHeader, RealHeadersBecomeTheirTextAfterConversion) {
    const auto word = [](const char* utf8) {
        return "=?ISO-2022-JP?B?" + Base64Encode(Encode(utf8, "ISO-2022-JP")) + "?=";
    };
    const auto lowerWord = [](const char* utf8) {
        return "=?iso-2022-jp?b?" + Base64Encode(Encode(utf8, "ISO-2022-JP")) + "?=";
    };
    struct Row {
        std::string line;
        std::string expectedUtf8;
    };
    const Row rows[] = {
        {"Subject: " + word("会議の議事録について"), "Subject: 会議の議事録について"},
        {"From: " + word("山田 太郎") + " <taro@example.jp>", "From: 山田 太郎 <taro@example.jp>"},
        {"Subject: Re: " + word("来週の") + " " + lowerWord("打ち合わせ"), "Subject: Re: 来週の 打ち合わせ"},
        {" " + word("（続き）"), " （続き）"},
        {"To: " + word("営業部") + " <sales@example.jp>, " + word("総務部") + " <soumu@example.jp>",
         "To: 営業部 <sales@example.jp>, 総務部 <soumu@example.jp>"},
    };
    for (const Row& row : rows) {
        const std::string sjis = ConvertJapaneseCode(DecodeMimeHeader(row.line), jcSjis);
        EXPECT_EQ(StrictIconv(sjis, "CP932", "UTF-8").value_or("?"), row.expectedUtf8) << row.line;
    }
}

// The decoder resumes its search near the last edit; it must give what restarting from the
// beginning each time gives, on lines full of markers, closings and nested words.
TEST(DecodeMimeHeader, MatchesTheRestartingDecoderOnRandomLines) {
    const std::string pieces[] = {
        "=?ISO-2022-JP?B?",
        "=?iso-2022-jp?b?",
        "?=",
        "?",
        "=",
        "QUJD",
        "GyRCJCIbKEI=",
        " ",
        "a",
        "PT9JU08tMjAyMi1KUD9CP1FVSkQ/PQ==",
        "=?ISO-",
        "2022-JP?B?",
        "\x1B$B",
        "QQ",
        "\r",
        "PT9JU08tMjAy",  // "=?ISO-202" encoded
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int i = 0; i < 5000; ++i) {
        std::string line;
        for (int n = length(random); n > 0; --n) line += pieces[pick(random)];
        ASSERT_EQ(DecodeMimeHeader(line), ReferenceDecodeMimeHeader(line, DecodeBase64)) << line;
    }
}

TEST(DecodeMimeHeader, LongLinesOfMarkersTakeLinearTime) {
    std::string line;
    for (int i = 0; i < 200000; ++i) line += "=?ISO-2022-JP?B?x";
    EXPECT_EQ(DecodeMimeHeader(line), std::string(200000, 'x'));
}

}  // namespace
