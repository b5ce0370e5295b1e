#include "update/IndexUpdate.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "TestSupport.h"
#include "update/IndexStatus.h"
#include "indexer/CommandList.h"
#include "process/CommandLine.h"

namespace {

const char* const kStatus = "files 2\nkeys 10\nargv -O\tidx\tdocs\ncwd /tmp\n";

void MakeIndex(const TempProgramDir& dir, const std::string& name, const std::string& status = kStatus) {
    QDir().mkpath(QString::fromStdString(dir.Path(name)));
    dir.WriteFile(name + "/NMZ.status", status);
}

}  // namespace

TEST(IndexUpdate, EachIndexOfThePlaceIsTakenOnceOrRefusedWithItsReason) {
    TempProgramDir dir;
    MakeIndex(dir, "a");
    MakeIndex(dir, "with blank");
    MakeIndex(dir, "old", "files 2\nkeys 10\n");  // from a mknmz that kept no record of its build
    MakeIndex(dir, "locked");
    QDir().mkpath(QString::fromStdString(dir.Path("empty")));
    ::symlink(dir.Path("a").c_str(), dir.Path("link").c_str());
    const ReadOnlyFolder readOnly(dir.Path("locked"));
    ASSERT_TRUE(readOnly.Made());

    const std::string place = dir.Path("a") + " \"" + dir.Path("with blank") + "\" +namazurc-index " +
                              dir.Path("old") + " " + dir.Path("empty") + " " + dir.Path("locked") + " ./link " +
                              dir.Path("a") + "/";
    struct Row {
        std::string folder;
        UpdateRefusal refusal;
    };
    const Row expected[] = {
        {dir.Path("a"), UpdateRefusal::None},
        {dir.Path("with blank"), UpdateRefusal::None},
        {"", UpdateRefusal::NamazurcIndex},
        {dir.Path("old"), UpdateRefusal::NoBuildRecord},
        {dir.Path("empty"), UpdateRefusal::NoIndex},
        {dir.Path("locked"), UpdateRefusal::ReadOnly},
        // ./link and a/ name the first index again.
    };
    const std::vector<IndexToUpdate> indexes = IndexesToUpdate(place, dir.Profile(), {});
    ASSERT_EQ(indexes.size(), std::size(expected));
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        EXPECT_EQ(indexes[i].folder, expected[i].folder) << i;
        EXPECT_EQ(indexes[i].refusal, expected[i].refusal) << indexes[i].folder;
    }
    EXPECT_EQ(RefusalLine(indexes[2], CodePage::Utf8), "+namazurc-index: namazurc の IndexDir の下のインデックスは更新できません");
    EXPECT_EQ(RefusalLine(indexes[4], CodePage::Utf8), dir.Path("empty") + ": インデックスが見つかりません");
    EXPECT_EQ(RefusalLine(indexes[5], CodePage::Utf8), dir.Path("locked") + ": フォルダに書き込みできません");
    EXPECT_TRUE(IndexesToUpdate("   ", dir.Profile(), {}).empty());
}

TEST(IndexUpdate, TheEntryNamesTheFolderAsOneArgument) {
    TempProgramDir dir;
    Settings settings;
    settings.Command.PerlPath = "/usr/bin/perl";
    settings.Command.mknmzPath = "/usr/bin/mknmz";
    CommandListRun run{dir.Folder()};
    const std::string rows[] = {"/idx", "/my docs/索引", "/odd\"name", "/back\\slash\\"};
    for (const std::string& folder : rows) {
        const std::string entry = UpdateEntry(folder, CodePage::Utf8);
        // What mknmz gets when the command list runs the entry.
        const PreparedEntry prepared = PrepareEntry(entry, run, settings, dir.Profile());
        // A folder that Perl's glob would split reaches mknmz as a link to it.
        const std::string named = prepared.outputLink.empty() ? folder : prepared.outputLink;
        if (!prepared.outputLink.empty()) {
            EXPECT_EQ(std::filesystem::read_symlink(prepared.outputLink).string(), folder) << entry;
        }
        const std::vector<std::string> argv = SplitCommandLine(prepared.commandLine, CodePage::Utf8);
        EXPECT_EQ(argv, (std::vector<std::string>{"/usr/bin/perl", "/usr/bin/mknmz", "--update=" + named}))
            << entry;
    }
    EXPECT_EQ(UpdateEntry("/idx", CodePage::Utf8), "*mknmz --update=\"/idx\"");
}

TEST(IndexUpdate, AnUpdatedIndexReadsAsFreshAgain) {
    TempProgramDir dir;
    MakeIndex(dir, "idx");
    const std::string status = dir.Path("idx/NMZ.status");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, status.c_str(), old, 0), 0);
    EXPECT_LT(ReadIndexStatus(dir.Path("idx")).builtAt, QDateTime::currentDateTime().addDays(-1000));
    EXPECT_TRUE(MarkIndexUpdated(dir.Path("idx")));
    const IndexStatus fresh = ReadIndexStatus(dir.Path("idx"));
    EXPECT_GE(fresh.builtAt, QDateTime::currentDateTime().addSecs(-5));
    EXPECT_EQ(fresh.documents, 2);
    EXPECT_EQ(dir.ReadFile("idx/NMZ.status"), kStatus);  // only its time changed
    EXPECT_FALSE(MarkIndexUpdated(dir.Path("nowhere")));
}
