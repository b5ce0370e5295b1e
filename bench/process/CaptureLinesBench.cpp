// A child printing a million short lines, captured into the console window's view, against
// the same child writing to /dev/null.
#include <QApplication>
#include <algorithm>
#include <cstdio>

#include "BenchChild.h"
#include "process/RunCommand.h"
#include "process/TfrmWindow.h"

namespace {

constexpr int kLines = 1000000;
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

    double reference = 1e9;
    double ours = 1e9;
    bool complete = true;
    for (int round = 0; round < 5; ++round) {
        reference = std::min(reference, RunDirectSeconds({"perl", "-e", kScript}, "/"));

        auto* window = new TfrmWindow();
        window->show();
        const auto start = std::chrono::steady_clock::now();
        RunCommand("perl -e \"" + kScript + "\"", "/", RunMode::Capture, window->edt, prompter,
                   CodePage::Utf8);
        ours = std::min(ours, Seconds(start));
        complete = complete && AllLinesInOrder(*window->edt);
        window->edt->SetRunFlag(1);
        delete window;
    }
    std::printf(
        "capture-lines: ratio %.2f (ours/reference, target <= 3.0) ours %.3f s, reference %.3f s, %d lines, "
        "%s\n",
        ours / reference, ours, reference, kLines,
        complete ? "all lines in order" : "LINES MISSING OR OUT OF ORDER");
    return complete && prompter.messages == 0 ? 0 : 1;
}
