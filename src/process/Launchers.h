#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QObject;

#include "config/PlatformProfile.h"
#include "config/Settings.h"

// Outside browsers and the desktop's "open": every launcher starts its program and returns as
// soon as it runs. False when it could not be started. The opener's own verdict (xdg-open ends
// with a non-zero code when no application takes the file) comes later: then `failed` of the
// report is called from the event loop, unless its `context` is gone by then.
struct LaunchReport {
    QObject* context = nullptr;
    std::function<void()> failed;
};

// The `NavigatorPath` program with the URL as its argument. False for an empty or missing program.
bool OpenInNetscape(const std::string& url, const std::string& programPath, const LaunchReport& report = {});

// The system's web browser, `x-www-browser URL`.
bool OpenInInternetExplorer(const std::string& url, const LaunchReport& report = {});

// The application the desktop associates with a file or URL, through xdg-open. A local file
// that does not exist counts as a failure, as the shell's "open" reports it.
bool OpenWithShell(const std::string& target, const LaunchReport& report = {});

// The folder that holds a local file, opened with the desktop's file manager (through
// OpenWithShell). False when the path names no folder or the folder cannot be opened.
bool OpenContainingFolder(const std::string& path, PathStyle style, CodePage codePage,
                          const LaunchReport& report = {});

// A local path as a file URI, every byte that needs it escaped: "file:///tmp/a%20b.txt".
std::string LocalFileUri(const std::string& path);

// Where a page goes, by the [WebBrowser] settings.
enum class BrowserLauncher { Embedded, Navigator, InternetExplorer, Shell };

// ShowInBrowser: embedded unless `DisplayTo` is "external"; then by `Type`: "navigator",
// "internetexplorer", anything else the shell.
BrowserLauncher ShowInBrowserLauncher(const Settings& settings);

// ShowHtmlDocument: embedded only when `DisplayTo` is "internal"; then "navigator" or, for every
// other type, the system's web browser.
BrowserLauncher ShowHtmlDocumentLauncher(const Settings& settings);

// What the help commands show, in the program's data folder (its own folder, or share/quarrow/
// of an installed program).
// mnuHelpStart: the folder with its separator, then help/start.html.
std::string HelpStartPath(const PlatformProfile& platform);
// mnuHelpQuarrow: the folder, then /help/index.html.
std::string HelpIndexPath(const PlatformProfile& platform);

// Namazu's own pages ("manual.html", "tutorial.html"), where they may lie: first the parent of
// the folder of `namazuPath` + share/namazu/doc/ja/<page>; in the Posix style also where Debian
// keeps them, <that parent>/share/doc/namazu2/ja/<page> and .../namazu2-common/ja/<page>.
std::vector<std::string> NamazuDocCandidates(std::string_view namazuPath, std::string_view page,
                                             PathStyle style, CodePage codePage);
// The first candidate that exists; the first one when none does (the browser then says so).
std::string NamazuDocPath(std::string_view namazuPath, std::string_view page, PathStyle style,
                          CodePage codePage);
