#include "dialogs/DirectoryMemo.h"

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "process/IndexDirectories.h"
#include "text/CodePage.h"

namespace {
using Strings = std::vector<std::string>;
}  // namespace

TEST(DirectoryMemo, LinesOfTheMemo) {
    const std::pair<const char*, Strings> rows[] = {
        {"", {}},
        {"/a", {"/a"}},
        {"/a\n/b\n", {"/a", "/b"}},
        {"/a\r\n/b", {"/a", "/b"}},
        {"/a\n\n/b", {"/a", "", "/b"}},
        {"\n", {""}},
    };
    for (const auto& [text, lines] : rows) EXPECT_EQ(MemoLines(text), lines) << text;
    EXPECT_EQ(MemoText({"/a", "", "/b"}), "/a\n\n/b");
}

TEST(DirectoryMemo, OkTurnsTheLinesIntoASearchPlace) {
    const std::pair<Strings, std::string> rows[] = {
        {{"C:\\idx", "D:\\My Index"}, "C:\\idx \"D:\\My Index\""},
        {{"C:\\idx "}, "\"C:\\idx \""},
        {{" /lead"}, "\" /lead\""},
        {{}, ""},
        {{"", "   ", "\t", "/a", " \t "}, "/a"},
        {{"\t/a"}, "/a"},
        // Lines already in quotes stay as they are: wrapping them again splits them at the blank.
        {{"\"/home/a/My index\"", "/x"}, "\"/home/a/My index\" /x"},
        {{"  \"/home/a/My index\" "}, "\"/home/a/My index\""},
        {{"\"/a b\" \"/c d\""}, "\"/a b\" \"/c d\""},
        {{"/日本語/索引", "/日本 語"}, "/日本語/索引 \"/日本 語\""},
    };
    for (const auto& [lines, place] : rows) EXPECT_EQ(DirectoryMemoPlace(lines), place) << place;
}

// Opening the dialog shows the current directories one per line; OK without a change must give
// the same directories back.
TEST(DirectoryMemo, OpenThenOkKeepsTheDirectories) {
    const char* places[] = {
        "/a /b",
        "\"/home/a/My index\" /x",
        "\"/a b\"/c",
        "\"/unclosed quote",
        "/日本語/索引 \"/日本 語/索引\"",
        "./idx {hd1}/index +sub",
    };
    for (CodePage codePage : {CodePage::Utf8, CodePage::Cp932}) {
        for (const char* utf8 : places) {
            const std::string place = Utf8ToProgram(codePage, utf8);
            Settings before;
            ParseIndexDirectories(place, before, codePage);
            Settings after = before;
            ParseIndexDirectories(DirectoryMemoPlace(MemoLines(MemoText(before.Directories))), after,
                                  codePage);
            EXPECT_EQ(after.Directories, before.Directories) << utf8;
            EXPECT_EQ(after.IndexDirectoryText, before.IndexDirectoryText) << utf8;
        }
    }
}
