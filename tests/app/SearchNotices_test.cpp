#include "app/SearchNotices.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/FileIo.h"

TEST(SearchNotices, FindsTheWordsNamazuIgnoredForTooManyHits) {
    struct Row {
        std::string result;
        std::vector<std::string> words;
    };
    auto recorded = [](const char* name) { return ReadWholeFile(TestDataPath(std::string("results/") + name)).value(); };
    const Row rows[] = {
        // Recorded with Debian's MaxHit: the lone word is not named, in an OR it is.
        {recorded("plain-ja-too-many.txt"), {""}},
        {recorded("plain-ja-too-many-or.txt"), {"maxhitword"}},
        {recorded("html-ja-too-many.html"), {""}},
        {recorded("plain-ja-all-150-hits.txt"), {}},
        {recorded("plain-ja-no-hit.txt"), {}},
        {recorded("html-ja-query-ja.html"), {}},
        // A phrase, two words, a Japanese word in EUC-JP, a repeat.
        {"References:  {  [ common (Too many documents hit. Ignored)  ]  [ word1: 1 ]  :: 1 } \n", {"common"}},
        {"References:  [ a (Too many documents hit. Ignored)  ]  [ b (Too many documents hit. Ignored)  ] "
         " [ a (Too many documents hit. Ignored)  ]\n",
         {"a", "b"}},
        {"References:  [ \xC5\xF4\xC2\xE6 (Too many documents hit. Ignored)  ]\n", {"\xC5\xF4\xC2\xE6"}},
        // The marker in a document's summary, not in a reference.
        {"Results:\n\nReferences:  [ x: 1 ] \n\n1. x (score: 1)\nsays (Too many documents hit. Ignored) here\n", {}},
        {"", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WordsIgnoredForTooManyHits(row.result), row.words) << row.result.substr(0, 120);
    }
}

TEST(SearchNotices, NoticeNamesTheWordsAndTheWayOut) {
    EXPECT_EQ(TooManyHitsNotice({""}, "maxhitword"),
              "「maxhitword」 は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
              "語を加えて絞り込むか、namazurc の MaxHit を大きくしてください (検索 → namazurc の設定)。");
    const std::string two = TooManyHitsNotice({"灯台", "港"}, "灯台 or 港");
    EXPECT_EQ(two.rfind("「灯台」、「港」 は", 0), 0u) << two;
}
