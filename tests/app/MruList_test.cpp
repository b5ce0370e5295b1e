#include "app/MruList.h"

#include <gtest/gtest.h>

#include "config/IniFile.h"

namespace {

std::vector<std::string> Numbered(const char* prefix, int first, int last) {
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

}  // namespace

TEST(MruList, AddKeepsTenMostRecentFirstWithoutCaseDuplicates) {
    struct Row {
        const char* name;
        std::vector<std::string> added;
        std::vector<std::string> expected;
    };
    std::vector<std::string> elevenThenFirst = Numbered("/d", 1, 10);
    elevenThenFirst.push_back("/D1");
    const std::vector<Row> rows = {
        {"an eleventh entry pushes the oldest out",
         Numbered("/d", 1, 11),
         {"/d11", "/d10", "/d9", "/d8", "/d7", "/d6", "/d5", "/d4", "/d3", "/d2"}},
        {"a known entry moves to the front", {"/a", "/b", "/c", "/a"}, {"/a", "/c", "/b"}},
        {"the front entry stays where it is", {"/a", "/b", "/b"}, {"/b", "/a"}},
        {"letter case makes no new entry; the first spelling stays",
         {"/Data/Index", "/other", "/DATA/index"},
         {"/Data/Index", "/other"}},
        {"the oldest of a full list comes back to the front without losing another",
         elevenThenFirst,
         {"/d1", "/d10", "/d9", "/d8", "/d7", "/d6", "/d5", "/d4", "/d3", "/d2"}},
        {"an empty entry is not a place", {"/a", "", "/b"}, {"/b", "/a"}},
        {"several directories in one place", {"/a /b", "/A /B", "/b /a"}, {"/b /a", "/a /b"}},
    };
    for (const Row& row : rows) {
        MruList list;
        for (const std::string& entry : row.added) list.Add(entry);
        EXPECT_EQ(list.Entries(), row.expected) << row.name;
    }
}

TEST(MruList, SameEntryFoldsOnlySingleByteLetters) {
    struct Row {
        CodePage codePage;
        std::string a;
        std::string b;
        bool same;
    };
    const Row rows[] = {
        {CodePage::Utf8, "/Index/ABC", "/index/abc", true},
        {CodePage::Utf8, "/索引/Ab", "/索引/aB", true},
        {CodePage::Utf8, "/索引", "/索引x", false},
        {CodePage::Utf8, "/a_b", "/a-b", false},
        // "ア" (83 41) and "ツ" (83 61): their trail bytes look like "A" and "a".
        {CodePage::Cp932, "C:\\\x83\x41", "c:\\\x83\x61", false},
        {CodePage::Cp932, "C:\\\x83\x41X", "c:\\\x83\x41x", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SameMruEntry(row.codePage, row.a, row.b), row.same) << row.a << " / " << row.b;
    }

    MruList list(CodePage::Cp932);
    list.Add("\x83\x41");
    list.Add("\x83\x61");
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_TRUE(list.Contains("\x83\x61"));
    EXPECT_FALSE(list.Contains("\x83\x42"));
}

TEST(MruList, CaptionsNumberOneToNineThenA) {
    EXPECT_EQ(MruCaption(0, "/var/index"), "&1\t/var/index");
    EXPECT_EQ(MruCaption(8, "/x"), "&9\t/x");
    EXPECT_EQ(MruCaption(9, "/a b"), "&A\t/a b");
}

TEST(MruList, LoadsItemNineDownToZeroAndSavesOnlyItems) {
    const std::string before =
        "; my settings\r\n"
        "[Window]\r\n"
        "SavePosition=1\r\n"
        "[SearchMRU]\r\n"
        "Item_0=/newest\r\n"
        "User_0=0\r\n"
        "Item_1=\r\n"
        "Item_2=/older\r\n"
        "User_3=something\r\n"
        "Item_3=/NEWEST\r\n"
        "Item_9=/oldest\r\n"
        "Item_10=/beyond\r\n"
        "\r\n"
        "[Search]\r\n"
        "Directory1=/var/lib/namazu/index\r\n";
    IniFile ini(before);
    MruList list;
    list.Add("/left over from before");
    list.Load(ini);
    // Item_3 comes in before Item_0, so the list keeps its spelling; Item_10 is never read.
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/NEWEST", "/older", "/oldest"}));

    list.Add("/added");
    list.Save(ini);
    const std::string text = ini.ToText();
    EXPECT_EQ(text.find("User_"), std::string::npos) << text;
    EXPECT_EQ(text.find("/beyond"), std::string::npos) << text;
    // Everything outside [SearchMRU] is as it was; the section now comes last.
    const std::string outside =
        "; my settings\r\n[Window]\r\nSavePosition=1\r\n[Search]\r\nDirectory1=/var/lib/namazu/index\r\n";
    EXPECT_EQ(text.substr(0, outside.size()), outside);
    EXPECT_EQ(text.substr(outside.size(), text.find("[SearchMRU]") - outside.size()), "\r\n");
    EXPECT_EQ(ini.SectionValues("SearchMRU"),
              (std::vector<std::pair<std::string, std::string>>{
                  {"Item_0", "/added"}, {"Item_1", "/NEWEST"}, {"Item_2", "/older"}, {"Item_3", "/oldest"}}));

    MruList again;
    again.Load(IniFile(text));
    EXPECT_EQ(again.Entries(), list.Entries());
}

TEST(MruList, EmptyListLeavesNoSectionAndLoadsEmpty) {
    IniFile ini("[SearchMRU]\nItem_0=/a\nUser_0=1\n[Other]\nk=v\n");
    MruList list;
    list.Save(ini);
    EXPECT_FALSE(ini.HasSection("SearchMRU"));
    EXPECT_EQ(ini.ToText(), "[Other]\nk=v\n");

    list.Add("/stale");
    list.Load(ini);
    EXPECT_TRUE(list.Empty());
}
