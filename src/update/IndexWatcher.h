#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

// Watches the document folders of indexes (their NMZ.status, see IndexSources) with inotify and
// says when an index is due for an update: `delay` after the last change below its folders.
// Raw inotify behind a QSocketNotifier rather than QFileSystemWatcher: that one does not
// recurse, does not say which entry of a folder changed (so new subfolders and mknmz's own
// files could not be told apart without listing the folder again) and hides a queue overflow.
//
// Folders are watched recursively, hidden ones (".name") and the index folders themselves left
// out, symbolic links not followed. All indexes together take at most `watchLimit` watches; an
// index whose tree would go beyond it is watched on its top two levels only (the folder and its
// subfolders), and says so.
class IndexWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexWatcher)

public:
    struct IndexState {
        std::string index;                 // the index folder
        std::vector<std::string> folders;  // its document folders
        std::size_t watches = 0;           // watches it took
        bool partial = false;              // top levels only: the limit was reached
        bool noSources = false;            // NMZ.status names no folder to watch
    };

    explicit IndexWatcher(QObject* parent = nullptr);
    ~IndexWatcher() override;

    // A quarter of /proc/sys/fs/inotify/max_user_watches: the limit is per user and shared with
    // every other program of the user that watches files (file managers, editors, sync tools).
    static std::size_t DefaultWatchLimit();

    void SetDelay(std::chrono::milliseconds delay);
    void SetWatchLimit(std::size_t limit) { m_limit = limit; }
    // Starts over with these index folders; an empty list stops watching.
    void Watch(const std::vector<std::string>& indexFolders);
    void Stop() { Watch({}); }

    const std::vector<IndexState>& Indexes() const { return m_indexes; }
    std::size_t WatchCount() const { return m_watches.size(); }
    // Whether inotify could be started at all.
    bool Available() const { return m_fd >= 0; }

signals:
    // `delay` has passed since the last change below this index's folders.
    void updateDue(const QByteArray& indexFolder);

private:
    struct Watched {
        std::string path;
        int depth = 0;
        std::vector<std::size_t> indexes;  // into m_indexes
    };

    void ReadEvents();
    // Adds watches for `folder` and the folders below it (up to `maxDepth`) for index `index`.
    void AddTree(const std::string& folder, int depth, int maxDepth, std::size_t index);
    bool AddOne(const std::string& folder, int depth, std::size_t index);
    bool Ignored(const std::string& path) const;
    void Changed(std::size_t index);

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::size_t m_limit;
    std::chrono::milliseconds m_delay{30000};
    std::vector<IndexState> m_indexes;
    std::vector<std::unique_ptr<QTimer>> m_timers;  // one per index
    std::map<int, Watched> m_watches;               // by watch descriptor
    std::vector<std::string> m_ignored;             // index folders and the private temp folder
};
