#include "process/Launchers.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cctype>

#include "config/FileIo.h"
#include "process/Paths.h"

namespace {

QString Native(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

bool StartDetached(const QString& program, const QStringList& arguments) {
    if (program.isEmpty()) return false;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // The browser must not inherit our terminal's chatter, nor hold on to it.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

// "http:", "mailto:", "file:" ...: a scheme of two letters or more (one letter is a drive).
std::string_view SchemeOf(std::string_view target) {
    std::size_t i = 0;
    while (i < target.size() && (std::isalnum(static_cast<unsigned char>(target[i])) || target[i] == '+' ||
                                 target[i] == '-' || target[i] == '.')) {
        ++i;
    }
    if (i < 2 || i >= target.size() || target[i] != ':' ||
        !std::isalpha(static_cast<unsigned char>(target[0]))) {
        return {};
    }
    return target.substr(0, i);
}

bool IsDelimiter(char c, PathStyle style) {
    return style == PathStyle::Windows ? c == '\\' || c == ':' : c == '/';
}

// The folder part of a path as the platform's file functions give it: without the last
// separator, except for a root ("C:\", "/"); empty when the path names no folder.
std::string FolderPart(std::string_view path, PathStyle style, CodePage codePage) {
    std::size_t last = 0;  // 1-based position of the last delimiter, 0 if none
    for (std::size_t pos = 1; pos <= path.size();) {
        const std::size_t len = CharLength(codePage, path, pos);
        if (len == 1 && IsDelimiter(path[pos - 1], style)) last = pos;
        pos += len;
    }
    if (last == 0) return {};
    const bool root = style == PathStyle::Windows
                          ? path[last - 1] == ':' || (last >= 2 && path[last - 2] == ':')
                          : last == 1;
    return std::string(path.substr(0, root ? last : last - 1));
}

// `rest` begins with a separator; a folder that already ends in one does not get a second.
std::string JoinPath(const std::string& folder, std::string_view rest, PathStyle style, CodePage codePage) {
    if (folder.empty()) return std::string(rest);
    rest.remove_prefix(1);
    return AddTrailingBackslash(folder, style, codePage) + std::string(rest);
}

std::string Separated(std::string_view posixPath, PathStyle style) {
    std::string path(posixPath);
    if (style == PathStyle::Windows) {
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    return path;
}

}  // namespace

bool OpenInNetscape(const std::string& url, const std::string& programPath) {
    return StartDetached(Native(programPath), {Native(url)});
}

bool OpenInInternetExplorer(const std::string& url) {
    return StartDetached(QStringLiteral("x-www-browser"), {Native(url)});
}

bool OpenWithShell(const std::string& target) {
    if (target.empty()) return false;
    const std::string_view scheme = SchemeOf(target);
    if (scheme.empty()) {
        if (!FileExists(target) && !DirectoryExists(target)) return false;
    } else if (SettingIs(scheme, "file")) {
        const QString local = QUrl(Native(target)).toLocalFile();
        if (local.isEmpty() || !QFileInfo::exists(local)) return false;
    }
    return StartDetached(QStringLiteral("xdg-open"), {Native(target)});
}

bool OpenContainingFolder(const std::string& path, PathStyle style, CodePage codePage) {
    const std::string folder = FolderPart(path, style, codePage);
    return !folder.empty() && OpenWithShell(folder);
}

std::string LocalFileUri(const std::string& path) {
    return QUrl::fromLocalFile(Native(path)).toString(QUrl::FullyEncoded).toStdString();
}

BrowserLauncher ShowInBrowserLauncher(const Settings& settings) {
    const auto& web = settings.WebBrowser;
    if (!SettingIs(web.DisplayTo, "external")) return BrowserLauncher::Embedded;
    if (SettingIs(web.Type, "navigator")) return BrowserLauncher::Navigator;
    if (SettingIs(web.Type, "internetexplorer")) return BrowserLauncher::InternetExplorer;
    return BrowserLauncher::Shell;
}

BrowserLauncher ShowHtmlDocumentLauncher(const Settings& settings) {
    const auto& web = settings.WebBrowser;
    if (SettingIs(web.DisplayTo, "internal")) return BrowserLauncher::Embedded;
    if (SettingIs(web.Type, "navigator")) return BrowserLauncher::Navigator;
    return BrowserLauncher::InternetExplorer;
}

std::string HelpStartPath(const PlatformProfile& platform) {
    const std::string folder =
        AddTrailingBackslash(platform.dataFolder, platform.pathStyle, platform.codePage);
    return folder + Separated("help/start.html", platform.pathStyle);
}

std::string HelpIndexPath(const PlatformProfile& platform) {
    return JoinPath(platform.dataFolder, Separated("/help/index.html", platform.pathStyle),
                    platform.pathStyle, platform.codePage);
}

std::vector<std::string> NamazuDocCandidates(std::string_view namazuPath, std::string_view page,
                                             PathStyle style, CodePage codePage) {
    const std::string prefix = FolderPart(FolderPart(namazuPath, style, codePage), style, codePage);
    std::vector<std::string> candidates;
    candidates.push_back(
        JoinPath(prefix, Separated("/share/namazu/doc/ja/" + std::string(page), style), style, codePage));
    if (style == PathStyle::Posix) {
        for (const char* package : {"namazu2", "namazu2-common"}) {
            candidates.push_back(JoinPath(
                prefix, "/share/doc/" + std::string(package) + "/ja/" + std::string(page), style, codePage));
        }
    }
    return candidates;
}

std::string NamazuDocPath(std::string_view namazuPath, std::string_view page, PathStyle style,
                          CodePage codePage) {
    const std::vector<std::string> candidates = NamazuDocCandidates(namazuPath, page, style, codePage);
    for (const std::string& candidate : candidates) {
        if (FileExists(candidate)) return candidate;
    }
    return candidates.front();
}
