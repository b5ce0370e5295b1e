#include "process/RunCommand.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "process/CaptureSplitter.h"
#include "process/CommandLine.h"

namespace {

using Lines = std::vector<std::string>;

// ---- the carry / piece rules, chunk by chunk ----

struct SplitCase {
    const char* name;
    std::vector<std::string> chunks;
    Lines expected;          // after all chunks
    Lines expectedFinished;  // the lines Finish() adds
};

TEST(CaptureSplitter, ChunksToLines) {
    using namespace std::string_literals;
    const SplitCase cases[] = {
        {"blank lines inside a piece stay", {"X\n\n\nY\n"}, {"X ", " ", " ", "Y "}, {}},
        {"blank lines at the end of a piece go", {"X\n\n", "Y\n"}, {"X ", "Y "}, {}},
        {"CR LF makes no empty lines", {"A\r\nB\r\n"}, {"A ", "B "}, {}},
        {"a lone CR ends a line", {"A\rB\n"}, {"A ", "B "}, {}},
        {"CR LF split between chunks", {"A\r", "\nB\n"}, {"A ", "B "}, {}},
        {"no line feed shows nothing yet", {"abc"}, {}, {"abc "}},
        {"the carry starts the next piece", {"ab", "cd\nef"}, {"abcd "}, {"ef "}},
        {"a zero byte cuts the chunk", {"ab\0cd\nzz"s, "ef\n"}, {"abef "}, {}},
        {"a chunk starting with a zero byte adds nothing", {"x", "\0y\n"s, "z\n"}, {"xz "}, {}},
        {"trailing blanks and control bytes go", {"A \t\x01\x1f\n"}, {"A "}, {}},
        {"leading blanks stay", {"  A\n"}, {"  A "}, {}},
        {"only line ends gives nothing", {"\n\r\n\n"}, {}, {}},
        {"an all-blank carry is not shown at the end", {"A\n", " \t\r"}, {"A "}, {}},
        {"bytes above 0x7f are kept as they are", {"\xb0\xec\xa4\xc0\n"}, {"\xb0\xec\xa4\xc0 "}, {}},
        {"DEL is not trimmed", {"A\x7f\n"}, {"A\x7f "}, {}},
    };
    for (const SplitCase& c : cases) {
        CaptureSplitter splitter;
        Lines lines;
        for (const std::string& chunk : c.chunks) splitter.Feed(chunk, lines);
        EXPECT_EQ(lines, c.expected) << c.name;
        Lines finished;
        splitter.Finish(finished);
        EXPECT_EQ(finished, c.expectedFinished) << c.name;
    }
}

TEST(CaptureSplitter, SlicesGiveTheSameLinesAsOneChunk) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "line " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
    Lines whole;
    CaptureSplitter one;
    one.Feed(text, whole);
    for (std::size_t slice : {1u, 2u, 7u, 255u}) {
        CaptureSplitter splitter;
        Lines lines;
        for (std::size_t at = 0; at < text.size(); at += slice)
            splitter.Feed(std::string_view(text).substr(at, slice), lines);
        EXPECT_EQ(lines, whole) << slice;
    }
    ASSERT_EQ(whole.size(), 500u);
    EXPECT_EQ(whole.back(), "line 499 ");
}

// ---- RunCommand with real children ----

class RunCommandTest : public ::testing::Test {
protected:
    // A /bin/sh command line; `script` must not hold double quotes.
    static std::string Sh(const std::string& script) { return "/bin/sh -c \"" + script + "\""; }

    bool Capture(const std::string& commandLine, const std::string& workDir = "/") {
        return RunCommand(commandLine, workDir, RunMode::Capture, &view, prompter, CodePage::Utf8);
    }
    // The lines the child produced: between the header and the closing empty lines.
    Lines Output() const {
        const auto& l = view.lines;
        if (l.size() < 6) return {};
        return Lines(l.begin() + 4, l.end() - 2);
    }

    MemoryOutputView view;
    FakePrompter prompter;
    TempProgramDir dir;
};

TEST_F(RunCommandTest, FirstRunShowsHeaderOutputAndClosingLines) {
    view.runFlag = 0;
    const std::string line = Sh("printf 'A\\nB\\n'");
    ASSERT_TRUE(Capture(line, dir.Folder()));
    EXPECT_EQ(view.lines, (Lines{"WorkDir: " + dir.Folder(), "CommandLine: ", line, "", "A ", "B ", "", ""}));
    EXPECT_EQ(view.runFlag, 1);
    EXPECT_EQ(view.current, static_cast<int>(view.lines.size()) - 2);
    EXPECT_GE(view.repaints, 2);
    EXPECT_TRUE(prompter.calls.empty());

    // A second run into the same view starts with exactly two empty lines.
    ASSERT_TRUE(Capture(Sh("echo C"), dir.Folder()));
    EXPECT_EQ(Lines(view.lines.begin() + 8, view.lines.end()),
              (Lines{"", "", "WorkDir: " + dir.Folder(), "CommandLine: ", Sh("echo C"), "", "C ", "", ""}));
}

TEST_F(RunCommandTest, ChildOutputEdgeCases) {
    struct Case {
        const char* name;
        std::string script;
        Lines expected;
    };
    const Case cases[] = {
        {"blank lines inside one read stay", "printf 'X\\n\\n\\nY\\n'", {"X ", " ", " ", "Y "}},
        {"blank lines at the end of a read go", "printf 'X\\n\\n'; sleep 0.5; printf 'Y\\n'", {"X ", "Y "}},
        {"CR LF and lone CR", "printf 'A\\r\\nB\\rC\\r\\n'", {"A ", "B ", "C "}},
        {"no final line feed: the last line still shows", "printf 'A\\nlast'", {"A ", "last "}},
        {"a line completed after a pause", "printf 'par'; sleep 0.5; printf 'tial\\n'", {"partial "}},
        {"a zero byte cuts its chunk", "printf 'ab\\000cd\\n'; sleep 0.5; printf 'ef\\n'", {"abef "}},
        {"stderr is merged", "echo out; sleep 0.2; echo err >&2", {"out ", "err "}},
        {"stdin is closed", "cat; echo after", {"after "}},
        {"a grandchild's output is read too", "(sleep 0.2; echo late) & echo early", {"early ", "late "}},
        {"no output at all", "true", {}},
    };
    for (const Case& c : cases) {
        view = MemoryOutputView();
        ASSERT_TRUE(Capture(Sh(c.script))) << c.name;
        EXPECT_EQ(Output(), c.expected) << c.name;
        EXPECT_EQ(view.lines.back(), "") << c.name;
        EXPECT_EQ(view.runFlag, 1) << c.name;
    }
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(RunCommandTest, ManyLinesArriveInOrder) {
    ASSERT_TRUE(Capture("seq 1 100000"));
    const Lines out = Output();
    ASSERT_EQ(out.size(), 100000u);
    for (int i = 0; i < 100000; ++i) ASSERT_EQ(out[static_cast<std::size_t>(i)], std::to_string(i + 1) + " ");
}

TEST_F(RunCommandTest, SilentChildIsWaitedForWhileEventsRun) {
    for (RunMode mode : {RunMode::Hidden, RunMode::Capture}) {
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(RunCommand("sleep 0.5", "/", mode, &view, prompter, CodePage::Utf8));
        EXPECT_GE(clock.elapsed(), 480) << static_cast<int>(mode);
        EXPECT_GE(ticks, 5) << "events were not handled while waiting, mode " << static_cast<int>(mode);
    }
}

TEST_F(RunCommandTest, WhileTheApplicationQuitsTheRunStillWaitsForTheChild) {
    // Inside a quitting application nested event loops refuse to run; the child must still be
    // waited for and its whole output read.
    QTimer::singleShot(0, [&] {
        QCoreApplication::exit(0);
        for (RunMode mode : {RunMode::Hidden, RunMode::Capture}) {
            QElapsedTimer clock;
            clock.start();
            EXPECT_TRUE(RunCommand(Sh("sleep 0.3; echo done"), "/", mode, &view, prompter, CodePage::Utf8));
            EXPECT_GE(clock.elapsed(), 280) << static_cast<int>(mode);
        }
    });
    QCoreApplication::exec();
    EXPECT_EQ(Output(), (Lines{"done "}));
}

int OpenDescriptors() {
    int n = 0;
    DIR* d = ::opendir("/proc/self/fd");
    while (::readdir(d)) ++n;
    ::closedir(d);
    return n;
}

TEST_F(RunCommandTest, NoDescriptorIsLeftOpen) {
    const int before = OpenDescriptors();
    Capture(Sh("echo x"));
    Capture("/no/such/program");
    RunCommand("true", "/", RunMode::Hidden, nullptr, prompter, CodePage::Utf8);
    RunCommand("/no/such/program", "/", RunMode::Hidden, nullptr, prompter, CodePage::Utf8);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(RunCommandTest, QuotedPathsWithBlanksAndJapanese) {
    const std::string folder = dir.Folder() + "作業 フォルダ";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string script = folder + "/引数 表示.sh";
    dir.WriteFile("作業 フォルダ/引数 表示.sh", "#!/bin/sh\npwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
    ::chmod(script.c_str(), 0755);

    const std::string line = "\"" + script + "\" \"日本語 の 引数\" plain \"" + dir.Folder() + "a b\\\" c\"";
    ASSERT_TRUE(Capture(line, folder));
    EXPECT_EQ(Output(),
              (Lines{folder + " ", "[日本語 の 引数] ", "[plain] ", "[" + dir.Folder() + "a b\" c] "}));
    EXPECT_EQ(view.lines[0], "WorkDir: " + folder);
    EXPECT_EQ(view.lines[2], line);
}

TEST_F(RunCommandTest, ArgumentBytesReachTheChildUnchanged) {
    // namazu gets its query in EUC-JP: bytes that are not UTF-8 must pass as they are.
    const std::string eucJp = "\xc5\xf4\xc2\xe6";  // 灯台
    ASSERT_TRUE(Capture("/bin/sh -c \"printf '%s\\n' \\\"$1\\\" | od -An -tx1\" sh \"" + eucJp + "\""));
    EXPECT_EQ(Output(), (Lines{" c5 f4 c2 e6 0a "}));
}

TEST_F(RunCommandTest, NamazuEnvironmentOverridesTheUsersLocale) {
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ::setenv("LANGUAGE", "en", 1);
    ::setenv("QUARROW_INHERITED", "yes", 1);
    const bool ok =
        RunCommand("env", "/", RunMode::Capture, &view, prompter, CodePage::Utf8, NamazuEnvironment());
    ::unsetenv("LC_ALL");
    ::unsetenv("LANGUAGE");
    ASSERT_TRUE(ok);
    const Lines out = Output();
    EXPECT_NE(std::find(out.begin(), out.end(), "LANG=ja_JP.eucJP "), out.end());
    for (const std::string& line : out) {
        EXPECT_NE(line.rfind("LC_ALL=", 0), 0u) << line;
        EXPECT_NE(line.rfind("LANGUAGE=", 0), 0u) << line;
    }
    // Everything else is inherited.
    EXPECT_NE(std::find(out.begin(), out.end(), "QUARROW_INHERITED=yes "), out.end());
}

// ---- stopping a run ----

TEST_F(RunCommandTest, StopEndsTheChildPolitelyThenByForce) {
    struct Case {
        const char* name;
        std::string script;
        bool killedHidden;
        bool killedCapture;  // the grace period ran out
        Lines output;        // Capture mode
    };
    const Case cases[] = {
        {"a child that cleans up on SIGTERM",
         "exec perl -e '$| = 1; $SIG{TERM} = sub { print qq(cleaned up\\n); exit 3 }; print qq(started\\n); "
         "sleep 30'",
         false,
         false,
         {"started ", "cleaned up "}},
        {"a child that ignores SIGTERM", "trap '' TERM; echo started; sleep 30.25", true, true, {"started "}},
        // Hidden: the shell ends on SIGTERM and its grandchild goes with it at once. Capture: the
        // grandchild holds the output open until the grace period ends.
        {"a grandchild", "sleep 30.25 & echo started; wait", false, true, {"started "}},
    };
    for (RunMode mode : {RunMode::Hidden, RunMode::Capture}) {
        for (const Case& c : cases) {
            const std::string label =
                std::string(c.name) + ", mode " + std::to_string(static_cast<int>(mode));
            view = MemoryOutputView();
            RunControl control(std::chrono::milliseconds(300));
            EXPECT_FALSE(control.Running());
            bool runningWhenStopped = false;
            QTimer::singleShot(400, [&] {
                runningWhenStopped = control.Running();
                control.Stop();
            });
            QElapsedTimer clock;
            clock.start();
            EXPECT_TRUE(RunCommand(Sh(c.script), "/", mode, &view, prompter, CodePage::Utf8, {}, &control))
                << label;
            EXPECT_LT(clock.elapsed(), 5000) << label;
            EXPECT_TRUE(runningWhenStopped) << label;
            EXPECT_FALSE(control.Running()) << label;
            EXPECT_TRUE(control.StopRequested()) << label;
            EXPECT_EQ(control.Killed(), mode == RunMode::Hidden ? c.killedHidden : c.killedCapture) << label;
            // Nothing the run started is left.
            ::usleep(100000);
            EXPECT_NE(std::system("pgrep -f 'sleep 30[.]25' > /dev/null"), 0) << label;
            if (mode == RunMode::Capture) {
                EXPECT_EQ(Output(), c.output) << label;
                EXPECT_EQ(view.runFlag, 1) << label;
            }
        }
    }
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(RunCommandTest, AStopAskedBeforeTheRunEndsItsChildAtOnceUntilReset) {
    RunControl control(std::chrono::milliseconds(300));
    control.Stop();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(
        RunCommand("sleep 30", "/", RunMode::Hidden, nullptr, prompter, CodePage::Utf8, {}, &control));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(control.Killed());

    // StopNow does not wait for the grace period.
    control.Reset();
    RunControl patient(std::chrono::seconds(60));
    QTimer::singleShot(300, [&] { patient.StopNow(); });
    clock.restart();
    EXPECT_TRUE(RunCommand(Sh("trap '' TERM; sleep 30"), "/", RunMode::Hidden, nullptr, prompter,
                           CodePage::Utf8, {}, &patient));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(patient.Killed());

    EXPECT_FALSE(control.StopRequested());
    EXPECT_TRUE(RunCommand(Sh("sleep 0.2; echo whole"), "/", RunMode::Capture, &view, prompter,
                           CodePage::Utf8, {}, &control));
    EXPECT_EQ(Output(), Lines{"whole "});
    EXPECT_FALSE(control.StopRequested());
}

// ---- start failures ----

QString FailureText(const std::string& workDir, const std::string& commandLine, int error) {
    return QString::fromStdString("コマンドの実行に失敗しました。\n\n作業ディレクトリ: " + workDir +
                                  "\nコマンド: " + commandLine + "\nエラーコード： " + std::to_string(error));
}

class PathOverride {
public:
    explicit PathOverride(const std::string& path) : m_old(std::getenv("PATH")) {
        ::setenv("PATH", path.c_str(), 1);
    }
    ~PathOverride() { ::setenv("PATH", m_old.c_str(), 1); }

private:
    std::string m_old;
};

TEST_F(RunCommandTest, StartFailuresInEveryMode) {
    dir.WriteFile("not-executable", "#!/bin/sh\necho no\n");
    const std::string notExecutable = dir.Path("not-executable");
    struct Case {
        const char* name;
        std::string commandLine;
        std::string workDir;
        int error;
    };
    const Case cases[] = {
        {"missing program", "\"/no/such/program\" --help", "/", 2},
        {"missing program on PATH", "no-such-program-quarrow", "/", 2},
        {"no execute permission", "\"" + notExecutable + "\" x", "/", 13},
        {"a folder as program", "\"" + dir.Folder() + "\"", "/", 13},
        {"missing working directory", "/bin/true", "/no/such/folder", 2},
        {"empty command line", "", "/", 2},
    };
    for (RunMode mode : {RunMode::Hidden, RunMode::Capture, RunMode::Shown}) {
        for (const Case& c : cases) {
            prompter.calls.clear();
            view = MemoryOutputView();
            view.AppendLine("earlier");
            view.runFlag = 0;
            const std::string label =
                std::string(c.name) + ", mode " + std::to_string(static_cast<int>(mode));
            EXPECT_FALSE(RunCommand(c.commandLine, c.workDir, mode, &view, prompter, CodePage::Utf8))
                << label;
            ASSERT_EQ(prompter.calls.size(), 1u) << label;
            EXPECT_EQ(prompter.calls[0].text, FailureText(c.workDir, c.commandLine, c.error)) << label;
            EXPECT_EQ(prompter.calls[0].caption, QCoreApplication::applicationName()) << label;
            EXPECT_EQ(prompter.calls[0].icon, MessageIcon::None) << label;
            EXPECT_EQ(prompter.calls[0].buttons, MessageButtons::Ok) << label;
            if (mode == RunMode::Capture) {
                // The header stays, the view can be closed again.
                EXPECT_EQ(view.lines, (Lines{"earlier", "", "", "WorkDir: " + c.workDir,
                                             "CommandLine: ", c.commandLine, "", ""}))
                    << label;
                EXPECT_EQ(view.runFlag, 1) << label;
            } else {
                EXPECT_EQ(view.lines, Lines{"earlier"}) << label;
            }
        }
    }
}

TEST_F(RunCommandTest, ShownWithoutATerminalIsAStartFailure) {
    PathOverride path(dir.Folder());  // no x-terminal-emulator there
    EXPECT_FALSE(RunCommand("/bin/true", "/", RunMode::Shown, nullptr, prompter, CodePage::Utf8));
    // It says what it looked for and what to do instead.
    EXPECT_EQ(
        prompter.Messages(),
        std::vector<QString>{QStringLiteral(
            "コマンドを表示する端末エミュレータ (x-terminal-emulator、xterm) が見つかりませんでした。\n\n"
            "端末エミュレータをインストールするか、オプションの「実行中の経過」を「ウィンドウ内に表示」に"
            "してください。\n\nコマンド: /bin/true")});
}

TEST_F(RunCommandTest, ShownRunsTheArgumentsInTheTerminalAndWaits) {
    // A stand-in terminal that runs what follows -e, as x-terminal-emulator must.
    dir.WriteFile("x-terminal-emulator",
                  "#!/bin/sh\n[ \"$1\" = -e ] || exit 9\nshift\n\"$@\"\necho done >> shown.log\n");
    ::chmod(dir.Path("x-terminal-emulator").c_str(), 0755);
    PathOverride path(dir.Folder() + ":/usr/bin:/bin");
    ASSERT_TRUE(RunCommand("/bin/sh -c \"sleep 0.3; echo \\\"$0 $1\\\" > shown.log\" \"a b\" c", dir.Folder(),
                           RunMode::Shown, nullptr, prompter, CodePage::Utf8));
    EXPECT_EQ(dir.ReadFile("shown.log"), "a b c\ndone\n");
    EXPECT_TRUE(prompter.calls.empty());
}

// ---- the real namazu programs ----

// namazu's count line: English, or Japanese when the program could give namazu ja_JP.eucJP.
bool SaysTotal(const std::string& result, int count) {
    const std::string n = std::to_string(count);
    return result.find("Total " + n + " documents") != std::string::npos ||
           result.find(ConvertEncoding("検索式にマッチする " + n + " 個の文書", "UTF-8", "EUC-JP")) !=
               std::string::npos;
}

TEST(NamazuPrograms, IndexAndSearchTheTestDocuments) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz is not installed";
    NamazuFixture fixture(TestDataPath("docs"));
    ASSERT_TRUE(fixture.Built()) << fixture.BuildLog();
    // Every document, whatever its code, is found by its marker word.
    for (const char* marker : {"englishmarker", "utf8marker", "eucjpmarker", "sjismarker", "jismarker",
                               "htmlmarker", "sjishtmlmarker", "mailmarker", "memomarker"}) {
        const std::string result = fixture.Search(marker);
        EXPECT_TRUE(SaysTotal(result, 1)) << marker << "\n" << result;
    }
    // A Japanese query (passed as EUC-JP) finds the Japanese documents in every code.
    const std::string japanese = fixture.Search("灯台");
    EXPECT_TRUE(SaysTotal(japanese, 8)) << japanese;
    EXPECT_NE(japanese.find(ConvertEncoding(" (スコア: ", "UTF-8", "EUC-JP")), std::string::npos);
    EXPECT_NE(japanese.find(ConvertEncoding("灯台の点検について", "UTF-8", "EUC-JP")), std::string::npos)
        << "the mail's encoded Subject is its title";
    // Under LANG=C the messages and the score marker are English.
    const std::string english = fixture.Search("lighthouse", {}, NamazuFixture::Lang::C);
    EXPECT_NE(english.find("Total 3 documents"), std::string::npos) << english;
    EXPECT_NE(english.find(" (score: "), std::string::npos);
}

}  // namespace
