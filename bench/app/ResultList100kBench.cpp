// The result list with 10,000, 30,000 and 100,000 hits of real namazu results (--all, MaxHit
// raised through a namazurc of its own) from one real mknmz index of 100,000 generated documents:
// the first coloured screen against a plain read-only no-wrap QTextEdit given the same file (same
// run, rounds interleaved, medians), and, for the result list alone, Ctrl+End, PageDown and a jump
// to a hit, the longest stall of an idle event loop, the memory per hit above the file's bytes,
// and one mouse movement. The index and the result files are kept beside the program: building
// them takes long, later runs only measure. `--plaintextedit` also measures a QPlainTextEdit.
#include <malloc.h>
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BenchChild.h"
#include "BenchRounds.h"
#include "NamazuFixture.h"
#include "ResultCorpus.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "process/CommandLine.h"
#include "process/RunCommand.h"
#include "results/ResultView.h"
#include "text/CodePage.h"

namespace {

constexpr int kDocuments = 100000;
struct Size {
    int hits;
    const char* word;
};
const Size kSizes[] = {{10000, "sizeten"}, {30000, "sizethirty"}, {100000, "corpusword"}};
// Bump when the corpus or the way it is indexed changes: the cached index is then built anew.
constexpr const char* kCacheStamp = "corpus 1";

// CPU seconds of this thread: what a step costs on a machine that others also use.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void SettleEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Bytes the heap holds: what a view keeps, without the pages the allocator has not returned.
double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

bool Run(const std::string& commandLine, const std::string& folder, std::vector<EnvironmentChange> env) {
    SilentPrompter prompter;
    MemoryOutputView log;
    log.runFlag = 0;
    return RunCommand(commandLine, folder, RunMode::Capture, &log, prompter, CodePage::Utf8, std::move(env));
}

// The index of the generated documents and one result file per size, built when missing.
bool PrepareResults(const std::string& cache) {
    const std::string index = cache + "/index";
    const std::string stampPath = cache + "/stamp";
    if (ReadWholeFile(stampPath).value_or("") != kCacheStamp) {
        QDir(QString::fromStdString(cache)).removeRecursively();
        const std::string docs = cache + "/docs";
        std::fprintf(stderr, "resultlist-100k: generating and indexing %d documents once (long)...\n",
                     kDocuments);
        bench::GenerateResultCorpus(docs, kDocuments, {{10000, "sizeten"}, {30000, "sizethirty"}});
        QDir().mkpath(QString::fromStdString(index));
        const bool built = Run(NamazuFixture::MknmzCommandLine(docs, index), cache, NamazuEnvironment()) &&
                           FileExists(index + "/NMZ.i");
        QDir(QString::fromStdString(docs)).removeRecursively();
        if (!built) return false;
        WriteFileAtomically(cache + "/namazurc", "MaxHit\t1000000\nMaxMatch\t1000000\n");
        for (const Size& size : kSizes) {
            const std::string result = cache + "/result-" + std::to_string(size.hits) + ".txt";
            const std::string line = QuoteArgument("/usr/bin/namazu", CodePage::Utf8) + " --all -f " +
                                     QuoteArgument(cache + "/namazurc", CodePage::Utf8) +
                                     " --output=" + QuoteArgument(result, CodePage::Utf8) + " " + size.word +
                                     " " + QuoteArgument(index, CodePage::Utf8);
            if (!Run(line, cache, NamazuEnvironment())) return false;
        }
        WriteFileAtomically(stampPath, kCacheStamp);
    }
    return true;
}

void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(to, &release);
}

// Seconds of a key press and the repaint that shows its effect.
double KeySeconds(QAbstractScrollArea& view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return bench::Time([&] {
        SendKey(&view, key, modifiers);
        view.viewport()->repaint();
    });
}

// The longest gap between the ticks of a 2 ms timer while nothing else happens for `seconds`.
double LongestIdleStall(double seconds) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    while (clock.nsecsElapsed() < static_cast<qint64>(seconds * 1e9))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return static_cast<double>(longest) / 1e9;
}

struct Navigation {
    double ctrlEnd = 0;
    double pageDown = 0;  // the slowest of several
    double jump = 0;      // the slowest jump to a hit
    double Max() const { return std::max({ctrlEnd, pageDown, jump}); }
};

Navigation Navigate(ResultView& view) {
    Navigation n;
    n.ctrlEnd = KeySeconds(view, Qt::Key_End, Qt::ControlModifier);
    KeySeconds(view, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 20; ++i) n.pageDown = std::max(n.pageDown, KeySeconds(view, Qt::Key_PageDown));
    const auto& hits = view.Hits();
    for (int k = 0; k < 20 && !hits.empty(); ++k) {
        const std::size_t target = (static_cast<std::size_t>(k) * 7919u * 13u) % hits.size();
        n.jump = std::max(n.jump, bench::Time([&] {
                              view.GoToNextHit(hits[target].TitleStart - 1);
                              view.viewport()->repaint();
                          }));
    }
    return n;
}

// Microseconds per mouse movement over the middle of the list.
double MouseMoveMicroseconds(ResultView& view) {
    constexpr int kMoves = 20000;
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    const int height = view.viewport()->height();
    const double seconds = bench::Time([&] {
        for (int i = 0; i < kMoves; ++i) {
            const QPointF at(5 + (i * 3) % 400, 5 + (i / 2) % (height - 10));
            QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view.viewport(), &move);
        }
    });
    return seconds / kMoves * 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool withPlainTextEdit = argc > 1 && std::strcmp(argv[1], "--plaintextedit") == 0;
    if (!NamazuFixture::ProgramsAvailable()) {
        std::printf("resultlist-100k: skipped, mknmz or namazu is not installed\n");
        return 0;
    }
    const std::string cache = QCoreApplication::applicationDirPath().toStdString() + "/resultlist-100k";
    if (!PrepareResults(cache)) {
        std::printf("resultlist-100k: FAILED to build the index or the results in %s\n", cache.c_str());
        return 1;
    }

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

    bool allComplete = true;
    for (const Size& size : kSizes) {
        const std::string result = cache + "/result-" + std::to_string(size.hits) + ".txt";
        const std::string bytes = ReadWholeFile(result).value_or("");
        const int rounds = bench::Rounds(size.hits >= 100000 ? 3 : 5);
        bool loaded = true;
        std::vector<double> cpu;
        const auto times = bench::Interleave(
            rounds,
            {[&] {
                 ours.Clear();
                 const double cpuBefore = ThreadCpuSeconds();
                 const double seconds = bench::Time([&] {
                     loaded = ours.LoadResultList(result, true) && loaded;
                     ours.viewport()->repaint();
                 });
                 cpu.push_back(ThreadCpuSeconds() - cpuBefore);
                 return seconds;
             },
             [&] {
                 plain.clear();
                 SettleEvents();
                 const double seconds = bench::Time([&] {
                     const std::string file = ReadWholeFile(result).value_or("");
                     plain.setPlainText(QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size())));
                     plain.viewport()->repaint();
                 });
                 plain.clear();  // its layout would go on in the background of the next round
                 return seconds;
             }});
        const bool complete = loaded && ours.HitCount() == size.hits &&
                              std::all_of(ours.Hits().begin(), ours.Hits().end(),
                                          [](const HitRecord& h) { return !h.Uri.empty(); });
        allComplete = allComplete && complete;

        // Navigation, stall and mouse on the list just loaded; memory on a fresh load.
        std::vector<double> navigation;
        Navigation last;
        for (int round = 0; round < rounds; ++round) {
            last = Navigate(ours);
            navigation.push_back(last.Max());
        }
        const double stall = LongestIdleStall(0.5);
        const double mouse = MouseMoveMicroseconds(ours);
        ours.Clear();
        SettleEvents();
        const double heapBefore = HeapBytes();
        ours.LoadResultList(result, true);
        ours.viewport()->repaint();
        Navigate(ours);
        const double perHit = (HeapBytes() - heapBefore - static_cast<double>(bytes.size())) / size.hits;

        char detail[480];
        std::snprintf(detail, sizeof detail,
                      "%d hits, %zu bytes%s; first screen %.3f s (target <= 0.5 s at 100k), %.3f s of CPU; "
                      "Ctrl+End/PageDown/jump "
                      "%.1f ms at worst in %d rounds (last round: Ctrl+End %.1f, PageDown %.1f, jump %.1f; "
                      "target <= 50); idle stall %.1f ms; "
                      "memory %.2f kB per hit above the file (target <= 1); mouse move %.2f us (target <= 5)",
                      ours.HitCount(), bytes.size(), complete ? "" : ", HITS MISSING",
                      bench::SpreadOf(times[0]).median, bench::SpreadOf(cpu).median,
                      bench::SpreadOf(navigation).high * 1e3, rounds, last.ctrlEnd * 1e3, last.pageDown * 1e3,
                      last.jump * 1e3, stall * 1e3, perHit / 1024, mouse);
        const std::string name = "resultlist-100k/" + std::to_string(size.hits);
        bench::PrintRatio(name.c_str(), bench::Compare(times[0], times[1]), "first screen ours/plain medians",
                          0.15, rounds, detail);

        if (withPlainTextEdit) {
            ours.Clear();
            SettleEvents();
            const double before = HeapBytes();
            QPlainTextEdit edit;
            edit.setReadOnly(true);
            edit.setLineWrapMode(QPlainTextEdit::NoWrap);
            edit.resize(800, 600);
            edit.show();
            SettleEvents();
            const double load = bench::Time([&] {
                const std::string file = ReadWholeFile(result).value_or("");
                edit.setPlainText(QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size())));
                edit.viewport()->repaint();
            });
            const double end = KeySeconds(edit, Qt::Key_End, Qt::ControlModifier);
            const double page = KeySeconds(edit, Qt::Key_PageUp);
            const double memory = (HeapBytes() - before - static_cast<double>(bytes.size())) / size.hits;
            std::printf(
                "resultlist-100k/%d QPlainTextEdit, uncoloured: first screen %.3f s, Ctrl+End %.1f ms, "
                "PageUp "
                "%.1f ms, memory %.2f kB per hit above the file\n",
                size.hits, load, end * 1e3, page * 1e3, memory / 1024);
            std::fflush(stdout);
        }
    }
    return allComplete && prompter.calls.empty() ? 0 : 1;
}
