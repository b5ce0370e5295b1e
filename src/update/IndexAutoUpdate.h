#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

#include "update/BackgroundUpdate.h"
#include "update/IndexWatcher.h"

class TfrmWindow;
struct AppContext;

// インデックス → 自動更新 of the search window: the indexes of the search place are watched
// (IndexWatcher) and updated in the background (BackgroundUpdate) with no window. What happens is
// told by a label for the status bar; its tooltip has the watch state or mknmz's last lines, and a
// click on it opens a console with mknmz's whole output.
class IndexAutoUpdate final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexAutoUpdate)

public:
    IndexAutoUpdate(AppContext& ctx, QObject* parent = nullptr);
    ~IndexAutoUpdate() override;

    QLabel* StatusLabel() const { return m_label; }

    // The search place (program code page): watched a moment after it stops changing.
    void SetPlace(const std::string& placeText);
    // On or off ([Index] Watch); off stops the watches, an update already running goes on.
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }

    bool Running() const { return m_updater.Running(); }
    // Whether an index of `placeText` is being updated now.
    bool Updating(const std::string& placeText) const;
    // Ends the running update, as closing the program does; idle() follows.
    void Stop();
    // Calls `action` once the running update has ended (at once when none runs). Not a wait:
    // a search started during the update runs inside the update's own wait.
    void WhenUpdateEnds(QObject* context, std::function<void()> action);

    IndexWatcher& Watcher() { return m_watcher; }
    BackgroundUpdate& Updater() { return m_updater; }

signals:
    void idle();

private:
    class Label;
    void Rewatch();
    void ShowWatchState();
    void OpenConsole();
    std::vector<std::string> FoldersOf(const std::string& placeText) const;

    AppContext& m_ctx;
    IndexWatcher m_watcher;
    BackgroundUpdate m_updater;
    QLabel* m_label = nullptr;
    QPointer<TfrmWindow> m_console;
    QTimer m_placeSettled;
    std::string m_place;
    bool m_enabled = true;
};
