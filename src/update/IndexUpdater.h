#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

#include "indexer/CommandList.h"
#include "process/RunCommand.h"

class IndexProgressPanel;
class QLabel;
class TfrmWindow;
struct AppContext;

// インデックス → 更新 of the search window: "*mknmz --update" for each index of the search
// place, run as command-list entries into a console window that shows the make-index window's
// progress panel above mknmz's output. The panel's stop button ends the update. One update at a
// time; the console refuses to close while it runs.
class IndexUpdater final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexUpdater)

public:
    IndexUpdater(AppContext& ctx, QObject* parent = nullptr);
    ~IndexUpdater() override;

    bool Running() const { return m_running; }

    // Updates the indexes that the search-place text names and returns when the update has
    // ended, with what the status bar should say (empty when nothing ran).
    QString Update(const std::string& placeText);

    // The console of the last update while it is open.
    TfrmWindow* Console() const;
    // Closes the console (after an update; it refuses during one).
    void CloseConsole();

signals:
    void runningChanged(bool running);

private:
    class Sink;

    void OpenConsole();
    void Note(const std::string& lineUtf8);

    AppContext& m_ctx;
    RunControl m_control;
    CommandListRun m_run;
    QPointer<TfrmWindow> m_console;
    QPointer<IndexProgressPanel> m_panel;
    QPointer<QLabel> m_state;
    bool m_running = false;
};
