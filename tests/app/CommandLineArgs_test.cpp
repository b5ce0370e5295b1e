#include "app/CommandLineArgs.h"

#include <gtest/gtest.h>

TEST(CommandLineArgs, OnlyTheFirstArgumentChoosesAndTheWindowIgnoresTheRest) {
    struct Row {
        std::vector<std::string> args;
        StartMode mode;
        std::vector<std::string> folders;
    };
    const Row rows[] = {
        {{}, StartMode::Window, {}},
        {{"some-file.txt", "--update"}, StartMode::Window, {}},
        {{"-platform", "offscreen"}, StartMode::Window, {}},
        {{"--help"}, StartMode::Help, {}},
        {{"-h"}, StartMode::Help, {}},
        {{"--version"}, StartMode::Version, {}},
        {{"--update"}, StartMode::Update, {}},
        {{"--update", "/a", "/b c"}, StartMode::Update, {"/a", "/b c"}},
        {{"--update", "--", "-odd"}, StartMode::Update, {"-odd"}},
        {{"--update", "-v", "/a"}, StartMode::Bad, {}},
        {{"--update", ""}, StartMode::Bad, {}},
        {{"--update=/a"}, StartMode::Bad, {}},
    };
    for (const Row& row : rows) {
        const CommandLineArgs parsed = ParseCommandLineArgs(row.args);
        const std::string shown = row.args.empty() ? "(none)" : row.args.front();
        EXPECT_EQ(parsed.mode, row.mode) << shown;
        EXPECT_EQ(parsed.indexFolders, row.folders) << shown;
        EXPECT_EQ(parsed.error.empty(), row.mode != StartMode::Bad) << shown;
    }
}
