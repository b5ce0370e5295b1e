#include "update/IndexLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

IndexLock::~IndexLock() {
    Release();
}

IndexLock::IndexLock(IndexLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

IndexLock& IndexLock::operator=(IndexLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool IndexLock::Acquire(const std::string& indexFolder, Wait wait) {
    Release();
    const int fd = ::open(indexFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const int operation = LOCK_EX | (wait == Wait::No ? LOCK_NB : 0);
    int result;
    while ((result = ::flock(fd, operation)) < 0 && errno == EINTR) {
    }
    if (result < 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void IndexLock::Release() {
    if (m_fd < 0) return;
    ::close(m_fd);  // closing drops the lock
    m_fd = -1;
}

bool IndexLock::Busy(const std::string& indexFolder) {
    const int fd = ::open(indexFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool busy = ::flock(fd, LOCK_SH | LOCK_NB) < 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return busy;
}
