// The make-index window running one *mknmz entry over a generated 2,000-document folder (output
// captured into edtProcess, the progress bar fed), against the same mknmz run directly with its
// output on /dev/null. Rounds interleave the two, alternating which goes first; medians compared.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>

#include "BenchChild.h"
#include "BenchRounds.h"
#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "indexer/IndexProgressPanel.h"
#include "indexer/TfrmMakeIndex.h"
#include "process/AppContext.h"
#include "process/QtOutputView.h"

namespace {

constexpr int kDocuments = 2000;
constexpr int kDefaultRounds = 7;

std::string FreshFolder(const TempProgramDir& dir, const std::string& name) {
    const QString path = QString::fromStdString(dir.Path(name));
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path.toStdString();
}

// CPU seconds this process (RUSAGE_SELF: what the window itself costs while mknmz runs) or its
// ended children (RUSAGE_CHILDREN: mknmz) have used.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds from the press of btnMakeIndex to the end of the run; false in `complete` when the
// bar did not reach every document or the index is missing.
double RunInWindow(AppContext& ctx, const std::string& docs, const std::string& index, bool& complete,
                   double& ownCpu, double& mknmzCpu) {
    TfrmMakeIndex form(ctx);
    form.show();
    form.edtCmdlineEdit->setText(
        QString::fromStdString("*mknmz --output=\"" + index + "\" \"" + docs + "\""));
    form.btnCmdlineAdd->click();
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const double childCpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    form.btnMakeIndex->click();  // returns when the run has ended
    const double seconds = bench::Seconds(start);
    ownCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    mknmzCpu = CpuSeconds(RUSAGE_CHILDREN) - childCpuBefore;
    const QProgressBar* bar = form.pnlRunProgress->pbrProgress;
    complete = complete && bar->maximum() == kDocuments && bar->value() == kDocuments &&
               FileExists(index + "/NMZ.i") && form.edtProcess->LineCount() > kDocuments;
    form.close();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!NamazuFixture::ProgramsAvailable()) {
        std::printf("makeindex-2000: skipped, mknmz or namazu is not installed\n");
        return 0;
    }
    TempProgramDir dir;
    const std::string docs = dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, kDocuments);
    SilentPrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);

    const int rounds = bench::Rounds(kDefaultRounds);
    std::vector<double> ownCpu;
    std::vector<double> mknmzCpu;
    bool complete = true;
    const auto times = bench::Interleave(
        rounds, {[&] {
                     const std::string index = FreshFolder(dir, "direct");
                     return RunDirectSeconds({"/usr/bin/perl", "/usr/bin/mknmz", "--output=" + index, docs},
                                             "/usr/bin", {"LANG=ja_JP.eucJP"}, true);
                 },
                 [&] {
                     double cpu = 0;
                     double childCpu = 0;
                     const double seconds =
                         RunInWindow(ctx, docs, FreshFolder(dir, "window"), complete, cpu, childCpu);
                     ownCpu.push_back(cpu);
                     mknmzCpu.push_back(childCpu);
                     return seconds;
                 }});
    char detail[160];
    std::snprintf(detail, sizeof detail, "the window's own CPU %.2f s per run; %d documents, %s",
                  bench::SpreadOf(ownCpu).median, kDocuments,
                  complete ? "bar at every document, index written" : "RUN INCOMPLETE");
    bench::PrintRatio("makeindex-2000", bench::Compare(times[1], times[0]), "ours/mknmz to /dev/null medians",
                      1.05, rounds, detail);
    // The window's own CPU against mknmz's in the same runs: what the window takes from a
    // machine that mknmz would otherwise get.
    std::snprintf(detail, sizeof detail, "the window %.3f s, mknmz %.2f s of CPU per run; %d documents",
                  bench::SpreadOf(ownCpu).median, bench::SpreadOf(mknmzCpu).median, kDocuments);
    bench::PrintRatio("makeindex-own-cpu", bench::Compare(ownCpu, mknmzCpu), "window CPU/mknmz CPU medians", 0.02,
                      rounds, detail);
    return complete && prompter.messages == 0 ? 0 : 1;
}
