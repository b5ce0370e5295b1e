// A search in the search window over a generated 10,000-document index: the query, which hits
// every document, typed into the query box and Enter pressed, until the coloured list of all
// hits is on screen; against the bare namazu writing the same result to a file. The two run in
// turn, several rounds; medians are compared and the spread of each side is printed.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <vector>

#include "BenchRounds.h"
#include "NamazuFixture.h"
#include "TestSupport.h"
#include "results/ResultView.h"
#include "app/TfrmMain.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "process/RunCommand.h"

namespace {

constexpr int kDocuments = 10000;
constexpr int kDefaultRounds = 7;
const char* const kQuery = "corpusword";

// Builds the index once; later runs find it beside the program (mknmz takes a minute or more).
bool EnsureIndex(const std::string& folder) {
    const std::string index = folder + "/index";
    if (FileExists(index + "/NMZ.i")) return true;
    const std::string docs = folder + "/docs";
    QDir(QString::fromStdString(folder)).removeRecursively();
    NamazuFixture::GenerateCorpus(docs, kDocuments);
    QDir().mkpath(QString::fromStdString(index));
    FakePrompter prompter;
    const bool started = RunCommand(NamazuFixture::MknmzCommandLine(docs, index, {"-q"}), folder,
                                    RunMode::Hidden, nullptr, prompter, CodePage::Utf8, NamazuEnvironment());
    return started && FileExists(index + "/NMZ.i");
}

// namazu as a shell would start it, with the environment the program gives it.
double BareNamazu(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const EnvironmentChange& change : NamazuEnvironment()) {
        if (change.value) {
            environment.insert(QString::fromStdString(change.name), QString::fromStdString(*change.value));
        } else {
            environment.remove(QString::fromStdString(change.name));
        }
    }
    QProcess namazu;
    namazu.setProcessEnvironment(environment);
    const auto start = std::chrono::steady_clock::now();
    namazu.start(QStringLiteral("/usr/bin/namazu"), arguments);
    namazu.waitForFinished(-1);
    return bench::Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!NamazuFixture::ProgramsAvailable()) {
        std::printf("search-roundtrip: skipped, namazu or mknmz missing\n");
        return 0;
    }
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/search-roundtrip-10k";
    if (!EnsureIndex(folder)) {
        std::fprintf(stderr, "search-roundtrip: mknmz failed\n");
        return 1;
    }
    const std::string index = folder + "/index";

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    dir.WriteFile("quarrow.ini", "[Search]\nListCount=All\nDirectoryCount=1\nDirectory1=" + index +
                                     "\n[Window]\nShowExplanation=0\n");
    ctx.settings = InitSettings(ctx.platform);
    TfrmMain window(ctx);
    window.resize(800, 600);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) return 1;
    auto* keyword = window.findChild<QComboBox*>(QStringLiteral("cboKeyword"));
    auto* list = window.findChild<ResultView*>(QStringLiteral("edtResult"));
    keyword->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(kQuery));

    const QString resultFile = QString::fromStdString(dir.Path("reference.txt"));
    const QStringList arguments = {QStringLiteral("--sort=score"), QStringLiteral("--all"),
                                   QStringLiteral("--output=") + resultFile, QString::fromLatin1(kQuery),
                                   QString::fromStdString(index)};
    bool complete = true;
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times = bench::Interleave(
        rounds, {[&] {
                     keyword->setFocus();
                     const double seconds = bench::Time([&] {
                         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                         list->viewport()->repaint();  // on screen, not only in the document
                         QCoreApplication::processEvents();
                     });
                     complete = complete && list->HitCount() == kDocuments;
                     return seconds;
                 },
                 [&] { return BareNamazu(arguments); }});
    const std::string detail = std::to_string(list->HitCount()) + " hits, " +
                               std::to_string(ReadWholeFile(resultFile.toStdString()).value_or("").size()) +
                               " bytes" + (complete ? "" : ", HITS MISSING");
    bench::PrintRatio("search-roundtrip", bench::Compare(times[0], times[1]), "ours/bare namazu medians", 1.2,
                      rounds, detail);
    return complete && prompter.Messages().empty() ? 0 : 1;
}
