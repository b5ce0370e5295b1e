#include "update/IndexWatcher.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <deque>
#include <fstream>

#include "config/PlatformProfile.h"
#include "update/IndexSources.h"

namespace {

constexpr std::uint32_t kMask = IN_CREATE | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
constexpr int kTopLevels = 1;  // the partial watch: the folder and its subfolders

bool Inside(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

IndexWatcher::IndexWatcher(QObject* parent)
    : QObject(parent), m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_limit(DefaultWatchLimit()) {
    if (m_fd < 0) return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &IndexWatcher::ReadEvents);
}

IndexWatcher::~IndexWatcher() {
    m_notifier.reset();
    if (m_fd >= 0) ::close(m_fd);  // drops every watch
}

std::size_t IndexWatcher::DefaultWatchLimit() {
    std::size_t max = 8192;  // the kernel's old fixed default
    std::ifstream("/proc/sys/fs/inotify/max_user_watches") >> max;
    return std::max<std::size_t>(max / 4, 1);
}

void IndexWatcher::SetDelay(std::chrono::milliseconds delay) {
    m_delay = delay;
    for (const auto& timer : m_timers) timer->setInterval(static_cast<int>(delay.count()));
}

void IndexWatcher::Watch(const std::vector<std::string>& indexFolders) {
    for (const auto& [wd, watched] : m_watches) ::inotify_rm_watch(m_fd, wd);
    m_watches.clear();
    m_indexes.clear();
    m_timers.clear();
    m_ignored.clear();
    // Drains what the removed watches left queued.
    if (m_fd >= 0) {
        char buffer[4096];
        while (::read(m_fd, buffer, sizeof buffer) > 0) {
        }
    }
    if (m_fd < 0) return;
    for (const std::string& folder : indexFolders) m_ignored.push_back(WithoutTrailingSlash(folder));
    // mknmz's link to an index with blanks in its path lives there.
    m_ignored.push_back(WithoutTrailingSlash(PrivateTempFolder()));
    for (const std::string& folder : indexFolders) {
        IndexState state;
        state.index = WithoutTrailingSlash(folder);
        state.folders = ReadIndexSources(folder).folders;
        state.noSources = state.folders.empty();
        m_indexes.push_back(std::move(state));
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        timer->setInterval(static_cast<int>(m_delay.count()));
        const QByteArray index = QByteArray::fromStdString(m_indexes.back().index);
        connect(timer.get(), &QTimer::timeout, this, [this, index] { emit updateDue(index); });
        m_timers.push_back(std::move(timer));
    }
    for (std::size_t i = 0; i < m_indexes.size(); ++i) {
        for (const std::string& root : m_indexes[i].folders) AddTree(root, 0, INT32_MAX, i);
    }
}

bool IndexWatcher::AddOne(const std::string& folder, int depth, std::size_t index) {
    if (m_watches.size() >= m_limit) {
        m_indexes[index].partial = true;
        return false;
    }
    const int wd = ::inotify_add_watch(m_fd, folder.c_str(), kMask);
    if (wd < 0) {
        // ENOSPC: the user's watches are used up by other programs as well.
        if (errno == ENOSPC) m_indexes[index].partial = true;
        return false;
    }
    Watched& watched = m_watches[wd];
    if (watched.path.empty()) {
        watched.path = folder;
        watched.depth = depth;
    }
    if (std::find(watched.indexes.begin(), watched.indexes.end(), index) == watched.indexes.end()) {
        watched.indexes.push_back(index);
        ++m_indexes[index].watches;
    }
    return true;
}

void IndexWatcher::AddTree(const std::string& folder, int depth, int maxDepth, std::size_t index) {
    // Breadth first, so that a tree cut by the limit is watched on its upper levels.
    std::deque<std::pair<std::string, int>> queue{{folder, depth}};
    std::vector<std::pair<std::string, int>> found;
    while (!queue.empty()) {
        auto [path, level] = std::move(queue.front());
        queue.pop_front();
        if (Ignored(path)) continue;
        found.emplace_back(path, level);
        // Counting past the limit would only walk a tree we cannot watch whole anyway.
        if (found.size() + m_watches.size() > m_limit) break;
        if (level >= maxDepth) continue;
        DIR* dir = ::opendir(path.c_str());
        if (!dir) continue;
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.') continue;  // ".", ".." and hidden folders
            std::string child = path + "/" + entry->d_name;
            bool isDir = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat info {};
                isDir = ::lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
            }
            if (isDir) queue.emplace_back(std::move(child), level + 1);
        }
        ::closedir(dir);
    }
    const bool whole = found.size() + m_watches.size() <= m_limit;
    if (!whole) m_indexes[index].partial = true;
    for (const auto& [path, level] : found) {
        if (!whole && level - depth > kTopLevels && depth == 0) continue;
        if (!AddOne(path, level, index)) break;
    }
}

bool IndexWatcher::Ignored(const std::string& path) const {
    return std::any_of(m_ignored.begin(), m_ignored.end(),
                       [&](const std::string& folder) { return Inside(path, folder); });
}

void IndexWatcher::Changed(std::size_t index) {
    if (index < m_timers.size()) m_timers[index]->start();
}

void IndexWatcher::ReadEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Changes were lost: every index may be behind.
                for (std::size_t i = 0; i < m_indexes.size(); ++i) Changed(i);
                continue;
            }
            const auto found = m_watches.find(event->wd);
            if (found == m_watches.end()) continue;
            if (event->mask & IN_IGNORED) {
                m_watches.erase(found);
                continue;
            }
            const Watched watched = found->second;  // AddTree below may rehash nothing, but copy
            const std::string name = event->len > 0 ? std::string(event->name) : std::string();
            if (!name.empty() && name.front() == '.') continue;  // hidden files and folders
            const std::string path = name.empty() ? watched.path : watched.path + "/" + name;
            if (Ignored(path)) continue;  // the index's own files, mknmz's link
            if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO))) {
                for (std::size_t index : watched.indexes) {
                    if (!m_indexes[index].partial) AddTree(path, watched.depth + 1, INT32_MAX, index);
                }
            }
            for (std::size_t index : watched.indexes) Changed(index);
        }
    }
}
