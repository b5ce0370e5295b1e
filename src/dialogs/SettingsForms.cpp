#include "dialogs/SettingsForms.h"

#include "config/FileIo.h"
#include "process/CommandLine.h"

namespace {

// The number a box shows for a stored value: the value read as a number, 0 when it is none.
std::string ShownNumber(const std::string& stored) {
    return std::to_string(ParseCount(stored, 0));
}

bool IsDelimiter(char c, PathStyle style) {
    return style == PathStyle::Windows ? c == '\\' || c == ':' : c == '/';
}

}  // namespace

SettingsForm ReadSettingsForm(const Settings& s) {
    SettingsForm form;
    form.showExplanation = FlagOn(s.Window.ShowExplanation);
    form.savePosition = FlagOn(s.Window.SavePosition);
    form.resultOutput =
        SettingIs(s.Result.DisplayTo, "webbrowser") ? ResultOutput::WebBrowser : ResultOutput::Text;
    form.blankLine = ShownNumber(s.Result.FileNameBlankLineNext);
    form.spaceCount = ShownNumber(s.Result.FileNameSpaceFromEnd);
    form.usePnamazu = FlagOn(s.Command.Usepnamazu);
    form.searchOnChangeSettings = FlagOn(s.Result.SearchOnChangeSettings);
    form.confirmCommandLine = FlagOn(s.Result.ConfirmCommandLine);
    form.useConstantInBrowser = FlagOn(s.Result.UseDriveConstantsWebBrowser);
    form.mknmzWindow =
        SettingIs(s.Mknmz.ShowProcess, "doswindow") ? MknmzWindow::DosWindow : MknmzWindow::Internal;
    form.webBrowserOutput = SettingIs(s.WebBrowser.DisplayTo, "external") ? WebBrowserOutput::External
                                                                         : WebBrowserOutput::Internal;
    form.webBrowserType = SettingIs(s.WebBrowser.Type, "navigator")          ? WebBrowserType::Navigator
                          : SettingIs(s.WebBrowser.Type, "internetexplorer") ? WebBrowserType::InternetExplorer
                                                                            : WebBrowserType::Default;
    form.navigatorPath = s.WebBrowser.NavigatorPath;
    form.perlPath = s.Command.PerlPath;
    form.mknmzPath = s.Command.mknmzPath;
    form.namazuPath = s.Command.namazuPath;
    form.pnamazuPath = s.Command.pnamazuPath;
    form.namazuParams = s.Command.namazuOption;
    return form;
}

bool IsValidFileNamePosition(std::string_view text) {
    return ParseCount(std::string(text), 0) > 0;
}

InvalidNumber FirstInvalidNumber(const SettingsForm& form) {
    if (!IsValidFileNamePosition(form.blankLine)) return InvalidNumber::BlankLine;
    if (!IsValidFileNamePosition(form.spaceCount)) return InvalidNumber::SpaceCount;
    return InvalidNumber::None;
}

void StoreSettingsForm(const SettingsForm& form, Settings& s) {
    s.Window.SavePosition = FlagText(form.savePosition);
    s.Window.ShowExplanation = FlagText(form.showExplanation);
    s.Result.DisplayTo = form.resultOutput == ResultOutput::WebBrowser ? "WebBrowser" : "Text";
    s.Result.SearchOnChangeSettings = FlagText(form.searchOnChangeSettings);
    s.Result.ConfirmCommandLine = FlagText(form.confirmCommandLine);
    s.Result.FileNameBlankLineNext = form.blankLine;
    s.Result.FileNameSpaceFromEnd = form.spaceCount;
    s.Result.UseDriveConstantsWebBrowser = FlagText(form.useConstantInBrowser);
    s.Mknmz.ShowProcess = form.mknmzWindow == MknmzWindow::DosWindow ? "DOSWindow" : "Internal";
    s.WebBrowser.DisplayTo = form.webBrowserOutput == WebBrowserOutput::External ? "External" : "Internal";
    s.WebBrowser.Type = form.webBrowserType == WebBrowserType::Navigator          ? "Navigator"
                        : form.webBrowserType == WebBrowserType::InternetExplorer ? "InternetExplorer"
                                                                                  : "DefaultBrowser";
    s.WebBrowser.NavigatorPath = form.navigatorPath;
    s.Command.PerlPath = form.perlPath;
    s.Command.mknmzPath = form.mknmzPath;
    s.Command.namazuPath = form.namazuPath;
    s.Command.pnamazuPath = form.pnamazuPath;
    s.Command.namazuOption = form.namazuParams;
    s.Command.Usepnamazu = FlagText(form.usePnamazu);
}

DefaultProgramPaths DefaultPathsFor(const PlatformProfile& platform) {
    // A settings file without these keys gives exactly the values wanted; no file is read.
    const Settings absent = LoadSettings(std::string(), platform);
    return {absent.Command.PerlPath, absent.Command.mknmzPath, absent.Command.namazuPath};
}

PathParts SplitPath(std::string_view path, PathStyle style, CodePage codePage) {
    std::size_t last = 0;  // 1-based position of the last delimiter, 0 if none
    for (std::size_t pos = 1; pos <= path.size();) {
        const std::size_t len = style == PathStyle::Windows ? CharLength(codePage, path, pos) : 1;
        if (len == 1 && IsDelimiter(path[pos - 1], style)) last = pos;
        pos += len;
    }
    if (last == 0) return {std::string(), std::string(path)};
    const bool root = style == PathStyle::Windows
                          ? path[last - 1] == ':' || (last >= 2 && path[last - 2] == ':')
                          : last == 1;
    return {std::string(path.substr(0, root ? last : last - 1)), std::string(path.substr(last))};
}

BrowseStart SettingsBrowseStart(const std::string& storedPath, const PlatformProfile& platform) {
    const PathParts stored = SplitPath(storedPath, platform.pathStyle, platform.codePage);
    BrowseStart start;
    start.fileName = stored.fileName;
    start.folder = !stored.folder.empty() && DirectoryExists(stored.folder)
                       ? stored.folder
                       : SplitPath(platform.programFilePath, platform.pathStyle, platform.codePage).folder;
    return start;
}

std::vector<OptionHelpRun> OptionHelpRuns(const std::string& perlPath, const std::string& mknmzPath,
                                          const std::string& namazuPath, PathStyle style, CodePage codePage) {
    const std::string perl = QuoteArgument(perlPath, codePage);
    return {
        {perl + " -v", SplitPath(perlPath, style, codePage).folder, {}},
        {perl + " " + QuoteArgument(mknmzPath, codePage) + " --help", SplitPath(mknmzPath, style, codePage).folder,
         NamazuEnvironment()},
        {QuoteArgument(namazuPath, codePage) + " --help", SplitPath(namazuPath, style, codePage).folder,
         NamazuEnvironment()},
    };
}

NamazurcForm ReadNamazurcForm(const Settings& s) {
    return {s.Search.NamazurcPath, FlagOn(s.Search.SetIndexInNamazurc), !FlagOn(s.Search.UseNamazurc)};
}

void StoreNamazurcForm(const NamazurcForm& form, Settings& s) {
    s.Search.SetIndexInNamazurc = FlagText(form.setIndex);
    s.Search.UseNamazurc = FlagText(!form.dontUse);
    s.Search.NamazurcPath = form.path;
}

BrowseStart NamazurcBrowseStart(const std::string& editText, const std::string& storedPath, PathStyle style,
                                CodePage codePage) {
    const PathParts parts = SplitPath(editText.empty() ? storedPath : editText, style, codePage);
    return {parts.folder, parts.fileName};
}
