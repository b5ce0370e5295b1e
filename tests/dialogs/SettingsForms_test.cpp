#include "dialogs/SettingsForms.h"

#include <gtest/gtest.h>

#include <QDir>

#include "TestSupport.h"

namespace {

Settings FirstRunSettings(const TempProgramDir& dir) {
    return InitSettings(dir.Profile());
}

}  // namespace

// Each radio group: the stored word (any case) selects an item, and the item is stored in one
// written form, so an unknown word comes back as the group's fallback.
TEST(SettingsForms, RadioGroupWordsAreReadInAnyCaseAndStoredInTheirWrittenForm) {
    TempProgramDir dir;
    struct WordRow {
        std::string resultDisplayTo, showProcess, browserDisplayTo, browserType;
        ResultOutput output;
        MknmzWindow mknmz;
        WebBrowserOutput browserOutput;
        WebBrowserType type;
        std::string storedResult, storedProcess, storedBrowser, storedType;
    };
    using RO = ResultOutput;
    using MW = MknmzWindow;
    using WO = WebBrowserOutput;
    using WT = WebBrowserType;
    const WordRow rows[] = {
        {"Text", "Internal", "Internal", "NetscapeNavigator", RO::Text, MW::Internal, WO::Internal,
         WT::Default, "Text", "Internal", "Internal", "DefaultBrowser"},
        {"WebBrowser", "DOSWindow", "External", "Navigator", RO::WebBrowser, MW::DosWindow, WO::External,
         WT::Navigator, "WebBrowser", "DOSWindow", "External", "Navigator"},
        {"webbrowser", "doswindow", "EXTERNAL", "INTERNETEXPLORER", RO::WebBrowser, MW::DosWindow,
         WO::External, WT::InternetExplorer, "WebBrowser", "DOSWindow", "External", "InternetExplorer"},
        {"wEbBrOwSeR", "DosWindow", "external", "navigator", RO::WebBrowser, MW::DosWindow, WO::External,
         WT::Navigator, "WebBrowser", "DOSWindow", "External", "Navigator"},
        {"", "", "", "", RO::Text, MW::Internal, WO::Internal, WT::Default, "Text", "Internal", "Internal",
         "DefaultBrowser"},
        {"Web Browser", "DOS", "Outside", "DefaultBrowser", RO::Text, MW::Internal, WO::Internal, WT::Default,
         "Text", "Internal", "Internal", "DefaultBrowser"},
        {"HTML", "Console", "internal ", "Internet Explorer", RO::Text, MW::Internal, WO::Internal,
         WT::Default, "Text", "Internal", "Internal", "DefaultBrowser"},
    };
    for (const WordRow& row : rows) {
        Settings settings = FirstRunSettings(dir);
        settings.Result.DisplayTo = row.resultDisplayTo;
        settings.Mknmz.ShowProcess = row.showProcess;
        settings.WebBrowser.DisplayTo = row.browserDisplayTo;
        settings.WebBrowser.Type = row.browserType;
        const SettingsForm form = ReadSettingsForm(settings);
        EXPECT_EQ(form.resultOutput, row.output) << row.resultDisplayTo;
        EXPECT_EQ(form.mknmzWindow, row.mknmz) << row.showProcess;
        EXPECT_EQ(form.webBrowserOutput, row.browserOutput) << row.browserDisplayTo;
        EXPECT_EQ(form.webBrowserType, row.type) << row.browserType;
        StoreSettingsForm(form, settings);
        EXPECT_EQ(settings.Result.DisplayTo, row.storedResult);
        EXPECT_EQ(settings.Mknmz.ShowProcess, row.storedProcess);
        EXPECT_EQ(settings.WebBrowser.DisplayTo, row.storedBrowser);
        EXPECT_EQ(settings.WebBrowser.Type, row.storedType);
    }
}

TEST(SettingsForms, FileNamePositionsAreShownAsNumbersAndMustBeAbove0) {
    struct Row {
        std::string stored, shown;
    };
    const Row shownRows[] = {{"2", "2"},  {"12", "12"}, {"abc", "0"}, {"", "0"},
                             {" 3", "3"}, {"-1", "-1"}, {"1.5", "0"}, {"99999999999", "0"}};
    TempProgramDir dir;
    for (const Row& row : shownRows) {
        Settings settings = FirstRunSettings(dir);
        settings.Result.FileNameBlankLineNext = row.stored;
        settings.Result.FileNameSpaceFromEnd = row.stored;
        const SettingsForm form = ReadSettingsForm(settings);
        EXPECT_EQ(form.blankLine, row.shown) << row.stored;
        EXPECT_EQ(form.spaceCount, row.shown) << row.stored;
    }

    struct Valid {
        std::string typed;
        bool valid;
    };
    const Valid validRows[] = {{"1", true},  {"9", true},   {"12", true},           {"0", false},
                               {"", false},  {"-3", false}, {"abc", false},         {"3a", false},
                               {" 5", true}, {"00", false}, {"99999999999", false}, {"２", false}};
    for (const Valid& row : validRows) EXPECT_EQ(IsValidFileNamePosition(row.typed), row.valid) << row.typed;

    SettingsForm form;
    form.blankLine = "0";
    form.spaceCount = "";
    EXPECT_EQ(FirstInvalidNumber(form), InvalidNumber::BlankLine);
    form.blankLine = "12";
    EXPECT_EQ(FirstInvalidNumber(form), InvalidNumber::SpaceCount);
    form.spaceCount = "1";
    EXPECT_EQ(FirstInvalidNumber(form), InvalidNumber::None);
}

TEST(SettingsForms, StoringTheFormSetsItsSettingsAndNoOther) {
    TempProgramDir dir;
    const Settings before = FirstRunSettings(dir);
    SettingsForm form = ReadSettingsForm(before);
    form.showExplanation = !form.showExplanation;
    form.savePosition = true;
    form.blankLine = "12";  // stored as typed
    form.spaceCount = "3";
    form.usePnamazu = true;
    form.searchOnChangeSettings = true;
    form.confirmCommandLine = true;
    form.useConstantInBrowser = true;
    form.navigatorPath = "/opt/nav igator/nav";
    form.perlPath = "/opt/perl/bin/perl";
    form.mknmzPath = "/opt/namazu/bin/mknmz";
    form.namazuPath = "/opt/namazu/bin/namazu";
    form.pnamazuPath = "/opt/pnamazu/pnamazu.pl";
    form.namazuParams = "--late -s";

    Settings after = before;
    StoreSettingsForm(form, after);
    EXPECT_EQ(after.Window.ShowExplanation, before.Window.ShowExplanation == "1" ? "0" : "1");
    EXPECT_EQ(after.Window.SavePosition, "1");
    EXPECT_EQ(after.Result.FileNameBlankLineNext, "12");
    EXPECT_EQ(after.Result.FileNameSpaceFromEnd, "3");
    EXPECT_EQ(after.Command.Usepnamazu, "1");
    EXPECT_EQ(after.Result.SearchOnChangeSettings, "1");
    EXPECT_EQ(after.Result.ConfirmCommandLine, "1");
    EXPECT_EQ(after.Result.UseDriveConstantsWebBrowser, "1");
    EXPECT_EQ(after.WebBrowser.NavigatorPath, "/opt/nav igator/nav");
    EXPECT_EQ(after.Command.PerlPath, "/opt/perl/bin/perl");
    EXPECT_EQ(after.Command.mknmzPath, "/opt/namazu/bin/mknmz");
    EXPECT_EQ(after.Command.namazuPath, "/opt/namazu/bin/namazu");
    EXPECT_EQ(after.Command.pnamazuPath, "/opt/pnamazu/pnamazu.pl");
    EXPECT_EQ(after.Command.namazuOption, "--late -s");

    // What the dialog does not show stays as it was.
    after.Window.ShowExplanation = before.Window.ShowExplanation;
    after.Window.SavePosition = before.Window.SavePosition;
    after.Result = before.Result;
    after.Command = before.Command;
    after.WebBrowser = before.WebBrowser;
    after.Mknmz = before.Mknmz;
    EXPECT_EQ(after.Window.ScreenType, before.Window.ScreenType);
    EXPECT_EQ(after.Search.Sort, before.Search.Sort);
    EXPECT_EQ(after.Search.UseNamazurc, before.Search.UseNamazurc);
    EXPECT_EQ(after.Text.Convert, before.Text.Convert);
    EXPECT_EQ(after.Directories, before.Directories);

    // Reading the stored settings gives the form back.
    Settings again = before;
    StoreSettingsForm(form, again);
    const SettingsForm reread = ReadSettingsForm(again);
    EXPECT_EQ(reread.blankLine, "12");
    EXPECT_EQ(reread.navigatorPath, form.navigatorPath);
    EXPECT_EQ(reread.namazuParams, form.namazuParams);
    EXPECT_TRUE(reread.confirmCommandLine);
}

TEST(SettingsForms, DefaultPathsFollowTheProfile) {
    TempProgramDir linux;
    const DefaultProgramPaths onLinux = DefaultPathsFor(linux.Profile());
    EXPECT_EQ(onLinux.perlPath, "/usr/bin/perl");
    EXPECT_EQ(onLinux.mknmzPath, "/usr/bin/mknmz");
    EXPECT_EQ(onLinux.namazuPath, "/usr/bin/namazu");

    TempProgramDir windows(PathStyle::Windows, CodePage::Cp932);
    const DefaultProgramPaths onWindows = DefaultPathsFor(windows.Profile());
    EXPECT_EQ(onWindows.perlPath, "C:\\Perl\\bin\\perl.exe");
    EXPECT_EQ(onWindows.mknmzPath, "C:\\namazu\\bin\\mknmz");
    EXPECT_EQ(onWindows.namazuPath, "C:\\namazu\\bin\\namazu.exe");
}

TEST(SettingsForms, PathsSplitIntoFolderAndFileName) {
    struct Row {
        PathStyle style;
        std::string path, folder, fileName;
    };
    const Row rows[] = {
        {PathStyle::Posix, "/usr/bin/perl", "/usr/bin", "perl"},
        {PathStyle::Posix, "/perl", "/", "perl"},
        {PathStyle::Posix, "perl", "", "perl"},
        {PathStyle::Posix, "", "", ""},
        {PathStyle::Posix, "/opt/My Tools/", "/opt/My Tools", ""},
        {PathStyle::Posix, "/home/u/設定/namazurc", "/home/u/設定", "namazurc"},
        {PathStyle::Posix, "C:\\namazu\\bin\\namazu.exe", "", "C:\\namazu\\bin\\namazu.exe"},
        {PathStyle::Windows, "C:\\Perl\\bin\\perl.exe", "C:\\Perl\\bin", "perl.exe"},
        {PathStyle::Windows, "C:\\perl.exe", "C:\\", "perl.exe"},
        {PathStyle::Windows, "C:perl.exe", "C:", "perl.exe"},
        {PathStyle::Windows, "perl.exe", "", "perl.exe"},
        // a folder name whose second byte is "\" stays whole
        {PathStyle::Windows, "C:\\\x95\x5C\\a.exe", "C:\\\x95\x5C", "a.exe"},
        {PathStyle::Windows, "C:\\\x95\x5C", "C:\\", "\x95\x5C"},
    };
    for (const Row& row : rows) {
        const CodePage codePage = row.style == PathStyle::Windows ? CodePage::Cp932 : CodePage::Utf8;
        const PathParts parts = SplitPath(row.path, row.style, codePage);
        EXPECT_EQ(parts.folder, row.folder) << row.path;
        EXPECT_EQ(parts.fileName, row.fileName) << row.path;
    }
}

TEST(SettingsForms, BrowsingStartsAtTheStoredPathsFolderWhenItExists) {
    TempProgramDir dir;
    QDir().mkpath(QString::fromStdString(dir.Path("my tools/bin")));
    const PlatformProfile platform = dir.Profile();
    const std::string programFolder = dir.Folder().substr(0, dir.Folder().size() - 1);
    struct Row {
        std::string stored, folder, fileName;
    };
    const Row rows[] = {
        {dir.Path("my tools/bin/perl"), dir.Path("my tools/bin"), "perl"},
        {dir.Path("my tools/bin/not-there-yet"), dir.Path("my tools/bin"), "not-there-yet"},
        {dir.Path("gone/bin/namazu"), programFolder, "namazu"},
        {"namazu", programFolder, "namazu"},
        {"", programFolder, ""},
    };
    for (const Row& row : rows) {
        const BrowseStart start = SettingsBrowseStart(row.stored, platform);
        EXPECT_EQ(start.folder, row.folder) << row.stored;
        EXPECT_EQ(start.fileName, row.fileName) << row.stored;
    }
}

TEST(SettingsForms, OptionHelpRunsTheThreeProgramsInTheirFolders) {
    const std::vector<OptionHelpRun> posix = OptionHelpRuns(
        "/opt/my perl/perl", "/usr/bin/mknmz", "/usr/bin/namazu", PathStyle::Posix, CodePage::Utf8);
    ASSERT_EQ(posix.size(), 3u);
    EXPECT_EQ(posix[0].commandLine, "\"/opt/my perl/perl\" -v");
    EXPECT_EQ(posix[0].workDir, "/opt/my perl");
    EXPECT_TRUE(posix[0].environment.empty());
    EXPECT_EQ(posix[1].commandLine, "\"/opt/my perl/perl\" \"/usr/bin/mknmz\" --help");
    EXPECT_EQ(posix[1].workDir, "/usr/bin");
    EXPECT_EQ(posix[2].commandLine, "\"/usr/bin/namazu\" --help");
    EXPECT_EQ(posix[2].workDir, "/usr/bin");
    for (int i : {1, 2}) {
        ASSERT_FALSE(posix[i].environment.empty());
        EXPECT_EQ(posix[i].environment.front().name, "LANG");
        EXPECT_EQ(posix[i].environment.front().value, "ja_JP.eucJP");
    }

    const std::vector<OptionHelpRun> windows =
        OptionHelpRuns("C:\\Perl\\bin\\perl.exe", "C:\\namazu\\bin\\mknmz", "C:\\namazu\\bin\\namazu.exe",
                       PathStyle::Windows, CodePage::Cp932);
    EXPECT_EQ(windows[0].commandLine, "\"C:\\Perl\\bin\\perl.exe\" -v");
    EXPECT_EQ(windows[0].workDir, "C:\\Perl\\bin");
    EXPECT_EQ(windows[1].commandLine, "\"C:\\Perl\\bin\\perl.exe\" \"C:\\namazu\\bin\\mknmz\" --help");
    EXPECT_EQ(windows[1].workDir, "C:\\namazu\\bin");
    EXPECT_EQ(windows[2].commandLine, "\"C:\\namazu\\bin\\namazu.exe\" --help");

    // A bare program name runs where the program itself runs.
    EXPECT_EQ(OptionHelpRuns("perl", "mknmz", "namazu", PathStyle::Posix, CodePage::Utf8)[0].workDir, "");
}

TEST(SettingsForms, NamazurcFormInvertsUseNamazurc) {
    TempProgramDir dir;
    struct Row {
        std::string use, setIndex;
        bool dontUse, setIndexBox;
    };
    const Row rows[] = {{"1", "1", false, true},
                        {"0", "0", true, false},
                        {"", "", true, false},
                        {"yes", "on", true, false},
                        {"1", "0", false, false}};
    for (const Row& row : rows) {
        Settings settings = FirstRunSettings(dir);
        settings.Search.UseNamazurc = row.use;
        settings.Search.SetIndexInNamazurc = row.setIndex;
        const NamazurcForm form = ReadNamazurcForm(settings);
        EXPECT_EQ(form.dontUse, row.dontUse) << row.use;
        EXPECT_EQ(form.setIndex, row.setIndexBox) << row.setIndex;
        EXPECT_EQ(form.path, settings.Search.NamazurcPath);
    }

    Settings settings = FirstRunSettings(dir);
    StoreNamazurcForm({"/nowhere/namazurc", true, false}, settings);
    EXPECT_EQ(settings.Search.UseNamazurc, "1");
    EXPECT_EQ(settings.Search.SetIndexInNamazurc, "1");
    EXPECT_EQ(settings.Search.NamazurcPath, "/nowhere/namazurc");
    StoreNamazurcForm({"", false, true}, settings);
    EXPECT_EQ(settings.Search.UseNamazurc, "0");
    EXPECT_EQ(settings.Search.SetIndexInNamazurc, "0");
    EXPECT_EQ(settings.Search.NamazurcPath, "");
}

TEST(SettingsForms, NamazurcBrowsingStartsAtTheEditsFolderElseTheStoredOne) {
    struct Row {
        std::string edit, stored, folder, fileName;
    };
    const Row rows[] = {
        {"/home/u/my conf/namazurc", "/etc/namazu/namazurc", "/home/u/my conf", "namazurc"},
        {"", "/etc/namazu/namazurc", "/etc/namazu", "namazurc"},
        {"", "", "", ""},
        {"namazurc", "/etc/namazu/namazurc", "", "namazurc"},
    };
    for (const Row& row : rows) {
        const BrowseStart start = NamazurcBrowseStart(row.edit, row.stored, PathStyle::Posix, CodePage::Utf8);
        EXPECT_EQ(start.folder, row.folder) << row.edit << "|" << row.stored;
        EXPECT_EQ(start.fileName, row.fileName) << row.edit << "|" << row.stored;
    }
}
