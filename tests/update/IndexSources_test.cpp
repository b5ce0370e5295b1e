#include "update/IndexSources.h"

#include <gtest/gtest.h>

#include <QDir>

#include "TestSupport.h"

// mknmz's argv as NMZ.status keeps it (tab-separated): options with their values skipped in
// every form Getopt::Long takes, targets resolved against cwd.
TEST(IndexSources, TargetsAreTheArgumentsThatAreNoOptionValues) {
    TempProgramDir dir;
    for (const char* name : {"docs", "mail", "-dash", "deep/er"}) QDir().mkpath(QString::fromStdString(dir.Path(name)));
    dir.WriteFile("file.txt", "x");
    const std::string cwd = dir.Path("");
    const std::string d = dir.Path("docs");
    struct Row {
        std::string argv;
        std::vector<std::string> folders;
        std::vector<std::string> others;
        std::string list;
    };
    const Row rows[] = {
        {"-O\tidx\tdocs", {d}, {}, ""},
        {"--output-dir=idx\t--use-kakasi\t-EHK\t--all\tdocs\tmail", {d, dir.Path("mail")}, {}, ""},
        {"--output-dir\tidx\t--exclude\tdocs\tmail", {dir.Path("mail")}, {}, ""},   // a long option's value
        {"--out\tidx\tdocs", {d}, {}, ""},                                        // an abbreviation
        {"-aOidx\tdocs", {d}, {}, ""},                                            // bundled, value attached
        {"-aO\tidx\tdocs", {d}, {}, ""},                                          // bundled, value next
        {"-t\ttext/plain\t-V\tdocs\t./docs/\tdeep/er/..\t" + d, {d, dir.Path("deep")}, {}, ""},
        {"-O\tidx\t--\t-dash", {dir.Path("-dash")}, {}, ""},
        {"docs\tfile.txt\tgone", {d}, {dir.Path("file.txt"), dir.Path("gone")}, ""},
        {"-O\tidx\t-F\tlist.txt", {}, {}, dir.Path("list.txt")},
        {"--target-list=/abs/list", {}, {}, "/abs/list"},
    };
    for (const Row& row : rows) {
        const IndexSources sources = IndexSourcesOf(row.argv, cwd);
        EXPECT_EQ(sources.folders, row.folders) << row.argv;
        EXPECT_EQ(sources.others, row.others) << row.argv;
        EXPECT_EQ(sources.targetList, row.list) << row.argv;
    }
}

TEST(IndexSources, ReadFromTheStatusFileOrNotFound) {
    TempProgramDir dir;
    for (const char* name : {"docs", "idx", "old"}) QDir().mkpath(QString::fromStdString(dir.Path(name)));
    dir.WriteFile("idx/NMZ.status", "files 2\nkeys 8\nargv -O\tidx\tdocs\ncwd " + dir.Path("") + "\n");
    dir.WriteFile("old/NMZ.status", "files 2\nkeys 8\n");
    EXPECT_EQ(ReadIndexSources(dir.Path("idx")).folders, std::vector<std::string>{dir.Path("docs")});
    EXPECT_FALSE(ReadIndexSources(dir.Path("old")).found);
    EXPECT_FALSE(ReadIndexSources(dir.Path("none")).found);
}
