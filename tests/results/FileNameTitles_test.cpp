#include "results/FileNameTitles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <fstream>
#include <map>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "text/CodePage.h"

namespace {

std::string Euc(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "EUC-JP");
}
std::string Sjis(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "CP932");
}

// Titles as the real mknmz 2.0.21 stored them for these file names (see the test below).
TEST(FileNameTitles, WhichTitlesAreMangledFileNames) {
    struct Row {
        const char* what;
        std::string title;
        std::string name;
        bool mangled;
    };
    const Row rows[] = {
        {"UTF-8, odd byte count: cut by a byte", "灯台の歴史.tx", "灯台の歴史.txt", true},
        {"one kanji", "港.tx", "港.txt", true},
        {"a full-width pair turned into '<'", "\xE3\x83<\x83\xA2.txt", "メモ.txt", true},
        {"full-width letters turned into 'h' and 'g'",
         "\xE5\xBC\x95\xE3\x81h\xB6\x8A\xE3\x81\x97\xE3\x81\xAE\xE9\x80g\xB5\xA1.txt", "引っ越しの連絡.txt",
         true},
        {"a letter where the name has no full-width pair", "\xE3\x83h\x83\xA2.txt",
         "\xE3\x83\x81\xE3\x83\xA2.txt", false},
        {"Shift_JIS bytes read as EUC-JP", Sjis("漁船の一覧.txt"), Sjis("漁船の一覧.txt"), true},
        {"UTF-8 whole, read as EUC-JP", "味噌汁の作り方.txt", "味噌汁の作り方.txt", true},
        {"EUC-JP name: reads right already", Euc("灯台守の日記.txt"), Euc("灯台守の日記.txt"), false},
        {"a real title that looks like a file name", Euc("灯台の歴史.txt"), "page.html", false},
        {"a real title, the name without extension", Euc("灯台の歴史"), "灯台の歴史.html", false},
        {"ASCII names are never garbled", "notes.tx", "notes.txt", false},
        {"ASCII prefix", "report", "report.html", false},
        {"cut by more than a byte", "灯台の歴史.t", "灯台の歴史.txt", false},
        {"empty title", "", "港.txt", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsMangledFileNameTitle(row.title, row.name), row.mangled) << row.what;
    EXPECT_EQ(FileNameToUtf8(Sjis("漁船の一覧.txt")), "漁船の一覧.txt");
    EXPECT_EQ(FileNameToUtf8(Euc("灯台守の日記.txt")), "灯台守の日記.txt");
}

// The name's bytes as they are (Qt would read a Shift_JIS name as UTF-8).
void Write(const std::string& folder, const std::string& name, const std::string& bytes) {
    std::ofstream file(folder + "/" + name, std::ios::binary);
    file << bytes;
    ASSERT_TRUE(file.flush()) << name;
}

// A real index over file names in UTF-8, EUC-JP and Shift_JIS: every hit's title in the list
// is its file name, or the document's own title where it has one.
TEST(FileNameTitles, RealIndexOverJapaneseFileNames) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz is not installed";
    QTemporaryDir dir;
    const std::string docs = dir.path().toStdString();
    // file name bytes -> the title the list must show
    const std::map<std::string, std::string> expected = {
        {"灯台の歴史.txt", "灯台の歴史.txt"},
        {"味噌汁の作り方.txt", "味噌汁の作り方.txt"},
        {"港.txt", "港.txt"},
        {"メモ 2024.txt", "メモ 2024.txt"},
        {"引っ越しの連絡.txt", "引っ越しの連絡.txt"},
        {Euc("灯台守の日記.txt"), "灯台守の日記.txt"},
        {Euc("灯台の歴史 第2版.txt"), "灯台の歴史 第2版.txt"},
        {Sjis("漁船の一覧.txt"), "漁船の一覧.txt"},
        {Sjis("灯台の歴史.txt"), "灯台の歴史.txt"},
        {"english.txt", "english.txt"},
        {"page.html", "灯台の歴史.txt"},     // its <title>
        {"mail.eml", "灯台の点検について"},  // its Subject
    };
    for (const auto& [name, title] : expected) {
        if (name == "page.html") {
            Write(docs, name,
                  "<html><head><title>灯台の歴史.txt</title></head><body>titleword</body></html>\n");
        } else if (name == "mail.eml") {
            Write(docs, name,
                  ReadWholeFile(TestDataPath("docs/mail-iso2022jp.eml")).value() + "\ntitleword\n");
        } else {
            Write(docs, name, "titleword " + title + "\n");
        }
    }
    NamazuFixture fixture(docs);
    ASSERT_TRUE(fixture.Built()) << fixture.BuildLog();
    const std::string result = fixture.Search("titleword", {"--all"});
    const ResultScan scan = ScanResultText(result, ResultScanOptions{});
    ASSERT_EQ(scan.HitCount, static_cast<int>(expected.size())) << result;
    const std::optional<std::string> fixed =
        WithFileNameTitles(result, scan, PathStyle::Posix, CodePage::Utf8);
    ASSERT_TRUE(fixed.has_value());
    const ResultScan again = ScanResultText(*fixed, ResultScanOptions{});
    ASSERT_EQ(again.HitCount, scan.HitCount);
    const ResultTextMap map(again.lines, again.lineStarts);
    int replaced = 0;
    for (int i = 0; i < again.HitCount; ++i) {
        const HitRecord& hit = again.Hits[static_cast<std::size_t>(i)];
        const std::string name = hit.Uri.substr(hit.Uri.rfind('/') + 1);
        ASSERT_EQ(hit.Uri, scan.Hits[static_cast<std::size_t>(i)].Uri);
        ASSERT_TRUE(expected.count(name)) << hit.Uri;
        const int from = map.ViewPosition(hit.TitleStart);
        const QString shown = map.Text().mid(from, map.ViewPositionAfter(hit.TitleEnd) - from);
        EXPECT_EQ(shown.toStdString(), std::to_string(i + 1) + ". " + expected.at(name))
            << FileNameToUtf8(name);
        replaced += hit.Title != scan.Hits[static_cast<std::size_t>(i)].Title;
    }
    // The UTF-8 and Shift_JIS names were mangled; the EUC-JP ones, the ASCII one, the <title>
    // and the Subject were not.
    EXPECT_EQ(replaced, 7);
    // A result without such a title is left alone.
    const std::string english = fixture.Search("titleword and english");
    EXPECT_FALSE(WithFileNameTitles(english, ScanResultText(english, ResultScanOptions{}), PathStyle::Posix,
                                    CodePage::Utf8));
}

}  // namespace
