#include "search/SearchRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTimer>
#include <chrono>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"

namespace {

using R = IgnoredReason;

// A search run over a stand-in namazu: a shell script that finds its --output= argument and
// then does what the test says with "$out".
struct SearchRunTest : ::testing::Test {
    SearchRunTest() {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Directories = {dir.Folder() + "index"};
        ctx.settings.Search.DirectoryCount = "1";
        QObject::connect(&run, &SearchRun::runningChanged, [this](bool on) { running.push_back(on); });
        QObject::connect(&run, &SearchRun::linesReady, [this](const QByteArray& more) {
            lines += more.toStdString();
        });
        QObject::connect(&run, &SearchRun::ended, [this](const SearchOutcome& o) {
            outcome = o;
            resultLeftWhenEnded = FileExists(run.ResultFilePath());
        });
    }
    void StandIn(const std::string& body) {
        dir.WriteFile("namazu", "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in --output=*) out=\"${a#--output=}\";; "
                                "esac; done\n" + body + "\n");
        ::chmod(dir.Path("namazu").c_str(), 0755);
        ctx.settings.Command.namazuPath = dir.Path("namazu");
    }
    // Runs one search; `stopAfterMs` >= 0 stops it (or asks to close) that long after the start.
    double Search(ResultForm form, int stopAfterMs = -1, bool close = false) {
        ctx.settings.Result.DisplayTo = form == ResultForm::Html ? "WebBrowser" : "Text";
        run.Prepare(ComposeSearchCommand({}, "lighthouse", ctx.settings, ctx.platform, {}, false));
        if (stopAfterMs >= 0) {
            QTimer::singleShot(stopAfterMs, &run, [this, close] { close ? run.CloseWhenEnded() : run.Stop(); });
        }
        const auto start = std::chrono::steady_clock::now();
        run.Start(form);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    SearchRun run{ctx};
    std::vector<bool> running;
    std::string lines;
    SearchOutcome outcome;
    bool resultLeftWhenEnded = false;
};

std::string Recorded(const std::string& name) {
    return ReadWholeFile(TestDataPath("results/" + name)).value();
}

}  // namespace

TEST_F(SearchRunTest, TheOutcomeAndTheResultFileFollowHowNamazuEnded) {
    struct Row {
        const char* what;
        std::string body;  // the stand-in's work
        ResultForm form;
        SearchEnd end;
        std::vector<IgnoredWord> ignored;
        bool fileKept;  // the result file is there after the run
    };
    const std::string orTooMany = TestDataPath("results/plain-ja-too-many-or.txt");
    const std::string html = TestDataPath("results/html-ja-too-many.html");
    const Row rows[] = {
        {"list", "cp '" + orTooMany + "' \"$out\"", ResultForm::List, SearchEnd::Done,
         {{"maxhitword", R::TooManyDocuments}}, false},
        {"page for the browser", "cp '" + html + "' \"$out\"", ResultForm::Html, SearchEnd::Done,
         {{"", R::TooManyDocuments}}, true},
        {"no result written", "exit 0", ResultForm::List, SearchEnd::Failed, {}, false},
        {"an error and no result", "exit 1", ResultForm::Html, SearchEnd::Failed, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StandIn(row.body);
        running.clear();
        Search(row.form);
        EXPECT_EQ(running, (std::vector<bool>{true, false}));
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(outcome.end, row.end);
        EXPECT_EQ(outcome.ignored, row.ignored);
        EXPECT_FALSE(outcome.closeAsked);
        EXPECT_EQ(FileExists(run.ResultFilePath()), row.fileKept);
        if (row.end == SearchEnd::Done) EXPECT_TRUE(resultLeftWhenEnded);  // readable while `ended` is handled
        if (row.end == SearchEnd::Failed) {
            EXPECT_EQ(outcome.reason.toStdString(),
                      "検索結果のファイルが見つかりません。\n" + run.ResultFilePath());
        }
    }
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(SearchRunTest, AListTakesTheFinishedLinesWhileNamazuWrites) {
    const std::string source = TestDataPath("results/plain-ja-all-150-hits.txt");
    const std::string whole = Recorded("plain-ja-all-150-hits.txt");
    // Half the file, a line left unfinished, then the rest.
    StandIn("head -c 1001 '" + source + "' > \"$out\"; sleep 0.4; tail -c +1002 '" + source + "' >> \"$out\"");
    Search(ResultForm::List);
    EXPECT_EQ(outcome.end, SearchEnd::Done);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), '\n');
    EXPECT_LE(lines.size(), whole.size());
    EXPECT_EQ(whole.compare(0, lines.size(), lines), 0) << "the lines come in the file's order, each once";
    // The lines of the first half came while namazu was still writing.
    EXPECT_GE(lines.size(), whole.rfind('\n', 1000) + 1);

    // A page for the browser is not read meanwhile.
    lines.clear();
    Search(ResultForm::Html);
    EXPECT_TRUE(lines.empty());
}

TEST_F(SearchRunTest, AStopEndsNamazuAndDropsWhatItWrote) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "stop");
        StandIn("printf 'Results:\\r\\n\\r\\nReferences:' > \"$out\"; exec sleep 30");
        const double seconds = Search(ResultForm::List, 300, close);
        EXPECT_LT(seconds, 5.0);
        EXPECT_EQ(outcome.end, SearchEnd::Stopped);
        EXPECT_EQ(outcome.closeAsked, close);
        EXPECT_FALSE(FileExists(run.ResultFilePath()));
    }
    // A stop asked for while nothing runs does not reach the next search.
    run.Stop();
    run.CloseWhenEnded();
    StandIn("cp '" + TestDataPath("results/plain-ja-query-en.txt") + "' \"$out\"");
    Search(ResultForm::List);
    EXPECT_EQ(outcome.end, SearchEnd::Done);
    EXPECT_FALSE(outcome.closeAsked);
}

TEST_F(SearchRunTest, ANamazuThatCannotStartIsToldAndTheOldResultIsGone) {
    ctx.settings.Command.namazuPath = dir.Path("no-such-namazu");
    ctx.settings.Result.DisplayTo = "Text";
    const SearchCommand command = ComposeSearchCommand({}, "lighthouse", ctx.settings, ctx.platform, {}, false);
    dir.WriteFile("tmp/result.txt", "an earlier search's result\r\n");
    ASSERT_EQ(command.resultFilePath, dir.Path("tmp/result.txt"));
    run.Prepare(command);
    EXPECT_FALSE(FileExists(command.resultFilePath));
    run.Start(ResultForm::List);
    EXPECT_EQ(outcome.end, SearchEnd::Failed);
    EXPECT_EQ(prompter.Messages().size(), 1u);
}
