#include "config/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

RegularFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    RegularFileRead read;
    if (path.empty()) return read;
    // Without blocking: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        read.outcome = errno == ENOENT ? RegularFileRead::Outcome::Missing : RegularFileRead::Outcome::Refused;
        return read;
    }
    read.outcome = RegularFileRead::Outcome::Refused;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return read;
    }
    read.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);  // one more byte sees a file that grew
    std::size_t done = 0;
    while (done < read.bytes.size()) {
        const ssize_t n = ::read(fd, read.bytes.data() + done, read.bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            read.bytes.clear();
            return read;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        if (done > maxBytes) {
            ::close(fd);
            read.bytes.clear();
            return read;
        }
        if (done == read.bytes.size()) read.bytes.resize(read.bytes.size() + 64 * 1024);
    }
    ::close(fd);
    read.bytes.resize(done);
    read.outcome = RegularFileRead::Outcome::Read;
    return read;
}

bool NothingAt(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}
