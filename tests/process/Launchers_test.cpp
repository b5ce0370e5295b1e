#include "process/Launchers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <fstream>

#include "TestSupport.h"
#include "config/FileIo.h"

namespace {

Settings WebBrowserSettings(const std::string& displayTo, const std::string& type) {
    Settings settings;
    settings.WebBrowser.DisplayTo = displayTo;
    settings.WebBrowser.Type = type;
    return settings;
}

TEST(LaunchersTest, ShowInBrowserAndShowHtmlDocumentChooseByTheSettings) {
    using L = BrowserLauncher;
    struct Row {
        std::string displayTo, type;
        BrowserLauncher pages, htmlHits;
    };
    const Row rows[] = {
        {"Internal", "NetscapeNavigator", L::Embedded, L::Embedded},
        {"internal", "Navigator", L::Embedded, L::Embedded},
        // first-run type: help pages through the shell, HTML hits in the system's browser
        {"External", "NetscapeNavigator", L::Shell, L::InternetExplorer},
        {"External", "Navigator", L::Navigator, L::Navigator},
        {"EXTERNAL", "NAVIGATOR", L::Navigator, L::Navigator},
        {"External", "InternetExplorer", L::InternetExplorer, L::InternetExplorer},
        {"External", "DefaultBrowser", L::Shell, L::InternetExplorer},
        {"External", "", L::Shell, L::InternetExplorer},
        // an unknown word: pages embedded, HTML hits outside
        {"Somewhere", "Navigator", L::Embedded, L::Navigator},
        {"Somewhere", "DefaultBrowser", L::Embedded, L::InternetExplorer},
        {"", "", L::Embedded, L::InternetExplorer},
    };
    for (const Row& row : rows) {
        const Settings settings = WebBrowserSettings(row.displayTo, row.type);
        EXPECT_EQ(ShowInBrowserLauncher(settings), row.pages) << row.displayTo << "/" << row.type;
        EXPECT_EQ(ShowHtmlDocumentLauncher(settings), row.htmlHits) << row.displayTo << "/" << row.type;
    }
}

TEST(LaunchersTest, HelpPagesLieInTheDataFolder) {
    struct Row {
        PathStyle style;
        std::string folder, start, index;
    };
    const Row rows[] = {
        {PathStyle::Posix, "/opt/quarrow/", "/opt/quarrow/help/start.html", "/opt/quarrow/help/index.html"},
        {PathStyle::Posix, "/", "/help/start.html", "/help/index.html"},
        {PathStyle::Posix, "/usr/share/quarrow/", "/usr/share/quarrow/help/start.html",
         "/usr/share/quarrow/help/index.html"},
        {PathStyle::Windows, R"(C:\Q\)", R"(C:\Q\help\start.html)", R"(C:\Q\help\index.html)"},
        {PathStyle::Windows, R"(C:\)", R"(C:\help\start.html)", R"(C:\help\index.html)"},
    };
    for (const Row& row : rows) {
        PlatformProfile platform;
        platform.pathStyle = row.style;
        platform.codePage = row.style == PathStyle::Windows ? CodePage::Cp932 : CodePage::Utf8;
        platform.programFolder = "/elsewhere/bin/";
        platform.dataFolder = row.folder;
        EXPECT_EQ(HelpStartPath(platform), row.start);
        EXPECT_EQ(HelpIndexPath(platform), row.index);
    }
}

TEST(LaunchersTest, NamazuManualUnderTheParentOfNamazusFolder) {
    using V = std::vector<std::string>;
    struct Row {
        PathStyle style;
        CodePage codePage;
        std::string namazuPath, page;
        V expected;
    };
    const Row rows[] = {
        {PathStyle::Windows, CodePage::Cp932, R"(C:\namazu\bin\namazu.exe)", "manual.html",
         V{R"(C:\namazu\share\namazu\doc\ja\manual.html)"}},
        {PathStyle::Windows, CodePage::Cp932, R"(D:\Tools\namazu\bin\namazu.exe)", "tutorial.html",
         V{R"(D:\Tools\namazu\share\namazu\doc\ja\tutorial.html)"}},
        // a folder name whose second byte is "\" stays whole
        {PathStyle::Windows, CodePage::Cp932, "C:\\\x95\x5C\\bin\\namazu.exe", "manual.html",
         V{"C:\\\x95\x5C\\share\\namazu\\doc\\ja\\manual.html"}},
        {PathStyle::Posix, CodePage::Utf8, "/usr/bin/namazu", "manual.html",
         V{"/usr/share/namazu/doc/ja/manual.html", "/usr/share/doc/namazu2/ja/manual.html",
           "/usr/share/doc/namazu2-common/ja/manual.html"}},
        {PathStyle::Posix, CodePage::Utf8, "/usr/local/bin/namazu", "tutorial.html",
         V{"/usr/local/share/namazu/doc/ja/tutorial.html", "/usr/local/share/doc/namazu2/ja/tutorial.html",
           "/usr/local/share/doc/namazu2-common/ja/tutorial.html"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(NamazuDocCandidates(row.namazuPath, row.page, row.style, row.codePage), row.expected)
            << row.namazuPath;
    }
}

TEST(LaunchersTest, NamazuManualIsFoundWhereDebianPutsIt) {
    const std::vector<std::string> candidates =
        NamazuDocCandidates("/usr/bin/namazu", "manual.html", PathStyle::Posix, CodePage::Utf8);
    if (!FileExists(candidates[1]) && !FileExists(candidates[2]))
        GTEST_SKIP() << "namazu's manual is not installed";
    for (const char* page : {"manual.html", "tutorial.html"}) {
        const std::string path = NamazuDocPath("/usr/bin/namazu", page, PathStyle::Posix, CodePage::Utf8);
        EXPECT_TRUE(FileExists(path)) << path;
        EXPECT_NE(ReadWholeFile(path).value_or("").find("Namazu"), std::string::npos) << path;
    }
    // Nothing installed there: the usual path is handed on all the same.
    EXPECT_EQ(NamazuDocPath("/nowhere/bin/namazu", "manual.html", PathStyle::Posix, CodePage::Utf8),
              "/nowhere/share/namazu/doc/ja/manual.html");
}

// A folder of stand-in programs that write their arguments into a file, put first on PATH.
class FakePrograms : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(Folder()) + ":" + m_oldPath);
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }

    std::string Folder() const { return m_dir.path().toStdString() + "/"; }

    // A program that records its arguments, one a line, in <name>.args.
    std::string AddProgram(const std::string& name, const std::string& extra = "") {
        const std::string path = Folder() + name;
        std::ofstream(path) << "#!/bin/sh\n"
                            << extra << "printf '%s\\n' \"$@\" > '" << Folder() << name << ".tmp'\nmv '"
                            << Folder() << name << ".tmp' '" << Folder() << name << ".args'\n";
        ::chmod(path.c_str(), 0755);
        return path;
    }

    // What the program was called with, once it has run (up to five seconds).
    std::string ArgumentsOf(const std::string& name) const {
        const std::string file = Folder() + name + ".args";
        QDeadlineTimer deadline(5000);
        while (!FileExists(file) && !deadline.hasExpired()) QThread::msleep(20);
        return ReadWholeFile(file).value_or("(not run)");
    }

    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

TEST_F(FakePrograms, NavigatorGetsTheUrlAsItsArgument) {
    const std::string program = AddProgram("navigator");
    EXPECT_TRUE(OpenInNetscape("/home/user/My Docs/日本語.html", program));
    EXPECT_EQ(ArgumentsOf("navigator"), "/home/user/My Docs/日本語.html\n");
}

TEST_F(FakePrograms, SystemBrowserIsXWwwBrowser) {
    AddProgram("x-www-browser");
    EXPECT_TRUE(OpenInInternetExplorer("file:///tmp/result.html"));
    EXPECT_EQ(ArgumentsOf("x-www-browser"), "file:///tmp/result.html\n");
}

TEST_F(FakePrograms, ShellOpensExistingFilesAndUrls) {
    AddProgram("xdg-open");
    const std::string document = Folder() + "メモ 2024.txt";
    std::ofstream(document) << "memo\n";
    EXPECT_TRUE(OpenWithShell(document));
    EXPECT_EQ(ArgumentsOf("xdg-open"), document + "\n");

    QFile::remove(QString::fromStdString(Folder() + "xdg-open.args"));
    EXPECT_TRUE(OpenWithShell("https://example.com/a?b=c"));
    EXPECT_EQ(ArgumentsOf("xdg-open"), "https://example.com/a?b=c\n");
}

TEST_F(FakePrograms, ContainingFolderOpensInTheFileManager) {
    AddProgram("xdg-open");
    const std::string document = Folder() + "メモ 2024.txt";
    std::ofstream(document) << "memo\n";
    EXPECT_TRUE(OpenContainingFolder(document, PathStyle::Posix, CodePage::Utf8));
    std::string folder = Folder();
    folder.pop_back();
    EXPECT_EQ(ArgumentsOf("xdg-open"), folder + "\n");
    EXPECT_FALSE(OpenContainingFolder("no-folder.txt", PathStyle::Posix, CodePage::Utf8));
    EXPECT_FALSE(OpenContainingFolder(Folder() + "gone/a.txt", PathStyle::Posix, CodePage::Utf8));
}

TEST(LocalFileUri, EscapesWhatAUriCannotHold) {
    EXPECT_EQ(LocalFileUri("/tmp/メモ 2024.txt"), "file:///tmp/%E3%83%A1%E3%83%A2%202024.txt");
    EXPECT_EQ(LocalFileUri("/a/b#1?x%.txt"), "file:///a/b%231%3Fx%25.txt");
}

TEST_F(FakePrograms, MissingTargetsAndProgramsFailWithoutWaiting) {
    AddProgram("xdg-open");
    EXPECT_FALSE(OpenWithShell(Folder() + "no such file.doc"));
    EXPECT_FALSE(OpenWithShell("file://" + Folder() + "no-such-file.doc"));
    EXPECT_FALSE(OpenWithShell(""));
    EXPECT_FALSE(OpenInNetscape("/tmp/a.html", Folder() + "no-such-browser"));
    EXPECT_FALSE(OpenInNetscape("/tmp/a.html", ""));

    qputenv("PATH", QByteArray::fromStdString(Folder()));  // no x-www-browser anywhere
    EXPECT_FALSE(OpenInInternetExplorer("/tmp/a.html"));
}

// xdg-open ends with 3 or 4 when no application takes the file: that is a failure, told when the
// opener ends, while the launcher itself has returned at once.
TEST_F(FakePrograms, AnOpenerThatEndsBadlyIsReportedWhenItEnds) {
    const std::string document = Folder() + "a.zzqq";
    std::ofstream(document) << "x\n";
    struct Row {
        const char* program;
        const char* ending;
        bool (*launch)(const std::string& document, const std::string& folder, const LaunchReport&);
        bool failed;
    };
    const Row rows[] = {
        {"xdg-open", "exit 4\n", [](const std::string& d, const std::string&, const LaunchReport& r) { return OpenWithShell(d, r); }, true},
        {"xdg-open", "exit 0\n", [](const std::string& d, const std::string&, const LaunchReport& r) { return OpenWithShell(d, r); }, false},
        {"xdg-open", "exit 3\n", [](const std::string& d, const std::string&, const LaunchReport& r) { return OpenContainingFolder(d, PathStyle::Posix, CodePage::Utf8, r); }, true},
        {"x-www-browser", "exit 1\n", [](const std::string& d, const std::string&, const LaunchReport& r) { return OpenInInternetExplorer(d, r); }, true},
        {"navigator", "kill -9 $$\n", [](const std::string& d, const std::string& f, const LaunchReport& r) { return OpenInNetscape(d, f + "navigator", r); }, true},
    };
    for (const Row& row : rows) {
        AddProgram(row.program, std::string("printf '' > '") + Folder() + "ran'\n" + row.ending);
        QFile::remove(QString::fromStdString(Folder() + "ran"));
        QObject context;
        bool failed = false;
        EXPECT_TRUE(row.launch(document, Folder(), {&context, [&] { failed = true; }})) << row.program;
        QDeadlineTimer deadline(row.failed ? 5000 : 1000);
        while (!failed && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(failed, row.failed) << row.program << " " << row.ending;
        EXPECT_TRUE(FileExists(Folder() + "ran")) << row.program;
    }
}

TEST_F(FakePrograms, LaunchingDoesNotWaitForTheProgram) {
    const std::string program = AddProgram("slow-browser", "sleep 3\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(OpenInNetscape("/tmp/a.html", program));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
