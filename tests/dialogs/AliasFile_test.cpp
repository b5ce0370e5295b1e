#include "dialogs/AliasFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/IniFile.h"

namespace {

std::vector<std::string> Shown(const QueryGroup& group) {
    std::vector<std::string> shown;
    for (const QueryEntry& entry : group.queries) shown.push_back(entry.shown);
    return shown;
}

std::vector<std::string> Queries(const QueryGroup& group) {
    std::vector<std::string> queries;
    for (const QueryEntry& entry : group.queries) queries.push_back(entry.query);
    return queries;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(AliasFile, ReadsWithTheProfileRules) {
    const AliasFile file =
        ReadAliasFile(IniFile("; written by hand\r\n"
                              "[diraliaslist]\r\n"
                              "COUNT = 3\r\n"
                              "alias1 =  仕事 \r\n"
                              "Alias2=\"  mail  \"\r\n"
                              "[DirAlias1]\r\n"
                              "DirCount=5\r\n"
                              "Directory1=  /srv/index/a  \r\n"
                              "Directory2=\r\n"
                              "directory3=\"\"/home/a/My index\"\"\r\n"
                              "Directory4=/srv/index/b\r\n"
                              "Directory5=\"  \"\r\n"  // blank once unquoted: no directory
                              "Directory6=/beyond/the/count\r\n"
                              "[DIRALIAS2]\r\n"
                              "DirCount=two\r\n"
                              "Directory1=/never/read\r\n"
                              "[QueryGroupList]\r\n"
                              "Count=2\r\n"
                              "Group1=料理\r\n"
                              "Group2='空'\r\n"
                              "[QueryGroup1]\r\n"
                              "QueryCount=4\r\n"
                              "Query1=味噌汁\r\n"
                              "Caption1=みそしる\r\n"
                              "Query2=(寿司 | 鮨)\r\n"
                              "Caption2=\r\n"
                              "Query3=tea\r\n"
                              "Caption4=query missing\r\n"
                              "Query1=second Query1 is not read\r\n"));

    EXPECT_EQ(file.aliasNames, (Strings{"仕事", "  mail  ", ""}));
    EXPECT_EQ(file.AliasDirectories,
              (Strings{"/srv/index/a\r\n\"/home/a/My index\"\r\n/srv/index/b", "", ""}));
    ASSERT_EQ(file.QueryGroups.size(), 2u);
    EXPECT_EQ(file.QueryGroups[0].name, "料理");
    EXPECT_EQ(Queries(file.QueryGroups[0]), (Strings{"味噌汁", "(寿司 | 鮨)", "tea", ""}));
    EXPECT_EQ(Shown(file.QueryGroups[0]), (Strings{"みそしる", "(寿司 | 鮨)", "tea", "query missing"}));
    EXPECT_EQ(file.QueryGroups[1].name, "空");
    EXPECT_TRUE(file.QueryGroups[1].queries.empty());
}

TEST(AliasFile, MissingFileAndUnusableCountsGiveEmptyLists) {
    const char* texts[] = {
        "",
        "[DirAliasList]\nAlias1=a\n[QueryGroupList]\nGroup1=g\n",
        "[DirAliasList]\nCount=-3\nAlias1=a\n[QueryGroupList]\nCount=99999999999\n",
        "[DirAliasList]\nCount=1x\nAlias1=a\n",
    };
    for (const char* text : texts) {
        const AliasFile file = ReadAliasFile(IniFile(text));
        EXPECT_TRUE(file.aliasNames.empty()) << text;
        EXPECT_TRUE(file.QueryGroups.empty()) << text;
    }
    TempProgramDir dir;
    EXPECT_TRUE(LoadAliasFile(dir.Path("aliases.ini"), CodePage::Utf8).aliasNames.empty());
}

TEST(AliasFile, FileFromWindowsIsReadAsCp932) {
    TempProgramDir dir;
    // "仕事" and "検索" in Shift_JIS.
    dir.WriteFile("aliases.ini",
                  "[DirAliasList]\r\nCount=1\r\nAlias1=\x8e\x64\x8e\x96\r\n[DirAlias1]\r\nDirCount=1\r\n"
                  "Directory1=/srv/\x8c\x9f\x8d\xf5\r\n");
    const AliasFile file = LoadAliasFile(dir.Path("aliases.ini"), CodePage::Utf8);
    EXPECT_EQ(file.aliasNames, (Strings{"仕事"}));
    EXPECT_EQ(file.AliasDirectories, (Strings{"/srv/検索"}));
}

TEST(AliasFile, LivesBesideTheSettingsFile) {
    EXPECT_EQ(AliasFilePath("/home/u/.config/quarrow/quarrow.ini", PathStyle::Posix),
              "/home/u/.config/quarrow/aliases.ini");
    EXPECT_EQ(AliasFilePath("/opt/quarrow/quarrow.ini", PathStyle::Posix), "/opt/quarrow/aliases.ini");
    EXPECT_EQ(AliasFilePath("c:\\tools\\search.ini", PathStyle::Windows), "c:\\tools\\aliases.ini");
}

TEST(AliasFile, HugeCountsAreBounded) {
    const AliasFile file = ReadAliasFile(IniFile(
        "[DirAliasList]\nCount=999999999\nAlias2=second\n"
        "[DirAlias2]\nDirCount=999999999\nDirectory999999=/far\nDirectory1=/near\nDirectory01=/not/a/key\n"
        "[QueryGroupList]\nCount=999999999\n"
        "[QueryGroup1]\nQueryCount=999999999\nQuery3=three\n"
        "[QueryGroup2]\nQueryCount=999999999\n"));
    ASSERT_EQ(file.aliasNames.size(), kMaxAliasListEntries);
    EXPECT_EQ(file.aliasNames[1], "second");
    EXPECT_EQ(file.AliasDirectories[1], "/near\r\n/far");
    ASSERT_EQ(file.QueryGroups.size(), kMaxAliasListEntries);
    ASSERT_EQ(file.QueryGroups[0].queries.size(), kMaxAliasListEntries);
    EXPECT_EQ(file.QueryGroups[0].queries[2].query, "three");
    EXPECT_EQ(file.QueryGroups[1].queries.size(), kMaxAliasListEntries);
    EXPECT_TRUE(file.QueryGroups[2].queries.empty());

    // Many groups that each claim a huge count share one budget.
    std::string many = "[QueryGroupList]\nCount=50\n";
    for (int g = 1; g <= 50; ++g) many += "[QueryGroup" + std::to_string(g) + "]\nQueryCount=999999999\n";
    std::size_t total = 0;
    for (const QueryGroup& group : ReadAliasFile(IniFile(many)).QueryGroups) total += group.queries.size();
    EXPECT_EQ(total, kMaxAliasQueriesInAll);
}

TEST(AliasFile, CombineQueries) {
    struct Row {
        Strings queries;
        bool orState;
        std::string combined;
    };
    const Row rows[] = {
        {{"a", "b c"}, false, "a b c"},
        {{" a ", "", "b "}, false, "a   b"},
        {{}, false, ""},
        {{"x"}, true, "( x )"},
        {{"(a b)"}, true, "(a b)"},
        {{"foo", "(bar baz)"}, true, "( foo ) or (bar baz)"},
        {{""}, true, "(  )"},
        {{"("}, true, "( ( )"},
        {{"()", "a)", "(b"}, true, "() or ( a) ) or ( (b )"},
        {{"灯台", "(猫 | 犬)"}, true, "( 灯台 ) or (猫 | 犬)"},
        {{}, true, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CombineQueries(row.queries, row.orState), row.combined) << row.combined;
    }
}

TEST(AliasFile, SelectedQueriesFollowGroupThenQueryOrder) {
    std::vector<QueryGroup> groups(2);
    groups[0].queries = {{"a", "qa", false}, {"b", "qb", true}, {"c", "qc", true}};
    groups[1].queries = {{"d", "qd", true}, {"e", "qe", false}};
    EXPECT_EQ(SelectedQueries(groups), (Strings{"qb", "qc", "qd"}));
    groups[0].queries[1].checked = false;
    groups[1].queries[1].checked = true;
    EXPECT_EQ(SelectedQueries(groups), (Strings{"qc", "qd", "qe"}));
}

TEST(AliasFile, ChosenAliasesBecomeTheSearchPlace) {
    AliasFile file;
    file.AliasDirectories = {
        "C:\\a\r\nC:\\b",              // 0
        "C:\\c",                       // 1
        "c:\\A\r\nC:\\d",              // 2: a directory named twice is listed once
        "",                            // 3: an alias without directories
        "\"/home/a/My index\"\r\n/x",  // 4: a path with a blank, quoted in the file
    };
    struct Row {
        std::vector<int> chosen;
        std::string text;
        Strings directories;
    };
    const Row rows[] = {
        {{0, 1}, "C:\\a C:\\b C:\\c", {"C:\\a", "C:\\b", "C:\\c"}},
        {{0, 2}, "C:\\a C:\\b C:\\d", {"C:\\a", "C:\\b", "C:\\d"}},
        {{1, 3, 2}, "C:\\c c:\\A C:\\d", {"C:\\c", "c:\\A", "C:\\d"}},
        {{4}, "\"/home/a/My index\" /x", {"\"/home/a/My index\"", "/x"}},
        {{3}, "", {}},
        {{}, "/kept", {"/kept"}},
    };
    for (const Row& row : rows) {
        Settings settings;
        settings.Directories = {"/kept"};
        settings.Search.DirectoryCount = "1";
        settings.IndexDirectoryText = "/kept";
        ApplyChosenAliases(file, row.chosen, settings, CodePage::Utf8);
        EXPECT_EQ(settings.IndexDirectoryText, row.text);
        EXPECT_EQ(settings.Directories, row.directories) << row.text;
        EXPECT_EQ(settings.Search.DirectoryCount, std::to_string(row.directories.size())) << row.text;
    }
}

TEST(AliasFile, TheHelpPageExampleReadsAsItSays) {
    const auto page = ReadWholeFile(TEST_DATA_DIR "/../../help/index.html");
    ASSERT_TRUE(page.has_value());
    const std::size_t begin = page->find("<pre><code>[DirAliasList]");
    ASSERT_NE(begin, std::string::npos);
    const std::size_t end = page->find("</code></pre>", begin);
    const AliasFile file = ReadAliasFile(IniFile(page->substr(begin + 11, end - begin - 11)));
    EXPECT_EQ(file.aliasNames, (Strings{"仕事の文書", "メールと論文"}));
    Settings settings;
    ApplyChosenAliases(file, {0, 1}, settings, CodePage::Utf8);
    EXPECT_EQ(settings.Directories, (Strings{"/home/user/namazu/work", "/home/user/namazu/mail",
                                             "\"/home/user/namazu/my papers\""}));
    ASSERT_EQ(file.QueryGroups.size(), 2u);
    EXPECT_EQ(Shown(file.QueryGroups[0]), (Strings{"会議の議事録", "お金の話"}));
    EXPECT_EQ(Queries(file.QueryGroups[1]), (Strings{"温泉", "紅葉 or 桜"}));
}
