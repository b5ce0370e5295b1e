#include "config/Settings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "config/FileIo.h"

namespace {

const char* const kLinuxFirstRun =
    "[Window]\nSavePosition=0\nScreenType=Normal\nStayOnTop=0\nShowIndexDir=1\nShowStatusBar=1\n"
    "HideSearchButton=0\nShowExplanation=1\n\n"
    "[Search]\nDirectoryCount=1\nDirectory1=/var/lib/namazu/index\nFormulaHistoryCount=10\nSort=None\n"
    "SortDirection=None\nShowContents=1\nListCount=20\nUseNamazurc=0\nNamazurcPath=/etc/namazu/namazurc\n"
    "SetIndexInNamazurc=0\nRelativePath=0\n\n"
    "[Result]\nSearchOnChangeSettings=0\nConfirmCommandLine=0\nFontNameResult=ＭＳ Ｐゴシック\n"
    "FontSizeResult=9\nFontBoldResult=0\nFontNameText=ＭＳ ゴシック\nFontSizeText=9\nFontBoldText=0\n"
    "Color=1\nDisplayTo=Text\nFileNameBlankLineNext=2\nFileNameSpaceFromEnd=2\n"
    "UseDriveConstantsWebBrowser=0\n\n"
    "[Text]\nConvert=ToSJIS\nDecodeHeader=1\n\n"
    "[Document]\nHowToOpen=Define\n\n"
    "[Edit]\nCopyDefFileName=\n\n"
    "[WebBrowser]\nDisplayTo=Internal\nType=NetscapeNavigator\nNavigatorPath=/usr/bin/firefox\n\n"
    "[Mknmz]\nConfirmCommandLine=0\nShowProcess=Internal\n\n"
    "[Command]\nnamazuPath=/usr/bin/namazu\nmknmzPath=/usr/bin/mknmz\nPerlPath=/usr/bin/perl\n"
    "pnamazuPath=/usr/local/share/pnamazu/pnamazu.pl\nnamazuOption=\n"
    "mknmzOption=--use-kakasi -EHK --all\nNamazuVersion=2.0\nUsepnamazu=0\n";

std::string ReadAll(const std::string& path) {
    return ReadWholeFile(path).value_or("<missing>");
}

}  // namespace

TEST(Settings, FirstStartWritesEveryKeyOfTheLinuxProfileInOrder) {
    TempProgramDir dir;
    const Settings settings = InitSettings(dir.Profile());
    EXPECT_EQ(settings.SettingsPath, dir.Path("quarrow.ini"));
    EXPECT_EQ(ReadAll(dir.Path("quarrow.ini")), kLinuxFirstRun);
    EXPECT_EQ(settings.Directories, std::vector<std::string>{"/var/lib/namazu/index"});
    EXPECT_EQ(settings.IndexDirectoryText, "/var/lib/namazu/index");
    EXPECT_EQ(settings.QueryHistory.size(), 10u);
    EXPECT_EQ(settings.Search.SortDirection, "None");
    EXPECT_EQ(settings.Result.FontNameResult, "ＭＳ Ｐゴシック");
}

TEST(Settings, WindowsProfileFirstRunDependsOnTheVersion) {
    struct Row {
        int major, minor;
        const char* explanation;
        const char* displayTo;
    };
    const Row rows[] = {{4, 0, "0", "External"},
                        {4, 3, "0", "External"},
                        {4, 10, "1", "Internal"},
                        {5, 0, "1", "Internal"},
                        {3, 95, "1", "Internal"}};
    for (const Row& row : rows) {
        TempProgramDir dir(PathStyle::Windows, CodePage::Cp932);
        PlatformProfile profile = dir.Profile();
        profile.windowsVersion = WindowsVersion{row.major, row.minor};
        ASSERT_TRUE(WriteDefaultSettings(dir.Path("w.ini"), profile));
        const Settings s = LoadSettings(dir.Path("w.ini"), profile);
        EXPECT_EQ(s.Window.ShowExplanation, row.explanation) << row.major << "." << row.minor;
        EXPECT_EQ(s.WebBrowser.DisplayTo, row.displayTo) << row.major << "." << row.minor;
        const std::string text = ReadAll(dir.Path("w.ini"));
        EXPECT_NE(text.find("Directory1=C:\\namazu\\var\\namazu\\index\n"), std::string::npos);
        EXPECT_NE(text.find("PerlPath=C:\\Perl\\Bin\\Perl.exe\n"), std::string::npos);
        // The font names are stored in Shift_JIS under the CP932 code page.
        EXPECT_NE(text.find("FontNameResult=\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e\n"),
                  std::string::npos);
        EXPECT_EQ(text.find("\nHistory"), std::string::npos);
    }
}

TEST(Settings, AbsentValuesAndCountRules) {
    struct Row {
        const char* name;
        const char* file;
        std::vector<std::string> directories;
        std::size_t historySize;
    };
    const Row rows[] = {
        {"count 0", "[Search]\nDirectoryCount=0\nDirectory1=/a\n", {"/a"}, 10},
        {"count a word, Directory1 empty",
         "[Search]\nDirectoryCount=two\nDirectory1=\n",
         {"/var/lib/namazu/index"},
         10},
        {"count 2 with only Directory1", "[Search]\nDirectoryCount=2\nDirectory1=/a\n", {"/a", ""}, 10},
        {"missing Directory1", "[Search]\nDirectoryCount=1\n", {"/var/lib/namazu/index"}, 10},
        {"history count a word", "[Search]\nFormulaHistoryCount=many\n", {"/var/lib/namazu/index"}, 0},
        {"negative history count", "[Search]\nFormulaHistoryCount=-3\n", {"/var/lib/namazu/index"}, 0},
        {"empty file", "", {"/var/lib/namazu/index"}, 10},
    };
    for (const Row& row : rows) {
        TempProgramDir dir;
        dir.WriteFile("q.ini", row.file);
        const Settings s = LoadSettings(dir.Path("q.ini"), dir.Profile());
        EXPECT_EQ(s.Directories, row.directories) << row.name;
        EXPECT_EQ(s.QueryHistory.size(), row.historySize) << row.name;
    }

    TempProgramDir dir;
    const Settings s = LoadSettings(dir.Path("none.ini"), dir.Profile());
    EXPECT_EQ(s.Search.SortDirection, "Descending");
    EXPECT_EQ(s.Command.PerlPath, "/usr/bin/perl");
    EXPECT_EQ(s.WebBrowser.Type, "NetscapeNavigator");

    TempProgramDir win(PathStyle::Windows, CodePage::Cp932);
    const Settings w = LoadSettings(win.Path("none.ini"), win.Profile());
    EXPECT_EQ(w.Command.PerlPath, "C:\\Perl\\bin\\perl.exe");
    EXPECT_EQ(w.Directories.front(), "c:\\namazu\\var\\namazu\\index");
}

TEST(Settings, SaveLeavesKeysBeyondTheCountsAndSortDirectionAlone) {
    TempProgramDir dir;
    Settings s = InitSettings(dir.Profile());
    s.Directories = {"/x", "/y", "/z"};
    s.QueryHistory = {"first", "second"};
    s.Search.FormulaHistoryCount = "2";
    s.Search.SortDirection = "Ascending";
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    s.Directories = {"/new"};
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);

    const std::string text = ReadAll(s.SettingsPath);
    EXPECT_NE(text.find("DirectoryCount=1\nDirectory1=/new\nFormulaHistoryCount=2\nSort=None\n"),
              std::string::npos);
    EXPECT_NE(text.find("Directory2=/y\nDirectory3=/z\n"), std::string::npos);
    EXPECT_NE(text.find("History1=first\nHistory2=second\n"), std::string::npos);
    EXPECT_NE(text.find("SortDirection=None\n"), std::string::npos);
    EXPECT_EQ(LoadSettings(s.SettingsPath, dir.Profile()).Search.SortDirection, "None");
}

TEST(Settings, SaveKeepsForeignContentAndLineEndings) {
    TempProgramDir dir;
    const std::string before =
        "; my notes\r\n[Window]\r\nLeft=10\r\nSavePosition=0\r\n\r\n[Plugin]\r\nfoo=bar\r\n\r\n"
        "[Search]\r\nDirectoryCount=1\r\nDirectory1=/a\r\n";
    dir.WriteFile("q.ini", before);
    Settings s = LoadSettings(dir.Path("q.ini"), dir.Profile());
    s.Window.SavePosition = "1";
    SaveSettings(dir.Path("q.ini"), s, CodePage::Utf8);
    const std::string after = ReadAll(dir.Path("q.ini"));
    EXPECT_EQ(after.rfind("; my notes\r\n[Window]\r\nLeft=10\r\nSavePosition=1\r\nStayOnTop=0\r\n", 0), 0u);
    EXPECT_NE(
        after.find("\r\n\r\n[Plugin]\r\nfoo=bar\r\n\r\n[Search]\r\nDirectoryCount=1\r\nDirectory1=/a\r\n"),
        std::string::npos);
    EXPECT_EQ(after.find('\n', 0), after.find("\r\n", 0) + 1);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] == '\n') {
            ASSERT_EQ(after[i - 1], '\r') << "bare LF at " << i;
        }
    }
}

TEST(Settings, ShiftJisFileFromWindowsLoads) {
    TempProgramDir dir;
    // History1=日本語, Directory1=C:\文書
    dir.WriteFile("q.ini",
                  "[Search]\r\nDirectory1=C:\\\x95\xB6\x8F\x91\r\nFormulaHistoryCount=1\r\n"
                  "History1=\x93\xFA\x96\x7B\x8C\xEA\r\n");
    const Settings s = LoadSettings(dir.Path("q.ini"), dir.Profile());
    EXPECT_EQ(s.Directories.front(), "C:\\文書");
    EXPECT_EQ(s.QueryHistory.front(), "日本語");

    TempProgramDir cp(PathStyle::Windows, CodePage::Cp932);
    cp.WriteFile("q.ini", "[Search]\r\nFormulaHistoryCount=1\r\nHistory1=\x93\xFA\x96\x7B\x8C\xEA\r\n");
    EXPECT_EQ(LoadSettings(cp.Path("q.ini"), cp.Profile()).QueryHistory.front(), "\x93\xFA\x96\x7B\x8C\xEA");
}

TEST(Settings, ReadOnlyVanishedOrFailingFilesAreNeverChanged) {
    TempProgramDir dir;
    Settings s = InitSettings(dir.Profile());
    const std::string before = ReadAll(s.SettingsPath);
    s.Window.StayOnTop = "1";

    ::chmod(s.SettingsPath.c_str(), 0444);
    EXPECT_TRUE(IsReadOnlyFile(s.SettingsPath));
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    EXPECT_EQ(ReadAll(s.SettingsPath), before);
    ::chmod(s.SettingsPath.c_str(), 0644);
    EXPECT_FALSE(IsReadOnlyFile(s.SettingsPath));

    // A write that fails half way (file size limit) leaves the old file whole.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(ReadAll(s.SettingsPath), before);

    const std::string gone = dir.Path("gone.ini");
    EXPECT_TRUE(IsReadOnlyFile(gone));
    SaveSettings(gone, s, CodePage::Utf8);
    EXPECT_FALSE(FileExists(gone));
}

TEST(Settings, SettingsPathInBothStyles) {
    struct Row {
        PathStyle style;
        const char* program;
        const char* expected;
    };
    const Row rows[] = {
        {PathStyle::Windows, "C:\\Tools\\Search.exe", "c:\\tools\\search.ini"},
        {PathStyle::Windows, "C:\\\x83\x65\x83\x58\x83\x67\\Q.EXE", "c:\\\x83\x65\x83\x58\x83\x67\\q.ini"},
        {PathStyle::Windows, "D:\\Apps\\quarrow", "d:\\apps\\quarrow.ini"},
    };
    for (const Row& row : rows) {
        PlatformProfile p;
        p.pathStyle = row.style;
        p.codePage = CodePage::Cp932;
        p.programFilePath = row.program;
        p.programFolder = FolderOf(row.program, row.style);
        EXPECT_EQ(SettingsPathFor(p), row.expected) << row.program;
    }

    TempProgramDir dir;
    PlatformProfile p = dir.Profile();
    p.programFilePath = dir.Folder() + "Quarrow.Bin";
    EXPECT_EQ(SettingsPathFor(p), dir.Folder() + "quarrow.ini");
    p.programFilePath = dir.Folder() + "Quarrow";
    EXPECT_EQ(SettingsPathFor(p), dir.Folder() + "quarrow.ini");
}

// Also as root, who could write beside an installed program.
TEST(Settings, InstalledProgramKeepsItsFilesInTheConfigFolder) {
    TempProgramDir dir;
    QDir(QString::fromStdString(dir.Folder())).mkpath(QStringLiteral("usr/bin"));
    QDir(QString::fromStdString(dir.Folder())).mkpath(QStringLiteral("usr/share/quarrow"));
    PlatformProfile p = dir.Profile();
    p.programFolder = dir.Path("usr/bin/");
    p.programFilePath = dir.Path("usr/bin/quarrow");
    p.installed = !InstalledDataFolder(p.programFolder).empty();
    ASSERT_TRUE(p.installed);

    const Settings s = InitSettings(p);
    EXPECT_EQ(s.SettingsPath, p.configFallbackFolder + "quarrow.ini");
    EXPECT_TRUE(FileExists(p.configFallbackFolder + "quarrow.ini"));
    EXPECT_FALSE(FileExists(dir.Path("usr/bin/quarrow.ini")));
    EXPECT_EQ(s.Command.namazuPath, "/usr/bin/namazu") << "the Linux first-run values";
    EXPECT_EQ(ConfigFolderFor(p), p.configFallbackFolder);
}

TEST(Settings, InstalledDataFolderBesideBin) {
    TempProgramDir dir;
    for (const char* folder : {"usr/bin", "usr/share/quarrow", "opt/q/bin", "opt/q/share", "build/share/quarrow",
                               "lone/bin", "file/bin"}) {
        QDir(QString::fromStdString(dir.Folder())).mkpath(QString::fromUtf8(folder));
    }
    QDir(QString::fromStdString(dir.Folder())).mkpath(QStringLiteral("file/share"));
    dir.WriteFile("file/share/quarrow", "not a folder");
    struct Row {
        std::string programFolder, expected;
    };
    const Row rows[] = {
        {dir.Path("usr/bin/"), dir.Path("usr/share/quarrow/")},
        {dir.Path("opt/q/bin/"), ""},  // share/ without quarrow/
        {dir.Path("build/"), ""},      // a build tree is no bin/ folder
        {dir.Path("lone/bin/"), ""},
        {dir.Path("file/bin/"), ""},
        {dir.Path("usr/sbin/"), ""},
        {"bin/", ""},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(InstalledDataFolder(row.programFolder), row.expected) << row.programFolder;
}

TEST(Settings, UnwritableProgramFolderFallsBackToTheConfigFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root can write everywhere";
    TempProgramDir dir;
    PlatformProfile p = dir.Profile();
    ::mkdir(dir.Path("ro").c_str(), 0555);
    p.programFolder = dir.Path("ro/");
    p.programFilePath = dir.Path("ro/quarrow");
    EXPECT_EQ(SettingsPathFor(p), p.configFallbackFolder + "quarrow.ini");
}

TEST(Settings, ParseCount) {
    struct Row {
        const char* text;
        int expected;
    };
    const Row rows[] = {{"10", 10}, {" 3 ", 3}, {"-2", -2}, {"+4", 4}, {"", 99}, {"1x", 99}, {"x", 99}};
    for (const Row& row : rows) EXPECT_EQ(ParseCount(row.text, 99), row.expected) << row.text;
}

namespace {

// Keeps a fault that allocates without bound from taking the machine with it: it fails the
// test instead.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_AS, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = std::min<rlim_t>(bytes, m_old.rlim_max);
        ::setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &m_old); }

private:
    rlimit m_old{};
};

std::vector<std::string> SaveFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".quarrow-save-", 0) == 0) names.push_back(name);
    }
    return names;
}

}  // namespace

TEST(Settings, HugeCountsAllocateOnlyForTheKeysThatExist) {
    struct Row {
        const char* name;
        const char* file;
        std::vector<std::string> directories;
        const char* directoryCount;
        std::vector<std::string> history;
    };
    const Row rows[] = {
        {"both counts huge",
         "[Search]\nDirectoryCount=2000000000\nDirectory1=/a\nFormulaHistoryCount=2000000000\n"
         "History1=q1\nHistory2=q2\n",
         {"/a"},
         "1",
         {"q1", "q2"}},
        {"count beyond 64 bits",
         "[Search]\nDirectoryCount=99999999999999999999\nDirectory2=/b\n",
         {"/var/lib/namazu/index", "/b"},
         "2",
         {}},
        {"a lone key far out",
         "[Search]\nFormulaHistoryCount=2000000000\nHistory1999999999=x\n",
         {"/var/lib/namazu/index"},
         "1",
         {}},
        {"a large count with fewer keys",
         "[Search]\nDirectoryCount=150\nDirectory1=/a\nDirectory2=/b\nDirectory3=/c\n",
         {"/a", "/b", "/c"},
         "3",
         {}},
        {"a word", "[Search]\nDirectoryCount=abc\nDirectory1=/a\nFormulaHistoryCount=0\n", {"/a"}, "1", {}},
        {"below one", "[Search]\nDirectoryCount=-4\nDirectory1=/a\nFormulaHistoryCount=0\n", {"/a"}, "1", {}},
    };
    const AddressSpaceLimit limit(rlim_t{4} << 30);
    for (const Row& row : rows) {
        TempProgramDir dir;
        dir.WriteFile("quarrow.ini", row.file);
        Settings s = InitSettings(dir.Profile());
        EXPECT_EQ(s.Directories, row.directories) << row.name;
        EXPECT_EQ(s.Search.DirectoryCount, row.directoryCount) << row.name;
        if (!row.history.empty()) {
            EXPECT_EQ(s.QueryHistory, row.history) << row.name;
        }
        EXPECT_LE(s.QueryHistory.size(), 100u) << row.name;

        s.QueryHistory.insert(s.QueryHistory.begin(), "new");
        SaveSettings(s.SettingsPath, s, CodePage::Utf8);
        const Settings again = LoadSettings(s.SettingsPath, dir.Profile());
        EXPECT_EQ(again.Directories, s.Directories) << row.name;
        EXPECT_EQ(again.Search.FormulaHistoryCount, s.Search.FormulaHistoryCount) << row.name;
    }
}

TEST(Settings, EachLineIsReadInItsOwnCodeAndForeignLinesStayAsTheyWere) {
    TempProgramDir dir;
    // UTF-8 throughout, except one history entry written from Windows (CP932 "文書") and a
    // stray byte in a section the program does not own.
    const std::string foreign = "note=\xE3\x83\xA1\xE3\x83\xA2\xFF";
    dir.WriteFile("quarrow.ini",
                  "[Result]\nFontNameResult=ＭＳ Ｐゴシック\n[Search]\nFormulaHistoryCount=2\n"
                  "History1=日本語\nHistory2=\x95\xB6\x8F\x91\n[Other]\n" +
                      foreign + "\n");
    Settings s = InitSettings(dir.Profile());
    EXPECT_EQ(s.Result.FontNameResult, "ＭＳ Ｐゴシック");
    EXPECT_EQ(s.QueryHistory, (std::vector<std::string>{"日本語", "文書"}));

    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    const std::string saved = ReadAll(s.SettingsPath);
    EXPECT_NE(saved.find("FontNameResult=ＭＳ Ｐゴシック\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("History1=日本語\nHistory2=文書\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Other]\n" + foreign + "\n"), std::string::npos) << saved;
}

TEST(Settings, AByteOrderMarkIsReadPastAndKept) {
    TempProgramDir dir;
    dir.WriteFile("quarrow.ini", "\xEF\xBB\xBF[Window]\nSavePosition=1\n[Search]\nDirectory1=/a\n");
    Settings s = InitSettings(dir.Profile());
    EXPECT_EQ(s.Window.SavePosition, "1");
    s.Window.StayOnTop = "1";
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    const std::string saved = ReadAll(s.SettingsPath);
    EXPECT_EQ(saved.rfind("\xEF\xBB\xBF[Window]\nSavePosition=1\nStayOnTop=1\n", 0), 0u) << saved;
    EXPECT_EQ(saved.find("[Window]"), saved.rfind("[Window]"));
}

TEST(Settings, LeftoversOfKilledSavesGoAtTheNextStartButNotThoseOfRunningOnes) {
    TempProgramDir dir;
    InitSettings(dir.Profile());
    dir.WriteFile(".quarrow-save-Ab12Cd", "half a settings file");
    dir.WriteFile(".quarrow-save-Running", "being written");
    const int running = ::open(dir.Path(".quarrow-save-Running").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);
    dir.WriteFile(".quarrow-keep", "not ours");

    InitSettings(dir.Profile());
    EXPECT_EQ(SaveFilesIn(dir.Folder()), std::vector<std::string>{".quarrow-save-Running"});
    EXPECT_TRUE(FileExists(dir.Path(".quarrow-keep")));
    ::close(running);
    InitSettings(dir.Profile());
    EXPECT_TRUE(SaveFilesIn(dir.Folder()).empty());
}

TEST(Settings, SavesKilledAtAnyMomentLeaveTheOldOrTheNewFile) {
    TempProgramDir dir;
    Settings s = InitSettings(dir.Profile());
    s.Search.FormulaHistoryCount = "5000";
    s.QueryHistory.assign(5000, "a query of some length, 検索式");
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    const std::string older = ReadAll(s.SettingsPath);
    Settings changed = s;
    changed.QueryHistory.assign(5000, "another query, 別の検索式");
    // Kills land anywhere within about two saves.
    const auto start = std::chrono::steady_clock::now();
    SaveSettings(s.SettingsPath, changed, CodePage::Utf8);
    const auto saveMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();
    const std::string newer = ReadAll(s.SettingsPath);
    ASSERT_NE(older, newer);

    std::mt19937 random(12);
    int interrupted = 0;
    for (int kill = 0; kill < 100; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) SaveSettings(s.SettingsPath, i % 2 ? s : changed, CodePage::Utf8);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(
            0, static_cast<useconds_t>(2 * saveMicros + 1000))(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = ReadAll(s.SettingsPath);
        ASSERT_TRUE(now == older || now == newer) << "after kill " << kill << ": " << now.size() << " bytes";
        // Each save clears what the saves before it left, so leftovers never pile up.
        const std::size_t left = SaveFilesIn(dir.Folder()).size();
        EXPECT_LE(left, 1u);
        interrupted += static_cast<int>(left);
    }
    EXPECT_GT(interrupted, 0) << "no kill landed inside a save";
    InitSettings(dir.Profile());
    EXPECT_TRUE(SaveFilesIn(dir.Folder()).empty());
}

TEST(Settings, FlagsWordsAndWhereResultsGo) {
    EXPECT_TRUE(FlagOn("1"));
    for (const char* off : {"0", "", " 1", "true", "11"}) EXPECT_FALSE(FlagOn(off)) << off;
    EXPECT_STREQ(FlagText(true), "1");
    EXPECT_STREQ(FlagText(false), "0");
    EXPECT_TRUE(SettingIs("WebBrowser", "webbrowser"));
    EXPECT_FALSE(SettingIs("WebBrowsers", "webbrowser"));
    EXPECT_FALSE(SettingIs("\xC3\xA9", "\xC3\x89"));  // only ASCII letters fold
    struct Row {
        const char* resultTo;
        const char* browserTo;
        bool html, external;
    };
    for (const Row& row : {Row{"Text", "External", false, false}, Row{"webbrowser", "Internal", true, false},
                           Row{"WebBrowser", "EXTERNAL", true, true}, Row{"", "External", false, false}}) {
        Settings s;
        s.Result.DisplayTo = row.resultTo;
        s.WebBrowser.DisplayTo = row.browserTo;
        EXPECT_EQ(ResultsAsHtml(s), row.html) << row.resultTo;
        EXPECT_EQ(ResultsInExternalBrowser(s), row.external) << row.resultTo << " " << row.browserTo;
    }
}
