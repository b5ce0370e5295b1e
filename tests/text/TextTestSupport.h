#pragma once

#include <gtest/gtest.h>

#include <iconv.h>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

// glibc iconv without any repair: nullopt when a byte cannot be converted.
inline std::optional<std::string> StrictIconv(std::string_view text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    bool ok = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

// Text of ours that iconv must be able to encode.
inline std::string Encode(std::string_view utf8, const char* to) {
    auto encoded = StrictIconv(utf8, "UTF-8", to);
    if (!encoded) ADD_FAILURE() << "iconv cannot encode to " << to << ": " << utf8;
    return encoded.value_or("");
}

inline std::string Base64Encode(std::string_view bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? kAlphabet[(v >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

// Prose of our own with kanji, kana, ASCII, LF and CR LF breaks, free of the characters whose
// mappings differ between the Japanese tables of glibc (〜 ‖ ― ¢ £ ¬ −, backslash, tilde).
inline const std::string kProse =
    "春の終わりに、古い港町を歩いた。石畳の坂道には小さな喫茶店が並び、窓辺では猫が眠っている。\n"
    "地図を広げると、海沿いの図書館まで徒歩で十五分ほどだと分かった。\n"
    "\n"
    "図書館の二階には、明治時代の新聞や手紙が保管されている。係の人は「閲覧は午後五時まで」と\n"
    "教えてくれた。私は窓際の席に座り、黄ばんだ紙面をゆっくりと読んだ。\n"
    "\n"
    "Namazu 2.0.21 で索引を作り、\"port town\" と「港町」を検索した。結果は 42 件、\n"
    "所要時間は 0.5 秒 (CPU: 2 cores) だった。詳しくは http://example.com/library?id=42&lang=ja を参照。\r\n"
    "最後の行は CR LF で終わる。\r\n";

// The same with a paragraph of half-width katakana, and that paragraph widened to full width as
// the conversions to JIS widen it.
inline const std::string kHalfKanaParagraph =
    "帰り道、ｶﾀｶﾅの古い看板を見つけた。｢ｺｰﾋｰ ｾｯﾄ 350円｣､｢ﾊﾟﾝｹｰｷ｣､｢ｳﾞｧﾆﾗ ｱｲｽ｣と書いてある。\n"
    "店主の話では、三十年前から同じ看板だそうだ。\n\n";
inline const std::string kWidenedParagraph =
    "帰り道、カタカナの古い看板を見つけた。「コーヒー セット 350円」、「パンケーキ」、「ヴァニラ "
    "アイス」と書いてある。\n"
    "店主の話では、三十年前から同じ看板だそうだ。\n\n";
inline const std::string kProseWithHalfKana = kHalfKanaParagraph + kProse;
inline const std::string kProseWidened = kWidenedParagraph + kProse;
