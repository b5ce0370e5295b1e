// quarrow-seed-settings INDEX_FOLDER
// Gives the program beside this tool a first-run settings file whose search place is
// INDEX_FOLDER, but only when the program has no settings file yet: a file the user already
// has is never touched.

#include <unistd.h>
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/FileIo.h"
#include "config/IniFile.h"
#include "config/PlatformProfile.h"
#include "config/Settings.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: quarrow-seed-settings INDEX_FOLDER\n");
        return 2;
    }
    std::error_code error;
    const std::string index = std::filesystem::absolute(argv[1], error).lexically_normal().string();

    // The profile the program itself computes: same folder, its own file name.
    PlatformProfile platform = HostPlatformProfile();
    platform.programFilePath = platform.programFolder + "quarrow";
    const std::string path = SettingsPathFor(platform);
    if (FileExists(path)) {
        std::printf("Settings kept as they are: %s\n(the demo index is %s)\n", path.c_str(), index.c_str());
        return 0;
    }

    const std::string draft = path + ".seed-" + std::to_string(::getpid());
    IniFile ini;
    if (!WriteDefaultSettings(draft, platform) || !ini.Load(draft, platform.codePage)) {
        std::fprintf(stderr, "quarrow-seed-settings: cannot write %s\n", draft.c_str());
        ::unlink(draft.c_str());
        return 1;
    }
    ini.SetValue("Search", "Directory1", index);
    if (!ini.Save(draft)) {
        std::fprintf(stderr, "quarrow-seed-settings: cannot write %s\n", draft.c_str());
        ::unlink(draft.c_str());
        return 1;
    }
    // link() refuses to replace a file that appeared meanwhile.
    const int linked = ::link(draft.c_str(), path.c_str());
    const int linkError = errno;
    ::unlink(draft.c_str());
    if (linked != 0) {
        if (linkError == EEXIST) return 0;
        std::fprintf(stderr, "quarrow-seed-settings: cannot write %s: %s\n", path.c_str(),
                     std::strerror(linkError));
        return 1;
    }
    std::printf("Wrote %s, searching the demo index %s\n", path.c_str(), index.c_str());
    return 0;
}
