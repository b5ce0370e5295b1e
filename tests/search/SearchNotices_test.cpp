#include "search/SearchNotices.h"

#include <gtest/gtest.h>

#include <QDir>

#include "TestSupport.h"
#include "config/FileIo.h"

namespace {

using R = IgnoredReason;

std::string Recorded(const char* name) {
    return ReadWholeFile(TestDataPath(std::string("results/") + name)).value();
}

}  // namespace

TEST(SearchNotices, FindsTheWordsNamazuIgnored) {
    struct Row {
        std::string result;
        std::vector<IgnoredWord> words;
    };
    const Row rows[] = {
        // Recorded with Debian's limits: the lone word is not named, in an OR it is.
        {Recorded("plain-ja-too-many.txt"), {{"", R::TooManyDocuments}}},
        {Recorded("plain-ja-too-many-or.txt"), {{"maxhitword", R::TooManyDocuments}}},
        {Recorded("html-ja-too-many.html"), {{"", R::TooManyDocuments}}},
        {Recorded("plain-ja-too-many-words.txt"), {{"", R::TooManyWords}}},
        {Recorded("plain-ja-all-150-hits.txt"), {}},
        {Recorded("plain-ja-no-hit.txt"), {}},
        {Recorded("html-ja-query-ja.html"), {}},
        // A phrase, both reasons in the line's order, a Japanese word in EUC-JP, a repeat.
        {"References:  {  [ common (Too many documents hit. Ignored)  ]  [ word1: 1 ]  :: 1 } \n",
         {{"common", R::TooManyDocuments}}},
        {"References:  [ a* (Too many words matched. Ignored)  ]  [ b (Too many documents hit. Ignored)  ] "
         " [ a* (Too many words matched. Ignored)  ]\n",
         {{"a*", R::TooManyWords}, {"b", R::TooManyDocuments}}},
        {"References:  [ \xC5\xF4\xC2\xE6 (Too many documents hit. Ignored)  ]\n",
         {{"\xC5\xF4\xC2\xE6", R::TooManyDocuments}}},
        // The marker quoted in a document's summary is no reference.
        {"Results:\n\nReferences:  [ x: 1 ] \n\n1. x (score: 1)\nsays (Too many documents hit. Ignored)\n", {}},
        {"", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WordsIgnoredByNamazu(row.result), row.words) << row.result.substr(0, 120);
    }
}

TEST(SearchNotices, NoticeNamesTheWordsTheReasonAndTheWayOut) {
    EXPECT_EQ(IgnoredWordsNotice({{"", R::TooManyDocuments}}, "maxhitword"),
              "「maxhitword」 は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
              "語を加えて絞り込むか、namazurc の MaxHit を大きくしてください (検索 → namazurc の設定)。");
    EXPECT_EQ(IgnoredWordsNotice({{"灯台", R::TooManyDocuments}, {"港*", R::TooManyWords}, {"港", R::TooManyDocuments}},
                                 "灯台 港* 港"),
              "「灯台」、「港」 は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
              "「港*」 は一致する語が多すぎるため (namazurc の MaxMatch を超えたため) 無視されました。"
              "語を加えて絞り込むか、namazurc の MaxHit と MaxMatch を大きくしてください (検索 → namazurc の設定)。");
    EXPECT_EQ(IgnoredWordsNotice({}, "x"), "");
}

// "/tmp/out idx1" typed without quotes is two indexes that namazu cannot open; the blank-joined
// pieces name the folder the user meant.
TEST(SearchNotices, AFolderSplitAtItsBlankIsNamedWithItsQuotes) {
    TempProgramDir dir;
    for (const char* folder : {"out idx1", "a b c"}) {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path(folder))));
        dir.WriteFile(std::string(folder) + "/NMZ.i", "");
    }
    const std::string out = dir.Path("out");
    const std::string english = "References: \n(" + out + ") [  (can't open the index)  ] \n(idx1) [  (can't open the index)  ] \n";
    const std::string eucJp = "(" + out + ") [  (\xA5\xA4\xA5\xF3\xA5\xC7\xA5\xC3\xA5\xAF\xA5\xB9\xA4\xAC\xB3\xAB\xA4\xB1\xA4\xDE\xA4\xBB\xA4\xF3\xA4\xC7\xA4\xB7\xA4\xBF)  ]\n";
    struct Row {
        std::string result;
        std::vector<std::string> pieces;
        std::string folder;  // empty: no notice
    };
    const Row rows[] = {
        {english, {out, "idx1"}, out + " idx1"},
        {eucJp, {"/elsewhere", dir.Path("a"), "b", "c"}, dir.Path("a b c")},
        {Recorded("plain-ja-query-en.txt"), {out, "idx1"}, ""},  // every index opened
        {english, {out, "", "idx1"}, ""},                        // "out  idx1" is no folder
        {english, {out, "idx2"}, ""},
    };
    for (const Row& row : rows) {
        const std::string notice = UnquotedFolderNotice(
            row.result, row.pieces, [](const std::string& entry) { return entry; }, CodePage::Utf8);
        EXPECT_EQ(notice, row.folder.empty() ? "" : "空白を含むフォルダは \"…\" で囲んでください: \"" + row.folder + "\"")
            << row.folder;
    }
}
