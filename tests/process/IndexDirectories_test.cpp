#include "process/IndexDirectories.h"

#include <gtest/gtest.h>

TEST(IndexDirectories, SplitsOnBlanksOutsideQuotes) {
    struct Row {
        const char* text;
        std::vector<std::string> entries;
        CodePage codePage = CodePage::Cp932;
    };
    const Row rows[] = {
        {"C:\\idx", {"C:\\idx"}},
        {"C:\\a c:\\A", {"C:\\a"}},
        {"C:\\a  C:\\b", {"C:\\a", "", "C:\\b"}},
        {"\"C:\\My Documents\\index\"", {"\"C:\\My Documents\\index\""}},
        {"\"C:\\My Documents\\index\" D:\\idx", {"\"C:\\My Documents\\index\"", "D:\\idx"}},
        {"\"C:\\a b\"C:\\c", {"\"C:\\a b\"", "C:\\c"}},
        {"\"C:\\a b", {"\"C:\\a b\""}},
        {"a \"", {"a", "\"\""}},
        {"", {}},
        {"a ", {"a", ""}},
        // A doubled quote drops one quote and keeps the entry whole.
        {"a\"\"b c", {"a\" b", "c"}},
        // ... and the blank after it does not end the entry.
        {"a\"\" c", {"a\" c"}},
        // Trail bytes such as 0x5C stay text (表 is 0x95 0x5C), and a quoted name that starts
        // with a double-byte character stays one entry.
        {"C:\\\x95\x5C \"\x95\x5C x\"", {"C:\\\x95\x5C", "\"\x95\x5C x\""}},
        {"/home/u/文書 index \"/a b/索引\"", {"/home/u/文書", "index", "\"/a b/索引\""}, CodePage::Utf8},
        {"/x /X", {"/x"}, CodePage::Utf8},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SplitIndexDirectories(row.text, row.codePage), row.entries) << row.text;
    }
}

TEST(IndexDirectories, ParseUpdatesCountAndText) {
    Settings settings;
    ParseIndexDirectories("/a  \"/b c\"", settings, CodePage::Utf8);
    EXPECT_EQ(settings.Search.DirectoryCount, "3");
    EXPECT_EQ(settings.IndexDirectoryText, "/a  \"/b c\"");
    ParseIndexDirectories("", settings, CodePage::Utf8);
    EXPECT_EQ(settings.Search.DirectoryCount, "0");
    EXPECT_EQ(settings.IndexDirectoryText, "");
    EXPECT_EQ(JoinIndexDirectories({"a", "b", "c"}, 2), "a b");
}

TEST(IndexDirectories, FolderOfAnEntryAsNamazuOpensIt) {
    PlatformProfile platform;
    platform.programFolder = "/opt/quarrow/";
    platform.pathStyle = PathStyle::Posix;
    platform.codePage = CodePage::Utf8;
    const std::vector<std::string> drives = {"{cdrom1} => /media/cdrom0    [DATA01]"};
    const std::pair<std::string, std::string> rows[] = {
        {"/var/index", "/var/index"},
        {"\"/var/my index\"", "/var/my index"},
        {"./index", "/opt/quarrow/./index"},
        {"index", "index"},
        {"{cdrom1}/index", "/media/cdrom0/index"},
        {"+named", ""},
        {"", ""},
    };
    for (const auto& [entry, folder] : rows) EXPECT_EQ(IndexFolderPath(entry, platform, drives), folder) << entry;
}
