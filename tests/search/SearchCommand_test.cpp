#include "search/SearchCommand.h"

#include <gtest/gtest.h>

#include "process/IndexDirectories.h"

namespace {

PlatformProfile WindowsProfile() {
    PlatformProfile p;
    p.pathStyle = PathStyle::Windows;
    p.codePage = CodePage::Cp932;
    p.firstRun = FirstRunProfile::Windows;
    p.programFolder = "C:\\Q\\";
    p.programFilePath = "C:\\Q\\quarrow.exe";
    p.tempFolder = "C:\\TEMP\\";
    return p;
}

PlatformProfile LinuxProfile() {
    PlatformProfile p;
    p.programFolder = "/opt/q/";
    p.programFilePath = "/opt/q/quarrow";
    p.tempFolder = "/run/user/1000/quarrow/";
    return p;
}

// First-run values of the profile's settings (without a file).
Settings Defaults(const PlatformProfile& platform) {
    Settings s = LoadSettings("/nonexistent/quarrow.ini", platform);
    if (platform.pathStyle == PathStyle::Windows) s.Directories = {"C:\\namazu\\var\\namazu\\index"};
    s.Search.Sort = "Score";
    return s;
}

SearchMenuState ScoreMenus() {
    SearchMenuState m;
    m.sort = SortKey::Score;
    return m;
}

}  // namespace

TEST(SearchCommand, WorkedCommandLinesOfTheWindowsProfile) {
    const PlatformProfile win = WindowsProfile();
    struct Row {
        const char* name;
        void (*change)(Settings&, SearchMenuState&);
        bool namazurcExists;
        const char* expected;
    };
    const Row rows[] = {
        {"first run", [](Settings&, SearchMenuState&) {}, false,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")"},
        {"pnamazu", [](Settings& s, SearchMenuState&) { s.Command.Usepnamazu = "1"; }, false,
         R"("C:\Perl\bin\perl.exe" "C:\pnamazu\pnamazu.pl" --sort=score --max=20 -o "C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")"},
        {"later, short, all, html",
         [](Settings& s, SearchMenuState& m) {
             m.sort = SortKey::Later;
             m.contentsOff = true;
             m.listCountAll = true;
             s.Result.DisplayTo = "WebBrowser";
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --late --short --all --html --output="C:\TEMP\result.html" "namazu" "C:\namazu\var\namazu\index")"},
        {"title ascending, 500, option",
         [](Settings& s, SearchMenuState& m) {
             m.sort = SortKey::Title;
             m.ascending = true;
             s.Search.ListCount = "500";
             s.Command.namazuOption = " -l ";
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --sort=field:subject --ascending --max=100 --output="C:\TEMP\result.txt" -l "namazu" "C:\namazu\var\namazu\index")"},
        {"indexes in namazurc",
         [](Settings& s, SearchMenuState&) {
             s.Search.UseNamazurc = "1";
             s.Search.SetIndexInNamazurc = "1";
         },
         true,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --config="C:\namazu\etc\namazu\namazurc" --output="C:\TEMP\result.txt" "namazu")"},
        {"namazurc missing is left off, SetIndexInNamazurc without UseNamazurc sends all",
         [](Settings& s, SearchMenuState&) { s.Search.SetIndexInNamazurc = "1"; }, true,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")"},
        {"relative entries",
         [](Settings& s, SearchMenuState&) {
             s.Search.UseNamazurc = "1";
             s.Search.RelativePath = "1";
             ParseIndexDirectories("C:\\idx C:\\idx\\a +b D:\\other .\\local", s, CodePage::Cp932);
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" +a +b "D:\other" "C:\Q\.\local")"},
        {"plain prefix test without folder boundary",
         [](Settings& s, SearchMenuState&) {
             s.Search.RelativePath = "1";
             ParseIndexDirectories("C:\\idx C:\\idx2", s, CodePage::Cp932);
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\idx" +2)"},
        {"earlier never ascending, count 0 sends 20",
         [](Settings& s, SearchMenuState& m) {
             m.sort = SortKey::Earlier;
             m.ascending = true;
             s.Search.ListCount = "0";
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --early --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")"},
        {"count 101 sends 100, a word sends 20",
         [](Settings& s, SearchMenuState&) { s.Search.ListCount = "101"; }, false,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=100 --output="C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")"},
        {"an already quoted entry is quoted once; empty entries add nothing",
         [](Settings& s, SearchMenuState&) {
             ParseIndexDirectories("\"C:\\My Documents\\index\"  D:\\x", s, CodePage::Cp932);
         },
         false,
         R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\My Documents\index" "D:\x")"},
    };
    for (const Row& row : rows) {
        Settings s = Defaults(win);
        SearchMenuState m = ScoreMenus();
        row.change(s, m);
        const SearchCommand c = ComposeSearchCommand(m, "namazu", s, win, {}, row.namazurcExists);
        EXPECT_EQ(c.commandLine, row.expected) << row.name;
        EXPECT_EQ(c.runCommandLine, c.commandLine) << row.name;
        EXPECT_EQ(c.workDir, "C:\\Q");
    }
}

TEST(SearchCommand, QuotesInTheQueryCannotAddArguments) {
    const PlatformProfile linux = LinuxProfile();
    Settings s = Defaults(linux);
    const SearchCommand c = ComposeSearchCommand(ScoreMenus(), R"(a" --output="/tmp/x)", s, linux, {}, false);
    EXPECT_EQ(c.commandLine,
              R"("/usr/bin/namazu" --sort=score --max=20 --output="/run/user/1000/quarrow/result.txt" )"
              R"("a\" --output=\"/tmp/x" "/var/lib/namazu/index")");
}

// namazu takes a query that begins with "-" for an option (--output= wrote its result elsewhere):
// "--" ends its options. Other command lines stay as they were.
TEST(SearchCommand, AQueryBeginningWithADashIsNoOption) {
    const PlatformProfile linux = LinuxProfile();
    const std::string head = R"("/usr/bin/namazu" --sort=score --max=20 --output="/run/user/1000/quarrow/result.txt" )";
    struct Row {
        const char* query;
        const char* option;
        const char* pnamazu;
        std::string expected;
    };
    const Row rows[] = {
        {"--output=/x/clobbered.txt", "", "0", head + R"(-- "--output=/x/clobbered.txt" "/var/lib/namazu/index")"},
        {"-rf", " -l ", "0", head + R"(-l -- "-rf" "/var/lib/namazu/index")"},
        {"a -b", "", "0", head + R"("a -b" "/var/lib/namazu/index")"},
        {"-x", "", "1",
         R"("/usr/bin/perl" "/usr/local/share/pnamazu/pnamazu.pl" --sort=score --max=20 -o "/run/user/1000/quarrow/result.txt" "-x" "/var/lib/namazu/index")"},
    };
    for (const Row& row : rows) {
        Settings s = Defaults(linux);
        s.Command.namazuOption = row.option;
        s.Command.Usepnamazu = row.pnamazu;
        const SearchCommand c = ComposeSearchCommand(ScoreMenus(), row.query, s, linux, {}, false);
        EXPECT_EQ(c.commandLine, row.expected);
        EXPECT_EQ(c.runCommandLine, row.expected);
    }
}

TEST(SearchCommand, LinuxProfileSendsTheQueryInEucJp) {
    const PlatformProfile linux = LinuxProfile();
    Settings s = Defaults(linux);
    ParseIndexDirectories("./idx {cdrom1}/index \"/home/u/my 索引\"", s, CodePage::Utf8);
    const std::vector<std::string> drives = {"{cdrom1} => /media/cdrom0    [DISC]"};
    const SearchCommand c = ComposeSearchCommand(ScoreMenus(), "日本語", s, linux, drives, false);
    EXPECT_EQ(c.commandLine,
              "\"/usr/bin/namazu\" --sort=score --max=20 "
              "--output=\"/run/user/1000/quarrow/result.txt\" \"日本語\" "
              "\"/opt/q/./idx\" \"/media/cdrom0/index\" \"/home/u/my 索引\"");
    EXPECT_NE(c.runCommandLine.find("\"\xC6\xFC\xCB\xDC\xB8\xEC\""), std::string::npos);  // 日本語 in EUC-JP
    EXPECT_NE(c.runCommandLine.find("\"/home/u/my 索引\""), std::string::npos);           // paths stay
    EXPECT_EQ(c.workDir, "/opt/q");
    EXPECT_EQ(c.resultFilePath, "/run/user/1000/quarrow/result.txt");
}

TEST(SearchCommand, ListCountRules) {
    struct Row {
        const char* stored;
        ListCountItem item;
        const char* listCount;
        const char* combo;
    };
    const Row atStart[] = {
        {"35", ListCountItem::Fifty, "35", "35"},      {"20", ListCountItem::Twenty, "20", "20"},
        {"100", ListCountItem::Hundred, "100", "100"}, {"0", ListCountItem::Twenty, "20", "20"},
        {"-3", ListCountItem::Twenty, "20", "20"},     {"abc", ListCountItem::Twenty, "20", "20"},
        {"150", ListCountItem::Twenty, "20", "20"},    {"ALL", ListCountItem::All, "ALL", "すべて"},
    };
    for (const Row& row : atStart) {
        const ListCountState s = ListCountAtStart(row.stored);
        EXPECT_EQ(s.item, row.item) << row.stored;
        EXPECT_EQ(s.listCount, row.listCount) << row.stored;
        EXPECT_EQ(s.comboText, row.combo) << row.stored;
    }
    const Row afterEdit[] = {
        {"35", ListCountItem::Fifty, "35", "35"},   {"abc", ListCountItem::Twenty, "20", "abc"},
        {"0", ListCountItem::Twenty, "20", "20"},   {"150", ListCountItem::Twenty, "20", "20"},
        {"007", ListCountItem::Twenty, "7", "007"},
    };
    for (const Row& row : afterEdit) {
        const ListCountState s = ListCountAfterEdit(row.stored, false);
        EXPECT_EQ(s.item, row.item) << row.stored;
        EXPECT_EQ(s.listCount, row.listCount) << row.stored;
        EXPECT_EQ(s.comboText, row.combo) << row.stored;
    }
    EXPECT_EQ(ListCountAfterEdit("すべて", true).listCount, "All");
}

TEST(SearchCommand, QueriesAndSortWords) {
    EXPECT_TRUE(IsBlankQuery("", CodePage::Utf8));
    EXPECT_TRUE(IsBlankQuery(" \t ", CodePage::Utf8));
    EXPECT_TRUE(IsBlankQuery("　　", CodePage::Utf8));
    EXPECT_TRUE(IsBlankQuery("\x81\x40 \x81\x40", CodePage::Cp932) == false);  // an ASCII blank between
    EXPECT_TRUE(IsBlankQuery("\x81\x40\x81\x40", CodePage::Cp932));
    EXPECT_FALSE(IsBlankQuery("\x88\x81\x40", CodePage::Cp932));  // 0x81 0x40 as a trail + lead pair
    EXPECT_FALSE(IsBlankQuery("a　", CodePage::Utf8));
    EXPECT_EQ(SortKeyFromSetting("DATE"), SortKey::Date);
    EXPECT_EQ(SortKeyFromSetting("None"), SortKey::Score);
    EXPECT_EQ(SortKeyFromSetting("uri"), SortKey::Uri);
}
