#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "process/QtOutputView.h"

class QAction;
class QMenu;

// The console output window: one read-only view `edt` that captured runs write into, with a
// Copy popup. A modeless top-level window; it refuses to close while its view's run flag is
// not 1 and destroys itself (deleteLater) when it closes: create it with new, with the window it
// serves as parent (so it stays above that window, takes input beside a modal one, and goes
// with it) or without one, and keep it in a QPointer<TfrmWindow>, which empties itself then.
//
// Caller contract:
//   auto* w = new TfrmWindow(this);  w->setWindowTitle(...);  w->show();
//   RunCommand(line, dir, RunMode::Capture, w->edt, ...);   // once or several times
//   w->edt->SetRunFlag(1);                                   // whatever happened
//
// Closing the caller while a capture writes into its console window is deferred, one way for
// every caller. In the caller's close handler:
//   if (m_console && m_console->DeferCallerClose(this)) { event->ignore(); return; }
//   if (m_console) m_console->close();
// DeferCallerClose returns true while the run flag is not 1 and closes the caller again (a
// queued close()) once the flag has gone back to 1, by which time the caller's own handler that
// ran the command has returned. A caller that is closed by other means than close() (a
// dialog's reject()) routes them through close() too.
class TfrmWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmWindow)

public:
    explicit TfrmWindow(QWidget* parent = nullptr);

    // When a run writes into this window: remembers `caller` to be closed after the run and
    // returns true. Otherwise returns false and the caller may close now.
    bool DeferCallerClose(QWidget* caller);

    // Puts `panel` above the view and takes it over: a caller that runs commands into the
    // window shows their progress there.
    void AddPanel(QWidget* panel);

    QtOutputView* edt = nullptr;
    QMenu* pmnu = nullptr;
    QAction* mnuCopy = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool FormCloseQuery() const;
    void FormClose();
    void pmnuPopup();
    void mnuCopyClick();
    void RunFlagChanged(int flag);

    std::vector<QPointer<QWidget>> m_waitingCallers;
};
