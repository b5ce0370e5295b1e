#include "indexer/CommandListRunner.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"

namespace {

// Records what a batch tells, in order.
class RecordingSink final : public RunProgressSink {
public:
    void EntryStarting(std::size_t number, std::size_t count, const std::string& entry) override {
        events.push_back("start " + std::to_string(number) + "/" + std::to_string(count) + " " + entry);
    }
    void DocumentProgress(const MknmzProgressLine& progress) override {
        events.push_back("docs " + std::to_string(progress.done) + "/" + std::to_string(progress.total));
        lastPath = progress.path;
    }
    void EntryEnded(std::size_t number, EntryOutcome outcome) override {
        const char* names[] = {"", " no documents", " failed", " stopped", " skipped"};
        events.push_back("end " + std::to_string(number) + names[static_cast<int>(outcome)]);
    }
    std::vector<std::string> events;
    std::string lastPath;
};

class CommandListRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.Command.PerlPath = "/usr/bin/perl";
        settings.Command.mknmzPath = "/usr/bin/mknmz";
        run.currentDirectory = dir.Folder();
        options.view = &view;
        options.sink = &sink;
    }
    BatchResult Run(const std::vector<std::string>& entries) {
        return RunCommandEntries(entries, run, settings, dir.Profile(), prompter, options);
    }
    bool OutputHas(const std::string& line) const {
        return std::find(view.lines.begin(), view.lines.end(), line) != view.lines.end();
    }

    TempProgramDir dir;
    Settings settings;
    CommandListRun run;
    MemoryOutputView view;
    RecordingSink sink;
    FakePrompter prompter;
    EntryRunOptions options;
};

TEST_F(CommandListRunnerTest, EntriesRunInTurnAndAStartFailureDoesNotEndTheBatch) {
    const std::string made = dir.Folder() + "made/deep";
    const BatchResult result = Run({
        "*mkdir \"" + made + "\"",
        "!/no/such/program arg",
        "  options alone",
        "!/bin/sh -c \"pwd; echo second\"",
    });
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.finished, 4u);
    EXPECT_EQ(result.failed, std::vector<std::size_t>{2});
    EXPECT_TRUE(DirectoryExists(made));
    EXPECT_EQ(sink.events, (std::vector<std::string>{"start 1/4 *mkdir \"" + made + "\"", "end 1",
                                                     "start 2/4 !/no/such/program arg", "end 2 failed",
                                                     "start 3/4   options alone", "end 3 skipped",
                                                     "start 4/4 !/bin/sh -c \"pwd; echo second\"", "end 4"}));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(prompter.Messages()[0].startsWith(QStringLiteral("コマンドの実行に失敗しました。")));
    // The run starts in the mknmz script's folder.
    EXPECT_TRUE(OutputHas("/usr/bin "));
    EXPECT_TRUE(OutputHas("second "));
}

TEST_F(CommandListRunnerTest, ACommandThatEndsBadlyFailsItsEntryAndTheNextOneFollows) {
    RunControl control;
    options.control = &control;
    const BatchResult result = Run({"!/bin/sh -c \"exit 0\"", "!/bin/sh -c \"echo bad; exit 2\"",
                                    "!/bin/sh -c \"kill -SEGV $$\"", "*mkdir \"" + dir.Folder() + "x\"",
                                    "!/bin/sh -c \"echo last\""});
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.finished, 5u);
    EXPECT_EQ(result.failed, (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(sink.events[3], "end 2 failed");
    EXPECT_EQ(sink.events[5], "end 3 failed");
    EXPECT_EQ(sink.events.back(), "end 5");
    EXPECT_TRUE(OutputHas("last "));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(CommandListRunnerTest, AnEntryThatFailsOrFindsNoDocumentIsToldSo) {
    // A stand-in for mknmz: tells of a document unless it is asked for none.
    dir.WriteFile("mknmz",
                  "case \"$1\" in none|--quiet|-q) ;; *) echo '1/1 - /d/a.txt [text/plain]' ;; esac\n");
    settings.Command.PerlPath = "/bin/sh";
    settings.Command.mknmzPath = dir.Path("mknmz");
    const BatchResult result = Run({"!/bin/sh -c \"echo about to fail; exit 3\"", "*mknmz some", "*mknmz none",
                                    "*mknmz --quiet", "*mknmz -q none", "!/bin/sh -c \"kill -9 $$\""});
    EXPECT_EQ(result.failed, (std::vector<std::size_t>{1, 6}));
    EXPECT_EQ(result.finished, 6u);
    std::vector<std::string> ends;
    for (const std::string& event : sink.events) {
        if (event.rfind("end ", 0) == 0) ends.push_back(event);
    }
    EXPECT_EQ(ends, (std::vector<std::string>{"end 1 failed", "end 2", "end 3 no documents", "end 4", "end 5",
                                              "end 6 failed"}));
    EXPECT_TRUE(OutputHas("*** 失敗しました (終了コード 3) ***"));
    EXPECT_TRUE(OutputHas("*** 失敗しました (終了コード 137) ***"));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(CommandListRunnerTest, AnEntryThatCannotBeCarriedOutSaysWhy) {
    const std::pair<std::string, std::string> rows[] = {
        {"--output=/tmp/x /tmp/docs", "先頭が * でも ! でもない行です"},
        {" *mknmz -V", "先頭が * でも ! でもない行です"},
        {"", "空の行です"},
        {"*mknmz", "コマンドの後に引数がありません"},
        {"*MKNMZ -V", "* の後は mknmz, mkdir, delete, chdir のどれかです"},
        {"*delete /a, \"NMZ.*\"", "*delete \"フォルダ\", \"マスク\" の形ではありません"},
        {"*chdir /a", "*chdir \"フォルダ\" の形ではありません"},
        {"*mkdir \"\"", "フォルダが空です"},
        {"!  ", "! の後にコマンドがありません"},
    };
    std::vector<std::string> entries;
    for (const auto& row : rows) entries.push_back(row.first);
    EXPECT_EQ(Run(entries).finished, std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_TRUE(OutputHas("*** 実行されませんでした: " + rows[i].second + " ***")) << rows[i].first;
        EXPECT_EQ(sink.events[2 * i + 1], "end " + std::to_string(i + 1) + " skipped") << rows[i].first;
    }
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(CommandListRunnerTest, ModeFollowsShowProcess) {
    for (const char* word : {"DOSWindow", "doswindow", "DOSWINDOW"})
        EXPECT_EQ(ModeForShowProcess(word), RunMode::Shown);
    for (const char* word : {"Internal", "", "DOS", "DOSWindow "})
        EXPECT_EQ(ModeForShowProcess(word), RunMode::Capture);
}

TEST_F(CommandListRunnerTest, AStopEndsTheRunningEntryAndSkipsTheRest) {
    RunControl control(std::chrono::milliseconds(500));
    options.control = &control;
    QTimer::singleShot(300, [&] { control.Stop(); });
    const BatchResult result = Run({"!/bin/sh -c \"echo first\"", "!/bin/sh -c \"echo started; sleep 30\"",
                                    "!/bin/sh -c \"echo third\"", "!/bin/sh -c \"echo fourth\""});
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.finished, 1u);
    EXPECT_EQ(result.remaining, 2u);
    EXPECT_TRUE(OutputHas("first "));
    EXPECT_TRUE(OutputHas("started "));
    EXPECT_FALSE(OutputHas("third "));
    EXPECT_EQ(sink.events.back(), "end 2 stopped");

    // The next batch runs whole once the stop is forgotten.
    control.Reset();
    view = MemoryOutputView();
    EXPECT_FALSE(Run({"!/bin/sh -c \"echo again\""}).stopped);
    EXPECT_TRUE(OutputHas("again "));
}

TEST_F(CommandListRunnerTest, RealMknmzFeedsTheProgressAndWritesTheIndex) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "mknmz or namazu is not installed";
    const std::string index = dir.Folder() + "index";
    const BatchResult result = Run(
        {"*mkdir \"" + index + "\"", "*mknmz --output=\"" + index + "\" \"" + TestDataPath("docs") + "\""});
    EXPECT_EQ(result.finished, 2u);
    EXPECT_TRUE(FileExists(index + "/NMZ.i"));
    // Every document line reached the sink in order, the last one 9/9.
    std::vector<std::string> docs;
    for (const std::string& event : sink.events) {
        if (event.rfind("docs ", 0) == 0) docs.push_back(event);
    }
    ASSERT_FALSE(docs.empty());
    EXPECT_EQ(docs.back(), "docs 9/9");
    EXPECT_EQ(sink.events.back(), "end 2");
    EXPECT_NE(sink.lastPath.find("%E3%83%A1%E3%83%A2"), std::string::npos) << sink.lastPath;
    EXPECT_TRUE(prompter.Messages().empty());
}

}  // namespace

namespace {

TEST_F(CommandListRunnerTest, ALockOfAKilledMknmzIsRemovedAndALiveOneIsToldWithTheUsersFolder) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "mknmz or namazu is not installed";
    // A blank in the folder: mknmz gets it through a link, and the view still names the folder.
    const std::string index = dir.Folder() + "索引 A";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(index)));
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    dir.WriteFile("索引 A/NMZ.lock2", std::to_string(gone));
    for (const char* name : {"NMZ.i.tmp", "NMZ.tmp_w.tmp", "NMZ.err"}) dir.WriteFile("索引 A/" + std::string(name), "");
    const std::string entry = "*mknmz --output=\"" + index + "\" \"" + TestDataPath("docs") + "\"";
    Run({entry});
    EXPECT_EQ(sink.events.back(), "end 1");
    EXPECT_TRUE(OutputHas("*** " + index + " に残っていたロック (NMZ.lock2: プロセス " + std::to_string(gone) +
                          " はもうありません) と一時ファイルを削除しました (4 個) ***"));
    EXPECT_TRUE(FileExists(index + "/NMZ.i"));
    EXPECT_EQ(QDir(QString::fromStdString(index)).entryList({QStringLiteral("*.tmp"), QStringLiteral("NMZ.lock*")}),
              QStringList());

    // A mknmz that still runs keeps its lock, and the entry is not started.
    const QString standIn = QString::fromStdString(dir.Path("mknmz"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/bin/sleep"), standIn));
    QProcess running;
    running.start(standIn, {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted());
    const std::string holder = std::to_string(running.processId());
    dir.WriteFile("索引 A/NMZ.lock2", holder);
    view = MemoryOutputView();
    view.runFlag = 0;
    Run({entry});
    running.kill();
    running.waitForFinished();
    EXPECT_EQ(sink.events.back(), "end 1 failed");
    EXPECT_TRUE(OutputHas("*** " + index + " は他の mknmz (プロセス " + holder + ") が更新中です。そのプロセスがないときは " + index + "/NMZ.lock2 を削除してください ***"));
    EXPECT_EQ(view.lines.size(), 2u);  // mknmz did not run
    EXPECT_EQ(view.runFlag, 1);        // and the view is done: its window can close
    EXPECT_TRUE(FileExists(index + "/NMZ.lock2"));
    EXPECT_TRUE(prompter.Messages().empty());
}

}  // namespace
