// A query and a search place (the input's first line and the rest) give a command line in which
// the query comes back as one argument, right after the options, whatever quotes it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "search/SearchCommand.h"
#include "process/CommandLine.h"
#include "process/IndexDirectories.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string query = input.substr(0, cut);
    const std::string place = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    PlatformProfile platform;
    platform.programFolder = "/opt/q/";
    platform.tempFolder = "/run/q/";
    Settings settings;
    settings.Command.namazuPath = "/usr/bin/namazu";
    settings.Search.ListCount = "20";
    ParseIndexDirectories(place, settings, CodePage::Utf8);
    SearchMenuState menus;
    menus.sort = SortKey::Score;
    const SearchCommand command =
        ComposeSearchCommand(menus, query, settings, platform, {"{hd1} => /    []"}, false);
    const std::vector<std::string> args = SplitCommandLine(command.commandLine, platform.codePage);
    // namazu, --sort=score, --max=20, --output=..., the query.
    if (args.size() < 5 || args[4] != query) __builtin_trap();
    if (args[3] != "--output=/run/q/result.txt") __builtin_trap();
    return 0;
}
