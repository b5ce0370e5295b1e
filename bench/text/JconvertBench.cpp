// ConvertJapaneseCode against glibc iconv on the same 20 MB documents: the two convert in turn
// for several rounds; medians compared.
#include <iconv.h>
#include <cstdio>
#include <string>
#include <string_view>

#include "BenchRounds.h"
#include "text/Jconvert.h"

namespace {

constexpr std::size_t kDocumentSize = 20u << 20;
constexpr int kDefaultRounds = 9;

// Japanese prose with ASCII, line breaks and, where the code has them, half-width katakana.
const char* const kParagraphs[] = {
    "春の終わりに、古い港町を歩いた。石畳の坂道には小さな喫茶店が並び、窓辺では猫が眠っている。\n"
    "地図を広げると、海沿いの図書館まで徒歩で十五分ほどだと分かった。\n\n",
    "図書館の二階には、明治時代の新聞や手紙が保管されている。係の人は「閲覧は午後五時まで」と\n"
    "教えてくれた。私は窓際の席に座り、黄ばんだ紙面をゆっくりと読んだ。\r\n\r\n",
    "Namazu 2.0.21 で索引を作り、\"port town\" と「港町」を検索した。結果は 42 件、\n"
    "所要時間は 0.5 秒だった。詳しくは http://example.com/library?id=42 を参照。\n\n",
};
const char* const kHalfKanaParagraph =
    "帰り道、ｶﾀｶﾅの看板を見つけた。｢ｺｰﾋｰ ｾｯﾄ 350円｣､｢ﾊﾟﾝｹｰｷ｣と書いてある。\n\n";

std::string Iconv(std::string_view text, const char* from, const char* to);

// One block of prose in `code`, repeated to 20 MB; each block ends in single-byte mode.
std::string Document(const char* code, bool halfKana) {
    std::string prose;
    for (const char* paragraph : kParagraphs) prose += paragraph;
    if (halfKana) prose += kHalfKanaParagraph;
    const std::string block = Iconv(prose, "UTF-8", code);
    if (block.empty()) return {};
    std::string text;
    text.reserve(kDocumentSize + block.size());
    while (text.size() < kDocumentSize) text += block;
    return text;
}

std::string Iconv(std::string_view text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return {};
    out.resize(out.size() - dstLeft);
    return out;
}

void CompareWithIconv(const char* name, const std::string& document, const char* iconvName) {
    const std::string ours = ConvertJapaneseCode(document, jcSjis);
    if (ours != Iconv(document, iconvName, "CP932")) std::printf("%s: output differs from iconv\n", name);
    std::size_t sink = 0;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times = bench::Interleave(
        rounds, {[&] { return bench::Time([&] { sink += ConvertJapaneseCode(document, jcSjis).size(); }); },
                 [&] { return bench::Time([&] { sink += Iconv(document, iconvName, "CP932").size(); }); }});
    bench::PrintRatio(name, bench::Compare(times[0], times[1]), "ours/iconv medians", 1.0, rounds,
                      std::to_string(sink / (2 * static_cast<std::size_t>(rounds))) + " bytes out");
}

}  // namespace

int main() {
    const std::string euc = Document("EUC-JP", true);
    // glibc's ISO-2022-JP has no half-width katakana.
    const std::string jis = Document("ISO-2022-JP", false);
    if (euc.empty() || jis.empty()) {
        std::puts("jconvert: could not build the documents with iconv");
        return 1;
    }
    CompareWithIconv("jconvert-euc-to-sjis", euc, "EUC-JP");
    CompareWithIconv("jconvert-jis-to-sjis", jis, "ISO-2022-JP");

    // Detection stops at the first deciding byte; 7-bit text makes it read everything.
    std::string plain;
    while (plain.size() < kDocumentSize)
        plain += "The quick brown fox jumps over the lazy dog. 0123456789\r\n";
    std::vector<double> detect;
    int found = 0;
    for (int i = 0; i < bench::Rounds(kDefaultRounds); ++i)
        detect.push_back(bench::Time([&] { found += static_cast<int>(DetectJapaneseCode(plain)); }));
    const double detectSeconds = bench::SpreadOf(detect).median;
    if (found < 0) std::puts("(no code)");
    std::printf("jconvert-detect: %.0f MB/s\n",
                static_cast<double>(plain.size()) / (1 << 20) / detectSeconds);
    return 0;
}
