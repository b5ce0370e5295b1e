// Opening a 20 MB EUC-JP mail in the text viewer (read, header decoding, code conversion, set
// into the view, scroll to the body) against glibc iconv converting the same bytes to UTF-8.
// "Shown" is when the viewer shows the mail and handles input again; the remaining lines are
// added in slices after that, and the longest pause between two events is printed too.
#include <iconv.h>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

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
    double reference = 1e9;
    std::size_t converted = 0;
    for (int i = 0; i < kRepetitions; ++i) {
        auto start = std::chrono::steady_clock::now();
        page.ShowTextDocument(path, QStringLiteral("1. big mail"), options);
        QCoreApplication::processEvents();
        ours = std::min(ours, Seconds(start));
        // The rest of the lines arrive in slices while the window goes on handling events.
        double longestSlice = 0;
        while (!page.LoadingComplete()) {
            const auto slice = std::chrono::steady_clock::now();
            QCoreApplication::processEvents();
            longestSlice = std::max(longestSlice, Seconds(slice));
        }
        complete = std::min(complete, Seconds(start));
        if (i == 0) std::printf("viewer: longest pause while filling in %.3f s\n", longestSlice);

        start = std::chrono::steady_clock::now();
        converted += IconvToUtf8(mail);
        reference = std::min(reference, Seconds(start));
    }
    const int blocks = page.edtTextContents->document()->blockCount();
    std::printf("viewer: %.1f MB, %d lines, shown %.3f s, all lines in %.3f s, iconv %.3f s (%zu bytes)\n",
                mail.size() / 1048576.0, blocks, ours, complete, reference, converted / kRepetitions);
    std::printf("viewer-20mb-euc: ratio %.2f (ours/reference, target <= 3.0)\n", ours / reference);
    return 0;
}
