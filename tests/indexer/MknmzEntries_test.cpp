// The entries of the make-index form run with Debian's mknmz: every option they write is
// accepted, and namazu finds the words of the documents in the indexes they build.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "indexer/CommandList.h"
#include "indexer/MakeIndexForm.h"
#include "process/CommandLine.h"
#include "process/RunCommand.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

class MknmzEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu and mknmz are not installed";
        ASSERT_TRUE(m_dir.isValid());
        m_root = fs::canonical(m_dir.path().toStdString()).string();
        m_settings.Command.PerlPath = "/usr/bin/perl";
        m_settings.Command.mknmzPath = "/usr/bin/mknmz";
        m_run.currentDirectory = m_root;
    }

    std::string Path(const std::string& name) const { return m_root + "/" + name; }

    // A folder with an English and a Japanese document of tests/data/docs.
    void Docs(const std::string& folder, const std::string& english, const std::string& japanese) {
        fs::create_directories(Path(folder));
        fs::copy_file(TestDataPath("docs/" + english), Path(folder + "/" + english));
        fs::copy_file(TestDataPath("docs/" + japanese), Path(folder + "/" + japanese));
    }

    Entries Build(const MakeIndexForm& form) {
        FakePrompter prompter;
        EXPECT_FALSE(CheckOptions(form, m_platform, prompter));
        Entries list;
        EXPECT_GT(BuildCommandList(form, list, false, m_platform, prompter), 0);
        for (const FakePrompter::Call& call : prompter.calls) {
            EXPECT_EQ(call.icon, MessageIcon::Question)
                << call.text.toStdString();  // "create the output folder?"
        }
        return list;
    }

    // Runs the entries as the command list does, returns mknmz's output.
    std::string Run(const Entries& entries) {
        EnterMknmzFolder(m_run, m_settings, m_platform);
        MemoryOutputView view;
        view.runFlag = 0;
        FakePrompter prompter;
        for (const std::string& entry : entries) {
            const PreparedEntry prepared = PrepareEntry(entry, m_run, m_settings, m_platform);
            if (prepared.commandLine.empty()) continue;
            EXPECT_TRUE(prepared.namazuEnvironment) << entry;
            EXPECT_TRUE(RunCommand(prepared.commandLine, prepared.workDir, RunMode::Capture, &view, prompter,
                                   CodePage::Utf8, NamazuEnvironment()))
                << entry;
        }
        EXPECT_TRUE(prompter.calls.empty());
        std::string output;
        for (const std::string& line : view.lines) output += ConvertEncoding(line, "EUC-JP", "UTF-8") + "\n";
        EXPECT_EQ(output.find("Unknown option"), std::string::npos) << output;
        EXPECT_EQ(output.find("Usage:"), std::string::npos) << output;
        EXPECT_EQ(output.find("使い方:"), std::string::npos) << output;
        return output;
    }

    // The documents namazu lists for the query (UTF-8) in the index.
    std::string Search(const std::string& index, const std::string& queryUtf8) {
        const std::string result = Path("result.txt");
        fs::remove(result);
        const std::string line =
            QuoteArgument("/usr/bin/namazu", CodePage::Utf8) + " --list --output=" + QuoteArgument(result, CodePage::Utf8) + " " +
            QuoteArgument(ConvertEncoding(queryUtf8, "UTF-8", "EUC-JP"), CodePage::Utf8) + " " + QuoteArgument(Path(index), CodePage::Utf8);
        FakePrompter prompter;
        EXPECT_TRUE(RunCommand(line, m_root, RunMode::Hidden, nullptr, prompter, CodePage::Utf8,
                               NamazuEnvironment()));
        return ReadWholeFile(result).value_or("");
    }

    QTemporaryDir m_dir;
    std::string m_root;
    Settings m_settings;
    PlatformProfile m_platform;
    CommandListRun m_run;
};

MakeIndexForm NewForm() {
    return NewMakeIndexForm(CodePage::Utf8);
}

}  // namespace

TEST_F(MknmzEntriesTest, OneTargetIndexedIntoItself) {
    Docs("doc", "english.txt", "japanese-eucjp.txt");
    MakeIndexForm form = NewForm();
    form.edtTargetDirectories = Path("doc") + "/";
    Run(Build(form));
    EXPECT_NE(Search("doc", "lighthouse").find(Path("doc/english.txt")), std::string::npos);
    EXPECT_NE(Search("doc", "朝市").find(Path("doc/japanese-eucjp.txt")), std::string::npos);
}

TEST_F(MknmzEntriesTest, TwoTargetsIntoOneIndexKeepTheFirstPass) {
    Docs("a", "english.txt", "japanese-eucjp.txt");
    Docs("b", "page-utf8.html", "japanese-utf8.txt");
    fs::create_directories(Path("idx"));
    std::ofstream(Path("idx/NMZ.stale")) << "left from an old index";
    MakeIndexForm form = NewForm();
    form.edtTargetDirectories = Path("a") + "\n" + Path("b");
    form.optTargetDefault = false;
    form.optTargetAll = true;
    form.chkOutputDir = true;
    form.edtOutputDir = Path("idx");
    form.lstCriteria[0].checked = form.lstCriteria[2].checked = true;
    form.edtOtherParameters = "--verbose";
    const Entries entries = Build(form);
    ASSERT_EQ(entries.size(), 3u);
    Run(entries);
    EXPECT_FALSE(fs::exists(Path("idx/NMZ.stale")));
    EXPECT_NE(Search("idx", "lighthouse").find(Path("a/english.txt")), std::string::npos);
    EXPECT_NE(Search("idx", "utf8marker").find(Path("b/japanese-utf8.txt")), std::string::npos);
}

TEST_F(MknmzEntriesTest, PerTargetIndexFolders) {
    Docs("a", "english.txt", "japanese-eucjp.txt");
    Docs("b", "page-utf8.html", "japanese-utf8.txt");
    Docs("docs/manual", "english.txt", "japanese-sjis.txt");
    MakeIndexForm serial = NewForm();
    serial.edtTargetDirectories = Path("a") + "\r\n" + Path("b");
    serial.chkMakeEach = serial.chkCreateDirEach = serial.chkSerialDirName = true;
    serial.chkOutputDir = true;
    serial.edtOutputDir = Path("idx");  // made by CheckOptions after its question
    serial.lstCriteria[0].checked = true;
    Run(Build(serial));
    EXPECT_NE(Search("idx/index1", "lighthouse").find(Path("a/english.txt")), std::string::npos);
    EXPECT_EQ(Search("idx/index1", "utf8marker").find(Path("b/")), std::string::npos);
    EXPECT_NE(Search("idx/index2", "utf8marker").find(Path("b/japanese-utf8.txt")), std::string::npos);

    MakeIndexForm named = NewForm();
    named.edtTargetDirectories = Path("docs/manual");
    named.chkMakeEach = named.chkCreateDirEach = true;
    named.chkOutputDir = true;
    named.edtOutputDir = Path("idx");
    Run(Build(named));
    EXPECT_NE(Search("idx/manual", "明治時代").find(Path("docs/manual/japanese-sjis.txt")),
              std::string::npos);
}

TEST_F(MknmzEntriesTest, EachTargetIntoItselfThenUpdated) {
    Docs("a", "english.txt", "japanese-eucjp.txt");
    Docs("b", "page-utf8.html", "japanese-utf8.txt");
    MakeIndexForm each = NewForm();
    each.edtTargetDirectories = Path("a") + "\n" + Path("b");
    each.chkMakeEach = true;
    Run(Build(each));
    EXPECT_EQ(Search("a", "utf8marker"), "");

    fs::copy_file(TestDataPath("docs/japanese-utf8.txt"), Path("a/new.txt"));
    MakeIndexForm update = NewForm();
    update.edtTargetDirectories = Path("a") + "\n" + Path("b");
    update.lstCriteria[1].checked = true;
    update.chkOutputDir = true;  // ignored in the update form
    update.edtOutputDir = Path("nowhere");
    update.edtOtherParameters = "--verbose";
    const Entries entries = Build(update);
    EXPECT_EQ(entries[0], "*mknmz --verbose --update=\"" + Path("a") + "\"");
    Run(entries);
    EXPECT_NE(Search("a", "utf8marker").find(Path("a/new.txt")), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("nowhere")));
}

TEST_F(MknmzEntriesTest, TargetListAndEveryOptionOfTheForm) {
    Docs("docs", "english.txt", "japanese-eucjp.txt");
    Docs("docs/old", "japanese-utf8.txt", "page-utf8.html");
    std::ofstream(Path("list.txt")) << Path("docs/english.txt") << "\n"
                                    << Path("docs/old/page-utf8.html") << "\n";
    MakeIndexForm list = NewForm();
    list.chkTargetFileList = true;
    list.edtTargetFileListFileName = Path("list.txt");
    list.chkOutputDir = true;
    list.edtOutputDir = Path("listidx");
    const Entries entries = Build(list);
    EXPECT_EQ(entries, Entries{"*mknmz --target-list=\"" + Path("list.txt") + "\" --output=\"" +
                               Path("listidx") + "\""});
    Run(entries);
    EXPECT_NE(Search("listidx", "lighthouse").find(Path("docs/english.txt")), std::string::npos);
    EXPECT_EQ(Search("listidx", "灯台守"), "");

    std::ofstream(Path("mknmzrc")) << "# settings of this test\n1;\n";
    std::ofstream(Path("docs/skip.bak")) << "lighthouse\n";
    MakeIndexForm all = NewForm();
    all.edtTargetDirectories = Path("docs");
    all.optTargetDefault = false;
    all.optTargetRegex = true;
    all.edtTargetFilePattern = R"(.*\.(txt|html|bak))";
    all.chkExcludeDir = true;
    all.edtExcludeDirPattern = "/old/";
    all.chkDenyFile = true;
    all.edtDenyFilePattern = R"(.*\.bak)";
    all.chkMediaType = true;
    all.edtMediaType = "text/plain";
    all.chkReplace = true;
    all.edtReplace = "s#^" + m_root + "/#http://example.com/#";
    all.chkMknmzrc = true;
    all.edtMknmzrcFileName = Path("mknmzrc");
    for (std::size_t i = 2; i < kCriteriaCount; ++i) all.lstCriteria[i].checked = i != 4;  // not --mailnews
    all.chkOutputDir = true;
    all.edtOutputDir = Path("allidx");
    const Entries allEntries = Build(all);
    ASSERT_EQ(allEntries.size(), 1u);
    for (const char* option : {"--allow=", "--exclude=", "--deny=", "--media-type=", "--replace=",
                               "--config=", "--no-hiragana", "--no-symbol", "--html-split", "--no-encode-uri",
                               "--no-delete", "--no-update", "--meta", "--robots", "--quiet"}) {
        EXPECT_NE(allEntries[0].find(option), std::string::npos) << option;
    }
    Run(allEntries);
    const std::string found = Search("allidx", "lighthouse");
    EXPECT_NE(found.find("http://example.com/docs/english.txt"), std::string::npos) << found;
    EXPECT_EQ(found.find("skip.bak"), std::string::npos) << found;
    EXPECT_EQ(Search("allidx", "utf8marker"), "");  // under the excluded folder

    // --mailnews on its own: a mail is indexed by its body.
    Docs("mail", "mail-iso2022jp.eml", "english.txt");
    MakeIndexForm mail = NewForm();
    mail.edtTargetDirectories = Path("mail");
    mail.optTargetDefault = false;
    mail.optTargetAll = true;
    mail.lstCriteria[4].checked = true;
    Run(Build(mail));
    EXPECT_NE(Search("mail", "lighthouse").find(Path("mail/english.txt")), std::string::npos);
}
