#include "indexer/FolderLines.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* name;
    std::vector<std::string> before;
    std::string path;
    bool checked;
    std::vector<std::string> after;
    bool changed;
};

TEST(FolderLines, TickAndClearKeepTheLinesInStep) {
    const std::vector<Row> rows = {
        {"tick into an empty text", {}, "/home/a", true, {"/home/a"}, true},
        {"tick appends", {"/x"}, "/home/a", true, {"/x", "/home/a"}, true},
        {"tick fills the empty last line", {"/x", ""}, "/home/a", true, {"/x", "/home/a"}, true},
        {"tick of a listed folder adds nothing", {"/home/a"}, "/home/a", true, {"/home/a"}, false},
        {"listed in another letter case", {"/Home/A"}, "/home/a", true, {"/Home/A"}, false},
        {"full-width letters fold too", {"/ｄｏｃｓ"}, "/ＤＯＣＳ", true, {"/ｄｏｃｓ"}, false},
        {"the root", {"/x"}, "/", true, {"/x", "/"}, true},
        {"clear removes the typed line", {"/x", "/HOME/a", "/y"}, "/home/a", false, {"/x", "/y"}, true},
        {"clear removes only the first match", {"/a", "/A"}, "/a", false, {"/A"}, true},
        {"clear of an unlisted folder", {"/x"}, "/home/a", false, {"/x"}, false},
        {"a line with a blank does not match", {"/home/a "}, "/home/a", false, {"/home/a "}, false},
        {"clear after the text was emptied", {}, "/home/a", false, {}, false},
        {"empty path is nothing", {"/x"}, "", true, {"/x"}, false},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines = row.before;
        EXPECT_EQ(ApplyFolderCheck(lines, row.path, row.checked, CodePage::Utf8), row.changed) << row.name;
        EXPECT_EQ(lines, row.after) << row.name;
    }
}

TEST(FolderLines, Cp932SecondBytesAreNotFoldedAsLetters) {
    // ア is 83 41 and ャ is 83 61: byte by byte they would differ only in the case of 'A'/'a'.
    const std::string a = "C:\\\x83\x41";
    const std::string small = "C:\\\x83\x61";
    EXPECT_EQ(FindFolderLine({small}, a, CodePage::Cp932), -1);
    EXPECT_EQ(FindFolderLine({"c:\\\x83\x41"}, a, CodePage::Cp932), 0);
    EXPECT_EQ(FindFolderLine({"x", "C:\\DOCS"}, "c:\\docs", CodePage::Cp932), 1);
}

}  // namespace
