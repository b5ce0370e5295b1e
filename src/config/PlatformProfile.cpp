#include "config/PlatformProfile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdlib>

char PathSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

std::string FolderOf(const std::string& path, PathStyle style) {
    const std::size_t cut = style == PathStyle::Windows ? path.find_last_of("\\:") : path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string PrivateTempFolder() {
    std::string folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && ::access(runtime, W_OK) == 0) {
        folder = std::string(runtime) + "/quarrow";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/quarrow-" + std::to_string(::getuid());
    }
    ::mkdir(folder.c_str(), 0700);
    // Refuse a folder that someone else made for us in a shared place.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        const QString fallback = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        folder = QFile::encodeName(fallback).toStdString() + "/quarrow-tmp";
        QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder)));
    }
    ::chmod(folder.c_str(), 0700);
    return folder + "/";
}

std::string InstalledDataFolder(const std::string& programFolder) {
    const std::string bin = "/bin/";
    if (programFolder.size() < bin.size() ||
        programFolder.compare(programFolder.size() - bin.size(), bin.size(), bin) != 0) {
        return {};
    }
    const std::string data = programFolder.substr(0, programFolder.size() - bin.size()) + "/share/quarrow/";
    struct stat st {};
    return ::stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? data : std::string();
}

PlatformProfile HostPlatformProfile() {
    PlatformProfile profile;
    profile.programFilePath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    profile.programFolder = FolderOf(profile.programFilePath, PathStyle::Posix);
    profile.codePage = ProgramCodePageFromLocale();
    profile.pathStyle = PathStyle::Posix;
    profile.tempFolder = PrivateTempFolder();
    profile.firstRun = FirstRunProfile::Linux;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string configHome =
        xdg && *xdg ? std::string(xdg) : std::string(home && *home ? home : "/tmp") + "/.config";
    profile.configFallbackFolder = configHome + "/quarrow/";
    const std::string installedData = InstalledDataFolder(profile.programFolder);
    profile.installed = !installedData.empty();
    profile.dataFolder = profile.installed ? installedData : profile.programFolder;
    return profile;
}
