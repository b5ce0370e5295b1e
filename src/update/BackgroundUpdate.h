#pragma once

#include <QByteArray>
#include <QObject>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "indexer/CommandList.h"
#include "process/RunCommand.h"

// Updates indexes one after the other without a window: "*mknmz --update" through the
// command-list runner, its output kept (the last lines for a tooltip, the whole run for a
// console the user may open). Each index is locked (IndexLock) while it updates; one that
// another process is updating is tried again later. Stop() ends mknmz as the make-index stop
// does (SIGTERM, its lock removed if it had to be killed).
class BackgroundUpdate final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundUpdate)

public:
    BackgroundUpdate(const Settings& settings, const PlatformProfile& platform, QObject* parent = nullptr);
    ~BackgroundUpdate() override;

    // Queues the index (once); starts at once when nothing runs.
    void Enqueue(const std::string& indexFolder);
    bool Running() const { return m_running; }
    // The index being updated now (empty when none).
    const std::string& Current() const { return m_current; }
    // Ends the running mknmz and forgets the queue.
    void Stop();
    // Whether the last run ended by Stop().
    bool Stopped() const { return m_stopped; }

    // The output of the last run, as mknmz wrote it (bytes), and its last lines in UTF-8.
    const std::vector<std::string>& Log() const { return m_log; }
    std::vector<std::string> LastLinesUtf8(std::size_t count) const;
    // How long an index that another process is updating waits before it is tried again.
    std::chrono::milliseconds RetryDelay() const { return m_retryDelay; }
    void SetRetryDelay(std::chrono::milliseconds delay) { m_retryDelay = delay; }

signals:
    void started(const QByteArray& indexFolder);
    // mknmz has read `done` of the `total` documents it found to index.
    void progress(int done, int total);
    // `added`: the documents mknmz read (added or changed); `ok` false when mknmz failed.
    void finished(const QByteArray& indexFolder, bool ok, int added);
    // Nothing runs and nothing is queued.
    void idle();

private:
    class Sink;
    class LogView;
    void RunNext();

    const Settings& m_settings;
    const PlatformProfile& m_platform;
    RunControl m_control;
    CommandListRun m_run;
    std::deque<std::string> m_queue;
    std::vector<std::string> m_log;
    std::string m_current;
    bool m_running = false;
    bool m_stopped = false;
    std::chrono::milliseconds m_retryDelay{30000};
};
