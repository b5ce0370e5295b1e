#pragma once

#include <string>

// One updater per index at a time, across processes and users: an advisory lock (flock) on the
// index folder itself, so nothing is written into it and a crashed holder leaves no lock behind.
// mknmz's own NMZ.lock2 is checked and made in two steps, and two updates started together can
// both pass the check; this lock is taken before mknmz starts.
class IndexLock {
public:
    IndexLock() = default;
    ~IndexLock();
    IndexLock(IndexLock&& other) noexcept;
    IndexLock& operator=(IndexLock&& other) noexcept;
    IndexLock(const IndexLock&) = delete;
    IndexLock& operator=(const IndexLock&) = delete;

    enum class Wait { No, Yes };
    // Takes the lock of `indexFolder`; with Wait::No it fails at once while another holds it.
    // False also when the folder cannot be opened.
    bool Acquire(const std::string& indexFolder, Wait wait);
    bool Held() const { return m_fd >= 0; }
    void Release();

    // Whether another holds the lock of `indexFolder` now.
    static bool Busy(const std::string& indexFolder);

private:
    int m_fd = -1;
};
