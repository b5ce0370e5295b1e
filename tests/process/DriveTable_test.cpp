#include "process/DriveTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "TestSupport.h"
#include "process/Paths.h"

namespace {

DriveSources FixtureSources() {
    DriveSources sources;
    sources.mountTable = TestDataPath("drives/mounts");
    sources.sysBlock = TestDataPath("drives/sys/class/block");
    sources.byLabel = TestDataPath("drives/by-label");
    return sources;
}

// Two disks (one mounted twice), a USB stick, two DVDs, and what must get no line:
// proc, sysfs, devtmpfs, tmpfs, a snap loop device, a RAM disk, NFS and SMB.
TEST(DriveTableTest, ListsMountedLocalDrivesByKind) {
    const std::vector<std::string> expected = {
        "{hd1} => /    [SYSTEM]",
        "{hd2} => /home    []",
        "{cdrom1} => /media/cdrom0    [DATA01]",
        "{hd3} => /media/user/My Disk    [データ 2]",
        "{removable1} => /media/user/USBSTICK",
        "{cdrom2} => /media/user/DVD 2    []",
    };
    EXPECT_EQ(ListDrives(FixtureSources()), expected);
}

TEST(DriveTableTest, MissingSourcesGiveAnEmptyOrUnlabelledTable) {
    DriveSources sources = FixtureSources();
    sources.mountTable = TestDataPath("drives/no-such-file");
    EXPECT_TRUE(ListDrives(sources).empty());

    sources = FixtureSources();
    sources.byLabel = TestDataPath("drives/no-such-dir");
    const auto drives = ListDrives(sources);
    ASSERT_EQ(drives.size(), 6u);
    EXPECT_EQ(drives[0], "{hd1} => /    []");

    // Without sysfs the kind of no device can be told.
    sources = FixtureSources();
    sources.sysBlock = TestDataPath("drives/no-such-dir");
    EXPECT_TRUE(ListDrives(sources).empty());
}

TEST(DriveTableTest, ConstantsResolveAgainstTheTable) {
    const auto drives = ListDrives(FixtureSources());
    const std::pair<std::string, std::string> cases[] = {
        {"/{hd3}/日本語 文書/a b.txt", "/media/user/My Disk/日本語 文書/a b.txt"},
        {"{cdrom2}/docs", "/media/user/DVD 2/docs"},
        {"/{hd1}/var/lib/namazu/index", "/var/lib/namazu/index"},
        {"{removable1}", "/media/user/USBSTICK"},
        {"{cdrom3}/docs", "{cdrom3}/docs"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(ExpandDriveConstant(path, drives, PathStyle::Posix, CodePage::Utf8), expected) << path;
    }
}

// The machine the tests run on: whatever it has, every line is well formed and names a place.
TEST(DriveTableTest, HostTableIsWellFormed) {
    const std::regex line(R"(\{(hd|removable|cdrom)[1-9][0-9]*\} => (/[^\n]*?)(    \[[^\n]*\])?)");
    for (const std::string& drive : ListDrives()) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(drive, match, line)) << drive;
        EXPECT_TRUE(std::filesystem::exists(match[2].str())) << drive;
    }
}

}  // namespace
