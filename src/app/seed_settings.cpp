// quarrow-seed-settings INDEX_FOLDER
// Gives the program beside this tool a first-run settings file whose search place is
// INDEX_FOLDER, but only when the program has no settings file yet: a file the user already
// has is never touched. An aliases.ini for the demo index goes beside the settings file in the
// same way, only when there is none.

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

namespace {

// An alias of the demo index and prepared queries that find its documents.
std::string DemoAliases(const std::string& index) {
    // A path with a blank is written in two pairs of quotes: reading the file removes one.
    const std::string directory = index.find(' ') == std::string::npos ? index : "\"\"" + index + "\"\"";
    return "; Aliases of the demo index. See the help page for the form of this file.\n"
           "[DirAliasList]\nCount=1\nAlias1=デモの文書\n\n"
           "[DirAlias1]\nDirCount=1\nDirectory1=" +
           directory +
           "\n\n"
           "[QueryGroupList]\nCount=2\nGroup1=日本語の文書\nGroup2=English\n\n"
           "[QueryGroup1]\nQueryCount=3\nQuery1=灯台\nCaption1=灯台の話\nQuery2=温泉\n"
           "Query3=(寿司 or 味噌汁)\nCaption3=食べ物\n\n"
           "[QueryGroup2]\nQueryCount=3\nQuery1=lighthouse\nQuery2=comet\nQuery3=bread\n"
           "Caption3=sourdough bread\n";
}

// Writes the file unless one is there; link() refuses to replace a file that appeared meanwhile.
void SeedAliases(const std::string& folder, const std::string& index, CodePage codePage) {
    const std::string path = folder + "aliases.ini";
    if (FileExists(path)) return;
    const std::string draft = path + ".seed-" + std::to_string(::getpid());
    if (!WriteFileAtomically(draft, Utf8ToProgram(codePage, DemoAliases(index)))) return;
    if (::link(draft.c_str(), path.c_str()) == 0) std::printf("Wrote %s for the demo index\n", path.c_str());
    ::unlink(draft.c_str());
}

}  // namespace

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
    SeedAliases(FolderOf(path, platform.pathStyle), index, platform.codePage);
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
