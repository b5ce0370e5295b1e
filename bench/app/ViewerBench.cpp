// Opening a 20 MB EUC-JP mail in the text viewer (read, header decoding, code conversion, set
// into the view, scroll to the body) against glibc iconv converting the same bytes to UTF-8.
// "Shown" is when the viewer shows the mail and handles input again; the remaining lines are
// added in slices after that, and the longest pause between two events is printed too.
// The same opening with the query's words marked (the view then starts at the first one) is
// timed in the same rounds, once with words the mail holds and once with a word it lacks (the
// whole text is searched). The four run in turn for several rounds; medians compared.
#include <iconv.h>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "BenchRounds.h"
#include "search/QueryWords.h"
#include "viewer/TextDocPage.h"
#include "process/AppContext.h"
#include "text/CodePage.h"

namespace {

constexpr std::size_t kMailSize = 20u << 20;
constexpr int kDefaultRounds = 7;

class SilentPrompter final : public Prompter {
public:
    MessageResult Message(const QString&, const QString&, MessageIcon, MessageButtons) override {
        return MessageResult::Ok;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}
};

// A mail: ISO-2022-JP encoded subject, then Japanese prose in EUC-JP up to 20 MB.
std::string Mail() {
    std::string mail =
        "From: sender@example.jp\nTo: reader@example.jp\n"
        "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=\nDate: Mon, 1 Apr 2024 09:00:00 +0900\n\n";
    const std::string paragraph = ConvertEncoding(
        "春の終わりに、古い港町を歩いた。石畳の坂道には小さな喫茶店が並び、窓辺では猫が眠っている。\n"
        "地図を広げると、海沿いの図書館まで徒歩で十五分ほどだと分かった。Namazu 2.0.21 で検索した。\n\n",
        "UTF-8", "EUC-JP");
    while (mail.size() < kMailSize) mail += paragraph;
    return mail;
}

std::size_t IconvToUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "EUC-JP");
    std::string out(bytes.size() * 2, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv_close(cd);
    return out.size() - dstLeft;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir work;
    const std::string path = work.path().toStdString() + "/big.alm";
    const std::string mail = Mail();
    std::ofstream(path, std::ios::binary) << mail;

    SilentPrompter prompter;
    AppContext ctx;
    ctx.prompter = &prompter;
    TextDocPage page(ctx);
    page.resize(600, 400);
    page.show();
    const TextDisplayOptions options{true, true, true};

    std::size_t converted = 0;
    const std::vector<QueryWord> present = ExtractQueryWords(u"図書館 namazu");
    const std::vector<QueryWord> missing = ExtractQueryWords(u"灯台守");
    auto show = [&] {
        return bench::Time([&] {
            page.ShowTextDocument(path, QStringLiteral("1. big mail"), options);
            QCoreApplication::processEvents();
        });
    };
    // The rest of the lines arrive in slices while the window goes on handling events.
    std::vector<double> longestSlices;
    std::vector<double> allLines;
    auto finishLoading = [&](double shown) {
        double longestSlice = 0;
        const double rest = bench::Time([&] {
            while (!page.LoadingComplete()) {
                longestSlice = std::max(longestSlice, bench::Time([] { QCoreApplication::processEvents(); }));
            }
        });
        longestSlices.push_back(longestSlice);
        allLines.push_back(shown + rest);
    };
    bool firstWordShown = true;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times =
        bench::Interleave(rounds, {[&] {
                                       page.SetQueryWords({});
                                       const double shown = show();
                                       finishLoading(shown);
                                       return shown;
                                   },
                                   [&] {
                                       page.SetQueryWords(present);
                                       const double shown = show();
                                       firstWordShown = firstWordShown && page.CurrentWord() &&
                                                        page.edtTextContents->textCursor().position() ==
                                                            page.CurrentWord()->start &&
                                                        !page.edtTextContents->extraSelections().isEmpty();
                                       finishLoading(shown);
                                       return shown;
                                   },
                                   [&] {
                                       page.SetQueryWords(missing);
                                       const double shown = show();
                                       finishLoading(shown);
                                       return shown;
                                   },
                                   [&] { return bench::Time([&] { converted += IconvToUtf8(mail); }); }});
    const int blocks = page.edtTextContents->document()->blockCount();
    std::printf(
        "viewer: %.1f MB, %d lines, all lines in %.3f s (median), longest pause while filling in %.3f s, "
        "iconv %zu bytes\n",
        mail.size() / 1048576.0, blocks, bench::SpreadOf(allLines).median,
        bench::SpreadOf(longestSlices).high, converted / static_cast<std::size_t>(rounds));
    bench::PrintRatio("viewer-20mb-euc", bench::Compare(times[0], times[3]), "shown/iconv medians", 3.0,
                      rounds);
    bench::PrintRatio("viewer-20mb-euc-words", bench::Compare(times[1], times[3]),
                      "shown with words marked/iconv medians", 3.0, rounds,
                      firstWordShown ? "first word shown" : "FIRST WORD NOT SHOWN");
    const bench::Spread absent = bench::SpreadOf(times[2]);
    std::printf("viewer: with a word the mail lacks (the whole text searched) shown in %.3f s [%.3f..%.3f]\n",
                absent.median, absent.low, absent.high);
    return firstWordShown ? 0 : 1;
}
