#include "search/SearchNotices.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "NamazuFixture.h"
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

// What the real namazu writes while mknmz holds NMZ.lock, in both its languages; an index without
// the lock is no such case.
TEST(SearchNotices, TheLockOfAnIndexBeingPutInPlaceIsRecognised) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu and mknmz are not installed";
    QTemporaryDir docs;
    NamazuFixture::GenerateCorpus(docs.path().toStdString(), 3);
    const NamazuFixture index(docs.path().toStdString());
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    for (const auto lang : {NamazuFixture::Lang::C, NamazuFixture::Lang::Japanese}) {
        EXPECT_FALSE(NamazuSaysIndexLocked(index.Search("corpusword", {}, lang)));
        std::ofstream(index.IndexFolder() + "/NMZ.lock") << "1";
        EXPECT_TRUE(NamazuSaysIndexLocked(index.Search("corpusword", {}, lang)));
        std::remove((index.IndexFolder() + "/NMZ.lock").c_str());
    }
}
