#include "search/SearchNotices.h"

#include <gtest/gtest.h>

#include <QDir>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "text/CodePage.h"

namespace {

using R = IgnoredReason;

std::string Recorded(const char* name) {
    return ReadWholeFile(TestDataPath(std::string("results/") + name)).value();
}

std::string Euc(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "EUC-JP");
}

}  // namespace

// namazu's frame in English (no generated ja_JP.eucJP: "ja") and in Japanese (with it: "loc").
constexpr const char* kLanguages[] = {"ja", "loc"};

std::string RecordedIn(const char* lang, const char* pattern) {
    std::string name = pattern;
    name.replace(name.find('*'), 1, lang);
    return Recorded(name.c_str());
}

TEST(SearchNotices, FindsTheWordsNamazuIgnored) {
    struct Row {
        std::string result;
        std::vector<IgnoredWord> words;
    };
    // Recorded with Debian's limits: the lone word is not named, in an OR it is.
    const std::pair<const char*, std::vector<IgnoredWord>> recorded[] = {
        {"plain-*-too-many.txt", {{"", R::TooManyDocuments}}},
        {"plain-*-too-many-or.txt", {{"maxhitword", R::TooManyDocuments}}},
        {"html-*-too-many.html", {{"", R::TooManyDocuments}}},
        {"plain-*-too-many-words.txt", {{"", R::TooManyWords}}},
        {"plain-*-all-150-hits.txt", {}},
        {"plain-*-no-hit.txt", {}},
        {"html-*-query-ja.html", {}},
    };
    std::vector<Row> rows;
    for (const char* lang : kLanguages) {
        for (const auto& [file, words] : recorded) rows.push_back({RecordedIn(lang, file), words});
    }
    const Row written[] = {
        // A phrase, both reasons in the line's order, a Japanese word in EUC-JP, a repeat.
        {"References:  {  [ common (Too many documents hit. Ignored)  ]  [ word1: 1 ]  :: 1 } \n",
         {{"common", R::TooManyDocuments}}},
        {"References:  [ a* (Too many words matched. Ignored)  ]  [ b (Too many documents hit. Ignored)  ] "
         " [ a* (Too many words matched. Ignored)  ]\n",
         {{"a*", R::TooManyWords}, {"b", R::TooManyDocuments}}},
        {"References:  [ \xC5\xF4\xC2\xE6 (Too many documents hit. Ignored)  ]\n",
         {{"\xC5\xF4\xC2\xE6", R::TooManyDocuments}}},
        {Euc("参考ヒット数:  [ 港* (マッチする単語が多すぎるので無視しました)  ]  [ 灯台 "
             "(ヒット数が多すぎるので無視しました)  ]\n"),
         {{Euc("港*"), R::TooManyWords}, {Euc("灯台"), R::TooManyDocuments}}},
        // The marker quoted in a document's summary is no reference.
        {"Results:\n\nReferences:  [ x: 1 ] \n\n1. x (score: 1)\nsays (Too many documents hit. Ignored)\n",
         {}},
        {Euc("検索結果\n\n参考ヒット数:  [ x: 1 ] \n\n1. x (スコア: "
             "1)\n(ヒット数が多すぎるので無視しました)\n"),
         {}},
        {"", {}},
    };
    rows.insert(rows.end(), std::begin(written), std::end(written));
    for (const Row& row : rows) {
        EXPECT_EQ(WordsIgnoredByNamazu(row.result), row.words) << row.result.substr(0, 120);
    }
}

TEST(SearchNotices, ReadsTheFrameInBothLanguages) {
    struct Row {
        const char* file;
        std::string references;  // UTF-8
        int total;
        bool noDocument;
    };
    const Row rows[] = {
        {"plain-*-query-ja.txt", "[ 灯台: 8 ]", 8, false},
        {"plain-*-query-ja-max3.txt", "[ 灯台: 8 ]", 8, false},
        {"plain-*-query-en.txt", "[ lighthouse: 3 ]", 3, false},
        {"plain-*-all-150-hits.txt", "[ corpusword: 150 ]", 150, false},
        {"plain-*-no-hit.txt", "[ nosuchwordanywhere: 0 ]", -1, true},
        {"plain-*-too-many-or.txt", "", 1, false},
        {"plain-*-too-many.txt", "", -1, true},
        {"html-*-query-ja.html", "[ 灯台: 8 ]", 8, false},
        {"html-*-too-many.html", "", -1, true},
    };
    for (const char* lang : kLanguages) {
        for (const Row& row : rows) {
            const std::string label = std::string(lang) + " " + row.file;
            const NamazuFrame frame = ReadNamazuFrame(RecordedIn(lang, row.file));
            EXPECT_TRUE(frame.hasReferences) << label;
            if (!row.references.empty()) EXPECT_EQ(frame.references, Euc(row.references.c_str())) << label;
            EXPECT_EQ(frame.total, row.total) << label;
            EXPECT_EQ(frame.noDocument, row.noDocument) << label;
        }
    }
    const NamazuFrame english = ReadNamazuFrame(Recorded("plain-c-query-en.txt"));
    EXPECT_EQ(english.total, 3);
    EXPECT_EQ(english.references, "[ lighthouse: 3 ]");
    // What a document says is not namazu's frame.
    const NamazuFrame none = ReadNamazuFrame("1. x (score: 1)\nTotal many documents matching your query.\n");
    EXPECT_FALSE(none.hasReferences);
    EXPECT_EQ(none.total, -1);
    EXPECT_FALSE(none.noDocument);
}

TEST(SearchNotices, NoticeNamesTheWordsTheReasonAndTheWayOut) {
    EXPECT_EQ(IgnoredWordsNotice({{"", R::TooManyDocuments}}, "maxhitword"),
              "「maxhitword」 は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
              "語を加えて絞り込むか、namazurc の MaxHit を大きくしてください (検索 → namazurc の設定)。");
    EXPECT_EQ(
        IgnoredWordsNotice(
            {{"灯台", R::TooManyDocuments}, {"港*", R::TooManyWords}, {"港", R::TooManyDocuments}},
            "灯台 港* 港"),
        "「灯台」、「港」 は一致する文書が多すぎるため (namazurc の MaxHit を超えたため) 無視されました。"
        "「港*」 は一致する語が多すぎるため (namazurc の MaxMatch を超えたため) 無視されました。"
        "語を加えて絞り込むか、namazurc の MaxHit と MaxMatch を大きくしてください (検索 → namazurc "
        "の設定)。");
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
