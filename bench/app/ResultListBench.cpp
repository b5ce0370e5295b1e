// Loading a 10,000-hit namazu result into the result list (read, scan, decode, colour, map)
// against loading the same file into the same kind of view as plain text; and the cost of one
// mouse movement over a large and a small result. Each pair runs in turn for several rounds;
// medians compared.
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "BenchRounds.h"
#include "ResultCorpus.h"
#include "NamazuFixture.h"
#include "TestSupport.h"
#include "results/ResultView.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "text/CodePage.h"

namespace {

constexpr int kDocuments = 10000;
constexpr int kDefaultRounds = 7;

void SettleEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Indexing the corpus takes minutes: the result is kept beside the program for later runs.
    const std::string result = QCoreApplication::applicationDirPath().toStdString() + "/resultlist-10k.txt";
    if (!FileExists(result)) {
        QTemporaryDir work;
        const std::string docs = work.path().toStdString() + "/docs";
        bench::GenerateResultCorpus(docs, kDocuments);
        NamazuFixture index(docs);
        if (!index.Built()) {
            std::fprintf(stderr, "mknmz failed:\n%s\n", index.BuildLog().c_str());
            return 1;
        }
        WriteFileAtomically(result, index.Search("corpusword", {"--all"}));
    }
    const std::string bytes = ReadWholeFile(result).value_or("");

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);

    ResultView ours(ctx);
    ours.resize(800, 600);
    ours.show();
    QTextEdit plain;
    plain.setReadOnly(true);
    plain.setUndoRedoEnabled(false);
    plain.setLineWrapMode(QTextEdit::NoWrap);
    plain.resize(800, 600);
    plain.show();
    SettleEvents();

    bool loaded = true;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times = bench::Interleave(
        rounds,
        {[&] {
             return bench::Time([&] {
                 loaded = ours.LoadResultList(result, true) && loaded;
                 SettleEvents();
             });
         },
         [&] {
             return bench::Time([&] {
                 const std::string file = ReadWholeFile(result).value_or("");
                 plain.setPlainText(QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size())));
                 SettleEvents();
             });
         }});
    const bool complete = loaded && ours.HitCount() == kDocuments &&
                          std::all_of(ours.Hits().begin(), ours.Hits().end(),
                                      [](const HitRecord& h) { return !h.Uri.empty(); });
    bench::PrintRatio("resultlist-10k", bench::Compare(times[0], times[1]), "ours/plain medians", 2.0, rounds,
                      std::to_string(bytes.size()) + " bytes, " + std::to_string(ours.HitCount()) + " hits" +
                          (complete ? "" : ", HITS MISSING"));

    // Mouse movement: the same path of small steps over the large result and over a two-hit one,
    // as a hand moves the mouse down and across the lines.
    constexpr int kMoves = 20000;
    auto moveCost = [&] {
        const int height = ours.viewport()->height();
        return bench::Time([&] {
            for (int i = 0; i < kMoves; ++i) {
                const QPointF at(5 + (i * 3) % 400, 5 + (i / 2) % (height - 10));
                QMouseEvent move(QEvent::MouseMove, at, ours.viewport()->mapToGlobal(at), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(ours.viewport(), &move);
            }
        });
    };
    // The list lays out the lines it draws: the movements are measured after a scroll to the end
    // and back to the middle, over lines already drawn once.
    auto finishLayout = [&] {
        ours.verticalScrollBar()->setValue(ours.verticalScrollBar()->maximum());
        SettleEvents();
    };
    dir.WriteFile(
        "small.txt",
        "Results:\n\n1. a (score: 1)\n/a.txt (1 bytes)\n\n\n2. b (score: 1)\n/b.txt (1 bytes)\n\n\nend\n");
    const auto moves = bench::Interleave(
        rounds, {[&] {
                     ours.LoadResultList(result, true);
                     finishLayout();
                     ours.verticalScrollBar()->setValue(ours.verticalScrollBar()->maximum() / 2);
                     return moveCost();
                 },
                 [&] {
                     ours.LoadResultList(dir.Path("small.txt"), true);
                     finishLayout();
                     return moveCost();
                 }});
    const bench::Comparison move = bench::Compare(moves[0], moves[1]);
    char detail[120];
    std::snprintf(detail, sizeof detail, "%.2f us per move with 10k hits, %.2f us with 2 hits",
                  move.ours.median / kMoves * 1e6, move.reference.median / kMoves * 1e6);
    bench::PrintRatio("resultlist-mousemove", move, "10k hits/2 hits medians", 2.0, rounds, detail);
    return complete && prompter.calls.empty() ? 0 : 1;
}
