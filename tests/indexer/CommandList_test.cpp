#include "indexer/CommandList.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "indexer/CommandListFile.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

Settings Programs() {
    Settings s;
    s.Command.PerlPath = "/usr/bin/perl";
    s.Command.mknmzPath = "/usr/bin/mknmz";
    s.Command.mknmzOption = "--use-kakasi -EHK --all";
    return s;
}

PlatformProfile Host() {
    return PlatformProfile{};
}

const std::string kHeader = "This is a 'Quarrow for Namazu' Command Line List File.";

}  // namespace

TEST(CommandList, ParseEntry) {
    struct Case {
        std::string entry;
        EntryKind kind;
        std::string arguments, directory, mask;
    };
    using K = EntryKind;
    const Case cases[] = {
        {R"(*mknmz --all --output="/i" "/d")", K::Mknmz, R"(--all --output="/i" "/d")", "", ""},
        {"*mknmz   -V  ", K::Mknmz, "-V", "", ""},
        {"*mknmz", K::None, "", "", ""},
        {"*mknmz ", K::None, "", "", ""},
        {" *mknmz -V", K::None, "", "", ""},
        {"--all", K::None, "", "", ""},
        {"*MKNMZ -V", K::None, "", "", ""},
        {"*mknmz\t-V", K::None, "", "", ""},
        {"*unknown x", K::None, "", "", ""},
        {R"(*mkdir "D:\idx\index1")", K::Mkdir, "", R"(D:\idx\index1)", ""},
        {"*mkdir /plain", K::Mkdir, "", "/plain", ""},
        {R"(*delete "D:\idx", "NMZ.*")", K::Delete, "", R"(D:\idx)", "NMZ.*"},
        {R"(*delete "D:\idx","NMZ.*")", K::Delete, "", R"(D:\idx)", "NMZ.*"},
        {"*delete \"C:\\\x95\x5c\", \"NMZ.*\"", K::Delete, "", "C:\\\x95\x5c", "NMZ.*"},
        {R"(*delete "/a", "")", K::Delete, "", "/a", ""},
        {R"(*delete "", "NMZ.*")", K::Delete, "", "", "NMZ.*"},
        {R"(*delete ",")", K::None, "", "", ""},
        {R"(*delete "a",")", K::Delete, "", "a", ""},
        {R"(*delete D:\idx, "NMZ.*")", K::None, "", "", ""},
        {R"(*delete "D:\idx" "NMZ.*")", K::None, "", "", ""},
        {R"(*delete "D:\idx", NMZ.*)", K::None, "", "", ""},
        {R"(*chdir "C:\work")", K::Chdir, "", R"(C:\work)", ""},
        {R"(*chdir C:\work)", K::None, "", "", ""},
        {R"(*chdir "")", K::None, "", "", ""},
        {R"(*chdir ")", K::None, "", "", ""},
        {"!notepad.exe", K::Raw, "notepad.exe", "", ""},
        {"! echo  x ", K::Raw, " echo  x ", "", ""},
        {"!", K::Raw, "", "", ""},
        {"", K::None, "", "", ""},
        {"   ", K::None, "", "", ""},
    };
    for (const Case& c : cases) {
        const ParsedEntry parsed = ParseEntry(c.entry);
        EXPECT_EQ(parsed.kind, c.kind) << c.entry;
        EXPECT_EQ(parsed.arguments, c.arguments) << c.entry;
        EXPECT_EQ(parsed.directory, c.directory) << c.entry;
        EXPECT_EQ(parsed.mask, c.mask) << c.entry;
    }
}

TEST(CommandList, PrepareEntryComposesWhatRuns) {
    CommandListRun run{"/srv/work"};
    const Settings settings = Programs();
    struct Case {
        const char* entry;
        const char* commandLine;
        bool namazu;
    };
    const Case cases[] = {
        // mknmzOption does not join: what runs is what the entry shows.
        {R"(*mknmz --all --output="/i" "/d")", R"("/usr/bin/perl" "/usr/bin/mknmz" --all --output="/i" "/d")",
         true},
        {"*mknmz", "", false},
        {"!notepad.exe a.txt", "notepad.exe a.txt", false},
        {"--all", "", false},
        {"*chdir nowhere", "", false},
    };
    for (const Case& c : cases) {
        const PreparedEntry prepared = PrepareEntry(c.entry, run, settings, Host());
        EXPECT_EQ(prepared.commandLine, c.commandLine) << c.entry;
        EXPECT_EQ(prepared.namazuEnvironment, c.namazu) << c.entry;
        EXPECT_EQ(prepared.workDir, "/srv/work") << c.entry;
    }
    EXPECT_EQ(settings.Command.mknmzOption, "--use-kakasi -EHK --all");
}

TEST(CommandList, AnIndexFolderThatPerlsGlobWouldSplitIsGivenThroughALink) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    PlatformProfile platform;
    platform.tempFolder = temp.path().toStdString() + "/";
    CommandListRun run{"/srv/work"};
    const std::string perl = R"("/usr/bin/perl" "/usr/bin/mknmz" )";
    struct Case {
        std::string entry;
        std::string linkedFolder;  // what the link names; empty: no link, the entry runs as it stands
        std::string arguments;     // with LINK for the link's path
    };
    const Case cases[] = {
        {R"(*mknmz --output="/idx/出力 索引" "/文書 A")", "/idx/出力 索引", R"(--output=LINK "/文書 A")"},
        {R"(*mknmz -O "/idx/a b" /d)", "/idx/a b", "-O LINK /d"},
        {R"(*mknmz --output-dir "/idx/[1]" /d)", "/idx/[1]", "--output-dir LINK /d"},
        {R"(*mknmz --update="/idx/a b")", "/idx/a b", "--update=LINK"},
        {R"(*mknmz --ou="rel dir" /d)", "/srv/work/rel dir", "--ou=LINK /d"},
        {R"(*mknmz --output="/idx/plain" "/a b")", "", R"(--output="/idx/plain" "/a b")"},
        {R"(*mknmz --u="/idx/a b" /d)", "", R"(--u="/idx/a b" /d)"},  // --uuencode or --update
        {R"(*mknmz -O)", "", "-O"},
    };
    for (const Case& c : cases) {
        const PreparedEntry prepared = PrepareEntry(c.entry, run, Programs(), platform);
        std::string arguments = c.arguments;
        if (const std::size_t at = arguments.find("LINK"); at != std::string::npos) {
            arguments.replace(at, 4, prepared.outputLink);
        }
        EXPECT_EQ(prepared.commandLine, perl + arguments) << c.entry;
        if (c.linkedFolder.empty()) {
            EXPECT_EQ(prepared.outputLink, "") << c.entry;
            continue;
        }
        EXPECT_EQ(prepared.outputLink.rfind(platform.tempFolder, 0), 0u) << prepared.outputLink;
        EXPECT_EQ(prepared.outputLink.find_first_of(" []"), std::string::npos) << prepared.outputLink;
        EXPECT_EQ(fs::read_symlink(prepared.outputLink).string(), c.linkedFolder) << c.entry;
    }
}

class PseudoCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = fs::canonical(m_dir.path().toStdString()).string();
        m_run.currentDirectory = m_root;
        m_cwd = fs::current_path();
    }

    void Touch(const std::string& path) { std::ofstream(m_root + "/" + path) << "x"; }
    bool Exists(const std::string& path) const { return fs::exists(m_root + "/" + path); }
    PreparedEntry Prepare(const std::string& entry) { return PrepareEntry(entry, m_run, Programs(), Host()); }

    QTemporaryDir m_dir;
    std::string m_root;
    CommandListRun m_run;
    fs::path m_cwd;
};

TEST_F(PseudoCommandsTest, MkdirDeleteAndChdir) {
    EXPECT_EQ(Prepare("*mkdir \"" + m_root + "/idx/index1\"").commandLine, "");
    EXPECT_TRUE(fs::is_directory(m_root + "/idx/index1"));
    Prepare("*mkdir \"" + m_root + "/idx/index1\"");  // exists: nothing
    EXPECT_TRUE(fs::is_directory(m_root + "/idx/index1"));

    for (const char* name : {"idx/NMZ.i", "idx/NMZ.w", "idx/keep.txt", "idx/index1/NMZ.i"}) Touch(name);
    Prepare("*delete \"" + m_root + "/idx\",\"NMZ.*\"");
    EXPECT_FALSE(Exists("idx/NMZ.i") || Exists("idx/NMZ.w"));
    EXPECT_TRUE(Exists("idx/keep.txt") && Exists("idx/index1/NMZ.i"));
    Prepare("*delete \"" + m_root + "/idx/index1\", \"NMZ.*\"");
    EXPECT_FALSE(Exists("idx/index1/NMZ.i"));

    // Relative folders are under the run's folder; an empty folder is never the current one.
    Touch("NMZ.i");
    Prepare(R"(*delete "", "NMZ.*")");
    EXPECT_TRUE(Exists("NMZ.i"));
    Prepare(R"(*mkdir "rel/sub")");
    EXPECT_TRUE(fs::is_directory(m_root + "/rel/sub"));

    Prepare("*chdir " + m_root + "/rel");
    EXPECT_EQ(m_run.currentDirectory, m_root);
    Prepare(R"(*chdir "missing")");
    EXPECT_EQ(m_run.currentDirectory, m_root);
    Prepare(R"(*chdir "rel")");
    EXPECT_EQ(m_run.currentDirectory, m_root + "/rel");
    EXPECT_EQ(Prepare("!ls").workDir, m_root + "/rel");
    Prepare(R"(*chdir "sub/..")");
    EXPECT_EQ(m_run.currentDirectory, m_root + "/rel");
    Touch("rel/sub/NMZ.x");
    Prepare(R"(*delete "sub", "NMZ.*")");
    EXPECT_FALSE(Exists("rel/sub/NMZ.x"));

    // The program's own current folder never moves.
    EXPECT_EQ(fs::current_path(), m_cwd);
}

TEST_F(PseudoCommandsTest, EachRunStartsInTheMknmzFolder) {
    fs::create_directories(m_root + "/namazu/bin");
    Settings settings = Programs();
    settings.Command.mknmzPath = m_root + "/namazu/bin/mknmz";
    CommandListRun run{m_root + "/elsewhere"};
    EnterMknmzFolder(run, settings, Host());
    EXPECT_EQ(run.currentDirectory, m_root + "/namazu/bin");
    settings.Command.mknmzPath = m_root + "/missing/mknmz";
    EnterMknmzFolder(run, settings, Host());  // a failure keeps what a *chdir left
    EXPECT_EQ(run.currentDirectory, m_root + "/namazu/bin");
}

TEST(CommandList, EntriesToRunAndProgress) {
    const Entries list{"*mknmz a", "*mknmz b"};
    EXPECT_EQ(EntriesToRun(RunSource::List, "ignored", list), list);
    EXPECT_EQ(EntriesToRun(RunSource::CommandBox, "  *mknmz x\r\n*mknmz y\n", list), Entries{"*mknmz x"});
    EXPECT_EQ(EntriesToRun(RunSource::CommandBox, " \r\n ", list), Entries{});
    EXPECT_EQ(ProgressText(2, 5), "2 / 5");
    Settings settings;
    for (const auto& [word, mode] :
         {std::pair{"DOSWindow", RunMode::Shown}, std::pair{"doswindow", RunMode::Shown},
          std::pair{"Capture", RunMode::Capture}, std::pair{"", RunMode::Capture}}) {
        settings.Mknmz.ShowProcess = word;
        EXPECT_EQ(CommandListRunMode(settings), mode) << word;
    }
}

TEST(CommandList, EditingRules) {
    using E = CommandListEnabling;
    auto enabling = [](const CommandListState& s) {
        const E e = ListButtonsEnabling(s);
        return std::vector<bool>{e.btnCmdlineModify, e.btnCmdlineDelete, e.btnCmdlineUp, e.btnCmdlineDown,
                                 e.btnCmdlineClear};
    };
    CommandListState s;
    EXPECT_EQ(enabling(s), (std::vector<bool>{false, false, false, false, false}));

    FakePrompter prompter;
    EXPECT_FALSE(AddCommandLine(s, " \t", CodePage::Utf8, prompter));
    EXPECT_TRUE(AddCommandLine(s, "  *mknmz --all ", CodePage::Utf8, prompter));
    EXPECT_TRUE(AddCommandLine(s, "!b", CodePage::Utf8, prompter));
    EXPECT_TRUE(AddCommandLine(s, "!c", CodePage::Utf8, prompter));
    EXPECT_EQ(s.entries, (Entries{"*mknmz --all", "!b", "!c"}));
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_EQ(enabling(s), (std::vector<bool>{false, false, false, false, true}));

    // Duplicates differ only in letter case, also full-width and in CP932.
    prompter.messageAnswers = {MessageResult::No, MessageResult::Yes};
    EXPECT_FALSE(AddCommandLine(s, "*MKNMZ --ALL", CodePage::Utf8, prompter));
    EXPECT_TRUE(AddCommandLine(s, "!B", CodePage::Utf8, prompter));
    ASSERT_EQ(prompter.calls.size(), 2u);
    EXPECT_EQ(prompter.calls[0].text,
              QStringLiteral("同じコマンドラインが存在します。\n追加してもよろしいですか？"));
    EXPECT_EQ(prompter.calls[0].caption, QStringLiteral("確認"));
    EXPECT_EQ(prompter.calls[0].icon, MessageIcon::Question);
    CommandListState wide{{"!ｅｃｈｏ"}, -1};
    EXPECT_TRUE(AddCommandLine(wide, "!ＥＣＨＯ", CodePage::Utf8, prompter));  // no answers left: Yes
    EXPECT_EQ(prompter.calls.size(), 3u);
    CommandListState sjis{{"!\x82\x85"}, -1};  // ｅ
    prompter.messageAnswers = {MessageResult::No};
    EXPECT_FALSE(AddCommandLine(sjis, "!\x82\x64", CodePage::Cp932, prompter));  // Ｅ
    EXPECT_EQ(prompter.calls.size(), 4u);

    // s: *mknmz --all, !b, !c, !B
    EXPECT_FALSE(ModifyCommandLine(s, "!x"));
    EXPECT_FALSE(MoveCommandLineDown(s));
    s.selected = 0;
    EXPECT_EQ(enabling(s), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(MoveCommandLineUp(s));
    EXPECT_TRUE(MoveCommandLineDown(s));
    EXPECT_EQ(s.selected, 1);
    EXPECT_EQ(s.entries, (Entries{"!b", "*mknmz --all", "!c", "!B"}));
    EXPECT_FALSE(ModifyCommandLine(s, "   "));
    EXPECT_TRUE(ModifyCommandLine(s, " !m "));
    EXPECT_EQ(EntryToEdit(s), "!m");
    s.selected = 3;
    EXPECT_FALSE(MoveCommandLineDown(s));
    EXPECT_TRUE(MoveCommandLineUp(s));
    EXPECT_EQ(s.entries, (Entries{"!b", "!m", "!B", "!c"}));
    EXPECT_EQ(s.selected, 2);

    EXPECT_TRUE(DeleteCommandLine(s));  // the next one takes its place
    EXPECT_EQ(s.entries, (Entries{"!b", "!m", "!c"}));
    EXPECT_EQ(s.selected, 2);
    EXPECT_TRUE(DeleteCommandLine(s));  // the last one: the new last is selected
    EXPECT_EQ(s.selected, 1);
    EXPECT_TRUE(DeleteCommandLine(s));
    EXPECT_TRUE(DeleteCommandLine(s));
    EXPECT_EQ(s.selected, -1);
    EXPECT_FALSE(DeleteCommandLine(s));
    EXPECT_EQ(EntryToEdit(s), std::nullopt);

    // An entry is one line; options alone are offered as a *mknmz entry (Yes), kept as typed
    // (No) or not added (Cancel).
    CommandListState lines;
    FakePrompter offer;
    offer.messageAnswers = {MessageResult::Yes, MessageResult::No, MessageResult::Cancel};
    EXPECT_TRUE(AddCommandLine(lines, "\r\n !a\r\nb\n", CodePage::Utf8, offer));
    EXPECT_TRUE(AddCommandLine(lines, "--output=/x /docs\r\n", CodePage::Utf8, offer));
    EXPECT_TRUE(AddCommandLine(lines, "-V", CodePage::Utf8, offer));
    EXPECT_FALSE(AddCommandLine(lines, "-q", CodePage::Utf8, offer));
    lines.selected = 2;
    EXPECT_TRUE(ModifyCommandLine(lines, "!x\rmore"));
    EXPECT_EQ(lines.entries, (Entries{"!a", "*mknmz --output=/x /docs", "!x"}));
    ASSERT_EQ(offer.calls.size(), 3u);
    EXPECT_EQ(offer.calls[0].text, QStringLiteral("先頭が * でも ! でもないコマンドは実行されません。\n"
                                                  "「*mknmz --output=/x /docs」として追加しますか？"));
    EXPECT_EQ(offer.calls[0].buttons, MessageButtons::YesNoCancel);

    CommandListState full{{"!a", "!b"}, 1};
    FakePrompter ask;
    ask.messageAnswers = {MessageResult::No};
    EXPECT_FALSE(ClearCommandLines(full, ask));
    EXPECT_EQ(full.entries.size(), 2u);
    EXPECT_TRUE(ClearCommandLines(full, ask));
    EXPECT_TRUE(full.entries.empty());
    EXPECT_EQ(full.selected, -1);
    EXPECT_EQ(ask.calls[0].text,
              QStringLiteral("予約されているコマンドをすべて削除します。\nよろしいですか？"));
    EXPECT_EQ(ask.calls[0].buttons, MessageButtons::YesNoDefaultNo);
}

TEST(CommandListFile, ReadingAndWriting) {
    const std::string h = kHeader;
    struct Case {
        const char* name;
        std::string bytes;
        CodePage codePage;
        std::optional<Entries> entries;
    };
    const Case cases[] = {
        {"CR LF", h + "\r\n*mknmz a\r\n!b\r\n", CodePage::Utf8, Entries{"*mknmz a", "!b"}},
        {"LF, no final line end", h + "\n*mknmz a\n!b", CodePage::Utf8, Entries{"*mknmz a", "!b"}},
        {"CR", h + "\r*mknmz a\r!b\r", CodePage::Utf8, Entries{"*mknmz a", "!b"}},
        {"lines kept as they stand, empty ones too", h + "\r\n  *mknmz a \r\n\r\n\r\n!b\r\n", CodePage::Utf8,
         Entries{"  *mknmz a ", "", "", "!b"}},
        {"a list from Windows in CP932", h + "\r\n*mkdir \"C:\\\x95\x5c\"\r\n", CodePage::Utf8,
         Entries{"*mkdir \"C:\\表\""}},
        {"UTF-8 and CP932 lines, each in its own code", h + "\r\n!echo 表\r\n*mkdir \"C:\\\x95\x5c\"\r\n",
         CodePage::Utf8, Entries{"!echo 表", "*mkdir \"C:\\表\""}},
        {"CP932 kept in a CP932 program", h + "\r\n*mkdir \"C:\\\x95\x5c\"\r\n", CodePage::Cp932,
         Entries{"*mkdir \"C:\\\x95\x5c\""}},
        {"a byte-order mark", "\xEF\xBB\xBF" + h + "\r\n!a\r\n", CodePage::Utf8, Entries{"!a"}},
        {"header only", h + "\r\n", CodePage::Utf8, std::nullopt},
        {"header with a blank", h + " \r\n!a\r\n", CodePage::Utf8, std::nullopt},
        {"header in other letters", "this is a 'Quarrow for Namazu' Command Line List File.\r\n!a\r\n",
         CodePage::Utf8, std::nullopt},
        {"empty", "", CodePage::Utf8, std::nullopt},
        {"no header", "*mknmz a\r\n*mknmz b\r\n", CodePage::Utf8, std::nullopt},
    };
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string file = temp.path().toStdString() + "/list.txt";
    for (const Case& c : cases) {
        EXPECT_EQ(ParseCommandListFile(c.bytes, c.codePage), c.entries) << c.name;
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(ReadCommandListFile(file, c.codePage), c.entries) << c.name << ", from a file";
    }

    EXPECT_EQ(CommandListFileText({"*mknmz a", "!b"}), h + "\r\n*mknmz a\r\n!b\r\n");
    const Entries entries{"*mknmz --output=\"/索引\" \"/文書\"", "!b"};
    EXPECT_EQ(ParseCommandListFile(CommandListFileText(entries), CodePage::Utf8), entries);
}

TEST(CommandListFile, SaveTrimsTheListAndLoadReplacesIt) {
    TempProgramDir dir;
    const std::string path = dir.Path("一覧.txt");

    CommandListState blanks{{"  ", "\t", ""}, 1};
    FakePrompter none;
    EXPECT_FALSE(SaveCommandList(blanks, CodePage::Utf8, none));
    EXPECT_TRUE(blanks.entries.empty());
    EXPECT_TRUE(none.calls.empty());  // no dialog, no file

    CommandListState list{{" *mknmz a ", "", "!b\t"}, 2};
    FakePrompter cancel;
    EXPECT_FALSE(SaveCommandList(list, CodePage::Utf8, cancel));
    EXPECT_EQ(list.entries, (Entries{"*mknmz a", "!b"}));  // trimmed in place whatever follows
    EXPECT_EQ(cancel.Count("SaveFile"), 1);

    FakePrompter save;
    save.fileAnswers = {QString::fromStdString(path)};
    EXPECT_TRUE(SaveCommandList(list, CodePage::Utf8, save));
    EXPECT_EQ(dir.ReadFile("一覧.txt"), kHeader + "\r\n*mknmz a\r\n!b\r\n");

    // A read-only file is replaced only after asking; it stays read-only.
    ::chmod(path.c_str(), 0444);
    list.entries.push_back("!c");
    FakePrompter readOnly;
    readOnly.fileAnswers = {QString::fromStdString(path), QString::fromStdString(path)};
    readOnly.messageAnswers = {MessageResult::No, MessageResult::Yes};
    EXPECT_FALSE(SaveCommandList(list, CodePage::Utf8, readOnly));
    EXPECT_EQ(dir.ReadFile("一覧.txt"), kHeader + "\r\n*mknmz a\r\n!b\r\n");
    EXPECT_TRUE(SaveCommandList(list, CodePage::Utf8, readOnly));
    EXPECT_EQ(dir.ReadFile("一覧.txt"), kHeader + "\r\n*mknmz a\r\n!b\r\n!c\r\n");
    EXPECT_TRUE(IsReadOnlyFile(path));
    ASSERT_EQ(readOnly.Messages().size(), 2u);
    EXPECT_EQ(readOnly.Messages()[0], QString::fromStdString(path) + QStringLiteral(" は読み取り専用です。\n上書きしますか？"));
    EXPECT_EQ(readOnly.calls[1].buttons, MessageButtons::YesNoDefaultNo);
    ::chmod(path.c_str(), 0644);

    FakePrompter failing;
    failing.fileAnswers = {QString::fromStdString(dir.Path("missing/x.txt"))};
    EXPECT_FALSE(SaveCommandList(list, CodePage::Utf8, failing));
    EXPECT_EQ(failing.Messages(), std::vector<QString>{QStringLiteral("ファイルを保存できませんでした。")});

    CommandListState loaded{{"!old"}, 0};
    FakePrompter load;
    load.fileAnswers = {QString::fromStdString(path)};
    EXPECT_TRUE(LoadCommandList(loaded, CodePage::Utf8, load));
    EXPECT_EQ(loaded.entries, list.entries);
    EXPECT_EQ(loaded.selected, -1);

    dir.WriteFile("bad.txt", kHeader + "\r\n");
    FakePrompter bad;
    bad.fileAnswers = {QString::fromStdString(dir.Path("bad.txt"))};
    EXPECT_FALSE(LoadCommandList(loaded, CodePage::Utf8, bad));
    EXPECT_EQ(loaded.entries, list.entries);
    ASSERT_EQ(bad.Messages(), std::vector<QString>{QStringLiteral("ファイルが不正です。")});
    EXPECT_EQ(bad.calls.back().caption, QStringLiteral("エラー"));
    EXPECT_EQ(bad.calls.back().icon, MessageIcon::Error);
}
