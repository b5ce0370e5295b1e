#include "indexer/DefaultOptions.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>

#include "TestSupport.h"
#include "config/IniFile.h"

namespace {

constexpr auto U8 = CodePage::Utf8;

// A settings file as a user has it: other sections, a comment, CR LF, and a [MknmzDefault]
// left by an earlier save with three options.
const std::string kSettings =
    "[Window]\r\nSavePosition=1\r\n; kept comment\r\n\r\n"
    "[MknmzDefault]\r\nTargetFile=RegEx\r\nRegEx=\\.txt$\r\nDeleteBeforeMakeIndex=1\r\nOptionCount=3\r\n"
    "Option1=--meta\r\nOption2=--robots\r\nOption3=--quiet\r\nOtherOptions=-V\r\n\r\n"
    "[Command]\r\nmknmzOption=--use-kakasi -EHK --all\r\n";

std::vector<std::pair<std::string, std::string>> Section(const std::string& text) {
    return IniFile(text).SectionValues("MknmzDefault");
}

std::vector<std::size_t> Checked(const MakeIndexForm& form) {
    std::vector<std::size_t> checked;
    for (std::size_t i = 0; i < kCriteriaCount; ++i) {
        if (form.lstCriteria[i].checked) checked.push_back(i);
    }
    return checked;
}

}  // namespace

TEST(DefaultOptions, EachPageWritesOnlyItsKeysAndLeavesEveryOtherByte) {
    TempProgramDir dir;
    const std::string path = dir.Path("quarrow.ini");
    dir.WriteFile("quarrow.ini", kSettings);

    MakeIndexForm form = NewMakeIndexForm(U8);
    form.optTargetDefault = false;
    form.optTargetAll = true;
    form.edtTargetFilePattern = "  *.html ";
    form.chkTargetFileList = true;
    form.edtTargetFileListFileName = " /home/u/list.txt ";
    form.edtDenyFilePattern = "\t~$";
    form.lstCriteria[1].checked = form.lstCriteria[3].checked = form.lstCriteria[11].checked = true;
    form.chkMknmzrc = true;
    form.edtMknmzrcFileName = "  /etc/mknmzrc  ";
    form.edtOtherParameters = " -V ";

    SaveDefaultOptions(path, 2, form, U8);
    const std::string afterTab2 = dir.ReadFile("quarrow.ini");
    EXPECT_EQ(
        afterTab2,
        "[Window]\r\nSavePosition=1\r\n; kept comment\r\n\r\n"
        "[MknmzDefault]\r\nTargetFile=All\r\nRegEx=*.html\r\nDeleteBeforeMakeIndex=1\r\nOptionCount=3\r\n"
        "Option1=--meta\r\nOption2=--robots\r\nOption3=--quiet\r\nOtherOptions=-V\r\n"
        "UseListFile=1\r\nListFileName=/home/u/list.txt\r\nUseDenyFile=0\r\nDenyFilePattern=~$\r\n\r\n"
        "[Command]\r\nmknmzOption=--use-kakasi -EHK --all\r\n");

    SaveDefaultOptions(path, 3, form, U8);
    using KV = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Section(dir.ReadFile("quarrow.ini")),
              (KV{
                  {"TargetFile", "All"},
                  {"RegEx", "*.html"},
                  {"DeleteBeforeMakeIndex", "0"},
                  {"OptionCount", "2"},
                  {"Option1", "--no-symbol"},
                  {"Option2", "--quiet"},
                  {"Option3", "--quiet"},  // beyond the count: left, and ignored on reading
                  {"OtherOptions", "-V"},
                  {"UseListFile", "1"},
                  {"ListFileName", "/home/u/list.txt"},
                  {"UseDenyFile", "0"},
                  {"DenyFilePattern", "~$"},
                  {"UpdateIndex", "1"},
                  {"UseMediaType", "0"},
                  {"MediaType", ""},
                  {"UseReplace", "0"},
                  {"Replace", ""},
                  {"UseMknmzrc", "1"},
                  {"MknmzrcFileName", "  /etc/mknmzrc  "},  // stored untrimmed
              }));

    // Read into a new window's form: items 3 and 11 of 2..11 and item 1; texts trimmed on reading.
    MakeIndexForm read = NewMakeIndexForm(U8);
    LoadDefaultOptions(path, read, U8);
    EXPECT_EQ(Checked(read), (std::vector<std::size_t>{1, 3, 11}));
    EXPECT_TRUE(read.optTargetAll);
    EXPECT_FALSE(read.optTargetDefault || read.optTargetRegex);
    EXPECT_EQ(read.edtMknmzrcFileName, "/etc/mknmzrc");
    EXPECT_EQ(read.edtTargetFileListFileName, "/home/u/list.txt");
    EXPECT_TRUE(read.chkTargetFileList && read.chkMknmzrc);
    EXPECT_EQ(read.edtOtherParameters, "-V");
}

TEST(DefaultOptions, ReadingRules) {
    struct Case {
        const char* name;
        std::string section;
        std::vector<std::size_t> checked;  // with item 5 checked before reading
        bool all, regex;
    };
    const Case cases[] = {
        {"no section", "", {5}, false, false},
        {"Default", "TargetFile=Default\n", {5}, false, false},
        {"unknown word", "TargetFile=Everything\n", {5}, false, false},
        {"all, any case", "TargetFile=aLL\n", {5}, true, false},
        {"regex", "TargetFile=RegEx\n", {5}, false, true},
        {"blanks around option values match",
         "OptionCount=2\nOption1=  --no-symbol \t\nOption2=--html-split\n",
         {3, 5},
         false,
         false},
        {"not the end of the item text", "OptionCount=1\nOption1=--no\n", {5}, false, false},
        {"items 0 and 1 are never options", "OptionCount=1\nOption1=--update=\n", {5}, false, false},
        {"keys beyond the count", "OptionCount=1\nOption1=--meta\nOption2=--robots\n", {5, 9}, false, false},
        {"a count that is not a number", "OptionCount=two\nOption1=--meta\n", {5}, false, false},
        {"keys in any case and order, the first of two keys counts",
         "OptionCount=3\noption3=--quiet\nOption2=\nOPTION1=--mailnews\nOption1=--meta\nOption01=--robots\n",
         {4, 5, 11},
         false,
         false},
        {"flags are exactly 1", "DeleteBeforeMakeIndex=1\nUpdateIndex=yes\n", {0, 5}, false, false},
    };
    for (const Case& c : cases) {
        TempProgramDir dir;
        if (!c.section.empty()) dir.WriteFile("q.ini", "[MknmzDefault]\n" + c.section);
        MakeIndexForm form = NewMakeIndexForm(U8);
        form.lstCriteria[5].checked = true;
        form.chkDenyFile = form.chkReplace = true;  // set both ways
        LoadDefaultOptions(dir.Path("q.ini"), form, U8);
        EXPECT_EQ(Checked(form), c.checked) << c.name;
        EXPECT_EQ(form.optTargetAll, c.all) << c.name;
        EXPECT_EQ(form.optTargetRegex, c.regex) << c.name;
        EXPECT_EQ(form.optTargetDefault, !c.all && !c.regex) << c.name;
        EXPECT_FALSE(form.chkDenyFile || form.chkReplace) << c.name;
    }
}

TEST(DefaultOptions, AHugeCountReadsAtOnce) {
    TempProgramDir dir;
    dir.WriteFile("q.ini", "[MknmzDefault]\nOptionCount=2147483647\nOption2147483647=--quiet\n");
    MakeIndexForm form = NewMakeIndexForm(U8);
    const auto start = std::chrono::steady_clock::now();
    LoadDefaultOptions(dir.Path("q.ini"), form, U8);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(Checked(form), std::vector<std::size_t>{11});
}

TEST(DefaultOptions, TheButtonAsksAndStoresTheActivePage) {
    struct Case {
        int page;
        MessageResult answer;
        bool stored;
        const char* key;  // a key of the page that must be there afterwards
    };
    const Case cases[] = {
        {2, MessageResult::Cancel, false, nullptr},  {1, MessageResult::Ok, false, nullptr},
        {4, MessageResult::Ok, false, nullptr},      {2, MessageResult::Ok, true, "UseDenyFile"},
        {3, MessageResult::Ok, true, "OptionCount"},
    };
    for (const Case& c : cases) {
        TempProgramDir dir;
        dir.WriteFile("q.ini", "[Window]\n");
        FakePrompter prompter;
        prompter.messageAnswers = {c.answer};
        EXPECT_EQ(SaveDefaultsOfPage(c.page, dir.Path("q.ini"), NewMakeIndexForm(U8), U8, prompter),
                  c.stored);
        ASSERT_EQ(prompter.calls.size(), 1u);
        EXPECT_EQ(prompter.calls[0].text, QStringLiteral("現在のページの状態を既定値として保存します。"));
        EXPECT_EQ(prompter.calls[0].caption, QStringLiteral("Quarrow for Namazu"));
        EXPECT_EQ(prompter.calls[0].icon, MessageIcon::Information);
        EXPECT_EQ(prompter.calls[0].buttons, MessageButtons::OkCancel);
        const IniFile ini(dir.ReadFile("q.ini"));
        EXPECT_EQ(ini.HasSection("MknmzDefault"), c.stored) << c.page;
        if (c.key) {
            EXPECT_TRUE(ini.Value("MknmzDefault", c.key).has_value()) << c.key;
        }
    }
}

TEST(DefaultOptions, AReadOnlySettingsFileIsLeftAlone) {
    TempProgramDir dir;
    dir.WriteFile("q.ini", "[Window]\n");
    ::chmod(dir.Path("q.ini").c_str(), 0444);
    SaveDefaultOptions(dir.Path("q.ini"), 2, NewMakeIndexForm(U8), U8);
    EXPECT_EQ(dir.ReadFile("q.ini"), "[Window]\n");

    // A new file is made as the profile functions make one.
    SaveDefaultOptions(dir.Path("new.ini"), 2, NewMakeIndexForm(U8), U8);
    EXPECT_EQ(dir.ReadFile("new.ini"),
              "[MknmzDefault]\nTargetFile=Default\nRegEx=\nUseListFile=0\nListFileName=\nUseDenyFile=0\n"
              "DenyFilePattern=\n");
}
