#include "process/Paths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"

namespace {

constexpr auto W = PathStyle::Windows;
constexpr auto P = PathStyle::Posix;
constexpr auto SJ = CodePage::Cp932;
constexpr auto U8 = CodePage::Utf8;

struct Case {
    PathStyle style;
    CodePage codePage;
    std::string input;
    std::string expected;
};

TEST(PathsTest, UriToLocalPath) {
    const Case cases[] = {
        {W, SJ, "/C|/docs/a.txt", R"(C:\docs\a.txt)"},
        {W, SJ, "file:///C|/docs/a.txt", R"(C:\docs\a.txt)"},
        {W, SJ, "file://C|/docs/a.txt", R"(C:\docs\a.txt)"},
        {W, SJ, "//server/share/x", R"(\server\share\x)"},
        {W, SJ, "/usr/doc/a.txt", R"(usr\doc\a.txt)"},
        {W, SJ, "http://example.com/a/b.html", "http://example.com/a/b.html"},
        {W, SJ, "ftp://example.com/a", "ftp://example.com/a"},
        {W, SJ, "gopher://example.com/a", "gopher://example.com/a"},
        {W, SJ, "telnet://example.com", "telnet://example.com"},
        {W, SJ, "HTTP://example.com/a", R"(HTTP:\\example.com\a)"},
        {W, SJ, "TELNET://host", R"(TELNET:\\host)"},
        {W, SJ, "", ""},
        // a double-byte character whose second byte is "|" keeps both bytes
        {W, SJ, "/C|/\x81\x7C/a.txt", "C:\\\x81\x7C\\a.txt"},
        {W, SJ, "/D|/\x95\x5C|x", "D:\\\x95\x5C:x"},
        {W, U8, "/C|/My Documents/日本語.txt", R"(C:\My Documents\日本語.txt)"},
        {W, SJ, "/{cdrom1}/docs/a.txt", R"({cdrom1}\docs\a.txt)"},
        // Linux: what namazu writes, as it is
        {P, U8, "/home/user/doc/a.txt", "/home/user/doc/a.txt"},
        {P, U8, "file:///home/user/doc/a.txt", "/home/user/doc/a.txt"},
        {P, U8, "file://localhost/home/user/doc/a.txt", "/home/user/doc/a.txt"},
        {P, U8, "/{cdrom1}/docs/a.txt", "/{cdrom1}/docs/a.txt"},
        {P, U8, "file:///home/user/My Docs/日本語 文書.txt", "/home/user/My Docs/日本語 文書.txt"},
        {P, U8, "/home/user/a|b\\c.txt", "/home/user/a|b\\c.txt"},
        {P, U8, "http://example.com/a", "http://example.com/a"},
        {P, U8, "./index/a.txt", "./index/a.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UriToLocalPath(c.input, c.style, c.codePage), c.expected) << c.input;
    }
}

TEST(PathsTest, ExpandProgramRelativePath) {
    struct Row {
        PathStyle style;
        CodePage codePage;
        std::string folder, input, expected;
    };
    const Row rows[] = {
        {W, SJ, R"(C:\Tools\)", R"(.\idx)", R"(C:\Tools\.\idx)"},
        {W, SJ, R"(C:\Tools)", R"(.\idx)", R"(C:\Tools\.\idx)"},
        {W, SJ, R"(C:\Tools\)", R"(..\idx)", R"(C:\Tools\..\idx)"},
        {W, SJ, R"(C:\)", R"(.\idx)", R"(C:\.\idx)"},
        {W, SJ, R"(C:\Tools\)", R"(C:\x)", R"(C:\x)"},
        {W, SJ, R"(C:\Tools\)", "", ""},
        {W, SJ, R"(C:\Tools\)", R"(idx\.)", R"(idx\.)"},
        // the folder ends in a double-byte character whose second byte is 0x5C
        {W, SJ, "C:\\\x95\x5C", R"(.\idx)", "C:\\\x95\x5C\\.\\idx"},
        {P, U8, "/opt/quarrow/", "./idx", "/opt/quarrow/./idx"},
        {P, U8, "/opt/quarrow", "../idx", "/opt/quarrow/../idx"},
        {P, U8, "/", "./idx", "/./idx"},
        {P, U8, "/home/user/私の プログラム/", "./索引", "/home/user/私の プログラム/./索引"},
        {P, U8, "/opt/quarrow/", "/var/lib/namazu/index", "/var/lib/namazu/index"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ExpandProgramRelativePath(r.input, r.folder, r.style, r.codePage), r.expected) << r.input;
    }
}

TEST(PathsTest, ExpandDriveConstant) {
    const std::vector<std::string> windowsDrives = {"{removable1} => A:",        "{hd1} => C:    [SYSTEM]",
                                                    "{hd2} => D:    []",         "{cdrom1} => E:    [DATA01]",
                                                    "{cdrom1} => F:    [LATER]", "{hd9} => "};
    const std::vector<std::string> linuxDrives = {
        "{hd1} => /    [SYSTEM]", "{hd2} => /home    []", "{cdrom1} => /media/cdrom0    [DATA01]",
        "{hd3} => /media/user/My Disk    [データ 2]", "{removable1} => /media/user/USBSTICK"};
    const Case cases[] = {
        {W, SJ, R"({cdrom1}\docs\a.txt)", R"(E:\docs\a.txt)"},
        {W, SJ, R"({CDROM1}\docs)", R"({CDROM1}\docs)"},
        {W, SJ, "x}{hd1}", "x}{hd1}"},
        {W, SJ, R"(abc{hd1}\d)", R"(C:\d)"},
        {W, SJ, R"({removable1}\a.txt)", R"(A:\a.txt)"},
        {W, SJ, "{hd2}", "D:"},
        {W, SJ, R"({hd3}\x)", R"({hd3}\x)"},
        {W, SJ, R"({hd9}\x)", R"({hd9}\x)"},
        {W, SJ, R"({hd1\x)", R"({hd1\x)"},
        {W, SJ, R"(C:\docs)", R"(C:\docs)"},
        {W, SJ, "", ""},
        // "{" and "}" as second bytes of double-byte characters are not braces
        {W, SJ, "\x83\x7Bhd1}\\d", "\x83\x7Bhd1}\\d"},
        {W, SJ, "\x83\x7B{hd1}\\d", "C:\\d"},
        {W, SJ, "{hd1}\\\x83\x7D\\d", "C:\\\x83\x7D\\d"},
        {P, U8, "/{cdrom1}/docs/a.txt", "/media/cdrom0/docs/a.txt"},
        {P, U8, "{hd3}/日本語 文書/a b.txt", "/media/user/My Disk/日本語 文書/a b.txt"},
        {P, U8, "/{hd1}/etc/namazurc", "/etc/namazurc"},
        {P, U8, "{hd1}", "/"},
        {P, U8, "{hd2}/user", "/home/user"},
        {P, U8, "{removable1}/a", "/media/user/USBSTICK/a"},
        {P, U8, "/home/{x}/a", "/home/{x}/a"},
        {P, U8, "/home/user/a.txt", "/home/user/a.txt"},
    };
    for (const auto& c : cases) {
        const auto& drives = c.style == W ? windowsDrives : linuxDrives;
        EXPECT_EQ(ExpandDriveConstant(c.input, drives, c.style, c.codePage), c.expected) << c.input;
    }
    EXPECT_EQ(ExpandDriveConstant("{hd1}/a", {}, P, U8), "{hd1}/a");
}

TEST(PathsTest, LocalPathToUriPath) {
    const Case cases[] = {
        {W, SJ, R"(c:\docs\a.html)", "/C|/docs/a.html"},
        {W, SJ, R"(E:\docs\a.html)", "/E|/docs/a.html"},
        {W, SJ, R"(docs\a.html)", "/docs/a.html"},
        {W, SJ, R"(\\server\share\a.html)", "///server/share/a.html"},
        {W, SJ, R"(ab:\x:y)", "/AB|/x|y"},
        {W, SJ, "c:\\\x95\x5C\\a.txt", "/C|/\x95\x5C/a.txt"},
        {W, U8, R"(c:\My Documents\日本語.html)", "/C|/My Documents/日本語.html"},
        {P, U8, "/home/user/My Docs/日本語.html", "/home/user/My Docs/日本語.html"},
        {P, U8, "/home/a:b\\c", "/home/a:b\\c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalPathToUriPath(c.input, c.style, c.codePage), c.expected) << c.input;
    }
}

TEST(PathsTest, SmallStringHelpers) {
    EXPECT_EQ(LastPos("abcabc", "bc"), 5u);
    EXPECT_EQ(LastPos("a", "abc"), 0u);
    EXPECT_EQ(LastPos("aaa", "aa"), 2u);
    EXPECT_EQ(LastPos("abc", "abc"), 1u);
    EXPECT_EQ(LastPos("", "#"), 0u);

    const Case fragments[] = {
        {W, SJ, R"(C:\docs\a.html#part2)", R"(C:\docs\a.html)"},
        {W, SJ, R"(C:\dir#1\a.txt)", R"(C:\dir#1\a.txt)"},
        {W, SJ, "a#b", "a"},
        {W, SJ, R"(C:\a#b\c)", R"(C:\a#b\c)"},
        {W, SJ, "#", ""},
        {P, U8, "/home/a.html#part2", "/home/a.html"},
        {P, U8, "/home/dir#1/a.txt", "/home/dir#1/a.txt"},
        {P, U8, R"(C:\a#b\c)", "C:\\a"},
    };
    for (const auto& c : fragments) EXPECT_EQ(StripFragment(c.input, c.style), c.expected) << c.input;

    const std::pair<std::string, std::string> quotes[] = {
        {"\"", ""},   {"", ""},         {"\"a b\"", "a b"}, {"\"a", "a"},
        {"a\"", "a"}, {"\"\"\"", "\""}, {"a\"b", "a\"b"},
    };
    for (const auto& [in, out] : quotes) EXPECT_EQ(StripQuotes(in), out) << in;

    const Case trailing[] = {
        {W, SJ, "", ""},
        {W, SJ, R"(C:\x)", R"(C:\x\)"},
        {W, SJ, R"(C:\x\)", R"(C:\x\)"},
        {W, SJ, "C:\\\x95\x5C", "C:\\\x95\x5C\\"},
        {W, SJ, "\x95\x5C\\", "\x95\x5C\\"},
        {W, U8, R"(C:\日本)", R"(C:\日本\)"},
        {P, U8, "", ""},
        {P, U8, "/home", "/home/"},
        {P, U8, "/", "/"},
        {P, U8, "/a\\", "/a\\/"},
    };
    for (const auto& c : trailing) {
        EXPECT_EQ(AddTrailingBackslash(c.input, c.style, c.codePage), c.expected) << c.input;
    }
}

TEST(PathsTest, MatchesFileMask) {
    struct Row {
        CodePage codePage;
        const char* name;
        const char* mask;
        bool matches;
    };
    const Row rows[] = {
        {U8, "NMZ.i", "NMZ.*", true},
        {U8, "NMZ.field.subject", "NMZ.*", true},
        {U8, "NMZ", "NMZ.*", true},
        {U8, "NMZX", "NMZ.*", false},
        {U8, "nmz.i", "NMZ.*", false},
        {U8, "README", "*.*", true},
        {U8, "README", "*", true},
        {U8, "README", "*.", true},
        {U8, "a.txt", "*.", false},
        {U8, "abc", "a?c", true},
        {U8, "ac", "a?c", false},
        {U8, "a.b.c", "*.c", true},
        {U8, "aaab", "*a*b", true},
        {U8, "abc", "*d*", false},
        {U8, "abc", "", false},
        {U8, "日本.txt", "??.txt", true},
        {U8, "日本.txt", "?.txt", false},
        {SJ, "\x93\xfa\x96\x7b.txt", "??.txt", true},
        {SJ, "\x93\xfa\x96\x7b.txt", "\x93\xfa*", true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(MatchesFileMask(r.name, r.mask, r.codePage), r.matches) << r.name << " " << r.mask;
    }
}

class MatchingFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_dir = m_root.path().toStdString() + "/索引 dir/";
        std::filesystem::create_directory(m_dir);
        for (const char* name :
             {"NMZ", "NMZ.i", "NMZ.w", "nmz.x", ".NMZ.hidden", "a b.txt", "日本語.txt", "x.txt"}) {
            std::ofstream(m_dir + name) << "x";
        }
        std::filesystem::create_directory(m_dir + "NMZ.d");
        std::ofstream(m_root.path().toStdString() + "/NMZ.outside") << "keep";
        std::filesystem::create_symlink(m_root.path().toStdString() + "/NMZ.outside", m_dir + "NMZ.link");
        ::mkfifo((m_dir + "NMZ.fifo").c_str(), 0600);
    }

    std::vector<std::string> List(const std::string& mask) const {
        std::vector<std::string> list{"kept"};
        ListMatchingFiles(m_dir, mask, list, U8);
        list.erase(list.begin());
        for (auto& path : list) path = path.substr(m_dir.size());
        return list;
    }

    bool Exists(const std::string& name) const {
        return std::filesystem::exists(std::filesystem::symlink_status(m_dir + name));
    }

    QTemporaryDir m_root;
    std::string m_dir;
};

TEST_F(MatchingFilesTest, ListsOrdinaryFilesOnly) {
    using V = std::vector<std::string>;
    EXPECT_EQ(List("NMZ.*"), (V{"NMZ", "NMZ.i", "NMZ.w"}));
    EXPECT_EQ(List("*"), (V{"NMZ", "NMZ.i", "NMZ.w", "a b.txt", "nmz.x", "x.txt", "日本語.txt"}));
    EXPECT_EQ(List("?.txt"), (V{"x.txt"}));
    EXPECT_EQ(List("???.txt"), (V{"a b.txt", "日本語.txt"}));
    EXPECT_EQ(List(""), V{});
    EXPECT_EQ(List("../*"), V{});

    std::vector<std::string> list{"kept"};
    ListMatchingFiles(m_dir + "missing/", "*", list, U8);
    EXPECT_EQ(list, V{"kept"});
    ListMatchingFiles(m_dir, "x.txt", list, U8);
    EXPECT_EQ(list, (V{"kept", m_dir + "x.txt"}));
}

TEST_F(MatchingFilesTest, DeletesOnlyTheMatchingFiles) {
    std::string dir = m_dir;
    dir.pop_back();  // the folder may come without its "/", in quotes
    DeleteMatchingFiles("\"" + dir + "\"", "NMZ.*", U8);
    for (const char* gone : {"NMZ", "NMZ.i", "NMZ.w"}) EXPECT_FALSE(Exists(gone)) << gone;
    for (const char* kept : {"nmz.x", ".NMZ.hidden", "NMZ.d", "NMZ.link", "NMZ.fifo", "x.txt"}) {
        EXPECT_TRUE(Exists(kept)) << kept;
    }
    EXPECT_TRUE(std::filesystem::exists(m_root.path().toStdString() + "/NMZ.outside"));

    // An unclosed quote must not cut the folder name short.
    DeleteMatchingFiles("\"" + dir, "x.txt", U8);
    EXPECT_FALSE(Exists("x.txt"));

    DeleteMatchingFiles("\"\"", "*", U8);
    DeleteMatchingFiles("", "*", U8);
    DeleteMatchingFiles(m_dir + "missing", "*", U8);
    EXPECT_TRUE(Exists("日本語.txt"));
}

// 表 in CP932 ends in 0x5C, which is not a separator: the folder still gets its "/".
TEST(PathsTest, DeleteMatchingFilesStepsOverWholeCharacters) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string folder = root.path().toStdString() + "/C\x95\x5c";
    std::filesystem::create_directory(folder);
    std::ofstream(folder + "/NMZ.i") << "x";
    std::ofstream(folder + "/keep.txt") << "x";
    DeleteMatchingFiles("\"" + folder + "\"", "NMZ.*", SJ);
    EXPECT_FALSE(std::filesystem::exists(folder + "/NMZ.i"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/keep.txt"));
}

// namazu's own hit locations, plain and rewritten to a drive constant, become paths that open.
TEST(PathsTest, RealNamazuLocationsOpen) {
    if (!std::filesystem::exists("/usr/bin/namazu") || !std::filesystem::exists("/usr/bin/mknmz")) {
        GTEST_SKIP() << "namazu is not installed";
    }
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string base = root.path().toStdString();
    const std::string docs = base + "/my docs";
    std::filesystem::create_directories(docs + "/日本 語");
    std::ofstream(docs + "/日本 語/a b.txt") << "quarrowlocation one\n";
    std::ofstream(docs + "/plain.txt") << "quarrowlocation two\n";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.eucJP"));
    auto run = [&](const QString& program, const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, args);
        process.waitForFinished(60000);
        return process.readAllStandardOutput().toStdString();
    };
    auto locations = [](const std::string& output) {
        std::vector<std::string> found;
        std::size_t start = 0;
        while (start < output.size()) {
            std::size_t end = output.find('\n', start);
            if (end == std::string::npos) end = output.size();
            const std::string line = output.substr(start, end - start);
            const std::size_t size = line.rfind(" (");
            if (!line.empty() && line[0] == '/' && size != std::string::npos)
                found.push_back(line.substr(0, size));
            start = end + 1;
        }
        return found;
    };

    const QString docsArg = QString::fromStdString(docs);
    for (const bool withConstant : {false, true}) {
        const QString index =
            root.path() + (withConstant ? QStringLiteral("/idx2") : QStringLiteral("/idx1"));
        std::filesystem::create_directory(index.toStdString());
        QStringList mknmz{QStringLiteral("--output=") + index};
        if (withConstant) mknmz << QStringLiteral("--replace=s#^") + docsArg + QStringLiteral("/#/{hd7}/#");
        run(QStringLiteral("/usr/bin/mknmz"), mknmz << docsArg);
        const auto hits =
            locations(run(QStringLiteral("/usr/bin/namazu"), {QStringLiteral("quarrowlocation"), index}));
        ASSERT_EQ(hits.size(), 2u);
        const std::vector<std::string> drives = {"{hd1} => /    []", "{hd7} => " + docs + "    [DOCS]"};
        for (const std::string& hit : hits) {
            EXPECT_EQ(hit.find("{hd7}") != std::string::npos, withConstant) << hit;
            const std::string path = ExpandDriveConstant(
                ExpandProgramRelativePath(UriToLocalPath(hit, P, U8), base, P, U8), drives, P, U8);
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << hit << " -> " << path;
            EXPECT_TRUE(std::filesystem::is_regular_file(UriToLocalPath("file://" + path, P, U8))) << path;
        }
    }
}

}  // namespace
