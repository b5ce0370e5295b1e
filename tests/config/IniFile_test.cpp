#include "config/IniFile.h"

#include <gtest/gtest.h>

TEST(IniFile, ReadsValuesWithoutRegardToCaseAndWithoutUnquoting) {
    const IniFile ini(
        "; comment\r\n[Search]\r\nDirectory1=\"C:\\a b\"\r\nSort = Score\r\n"
        "Empty=\r\nEq=a=b\r\n[other]\r\nx=1\r\n");
    struct Row {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        {"search", "directory1", "\"C:\\a b\""},
        {"SEARCH", "Sort", " Score"},
        {"Search", "Empty", ""},
        {"Search", "Eq", "a=b"},
        {"Other", "X", "1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ini.ReadString(row.section, row.key, "absent"), row.expected) << row.key;
    }
    EXPECT_EQ(ini.ReadString("Search", "Missing", "absent"), "absent");
    EXPECT_EQ(ini.ReadString("Nowhere", "x", "absent"), "absent");
}

TEST(IniFile, ProfileReadingTrimsAndRemovesOnePairOfQuotes) {
    const IniFile ini("[Alias]\na=  \"C:\\x y\"  \nb=\"\"q\"\"\nc='s'\nd=\"open\ne= plain \n");
    EXPECT_EQ(ini.ReadProfileString("Alias", "a", ""), "C:\\x y");
    EXPECT_EQ(ini.ReadProfileString("Alias", "b", ""), "\"q\"");
    EXPECT_EQ(ini.ReadProfileString("Alias", "c", ""), "s");
    EXPECT_EQ(ini.ReadProfileString("Alias", "d", ""), "\"open");
    EXPECT_EQ(ini.ReadProfileString("Alias", "e", ""), "plain");
}

TEST(IniFile, SettingKeysKeepsEverythingElseByteForByte) {
    struct Row {
        const char* name;
        std::string before;
        std::string after;
    };
    const Row rows[] = {
        {"CR LF file, existing key replaced in place",
         "; mine\r\n[Window]\r\nSavePosition=0\r\nX=keep\r\n\r\n[Unknown]\r\nz=9\r\n",
         "; mine\r\n[Window]\r\nSavePosition=1\r\nX=keep\r\n\r\n[Unknown]\r\nz=9\r\n"},
        {"LF file, key spelled in other case keeps its spelling", "[window]\nsaveposition=0\n",
         "[window]\nsaveposition=1\n"},
        {"new key goes after the section's last entry, before the blank line",
         "[Window]\nA=1\n\n[Next]\nB=2\n", "[Window]\nA=1\nSavePosition=1\n\n[Next]\nB=2\n"},
        {"new section at the end, after a blank line, with the file's line ending", "[Other]\r\nA=1\r\n",
         "[Other]\r\nA=1\r\n\r\n[Window]\r\nSavePosition=1\r\n"},
        {"last line without line ending", "[Window]\nA=1", "[Window]\nA=1\nSavePosition=1\n"},
        {"empty file", "", "[Window]\nSavePosition=1\n"},
    };
    for (const Row& row : rows) {
        IniFile ini(row.before);
        ini.SetValue("Window", "SavePosition", "1");
        EXPECT_EQ(ini.ToText(), row.after) << row.name;
    }
}

TEST(IniFile, UnchangedFileRoundTripsExactly) {
    const std::string texts[] = {
        "[A]\r\nx=1\r\n; c\r\n\r\n[B]\ny=2\rz=3",
        "junk line\n  [ Spaced ]  \n k = v \n",
        std::string("[\x83\x65\x83\x58\x83\x67]\nkey=\x93\xFA\x96\x7B\n"),
    };
    for (const std::string& text : texts) EXPECT_EQ(IniFile(text).ToText(), text);
}

TEST(IniFile, ValuesCannotBreakTheFile) {
    IniFile ini("[S]\nk=1\n");
    ini.SetValue("S", "k", "a\r\n[Evil]\nb");
    EXPECT_EQ(ini.ToText(), "[S]\nk=a  [Evil] b\n");
    EXPECT_FALSE(ini.HasSection("Evil"));
}

TEST(IniFile, EraseSectionAndListKeys) {
    IniFile ini("[SearchMRU]\nItem_0=a\nUser_1=b\n[Keep]\nk=v\n[searchmru]\nItem_1=c\n");
    ASSERT_EQ(ini.SectionValues("SearchMRU").size(), 2u);
    EXPECT_EQ(ini.SectionValues("SearchMRU")[1].first, "User_1");
    ini.EraseSection("SearchMRU");
    EXPECT_EQ(ini.ToText(), "[Keep]\nk=v\n");
    ini.SetValue("SearchMRU", "Item_0", "x");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Keep", "SearchMRU"}));
}

TEST(IniFile, TrimsBlanksAndControlCharacters) {
    const std::pair<std::string, std::string> rows[] = {
        {" \t\r\n a b \x01\x1f", "a b"}, {"", ""}, {"\x7f", "\x7f"}, {"　全角　", "　全角　"}, {"\x05", ""}};
    for (const auto& [text, trimmed] : rows) EXPECT_EQ(TrimBlanksAndControls(text), trimmed) << text;
}
