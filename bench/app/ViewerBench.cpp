// Opening a 20 MB EUC-JP mail in the text viewer (read, header decoding, code conversion, set
// into the view, scroll to the body) against glibc iconv converting the same bytes to UTF-8.
// "Shown" is when the viewer shows the mail and handles input again; the remaining lines are
// added in slices after that, and the longest pause between two events is printed too.
// The same opening with the query's words marked (the view then starts at the first one) is
// timed in the same rounds, once with words the mail holds and once with a word it lacks (the
// whole text is searched).
#include <iconv.h>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "app/QueryWords.h"
#include "app/TextDocPage.h"
#include "process/AppContext.h"
#include "text/CodePage.h"

namespace {

constexpr std::size_t kMailSize = 20u << 20;
constexpr int kRepetitions = 5;

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

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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

    double ours = 1e9;
    double complete = 1e9;
    double marked = 1e9;
    double absent = 1e9;
    double reference = 1e9;
    std::size_t converted = 0;
    const std::vector<QueryWord> present = ExtractQueryWords(u"図書館 namazu");
    const std::vector<QueryWord> missing = ExtractQueryWords(u"灯台守");
    auto show = [&] {
        const auto start = std::chrono::steady_clock::now();
        page.ShowTextDocument(path, QStringLiteral("1. big mail"), options);
        QCoreApplication::processEvents();
        return Seconds(start);
    };
    auto finishLoading = [&] {
        double longestSlice = 0;
        while (!page.LoadingComplete()) {
            const auto slice = std::chrono::steady_clock::now();
            QCoreApplication::processEvents();
            longestSlice = std::max(longestSlice, Seconds(slice));
        }
        return longestSlice;
    };
    bool firstWordShown = true;
    for (int i = 0; i < kRepetitions; ++i) {
        page.SetQueryWords({});
        auto start = std::chrono::steady_clock::now();
        ours = std::min(ours, show());
        // The rest of the lines arrive in slices while the window goes on handling events.
        const double longestSlice = finishLoading();
        complete = std::min(complete, Seconds(start));
        if (i == 0) std::printf("viewer: longest pause while filling in %.3f s\n", longestSlice);

        page.SetQueryWords(present);
        marked = std::min(marked, show());
        firstWordShown = firstWordShown && page.CurrentWord() &&
                         page.edtTextContents->textCursor().position() == page.CurrentWord()->start &&
                         !page.edtTextContents->extraSelections().isEmpty();
        finishLoading();
        page.SetQueryWords(missing);
        absent = std::min(absent, show());
        finishLoading();

        start = std::chrono::steady_clock::now();
        converted += IconvToUtf8(mail);
        reference = std::min(reference, Seconds(start));
    }
    const int blocks = page.edtTextContents->document()->blockCount();
    std::printf("viewer: %.1f MB, %d lines, shown %.3f s, all lines in %.3f s, iconv %.3f s (%zu bytes)\n",
                mail.size() / 1048576.0, blocks, ours, complete, reference, converted / kRepetitions);
    std::printf("viewer-20mb-euc: ratio %.2f (ours/reference, target <= 3.0)\n", ours / reference);
    std::printf("viewer: with the query's words marked %.3f s, with a word the mail lacks %.3f s%s\n", marked,
                absent, firstWordShown ? "" : "  FIRST WORD NOT SHOWN");
    std::printf("viewer-20mb-euc-words: ratio %.2f (ours with words marked/reference, target <= 3.0)\n",
                marked / reference);
    return 0;
}
