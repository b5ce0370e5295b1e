#include "config/FileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

std::optional<std::string> ReadWholeFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // Straight into the string, sized from the file: documents of tens of megabytes are read
    // without an intermediate buffer and copy.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    const std::size_t expected = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    bytes.resize(std::max<std::size_t>(expected + 1, 64 * 1024));  // one more byte sees the end at once
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() * 2);  // a file that grew, or a pipe
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

namespace {

constexpr std::string_view kSavePrefix = ".quarrow-save-";

std::string FolderOfFile(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(int fd, const std::string& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byPath) == 0 && byFd.st_dev == byPath.st_dev &&
           byFd.st_ino == byPath.st_ino;
}

// A temporary file that this process holds a lock on for as long as it writes: a save that was
// killed leaves its file unlocked, and the next save or start removes it.
int CreateLockedTemp(std::string& temp, const std::string& folder) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp = folder + "/" + std::string(kSavePrefix) + "XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) return -1;
        // Someone cleaning up may take the file between its creation and the lock; then it is
        // gone from the folder and another one is made.
        if (::flock(fd, LOCK_EX) == 0 && SameFile(fd, temp)) return fd;
        ::close(fd);
    }
    return -1;
}

// Where a save of `path` puts its file: `path`, or the file a link there names. A link that
// another user owns (planted in a shared folder) is not followed, and nothing is put in place of
// what is not a regular file or of a file the user could not write himself (the owner could, by
// changing its mode): nothing then.
std::optional<std::string> SaveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? std::optional(path) : std::nullopt;
    std::string target = path;
    if (S_ISLNK(st.st_mode)) {
        if (st.st_uid != ::geteuid() && st.st_uid != 0) return std::nullopt;
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved)) return path;  // a dangling link of our own is replaced
        target = resolved;
        if (::stat(target.c_str(), &st) != 0) return errno == ENOENT ? std::optional(target) : std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    if (st.st_uid != ::geteuid() && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return std::nullopt;
    return target;
}

}  // namespace

void RemoveStaleSaveFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, kSavePrefix.size()) != kSavePrefix) continue;
        const std::string path = folder + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        // A lock held means a save is writing it right now.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            SameFile(fd, path)) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    // By hand rather than QSaveFile: it reported success for a write cut short by a size limit.
    const std::optional<std::string> safeTarget = SaveTarget(path);  // through a link, not over it
    if (!safeTarget) return false;
    const std::string& target = *safeTarget;
    const std::string folder = FolderOfFile(target);
    RemoveStaleSaveFiles(folder);
    std::string temp;
    const int fd = CreateLockedTemp(temp, folder);
    if (fd < 0) return false;
    struct stat st {};
    const bool replaces = ::stat(target.c_str(), &st) == 0;
    ::fchmod(fd, replaces ? (st.st_mode & 07777) : 0644);
    // Root saving another user's file leaves it that user's.
    if (replaces && ::geteuid() == 0 && st.st_uid != 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        ::unlink(temp.c_str());
        ::close(fd);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    // Renamed while still locked, so no cleaner can take it before it has its name.
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    ok = ::close(fd) == 0 && ok;
    return ok;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::access(path.c_str(), W_OK) != 0;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
