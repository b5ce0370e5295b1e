#include "indexer/MknmzProgress.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "process/CaptureSplitter.h"
#include "text/CodePage.h"

namespace {

// A recorded log as the capture view holds it.
std::vector<std::string> CapturedLines(const std::string& name) {
    std::ifstream in(TestDataPath("mknmz/" + name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    CaptureSplitter splitter;
    std::vector<std::string> lines;
    splitter.Feed(bytes.str(), lines);
    splitter.Finish(lines);
    return lines;
}

std::string Euc(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "EUC-JP");
}

struct Step {
    int done;
    int total;
    std::string path;
    std::string type;
};

TEST(MknmzProgress, RecordedRuns) {
    const std::string docs = "/tmp/quarrow-mknmz-fixtures/docs/";
    const std::string skip = "/tmp/quarrow-mknmz-fixtures/skip/";
    const std::string split = "/tmp/quarrow-mknmz-fixtures/split/";
    struct Row {
        const char* log;
        std::vector<Step> steps;
    };
    const std::vector<Step> nine = {
        {1, 9, docs + "english.txt", "text/plain"},
        {2, 9, docs + "japanese-eucjp.txt", "text/plain"},
        {3, 9, docs + "japanese-jis.txt", "text/plain"},
        {4, 9, docs + "japanese-sjis.txt", "text/plain"},
        {5, 9, docs + "japanese-utf8.txt", "text/plain"},
        {6, 9, docs + "mail-iso2022jp.eml", "message/rfc822"},
        {7, 9, docs + "page-sjis.html", "text/html"},
        {8, 9, docs + "page-utf8.html", "text/html"},
        {9, 9, docs + "%E3%83%A1%E3%83%A2%202024.txt", "text/plain"},
    };
    const std::vector<Step> skipped = {
        {1, 4, skip + "a.txt", "text/plain"},
        {2, 4, skip + "b-empty.txt " + Euc("はサイズが 0 なので無視します"), ""},
        {2, 3, skip + "c-binary.txt " + Euc("未対応の形式 (application/octet-stream)無視します"), ""},
        {2, 2, skip + "d.txt", "text/plain"}};
    std::vector<Step> raw = nine;
    raw.back().path = docs + "メモ 2024.txt";
    const std::vector<Row> rows = {
        {"docs-ja.log", nine},
        {"docs-c.log", nine},
        {"docs-loc.log", nine},
        {"no-encode-uri-ja.log", raw},
        {"update-ja.log", {{1, 1, docs + "added.txt", "text/plain"}}},
        {"update-loc.log", {{1, 1, docs + "added.txt", "text/plain"}}},
        // Skipped documents keep k and lower N; their lines carry the reason, not a type.
        {"skipped-ja.log", skipped},
        {"skipped-loc.log", skipped},
        // The indented lines of a split file's parts are not progress of the whole.
        {"html-split-ja.log",
         {{1, 2, split + "book.html#", "text/html"}, {2, 2, split + "note.txt", "text/plain"}}},
        {"quiet-ja.log", {}},
    };
    for (const Row& row : rows) {
        std::vector<Step> got;
        const std::vector<std::string> lines = CapturedLines(row.log);
        ASSERT_FALSE(lines.empty()) << row.log;
        for (const std::string& line : lines) {
            if (auto p = ParseMknmzProgressLine(line)) got.push_back({p->done, p->total, p->path, p->type});
        }
        ASSERT_EQ(got.size(), row.steps.size()) << row.log;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].done, row.steps[i].done) << row.log << " " << i;
            EXPECT_EQ(got[i].total, row.steps[i].total) << row.log << " " << i;
            EXPECT_EQ(got[i].path, row.steps[i].path) << row.log << " " << i;
            EXPECT_EQ(got[i].type, row.steps[i].type) << row.log << " " << i;
        }
        // The last line of the whole log is what a batch read from its end finds.
        const auto last = LastMknmzProgress(lines);
        ASSERT_EQ(last.has_value(), !row.steps.empty()) << row.log;
        if (last) {
            EXPECT_EQ(last->done, row.steps.back().done) << row.log;
            EXPECT_EQ(last->path, row.steps.back().path) << row.log;
        }
    }
}

TEST(MknmzProgress, LinesThatAreNotProgress) {
    for (const char* line :
         {"", "1/9 -", "1/9 - ", "1/9 -x", "0/9 - /a [text/plain]", "1/0 - /a [text/plain]", "/9 - /a",
          "1/ - /a", "1//9 - /a", "    1/3 - /a#one [text/html]", "1234567890/9 - /a", "12 files", "1/9- /a",
          "1/9 -  [text/plain]", "1/9 -  [text/plain]  "}) {
        EXPECT_FALSE(ParseMknmzProgressLine(line).has_value()) << line;
    }
    EXPECT_FALSE(ParseMknmzProgressLine(Euc("9個のファイルがインデックス作成の対象として見つかりました ")));
    const auto p = ParseMknmzProgressLine("12/345 - /a b/[x] c [text/plain; x-type=rfc] ");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->done, 12);
    EXPECT_EQ(p->total, 345);
    EXPECT_EQ(p->path, "/a b/[x] c");
    EXPECT_EQ(p->type, "text/plain; x-type=rfc");
}

TEST(MknmzProgress, DisplayPath) {
    EXPECT_EQ(DisplayPathOfMknmzUri("/d/%E3%83%A1%E3%83%A2%202024.txt"), "/d/メモ 2024.txt");
    EXPECT_EQ(DisplayPathOfMknmzUri("/d/100%.txt"), "/d/100%.txt");
    EXPECT_EQ(DisplayPathOfMknmzUri("/d/%4"), "/d/%4");
    EXPECT_EQ(DisplayPathOfMknmzUri("/d/%C5%F4"), "/d/%C5%F4");  // not UTF-8 after decoding
    EXPECT_EQ(DisplayPathOfMknmzUri("/d/a%20b%2fc"), "/d/a b/c");
}

}  // namespace
