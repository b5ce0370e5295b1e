// A child printing four million short lines, captured into the console window's view, against
// the same child writing to /dev/null. The two run in turn for several rounds; medians compared.
#include <QApplication>
#include <cstdio>

#include "BenchChild.h"
#include "BenchRounds.h"
#include "process/RunCommand.h"
#include "process/TfrmWindow.h"

namespace {

constexpr int kLines = 4000000;
constexpr int kDefaultRounds = 7;
const std::string kScript = "print qq(line $_\\n) for 1.." + std::to_string(kLines);

bool AllLinesInOrder(const QtOutputView& view) {
    // Header (4 lines before the output), then the output, then two empty lines.
    if (view.LineCount() != 4 + kLines + 2) return false;
    for (int i = 0; i < kLines; ++i) {
        if (view.Line(4 + i) != "line " + std::to_string(i + 1) + " ") return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPrompter prompter;

    bool complete = true;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times =
        bench::Interleave(rounds, {[&] {
                                       auto* window = new TfrmWindow();
                                       window->show();
                                       const double seconds = bench::Time([&] {
                                           RunCommand("perl -e \"" + kScript + "\"", "/", RunMode::Capture,
                                                      window->edt, prompter, CodePage::Utf8);
                                       });
                                       complete = complete && AllLinesInOrder(*window->edt);
                                       window->edt->SetRunFlag(1);
                                       delete window;
                                       return seconds;
                                   },
                                   [&] {
                                       return RunDirectSeconds({"perl", "-e", kScript}, "/");
                                   }});
    bench::PrintRatio("capture-lines", bench::Compare(times[0], times[1]), "ours/child to /dev/null medians",
                      3.0, rounds,
                      std::to_string(kLines) + " lines, " +
                          (complete ? "all lines in order" : "LINES MISSING OR OUT OF ORDER"));
    return complete && prompter.messages == 0 ? 0 : 1;
}
