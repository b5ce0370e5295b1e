// Saves into shared folders: links and files of other users.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>

#include "config/FileIo.h"

namespace {

namespace fs = std::filesystem;
constexpr uid_t kOther = 65534;  // nobody

// `save` run as `uid` (in a child process when that is another user).
bool AsUser(uid_t uid, const std::function<bool()>& save) {
    if (uid == ::geteuid()) return save();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::setgid(uid) == 0 && ::setuid(uid) == 0 && save() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WriteFileAtomically, NeitherFollowsAnotherUsersLinkNorReplacesAFileTheUserCouldNotWrite) {
    const uid_t me = ::geteuid();
    struct Row {
        const char* name;
        bool link;         // list.txt is a link to file.txt, owned by linkOwner
        uid_t linkOwner;
        bool file;         // file.txt exists, owned by fileOwner with fileMode
        uid_t fileOwner;
        mode_t fileMode;
        uid_t saver;
        bool written;
    };
    const Row rows[] = {
        {"a link another user planted is not followed", true, kOther, true, me, 0644, me, false},
        {"the user's own link is written through", true, me, true, me, 0644, me, true},
        {"root saving another user's file leaves it theirs", false, 0, true, kOther, 0600, me, true},
        {"a file the user cannot write is not replaced", false, 0, true, me, 0644, kOther, false},
        {"the owner replaces his read-only file and it stays read-only", false, 0, true, kOther, 0444, kOther,
         true},
        {"a new file", false, 0, false, 0, 0, kOther, true},
    };
    for (const Row& row : rows) {
        const bool others = row.linkOwner != me || row.fileOwner != me || row.saver != me;
        if (others && me != 0) continue;  // only root can make another user's files
        QTemporaryDir temp;
        ASSERT_TRUE(temp.isValid());
        const std::string dir = temp.path().toStdString();
        ::chmod(dir.c_str(), 0777);  // a shared folder, without the sticky bit's protection
        const std::string file = dir + "/file.txt";
        const std::string list = row.link ? dir + "/list.txt" : file;
        if (row.file) {
            std::ofstream(file) << "old";
            ASSERT_EQ(::chown(file.c_str(), row.fileOwner, row.fileOwner), 0);
            ::chmod(file.c_str(), row.fileMode);
        }
        if (row.link) {
            ASSERT_EQ(::symlink(file.c_str(), list.c_str()), 0);
            ASSERT_EQ(::lchown(list.c_str(), row.linkOwner, row.linkOwner), 0);
        }
        EXPECT_EQ(AsUser(row.saver, [&] { return WriteFileAtomically(list, "new"); }), row.written) << row.name;
        EXPECT_EQ(Read(file), row.written ? "new" : "old") << row.name;
        if (row.link) EXPECT_TRUE(fs::is_symlink(list)) << row.name;
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0) << row.name;
        if (row.file) {
            EXPECT_EQ(st.st_uid, row.fileOwner) << row.name;
            EXPECT_EQ(st.st_mode & 0777, row.fileMode) << row.name;
        }
    }
}

}  // namespace
