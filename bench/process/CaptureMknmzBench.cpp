// A real mknmz build of a generated 2,000-document corpus, its output captured into the
// console window's view, against the same mknmz run directly with its output on /dev/null.
// The two run in turn for several rounds; medians compared.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchChild.h"
#include "BenchRounds.h"
#include "NamazuFixture.h"
#include "process/RunCommand.h"
#include "process/TfrmWindow.h"

namespace {

constexpr int kDocuments = 2000;
constexpr int kDefaultRounds = 5;

// mknmz prints one "i/N - path [type]" line per document.
bool EveryDocumentLineInOrder(const QtOutputView& view) {
    int next = 1;
    for (int i = 0; i < view.LineCount(); ++i) {
        if (view.Line(i).rfind(std::to_string(next) + "/" + std::to_string(kDocuments) + " - ", 0) == 0)
            ++next;
    }
    return next == kDocuments + 1;
}

std::string FreshFolder(const QTemporaryDir& dir, const std::string& name) {
    const QString path = dir.path() + QLatin1Char('/') + QString::fromStdString(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!NamazuFixture::ProgramsAvailable()) {
        std::printf("capture-mknmz: skipped, mknmz or namazu is not installed\n");
        return 0;
    }
    QTemporaryDir dir;
    const std::string docs = dir.path().toStdString() + "/docs";
    NamazuFixture::GenerateCorpus(docs, kDocuments);
    SilentPrompter prompter;

    bool complete = true;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times = bench::Interleave(
        rounds,
        {[&] {
             const std::string captured = FreshFolder(dir, "captured");
             auto* window = new TfrmWindow();
             window->show();
             const double seconds = bench::Time([&] {
                 RunCommand(NamazuFixture::MknmzCommandLine(docs, captured), dir.path().toStdString(),
                            RunMode::Capture, window->edt, prompter, CodePage::Utf8, NamazuEnvironment());
             });
             complete = complete && EveryDocumentLineInOrder(*window->edt);
             window->edt->SetRunFlag(1);
             delete window;
             return seconds;
         },
         [&] {
             const std::string direct = FreshFolder(dir, "direct");
             return RunDirectSeconds({"/usr/bin/perl", "/usr/bin/mknmz", "--output-dir=" + direct, docs},
                                     dir.path().toStdString(), {"LANG=ja_JP.eucJP"}, true);
         }});
    bench::PrintRatio(
        "capture-mknmz", bench::Compare(times[0], times[1]), "ours/mknmz to /dev/null medians", 1.05, rounds,
        std::to_string(kDocuments) + " documents, " +
            (complete ? "every document line in order" : "DOCUMENT LINES MISSING OR OUT OF ORDER"));
    return complete && prompter.messages == 0 ? 0 : 1;
}
