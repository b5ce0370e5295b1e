#include "indexer/MakeIndexForm.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "TestSupport.h"
#include "process/CommandLine.h"

namespace {

using Entries = std::vector<std::string>;
using Change = void (*)(MakeIndexForm&);

// 表 in CP932: its second byte is 0x5C.
const std::string kHyo = "\x95\x5c";

PlatformProfile Profile(PathStyle style) {
    PlatformProfile p;
    p.pathStyle = style;
    p.codePage = style == PathStyle::Windows ? CodePage::Cp932 : CodePage::Utf8;
    return p;
}

MakeIndexForm Form(PathStyle style, Change change) {
    MakeIndexForm form = NewMakeIndexForm(Profile(style).codePage);
    change(form);
    return form;
}

struct Row {
    const char* name;
    Change change;
    Entries expected;
};

void CheckRows(PathStyle style, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        FakePrompter prompter;
        Entries list{"old entry"};
        const int count = BuildCommandList(Form(style, row.change), list, false, Profile(style), prompter);
        EXPECT_EQ(list, row.expected) << row.name;
        EXPECT_EQ(count, static_cast<int>(row.expected.size())) << row.name;
        EXPECT_TRUE(prompter.calls.empty()) << row.name;
    }
}

}  // namespace

// The worked examples, then the edge cases, with Windows paths in CP932.
TEST(BuildCommandList, WindowsStyle) {
    const std::vector<Row> rows = {
        {"one target, defaults",
         [](MakeIndexForm& f) { f.edtTargetDirectories = R"(C:\doc)"; },
         {R"(*mknmz --output="C:\doc" "C:\doc")"}},
        {"two targets into one output folder",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\a\r\nC:\\b";
             f.optTargetDefault = false;
             f.optTargetAll = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
             f.lstCriteria[0].checked = f.lstCriteria[2].checked = true;
             f.edtOtherParameters = "--verbose";
         },
         {R"(*delete "D:\idx", "NMZ.*")", R"(*mknmz --all --no-hiragana --verbose --output="D:\idx" "C:\a")",
          R"(*mknmz --all --no-hiragana --verbose --no-delete --output="D:\idx" "C:\b")"}},
        {"serial folders per target",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\a\r\nC:\\b";
             f.optTargetDefault = false;
             f.optTargetAll = true;
             f.chkMakeEach = f.chkCreateDirEach = f.chkSerialDirName = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
             f.lstCriteria[0].checked = true;
         },
         {R"(*mkdir "D:\idx\index1")", R"(*delete "D:\idx\index1", "NMZ.*")",
          R"(*mknmz --all --output="D:\idx\index1" "C:\a")", R"(*mkdir "D:\idx\index2")",
          R"(*delete "D:\idx\index2", "NMZ.*")", R"(*mknmz --all --output="D:\idx\index2" "C:\b")"}},
        {"folder named after the target",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(C:\docs\manual)";
             f.chkMakeEach = f.chkCreateDirEach = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
         },
         {R"(*mkdir "D:\idx\manual")", R"(*mknmz --output="D:\idx\manual" "C:\docs\manual")"}},
        {"each target into itself",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\a\nC:\\b";
             f.chkMakeEach = true;
         },
         {R"(*mknmz --output="C:\a" "C:\a")", R"(*mknmz --output="C:\b" "C:\b")"}},
        {"update",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\idx1\rC:\\idx2";
             f.lstCriteria[1].checked = true;
             f.edtOtherParameters = "--verbose";
         },
         {R"(*mknmz --verbose --update="C:\idx1")", R"(*mknmz --verbose --update="C:\idx2")"}},
        {"target list",
         [](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = R"(C:\list.txt)";
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
         },
         {R"(*mknmz --target-list="C:\list.txt" --output="D:\idx")"}},

        {"blank lines anywhere, a trailing backslash, output text ignored",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "\r\n  \t\r\n C:\\doc\\ \r\n\r\n   ";
             f.edtOutputDir = R"(D:\ignored)";
         },
         {R"(*mknmz --output="C:\doc" "C:\doc")"}},
        {"a double-byte character ending in 0x5C stays whole and is written as it stands",
         [](MakeIndexForm& f) { f.edtTargetDirectories = "C:\\" + kHyo + "\\"; },
         {"*mknmz --output=\"C:\\" + kHyo + "\" \"C:\\" + kHyo + "\""}},
        {"a folder that begins with \"-\" cannot read as an option",
         [](MakeIndexForm& f) { f.edtTargetDirectories = R"(-x)"; },
         {R"(*mknmz --output=".\-x" ".\-x")"}},
        {"drive root stays the root",
         [](MakeIndexForm& f) { f.edtTargetDirectories = R"(C:\)"; },
         {R"(*mknmz --output="C:\\" "C:\\")"}},
        {"a drive root's child names its folder",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\docs\r\nC:\\";
             f.chkMakeEach = f.chkCreateDirEach = true;
             f.chkOutputDir = true;
             f.edtOutputDir = "D:\\" + kHyo;
         },
         {"*mkdir \"D:\\" + kHyo + "\\docs\"", "*mknmz --output=\"D:\\" + kHyo + "\\docs\" \"C:\\docs\"",
          "*mkdir \"D:\\" + kHyo + "\"", "*mknmz --output=\"D:\\" + kHyo + "\" \"C:\\\\\""}},
        {"every option in order",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(C:\doc)";
             f.optTargetDefault = false;
             f.optTargetRegex = true;
             f.edtTargetFilePattern = R"(.*\.txt)";
             f.chkExcludeDir = true;
             f.edtExcludeDirPattern = "old";
             f.chkDenyFile = true;
             f.edtDenyFilePattern = R"(\.bak$)";
             f.chkMediaType = true;
             f.edtMediaType = "text/plain";
             f.chkReplace = true;
             f.edtReplace = "s#C:/#http://h/#";
             f.chkMknmzrc = true;
             f.edtMknmzrcFileName = R"(C:\mknmzrc)";
             for (std::size_t i = 2; i < kCriteriaCount; ++i) f.lstCriteria[i].checked = true;
             f.edtOtherParameters = "  -V  ";
         },
         {R"(*mknmz --allow=".*\.txt" --exclude="old" --deny="\.bak$" --media-type="text/plain" )"
          R"(--replace="s#C:/#http://h/#" --config="C:\mknmzrc" --no-hiragana --no-symbol --mailnews )"
          R"(--html-split --no-encode-uri --no-delete --no-update --meta --robots --quiet -V )"
          R"(--output="C:\doc" "C:\doc")"}},
        {"update ignores every other choice of the form",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(C:\idx1\)";
             f.lstCriteria[0].checked = f.lstCriteria[1].checked = f.lstCriteria[2].checked = true;
             f.optTargetDefault = false;
             f.optTargetAll = true;
             f.chkExcludeDir = f.chkDenyFile = f.chkMediaType = f.chkReplace = f.chkMknmzrc = true;
             f.chkMakeEach = f.chkCreateDirEach = f.chkSerialDirName = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
         },
         {R"(*mknmz --update="C:\idx1")"}},
        {"update with a list file uses the typed index folders",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(C:\idx1)";
             f.lstCriteria[1].checked = true;
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = R"(C:\list.txt)";
         },
         {R"(*mknmz --update="C:\idx1")"}},
        {"--no-delete twice when item 7 is checked too",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\a\r\nC:\\b\r\nC:\\a";
             f.lstCriteria[7].checked = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx\)";
         },
         {R"(*mknmz --no-delete --output="D:\idx" "C:\a")",
          R"(*mknmz --no-delete --no-delete --output="D:\idx" "C:\b")",
          R"(*mknmz --no-delete --no-delete --output="D:\idx" "C:\a")"}},
        {"without an output folder several targets go into the first",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "C:\\a\\\r\nC:\\b";
             f.lstCriteria[0].checked = true;
         },
         {R"(*delete "C:\a", "NMZ.*")", R"(*mknmz --output="C:\a" "C:\a")",
          R"(*mknmz --no-delete --output="C:\a" "C:\b")"}},
        {"a list file puts the index into the output folder whatever the per-folder boxes say",
         [](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = R"(C:\list.txt)";
             f.chkMakeEach = true;
             f.lstCriteria[0].checked = true;
             f.chkOutputDir = true;
             f.edtOutputDir = R"(D:\idx)";
         },
         {R"(*delete "D:\idx", "NMZ.*")", R"(*mknmz --target-list="C:\list.txt" --output="D:\idx")"}},
        {"an unclosed quote in the further options is closed",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(C:\doc)";
             f.edtOtherParameters = R"(--include="C:\my inc\)";
         },
         {R"(*mknmz --include="C:\my inc\\" --output="C:\doc" "C:\doc")"}},
    };
    CheckRows(PathStyle::Windows, rows);
}

// The same with Linux paths in the host style.
TEST(BuildCommandList, PosixStyle) {
    const std::vector<Row> rows = {
        {"one target, defaults",
         [](MakeIndexForm& f) { f.edtTargetDirectories = "/home/u/doc"; },
         {R"(*mknmz --output="/home/u/doc" "/home/u/doc")"}},
        {"two targets into one output folder",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/srv/a\n/srv/b";
             f.optTargetDefault = false;
             f.optTargetAll = true;
             f.chkOutputDir = true;
             f.edtOutputDir = "/var/idx";
             f.lstCriteria[0].checked = f.lstCriteria[2].checked = true;
             f.edtOtherParameters = "--verbose";
         },
         {R"(*delete "/var/idx", "NMZ.*")",
          R"(*mknmz --all --no-hiragana --verbose --output="/var/idx" "/srv/a")",
          R"(*mknmz --all --no-hiragana --verbose --no-delete --output="/var/idx" "/srv/b")"}},
        {"serial folders per target",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/srv/a\n/srv/b";
             f.optTargetDefault = false;
             f.optTargetAll = true;
             f.chkMakeEach = f.chkCreateDirEach = f.chkSerialDirName = true;
             f.chkOutputDir = true;
             f.edtOutputDir = "/var/idx/";
             f.lstCriteria[0].checked = true;
         },
         {R"(*mkdir "/var/idx/index1")", R"(*delete "/var/idx/index1", "NMZ.*")",
          R"(*mknmz --all --output="/var/idx/index1" "/srv/a")", R"(*mkdir "/var/idx/index2")",
          R"(*delete "/var/idx/index2", "NMZ.*")", R"(*mknmz --all --output="/var/idx/index2" "/srv/b")"}},
        {"folder named after the target",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/home/u/docs/マニュアル/";
             f.chkMakeEach = f.chkCreateDirEach = true;
             f.chkOutputDir = true;
             f.edtOutputDir = "/var/idx";
         },
         {R"(*mkdir "/var/idx/マニュアル")",
          R"(*mknmz --output="/var/idx/マニュアル" "/home/u/docs/マニュアル")"}},
        {"each target into itself",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/srv/a\r\n/srv/b\r\n";
             f.chkMakeEach = true;
         },
         {R"(*mknmz --output="/srv/a" "/srv/a")", R"(*mknmz --output="/srv/b" "/srv/b")"}},
        {"update",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/var/idx1\n/var/idx2";
             f.lstCriteria[1].checked = true;
             f.edtOtherParameters = "--verbose";
         },
         {R"(*mknmz --verbose --update="/var/idx1")", R"(*mknmz --verbose --update="/var/idx2")"}},
        {"target list",
         [](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = "/home/u/list.txt";
             f.chkOutputDir = true;
             f.edtOutputDir = "/var/idx";
         },
         {R"(*mknmz --target-list="/home/u/list.txt" --output="/var/idx")"}},

        {"the root stays the root",
         [](MakeIndexForm& f) { f.edtTargetDirectories = "/"; },
         {R"(*mknmz --output="/" "/")"}},
        {"a child of the root, and the root itself, under the output folder",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/docs\n/\nrelative";
             f.chkMakeEach = f.chkCreateDirEach = true;
             f.chkOutputDir = true;
             f.edtOutputDir = "/";
         },
         {R"(*mkdir "/docs")", R"(*mknmz --output="/docs" "/docs")", R"(*mkdir "/")",
          R"(*mknmz --output="/" "/")", R"(*mkdir "/relative")",
          R"(*mknmz --output="/relative" "relative")"}},
        {"a folder that begins with \"-\" cannot read as an option",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "-r\n--output-dir=/tmp/x\n/srv/-a";
             f.chkMakeEach = true;
         },
         {R"(*mknmz --output="./-r" "./-r")", R"(*mknmz --output="./--output-dir=/tmp/x" "./--output-dir=/tmp/x")",
          R"(*mknmz --output="/srv/-a" "/srv/-a")"}},
        {"a backslash at the end of a Linux name is part of it",
         [](MakeIndexForm& f) { f.edtTargetDirectories = R"(/srv/odd\)"; },
         {R"(*mknmz --output="/srv/odd\\" "/srv/odd\\")"}},
        {"a double quote in a name or pattern reaches mknmz whole",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = R"(/srv/say "hi")";
             f.chkDenyFile = true;
             f.edtDenyFilePattern = R"(a"b)";
         },
         {R"(*mknmz --deny="a\"b" --output="/srv/say \"hi\"" "/srv/say \"hi\"")"}},
    };
    CheckRows(PathStyle::Posix, rows);
}

TEST(BuildCommandList, ShiftAppendsAndRefusalsLeaveTheList) {
    const PlatformProfile posix = Profile(PathStyle::Posix);
    MakeIndexForm form = NewMakeIndexForm(CodePage::Utf8);
    form.edtTargetDirectories = "/a";
    Entries list{"!echo kept"};
    FakePrompter prompter;
    EXPECT_EQ(BuildCommandList(form, list, true, posix, prompter), 2);
    EXPECT_EQ(list, (Entries{"!echo kept", R"(*mknmz --output="/a" "/a")"}));
    EXPECT_EQ(BuildCommandList(form, list, false, posix, prompter), 1);
    EXPECT_EQ(list, (Entries{R"(*mknmz --output="/a" "/a")"}));

    struct Refusal {
        const char* name;
        Change change;
        const char* message;
    };
    const Refusal refusals[] = {
        {"only blank lines", [](MakeIndexForm& f) { f.edtTargetDirectories = " \r\n\t\n"; },
         "対象ディレクトリを指定してください。"},
        {"update without folders",
         [](MakeIndexForm& f) {
             f.lstCriteria[1].checked = true;
             f.chkTargetFileList = true;
         },
         "対象ディレクトリを指定してください。"},
        // Without the check of the options first: a list file with a bare separator as output
        // once read a target line that does not exist.
        {"list file without an output folder",
         [](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = "/l.txt";
             f.chkOutputDir = true;
             f.edtOutputDir = "  ";
         },
         "ファイルリストを指定するときは出力先を指定してください。"},
        {"per-folder index folders without an output folder",
         [](MakeIndexForm& f) {
             f.edtTargetDirectories = "/docs/manual";
             f.chkMakeEach = f.chkCreateDirEach = true;
         },
         "「出力先にディレクトリ作成」をチェックしたときは出力先を指定してください。"},
    };
    for (const Refusal& r : refusals) {
        FakePrompter refused;
        Entries kept{"!echo kept"};
        MakeIndexForm f = NewMakeIndexForm(CodePage::Utf8);
        r.change(f);
        EXPECT_EQ(BuildCommandList(f, kept, false, posix, refused), -1) << r.name;
        EXPECT_EQ(kept, Entries{"!echo kept"}) << r.name;
        ASSERT_EQ(refused.calls.size(), 1u) << r.name;
        EXPECT_EQ(refused.calls[0].text, QString::fromUtf8(r.message)) << r.name;
        EXPECT_EQ(refused.calls[0].caption, QStringLiteral("エラー")) << r.name;
    }
}

TEST(MakeIndexForm, RemoveTrailingBackslashAndItemOptions) {
    constexpr auto W = PathStyle::Windows;
    constexpr auto P = PathStyle::Posix;
    struct Case {
        PathStyle style;
        CodePage codePage;
        std::string input, expected;
    };
    const Case cases[] = {
        {W, CodePage::Cp932, R"(C:\doc\)", R"(C:\doc)"},
        {W, CodePage::Cp932, R"(C:\doc)", R"(C:\doc)"},
        {W, CodePage::Cp932, R"(C:\doc\\)", R"(C:\doc\)"},
        {W, CodePage::Cp932, "C:\\" + kHyo, "C:\\" + kHyo},
        {W, CodePage::Cp932, "C:\\" + kHyo + "\\", "C:\\" + kHyo},
        {W, CodePage::Cp932, R"(C:\)", R"(C:\)"},
        {W, CodePage::Cp932, R"(\)", R"(\)"},
        {W, CodePage::Cp932, "", ""},
        {W, CodePage::Cp932, "C:/doc/", "C:/doc/"},
        {P, CodePage::Utf8, "/home/u/", "/home/u"},
        {P, CodePage::Utf8, "/", "/"},
        {P, CodePage::Utf8, "//", "/"},
        {P, CodePage::Utf8, "/a\\", "/a\\"},
        {P, CodePage::Cp932, "/" + kHyo, "/" + kHyo},
        {P, CodePage::Utf8, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveTrailingBackslash(c.input, c.style, c.codePage), c.expected) << c.input;
    }

    const MakeIndexForm form = NewMakeIndexForm(CodePage::Utf8);
    const char* const options[] = {"",
                                   "--update=",
                                   "--no-hiragana",
                                   "--no-symbol",
                                   "--mailnews",
                                   "--html-split",
                                   "--no-encode-uri",
                                   "--no-delete",
                                   "--no-update",
                                   "--meta",
                                   "--robots",
                                   "--quiet"};
    for (std::size_t i = 0; i < kCriteriaCount; ++i)
        EXPECT_EQ(CriteriaOption(form.lstCriteria[i].text), options[i]);
    EXPECT_EQ(CriteriaOption("x (-a) (--b)"), "-a) (--b");
    EXPECT_EQ(CriteriaOption("(-"), "");
    EXPECT_EQ(NewMakeIndexForm(CodePage::Cp932).lstCriteria[2].text,
              ConvertEncoding(kCriteriaItemTexts[2], "UTF-8", "CP932"));
}

class CheckOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path().toStdString() + "/";
        std::ofstream(m_root + "list.txt") << "/x\n";
        std::ofstream(m_root + "file") << "x";
    }

    QTemporaryDir m_dir;
    std::string m_root;
};

TEST_F(CheckOptionsTest, RefusesWithItsMessages) {
    struct Case {
        const char* name;
        std::function<void(MakeIndexForm&)> change;
        std::deque<MessageResult> answers;
        const char* message;  // the last message shown; nullptr: none
        MessageIcon icon;
        bool refused;
    };
    const std::string root = m_root;
    const Case cases[] = {
        {"update accepts everything",
         [&](MakeIndexForm& f) {
             f.lstCriteria[1].checked = f.chkTargetFileList = f.chkOutputDir = f.chkCreateDirEach = true;
             f.edtTargetDirectories = "a\nb";
         },
         {},
         nullptr,
         MessageIcon::None,
         false},
        {"list file missing",
         [&](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = root + "none.txt";
         },
         {},
         "ファイルリストに指定されたファイルが存在しません。",
         MessageIcon::Warning,
         true},
        {"list file without output",
         [&](MakeIndexForm& f) {
             f.chkTargetFileList = true;
             f.edtTargetFileListFileName = root + "list.txt";
         },
         {},
         "ファイルリストを指定するときは出力先を指定してください。",
         MessageIcon::Warning,
         true},
        {"output text blank",
         [&](MakeIndexForm& f) {
             f.chkOutputDir = true;
             f.edtOutputDir = " \t";
         },
         {},
         "出力先のディレクトリを入力してください。",
         MessageIcon::Warning,
         true},
        {"output missing, not made",
         [&](MakeIndexForm& f) {
             f.chkOutputDir = true;
             f.edtOutputDir = root + "no/such";
         },
         {MessageResult::No},
         "出力先のディレクトリは存在しません。作成しますか?",
         MessageIcon::Question,
         true},
        {"output cannot be made",
         [&](MakeIndexForm& f) {
             f.chkOutputDir = true;
             f.edtOutputDir = root + "file/sub";
         },
         {MessageResult::Yes},
         "ディレクトリの作成に失敗しました。",
         MessageIcon::Error,
         true},
        {"one target",
         [&](MakeIndexForm& f) { f.edtTargetDirectories = "/a"; },
         {},
         nullptr,
         MessageIcon::None,
         false},
        {"a blank line counts as a target here",
         [&](MakeIndexForm& f) { f.edtTargetDirectories = "/a\r\n\r\n"; },
         {},
         "複数ディレクトリを対象とするときは出力先のディレクトリを指定するか\n「ディレクトリ毎に作成」をチェ"
         "ックしてください。",
         MessageIcon::Error,
         true},
        {"two targets each into itself",
         [&](MakeIndexForm& f) {
             f.edtTargetDirectories = "/a\n/b";
             f.chkMakeEach = true;
         },
         {},
         nullptr,
         MessageIcon::None,
         false},
        {"one target, per-folder index folder, no output",
         [&](MakeIndexForm& f) {
             f.edtTargetDirectories = "/docs/manual";
             f.chkMakeEach = f.chkCreateDirEach = true;
         },
         {},
         "「出力先にディレクトリ作成」をチェックしたときは出力先を指定してください。",
         MessageIcon::Error,
         true},
        {"a kept check mark of the disabled box does not refuse",
         [&](MakeIndexForm& f) {
             f.edtTargetDirectories = "/docs/manual";
             f.chkCreateDirEach = true;
         },
         {},
         nullptr,
         MessageIcon::None,
         false},
    };
    for (const Case& c : cases) {
        MakeIndexForm form = NewMakeIndexForm(CodePage::Utf8);
        c.change(form);
        FakePrompter prompter;
        prompter.messageAnswers = c.answers;
        EXPECT_EQ(CheckOptions(form, Profile(PathStyle::Posix), prompter), c.refused) << c.name;
        if (!c.message) {
            EXPECT_TRUE(prompter.calls.empty()) << c.name;
            continue;
        }
        ASSERT_FALSE(prompter.calls.empty()) << c.name;
        EXPECT_EQ(prompter.calls.back().text, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(prompter.calls.back().icon, c.icon) << c.name;
        EXPECT_EQ(prompter.calls.back().caption,
                  c.icon == MessageIcon::Question ? QStringLiteral("確認") : QStringLiteral("エラー"))
            << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(m_root + "no"));
}

TEST_F(CheckOptionsTest, MakesTheOutputFolderWithItsParents) {
    MakeIndexForm form = NewMakeIndexForm(CodePage::Utf8);
    form.edtTargetDirectories = "/a\n/b";
    form.chkOutputDir = true;
    form.edtOutputDir = m_root + "索引/new/idx/";
    FakePrompter prompter;
    EXPECT_FALSE(CheckOptions(form, Profile(PathStyle::Posix), prompter));
    EXPECT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(std::filesystem::is_directory(m_root + "索引/new/idx"));
}
