#include "text/DisplayText.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"

namespace {

using namespace std::string_literals;

std::string WithLf(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

std::string Word(const char* utf8, const char* marker = "=?ISO-2022-JP?B?") {
    return marker + Base64Encode(Encode(utf8, "ISO-2022-JP")) + "?=";
}

TEST(DocumentToUtf8, ShowsProseInEveryEncodingAsTheSameText) {
    struct Row {
        const char* encoding;
        std::string utf8;
    };
    const Row rows[] = {
        {"UTF-8", kProseWithHalfKana},
        {"CP932", kProseWithHalfKana},
        {"EUC-JP", kProseWithHalfKana},
        {"ISO-2022-JP", kProse},
    };
    for (const Row& row : rows) {
        const std::string bytes = Encode(row.utf8, row.encoding);
        EXPECT_EQ(DocumentToUtf8(bytes, true), WithLf(row.utf8)) << row.encoding;
        EXPECT_EQ(DocumentToUtf8(bytes, false), WithLf(row.utf8)) << row.encoding;
    }
}

TEST(DocumentToUtf8, DecodesTheMailHeaderOnlyWhenAskedAndOnlyUpToTheBlankLine) {
    const std::string rawHeader = "From: " + Word("山田 太郎") + " <taro@example.jp>\r\n" +
                                  "To: hanako@example.jp\r\n" +
                                  "Subject: " + Word("来週の会議", "=?iso-2022-jp?b?") + "\r\n" + " " +
                                  Word("（資料あり）") + "\r\n" + "X-Note: =?UTF-8?B?44GC?=\r\n";
    const std::string mail =
        rawHeader + "\r\n" + Encode("本文です。\r\n" + Word("あ") + " はそのまま。\r\n", "ISO-2022-JP");
    const std::string body = "\n本文です。\n" + Word("あ") + " はそのまま。\n";

    EXPECT_EQ(DocumentToUtf8(mail, true),
              "From: 山田 太郎 <taro@example.jp>\n"
              "To: hanako@example.jp\n"
              "Subject: 来週の会議\n"
              " （資料あり）\n"
              "X-Note: =?UTF-8?B?44GC?=\n" +
                  body);
    EXPECT_EQ(DocumentToUtf8(mail, false), WithLf(rawHeader) + body);

    const std::string spacesDoNotEndIt = "To: x\n   \nSubject: " + Word("件名") + "\n\nbody\n";
    EXPECT_EQ(DocumentToUtf8(spacesDoNotEndIt, true), "To: x\n   \nSubject: 件名\n\nbody\n");
}

TEST(DocumentToUtf8, Utf8MailKeepsItsBodyAndConvertsItsDecodedHeader) {
    const std::string mail =
        "Subject: Re: " + Word("会議") + " " + Word("資料") + "\n\n本文は UTF-8 です。\n";
    EXPECT_EQ(DocumentToUtf8(mail, true), "Subject: Re: 会議 資料\n\n本文は UTF-8 です。\n");
    EXPECT_EQ(DocumentToUtf8("Subject: =?ISO-2022-JP?B?/w==?=\n\n日本\n", true), "Subject: \uFFFD\n\n日本\n");
}

TEST(DocumentToUtf8, MarksUndecodableBytesAndLosesNothingElse) {
    struct Row {
        const char* name;
        std::string bytes;
        bool convert;
        std::string expected;
    };
    const Row rows[] = {
        {"empty", "", true, ""},
        {"0xFF makes it binary, read as CP932",
         "abc\xFF\x82\xA0"
         "def",
         true, "abc\uFFFDあdef"},
        {"NUL kept", "a\0b\x82\xA0"s, true, "a\0bあ"s},
        {"lead byte at the end", "\x82\xA0\x82", true, "あ\uFFFD"},
        {"stray 0x80 in EUC-JP", "\xA4\xA2\xA4\xF3\x80", true, "あん\uFFFD"},
        {"broken UTF-8 is read as Shift_JIS", "\xE6\x97\xA5\xE6\x97", true, "譌･譌"},
        {"every line break becomes LF", "a\r\nb\rc\n", true, "a\nb\nc\n"},
        {"line break inside double-byte mode is a pair", "\x1B$B$\"\n$\"\x1B(B\n", true, "あw)あ\n"},
        {"no conversion: JIS shown as it is", "\x1B$B$\"\x1B(B", false, "\x1B$B$\"\x1B(B"},
        {"no conversion: EUC-JP read as CP932", "\xA4\xA2", false, "､｢"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DocumentToUtf8(row.bytes, false, row.convert), row.expected) << row.name;
    }
}

}  // namespace

TEST(DocumentInCodeToUtf8, ShowsADocumentInTheChosenCode) {
    // A Spanish note in Latin-1: the detection rules take it for EUC-JP and swallow the letter
    // after each accented one.
    const std::string spanish = "Gu\xED" "a de b\xFA" "squeda: \xA1r\xE1" "pido!\r\nA\xF1o 2024 \x80 5\n";
    EXPECT_EQ(DocumentToUtf8(spanish, true).find("búsqueda"), std::string::npos);
    EXPECT_EQ(DocumentInCodeToUtf8(spanish, TextCode::Latin1, true), "Guía de búsqueda: ¡rápido!\nAño 2024 € 5\n");
    EXPECT_EQ(DocumentInCodeToUtf8(spanish, TextCode::Auto, true), DocumentToUtf8(spanish, true));

    struct Row {
        const char* encoding;
        TextCode code;
    };
    const Row rows[] = {{"UTF-8", TextCode::Utf8},
                        {"EUC-JP", TextCode::EucJp},
                        {"CP932", TextCode::ShiftJis},
                        {"ISO-2022-JP", TextCode::Iso2022Jp}};
    for (const Row& row : rows) {
        const std::string prose = row.code == TextCode::Iso2022Jp ? kProse : kProseWithHalfKana;
        EXPECT_EQ(DocumentInCodeToUtf8(Encode(prose, row.encoding), row.code, false), WithLf(prose))
            << row.encoding;
    }
    // Read in the wrong code nothing is lost that could be shown: undecodable bytes become U+FFFD.
    const std::string euc = Encode("灯台", "EUC-JP");
    EXPECT_EQ(DocumentInCodeToUtf8(euc, TextCode::Utf8, false), "\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(DocumentInCodeToUtf8("\x81\x8D", TextCode::Latin1, false), "\uFFFD\uFFFD");
    // Encoded header words are decoded before the code is applied.
    EXPECT_EQ(DocumentInCodeToUtf8("Subject: " + Word("件名") + "\n\nbody\n", TextCode::Iso2022Jp, true),
              "Subject: 件名\n\nbody\n");
}

TEST(OutputLineToUtf8, ReadsMknmzMessagesAndFileNamesOnTheSameLine) {
    auto euc = [](const char* utf8) { return Encode(utf8, "EUC-JP"); };
    struct Row {
        std::string line;
        std::string shown;
    };
    const Row rows[] = {
        {"9/9 - /tmp/docs/a.txt [text/plain]", "9/9 - /tmp/docs/a.txt [text/plain]"},
        {"/tmp/出力 索引/NMZ.i", "/tmp/出力 索引/NMZ.i"},
        {euc("9個のファイルがインデックス作成の対象として見つかりました"),
         "9個のファイルがインデックス作成の対象として見つかりました"},
        // mknmz's EUC-JP message with the UTF-8 folder it names.
        {"mknmz: " + euc("フィールド検索用のインデックスを作れませんでした") + "/tmp/出力 索引",
         "mknmz: フィールド検索用のインデックスを作れませんでした/tmp/出力 索引"},
        {"mknmz: /tmp/出力: " + euc("無効な出力ディレクトリ指定"), "mknmz: /tmp/出力: 無効な出力ディレクトリ指定"},
        // A single EUC-JP kanji that is also a two-byte UTF-8 character, beside a UTF-8 name.
        {euc("表") + " " + euc("ファイル") + " /tmp/メモ", "表 ファイル /tmp/メモ"},
        {euc("ｶﾅ") + " /文書", "ｶﾅ /文書"},
        // Shift_JIS from a program that writes it.
        {Encode("ファイルを読み込みました", "CP932"), "ファイルを読み込みました"},
        // What is neither is marked, and the rest kept.
        {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(OutputLineToUtf8(row.line), row.shown) << row.shown;
}
