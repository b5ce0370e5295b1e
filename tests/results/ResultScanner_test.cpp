#include "results/ResultScanner.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "TestSupport.h"
#include "config/Settings.h"
#include "text/CodePage.h"

namespace {

std::string Euc(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "EUC-JP");
}
std::string Sjis(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "CP932");
}

std::string Lines(std::initializer_list<std::string> lines, const char* eol = "\n") {
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    return text;
}

ResultScan Scan(const std::string& bytes, int blankLines = 2, int blankFromEnd = 2) {
    return ScanResultText(bytes, ResultScanOptions{blankLines, blankFromEnd});
}
// The scan refers to the bytes: a temporary would leave its lines dangling.
ResultScan Scan(std::string&& bytes, int blankLines = 2, int blankFromEnd = 2) = delete;

// The example result of the first-run settings.
const std::string kExample =
    Lines({"Results:", "", "1. Alpha (score: 5)", "Date: x", "/C|/doc/a.txt (120 bytes)", "", "",
           "2. Beta (score: 3)", "/C|/doc/b.txt (99 bytes)", "", "", "end"});

}  // namespace

TEST(ResultScanner, ExampleOffsetsAndKinds) {
    for (const char* eol : {"\n", "\r\n", "\r"}) {
        std::string bytes = kExample;
        if (std::string_view(eol) != "\n") {
            bytes.clear();
            for (char c : kExample) c == '\n' ? bytes += eol : bytes += c;
        }
        const ResultScan scan = Scan(bytes);
        ASSERT_TRUE(scan.scanned) << eol;
        ASSERT_EQ(scan.HitCount, 2);
        EXPECT_EQ(scan.Hits[0], (HitRecord{12, 19, "1. Alpha", 42, 54, "/C|/doc/a.txt"}));
        EXPECT_EQ(scan.Hits[1], (HitRecord{73, 79, "2. Beta", 93, 105, "/C|/doc/b.txt"}));
        // X: 12 lines, each with CR LF.
        ASSERT_EQ(scan.CharKinds.size(), kExample.size() + 12);
        std::string expected(scan.CharKinds.size(), '\0');
        for (auto [from, to, kind] :
             {std::tuple{12, 19, 'T'}, {42, 54, 'U'}, {73, 79, 'T'}, {93, 105, 'U'}}) {
            for (int i = from; i <= to; ++i) expected[i] = kind;
        }
        EXPECT_EQ(scan.CharKinds, expected);
    }
}

TEST(ResultScanner, TitleAndFileNameRules) {
    const std::string tail = Lines({"", "", "Current List: 1 - 1", ""});
    struct Row {
        const char* name;
        std::string body;  // lines after "Results:" and an empty line
        int blankLines, blankFromEnd;
        std::vector<std::pair<std::string, std::string>> hits;  // Title, Uri
    };
    const std::vector<Row> rows = {
        {"score marker twice: the title runs to the last",
         Lines({"1. a (score: 1) b (score: 2)", "/x/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. a (score: 1) b", "/x/a.txt"}}},
        {"EUC-JP marker",
         Lines({"1. " + Euc("題名") + Euc(" (スコア: 2)"), "/x/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. " + Euc("題名"), "/x/a.txt"}}},
        {"CP932 marker",
         Lines({"1. " + Sjis("題名") + Sjis(" (スコア: 2)"), "/x/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. " + Sjis("題名"), "/x/a.txt"}}},
        {"UTF-8 marker",
         Lines({"1. 題名 (スコア: 2)", "/x/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. 題名", "/x/a.txt"}}},
        {"ASCII marker wins over a later Japanese one",
         Lines({"1. a (score: 1) b" + Euc(" (スコア: 2)"), "/x/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. a", "/x/a.txt"}}},
        {"blank from end 1", Lines({"1. t (score: 1)", "/a b (5 bytes)"}), 2, 1, {{"1. t", "/a b (5"}}},
        {"blank from end 3 keeps blanks of the name",
         Lines({"1. t (score: 1)", "/a b c (5 bytes)"}),
         2,
         3,
         {{"1. t", "/a b"}}},
        {"one blank with setting 2: keeps waiting",
         Lines({"1. t (score: 1)", "/a(5bytes) x", "", "", "/b.txt (5 bytes)"}),
         2,
         2,
         {{"1. t", "/b.txt"}}},
        {"fewer than two bytes before the blank",
         Lines({"1. t (score: 1)", "a b c", "", "", "ab (1 bytes)"}),
         2,
         2,
         {{"1. t", "ab"}}},
        {"a line with too few empty lines after it is passed over",
         Lines({"1. t (score: 1)", "Author: x y", "", "/a.txt (1 bytes)"}),
         2,
         2,
         {{"1. t", "/a.txt"}}},
        {"no title lines while waiting",
         Lines({"1. t (score: 1)", "2. u (score: 1)", "/a.txt (1 bytes)", "", "", "3. v (score: 1)",
                "/c.txt (1 bytes)"}),
         2,
         2,
         {{"1. t", "/a.txt"}, {"3. v", "/c.txt"}}},
        {"one empty line is enough with setting 1",
         Lines({"1. t (score: 1)", "/a.txt (1 bytes)", "", "2. u (score: 1)", "/b.txt (1 bytes)"}),
         1,
         2,
         {{"1. t", "/a.txt"}, {"2. u", "/b.txt"}}},
        {"an empty title", Lines({"1. t", " (score: 1)", "/a.txt (1 bytes)"}), 2, 2, {{"", "/a.txt"}}},
    };
    for (const Row& row : rows) {
        const std::string bytes = Lines({"Results:", ""}) + row.body + tail;
        const ResultScan scan = Scan(bytes, row.blankLines, row.blankFromEnd);
        ASSERT_TRUE(scan.scanned) << row.name;
        std::vector<std::pair<std::string, std::string>> got;
        for (const HitRecord& hit : scan.Hits) got.emplace_back(hit.Title, hit.Uri);
        EXPECT_EQ(got, row.hits) << row.name;
        EXPECT_EQ(scan.HitCount, static_cast<int>(scan.Hits.size())) << row.name;
        for (const HitRecord& hit : scan.Hits) {
            const std::string x = [&] {
                std::string out;
                for (char c : bytes) c == '\n' ? out += "\r\n" : out += c;
                return out;
            }();
            EXPECT_EQ(x.substr(hit.TitleStart, hit.TitleEnd - hit.TitleStart + 1), hit.Title) << row.name;
            EXPECT_EQ(hit.TitleEnd - hit.TitleStart + 1, static_cast<int>(hit.Title.size())) << row.name;
            if (!hit.Uri.empty()) {
                EXPECT_EQ(x.substr(hit.UriStart, hit.UriEnd - hit.UriStart + 1), hit.Uri) << row.name;
            }
        }
    }
}

TEST(ResultScanner, WhereTheListStartsAndEnds) {
    struct Row {
        const char* name;
        std::string bytes;
        bool scanned;
        int hits;
        bool lastHasUri;
    };
    const std::string hit = Lines({"1. t (score: 1)", "/a.txt (1 bytes)", "", ""});
    const std::vector<Row> rows = {
        {"empty file", "", false, 0, false},
        {"only line ends", "\n\n\n", false, 0, false},
        {"hit list only on the very first line", Lines({"1. t (score: 1)", "/a (1 bytes)", "", "", "x", "y"}),
         false, 0, false},
        {"no hit list", Lines({"Results:", "", "No document matching your query.", ""}), false, 0, false},
        {"'1.' without its blank", Lines({"Results:", "1.t (score: 1)", "/a (1 bytes)", "", "", "x", "y"}),
         false, 0, false},
        {"list found, nothing after it", Lines({"Results:", "1. t (score: 1)"}), true, 0, false},
        {"the last two lines are never read", Lines({"Results:", "x", "1. t (score: 1)", "/a.txt (1 bytes)"}),
         true, 0, false},
        {"title three lines before the end", Lines({"Results:", "1. t (score: 1)", "/a.txt (1 bytes)", ""}),
         true, 1, false},
        {"the empty lines after a file name may be the last two",
         Lines({"Results:", "1. t (score: 1)", "/a.txt (1 bytes)", "", ""}), true, 1, true},
        {"a normal end", Lines({"Results:", ""}) + hit + Lines({"Current List: 1 - 1", ""}), true, 1, true},
    };
    for (const Row& row : rows) {
        const ResultScan scan = Scan(row.bytes);
        EXPECT_EQ(scan.scanned, row.scanned) << row.name;
        EXPECT_EQ(scan.HitCount, row.hits) << row.name;
        if (row.hits > 0) {
            EXPECT_EQ(!scan.Hits.back().Uri.empty(), row.lastHasUri) << row.name;
        }
        if (row.hits > 0 && !row.lastHasUri) {
            EXPECT_EQ(scan.Hits.back().UriStart, 0) << row.name;
            EXPECT_EQ(scan.Hits.back().UriEnd, 0) << row.name;
        }
    }
    // Three empty lines wanted: a candidate two lines before the end is not a file name.
    const std::string threeBytes =
        Lines({"Results:", "", "1. t (score: 1)", "Date: x", "/a.txt (1 bytes)", "", ""});
    const ResultScan three = Scan(threeBytes, 3, 2);
    EXPECT_TRUE(three.scanned);
    ASSERT_EQ(three.HitCount, 1);
    EXPECT_TRUE(three.Hits[0].Uri.empty());
    EXPECT_EQ(std::count(three.CharKinds.begin(), three.CharKinds.end(), 'U'), 0);
}

TEST(ResultScanner, NthFromEnd) {
    struct Row {
        std::string text;
        char ch;
        int n;
        int expected;
    };
    const std::vector<Row> rows = {
        {"", ' ', 1, 0},        {"abc", ' ', 1, 0},   {"a b", ' ', 1, 2}, {"a b c", ' ', 2, 2},
        {"a b c", ' ', 3, 0},   {" ", ' ', 1, 1},     {"a  ", ' ', 2, 2}, {"a b", ' ', 0, 0},
        {"x\xA1 y", ' ', 1, 3}, {"a|b|c", '|', 1, 4},
    };
    for (const Row& row : rows)
        EXPECT_EQ(NthFromEnd(row.text, row.ch, row.n), row.expected) << row.text << " " << row.n;
}

TEST(ResultScanner, OptionsFromSettings) {
    struct Row {
        const char* blankLine;
        const char* spaceFromEnd;
        int k, m;
    };
    for (const Row& row : std::vector<Row>{{"2", "2", 2, 2},
                                           {"3", "1", 3, 1},
                                           {"0", "0", 1, 2},
                                           {"-4", "-1", 1, 2},
                                           {"x", "", 1, 2},
                                           {"9", "9", 9, 9}}) {
        Settings settings;
        settings.Result.FileNameBlankLineNext = row.blankLine;
        settings.Result.FileNameSpaceFromEnd = row.spaceFromEnd;
        const ResultScanOptions options = ResultScanOptionsFrom(settings);
        EXPECT_EQ(options.blankLinesAfterFileName, row.k) << row.blankLine;
        EXPECT_EQ(options.blankFromEnd, row.m) << row.spaceFromEnd;
    }
}

// ---------------------------------------------------------------------------------------------
// The display text and its map.

namespace {

// Every offset maps into the text, back to the first byte of its character, and positions
// grow with offsets.
void ExpectConsistentMap(const ResultScan& scan, const ResultTextMap& map, const std::string& label) {
    int last = 0;
    for (int32_t offset = 0; offset < static_cast<int32_t>(scan.CharKinds.size()); ++offset) {
        const int pos = map.ViewPosition(offset);
        ASSERT_GE(pos, last) << label << " offset " << offset;
        ASSERT_LE(pos, map.Text().size()) << label;
        last = pos;
        const int32_t back = map.OffsetAt(pos);
        ASSERT_LE(back, offset) << label << " offset " << offset;
        ASSERT_EQ(map.ViewPosition(back), pos) << label << " offset " << offset;
        ASSERT_GE(map.ViewPositionAfter(offset), pos) << label;
    }
    for (int pos = 0; pos <= map.Text().size(); ++pos) {
        const int32_t offset = map.OffsetAt(pos);
        const int again = map.ViewPosition(offset);
        // A low surrogate maps back to the unit before it.
        ASSERT_TRUE(again == pos || (again == pos - 1 && map.Text().at(pos).isLowSurrogate()))
            << label << " pos " << pos;
    }
}

}  // namespace

TEST(ResultTextMap, DecodesEachLineAndMapsOffsets) {
    struct Row {
        const char* name;
        std::string line;
        QString shown;
        std::vector<std::pair<int, int>> offsetToPos;  // offsets within the line
    };
    const std::string euc = Euc("日本語の題名");
    const std::vector<Row> rows = {
        {"ASCII", "1. Alpha", QStringLiteral("1. Alpha"), {{0, 0}, {7, 7}, {8, 8}, {9, 8}}},
        {"EUC-JP",
         "1. " + euc + Euc(" (スコア: 2)"),
         QStringLiteral("1. 日本語の題名 (スコア: 2)"),
         {{3, 3}, {4, 3}, {5, 4}, {14, 8}, {15, 9}, {16, 10}, {17, 11}, {18, 11}}},
        {"EUC-JP with a UTF-8 file name",
         "5. 日本 語.txt" + Euc(" (スコア: 2)"),
         QStringLiteral("5. 日本 語.txt (スコア: 2)"),
         {{3, 3}, {5, 3}, {6, 4}, {9, 5}, {10, 6}, {13, 7}, {16, 10}, {17, 11}, {18, 12}}},
        {"CP932",
         "1. " + Sjis("ソース表示") + " (score: 1)",
         QStringLiteral("1. ソース表示 (score: 1)"),
         {{3, 3}, {4, 3}, {5, 4}, {12, 7}, {13, 8}}},
        {"UTF-8",
         "/home/日本/a.txt (5 bytes)",
         QStringLiteral("/home/日本/a.txt (5 bytes)"),
         {{6, 6}, {8, 6}, {9, 7}, {12, 8}}},
        {"beyond the BMP",
         "a\xF0\x9F\x98\x80"
         "b",
         QString::fromUtf8("a\xF0\x9F\x98\x80"
                           "b"),
         {{1, 1}, {4, 1}, {5, 3}}},
        {"bytes that are no character",
         "a\xFF"
         "b\x80",
         QStringLiteral("a\uFFFDb\uFFFD"),
         {{1, 1}, {2, 2}, {3, 3}}},
        {"breaks and controls",
         "a\xE2\x80\xA9"
         "b\x01\tc",
         QStringLiteral("a\uFFFDb\uFFFD\tc"),
         {{1, 1}, {4, 2}, {5, 3}}},
    };
    for (const Row& row : rows) {
        const std::string bytes = "head\n" + row.line + "\nend\n";
        const ResultScan scan = Scan(bytes);
        const ResultTextMap map(scan.lines, scan.lineStarts);
        EXPECT_EQ(map.Text(), QStringLiteral("head\n") + row.shown + QStringLiteral("\nend")) << row.name;
        const int32_t lineOffset = 6;  // "head" CR LF
        const int linePos = 5;
        for (auto [offset, pos] : row.offsetToPos) {
            EXPECT_EQ(map.ViewPosition(lineOffset + offset), linePos + pos)
                << row.name << " offset " << offset;
        }
        ExpectConsistentMap(scan, map, row.name);
    }
}

TEST(ResultTextMap, RandomLinesKeepTheMapConsistent) {
    std::mt19937 random(20261207);
    const std::string pieces[] = {
        "a",    " ",        "1. ",  Euc("日本"), Sjis("ソ"), "日本", "\xF0\x9F\x98\x80",  "\xA1",
        "\x8E", "\x8F\xA1", "\xFF", "\x80",      "\xE3\x82", "\t",   std::string(1, '\0')};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int lines = 1 + static_cast<int>(random() % 6);
        for (int l = 0; l < lines; ++l) {
            const int n = static_cast<int>(random() % 8);
            for (int k = 0; k < n; ++k) bytes += pieces[random() % std::size(pieces)];
            bytes += random() % 3 == 0 ? "\r\n" : "\n";
        }
        const ResultScan scan = Scan(bytes);
        const ResultTextMap map(scan.lines, scan.lineStarts);
        ExpectConsistentMap(scan, map, "round " + std::to_string(round));
        if (testing::Test::HasFatalFailure()) return;
    }
}

// ---------------------------------------------------------------------------------------------
// Results that the real namazu wrote.

namespace {

struct NamazuRun {
    QTemporaryDir dir;
    std::string Run(const QString& lang, const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), lang);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("/usr/bin/namazu"), args);
        process.waitForFinished(60000);
        return process.readAllStandardOutput().toStdString();
    }
};

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

TEST(ResultScanner, RealNamazuResults) {
    ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/namazu"))) << "namazu2 is not installed";
    NamazuRun run;
    const QString docs = run.dir.filePath(QStringLiteral("docs"));
    const QString index = run.dir.filePath(QStringLiteral("index"));
    QDir().mkpath(docs);
    QDir().mkpath(index);
    WriteBytes(docs + QStringLiteral("/a.txt"), "alpha document in English\n");
    WriteBytes(docs + QStringLiteral("/b.html"),
               "<html><head><title>Beta page</title></head><body>alpha</body></html>\n");
    WriteBytes(docs + QStringLiteral("/c.txt"), Euc("日本語の文書です。alpha 検索\n"));
    WriteBytes(docs + QStringLiteral("/d.html"),
               Euc("<html><head><title>日本語の題名</title></head><body>alpha 日本語</body></html>\n"));
    WriteBytes(docs + QStringLiteral("/日本 語.txt"), "日本語の文書です。alpha\n");
    QProcess mknmz;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.eucJP"));
    mknmz.setProcessEnvironment(env);
    mknmz.start(QStringLiteral("/usr/bin/perl"),
                {QStringLiteral("/usr/bin/mknmz"), QStringLiteral("-O"), index, docs});
    ASSERT_TRUE(mknmz.waitForFinished(120000));

    struct Row {
        const char* lang;
        QStringList options;
    };
    const std::vector<Row> rows = {
        {"ja_JP.eucJP", {}},
        {"ja_JP.eucJP", {QStringLiteral("--short")}},
        {"C", {}},
        {"ja_JP.SJIS", {}},
        {"ja_JP.UTF-8", {QStringLiteral("--sort=field:subject")}},
    };
    for (const Row& row : rows) {
        QStringList args = row.options;
        args << QStringLiteral("--all") << QStringLiteral("alpha") << index;
        const std::string bytes = run.Run(QString::fromLatin1(row.lang), args);
        const std::string label =
            std::string(row.lang) + " " + row.options.join(QLatin1Char(' ')).toStdString();
        const ResultScan scan = Scan(bytes);
        ASSERT_TRUE(scan.scanned) << label << "\n" << bytes;
        ASSERT_EQ(scan.HitCount, 5) << label << "\n" << bytes;
        std::vector<std::string> uris;
        for (int i = 0; i < scan.HitCount; ++i) {
            const HitRecord& hit = scan.Hits[i];
            EXPECT_EQ(hit.Title.substr(0, 3), std::to_string(i + 1) + ". ") << label;
            uris.push_back(hit.Uri);
        }
        std::sort(uris.begin(), uris.end());
        const std::string folder = docs.toStdString() + "/";
        // Under a Shift_JIS locale namazu converts the UTF-8 file name as if it were EUC-JP.
        const bool sjis = std::string(row.lang) == "ja_JP.SJIS";
        EXPECT_EQ(uris,
                  (std::vector<std::string>{folder + "a.txt", folder + "b.html", folder + "c.txt",
                                            folder + "d.html", sjis ? uris.back() : folder + "日本 語.txt"}))
            << label;
        if (sjis) {
            EXPECT_NE(uris.back(), folder + "日本 語.txt");
        }
        const ResultTextMap map(scan.lines, scan.lineStarts);
        ExpectConsistentMap(scan, map, label);
        // Titles show as text: the Japanese title and the UTF-8 file name title are readable.
        if (std::string(row.lang) != "C") {
            EXPECT_TRUE(map.Text().contains(QStringLiteral("日本語の題名 (スコア: "))) << label;
        }
        // Under EUC-JP the file name of a title stays UTF-8 in the middle of the line.
        if (std::string(row.lang) != "C" && std::string(row.lang) != "ja_JP.SJIS") {
            EXPECT_TRUE(map.Text().contains(QStringLiteral(". 日本 語.txt (スコア: "))) << label;
        }
    }
}

// Result files recorded from namazu (tests/data/results/README.txt says how).
TEST(ResultScanner, RecordedNamazuResults) {
    const std::string docs = "/tmp/quarrow-fixtures/docs/";
    struct Row {
        const char* file;
        int hits;
        QString firstTitle;
        std::string firstUri;
    };
    const QString museum = QStringLiteral("1. 灯台博物館");
    const QString mail = QStringLiteral("1. 灯台の点検について");
    const std::vector<Row> rows = {
        {"plain-ja-query-ja.txt", 8, museum, docs + "page-sjis.html"},
        {"plain-ja-query-ja-short.txt", 8, museum, docs + "page-sjis.html"},
        {"plain-ja-query-ja-max3.txt", 3, museum, docs + "page-sjis.html"},
        {"plain-ja-query-ja-by-subject.txt", 8, QStringLiteral("1. japanese-eucjp.txt"),
         docs + "japanese-eucjp.txt"},
        {"plain-ja-query-en.txt", 3, mail, docs + "mail-iso2022jp.eml"},
        {"plain-ja-query-and.txt", 2, mail, docs + "mail-iso2022jp.eml"},
        {"plain-ja-all-150-hits.txt", 150, QStringLiteral("1. doc001.txt"),
         "/tmp/quarrow-fixtures/corpus/doc001.txt"},
        // With a generated ja_JP.eucJP namazu's frame is Japanese; the hits read the same.
        {"plain-loc-query-ja.txt", 8, museum, docs + "page-sjis.html"},
        {"plain-loc-query-ja-short.txt", 8, museum, docs + "page-sjis.html"},
        {"plain-loc-query-ja-max3.txt", 3, museum, docs + "page-sjis.html"},
        {"plain-loc-query-en.txt", 3, mail, docs + "mail-iso2022jp.eml"},
        {"plain-loc-all-150-hits.txt", 150, QStringLiteral("1. doc001.txt"),
         "/tmp/quarrow-fixtures/corpus/doc001.txt"},
        {"plain-c-query-en.txt", 3, mail, docs + "mail-iso2022jp.eml"},
        {"plain-c-query-ja.txt", 8, museum, docs + "page-sjis.html"},
        {"plain-c-all-150-hits.txt", 150, QStringLiteral("1. doc001.txt"),
         "/tmp/quarrow-fixtures/corpus/doc001.txt"},
    };
    for (const Row& row : rows) {
        QFile file(QString::fromStdString(TestDataPath(std::string("results/") + row.file)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << row.file;
        const std::string bytes = file.readAll().toStdString();
        const ResultScan scan = Scan(bytes);
        ASSERT_TRUE(scan.scanned) << row.file;
        ASSERT_EQ(scan.HitCount, row.hits) << row.file;
        const ResultTextMap map(scan.lines, scan.lineStarts);
        auto shown = [&](int32_t start, int32_t end) {
            const int from = map.ViewPosition(start);
            return map.Text().mid(from, map.ViewPositionAfter(end) - from);
        };
        EXPECT_EQ(shown(scan.Hits[0].TitleStart, scan.Hits[0].TitleEnd), row.firstTitle) << row.file;
        EXPECT_EQ(scan.Hits[0].Uri, row.firstUri) << row.file;
        for (int i = 0; i < scan.HitCount; ++i) {
            const HitRecord& hit = scan.Hits[i];
            EXPECT_EQ(hit.Title.substr(0, std::to_string(i + 1).size() + 2), std::to_string(i + 1) + ". ")
                << row.file;
            EXPECT_EQ(hit.Uri.substr(0, 22), "/tmp/quarrow-fixtures/") << row.file << " " << i;
            EXPECT_EQ(shown(hit.UriStart, hit.UriEnd), QString::fromStdString(hit.Uri))
                << row.file << " " << i;
        }
        ExpectConsistentMap(scan, map, row.file);
    }

    for (const char* noHit : {"results/plain-ja-no-hit.txt", "results/plain-loc-no-hit.txt"}) {
        QFile none(QString::fromStdString(TestDataPath(noHit)));
        ASSERT_TRUE(none.open(QIODevice::ReadOnly)) << noHit;
        const std::string noneBytes = none.readAll().toStdString();
        const ResultScan empty = Scan(noneBytes);
        EXPECT_FALSE(empty.scanned) << noHit;
        EXPECT_EQ(empty.HitCount, 0) << noHit;
    }
}

// namazu turns "メモ 2024.txt" into a title that is neither UTF-8 nor EUC-JP: the hit is still
// found, and the rest of its line still reads.
TEST(ResultScanner, MangledFileNameTitle) {
    QFile file(QString::fromStdString(TestDataPath("results/plain-ja-query-ja.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string bytes = file.readAll().toStdString();
    const ResultScan scan = Scan(bytes);
    const auto hit = std::find_if(scan.Hits.begin(), scan.Hits.end(), [](const HitRecord& h) {
        return h.Uri == "/tmp/quarrow-fixtures/docs/メモ 2024.txt";
    });
    ASSERT_NE(hit, scan.Hits.end());
    EXPECT_FALSE(IsValidUtf8(hit->Title));
    EXPECT_EQ(hit->Title.substr(hit->Title.size() - 9), " 2024.txt");
    const ResultTextMap map(scan.lines, scan.lineStarts);
    const int line = map.LineOfOffset(hit->TitleStart);
    const QString text = map.Text().section(QLatin1Char('\n'), line, line);
    EXPECT_TRUE(text.endsWith(QStringLiteral(" 2024.txt (スコア: 3)"))) << text.toStdString();
}
