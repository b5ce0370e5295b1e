#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "indexer/CommandListRunner.h"

class QLabel;
class QProgressBar;
class QPushButton;

// How far the running entry is: a bar of the documents mknmz has read out of those it found,
// the file it is reading, the time the entry has taken, and the stop button "中止" (pressed
// again while the command winds up, it ends it at once: "強制終了"). Fed by a
// batch (it is a RunProgressSink); it never reads the output itself, so it costs the capture
// one parse per read. Windows that run entries put one where they show the run.
class IndexProgressPanel final : public QWidget, public RunProgressSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexProgressPanel)

public:
    explicit IndexProgressPanel(QWidget* parent = nullptr);

    // A batch begins: the stop button asks `control` to stop it.
    void BatchStarted(RunControl* control);
    // The batch has ended: the bar and the labels keep what they showed.
    void BatchEnded();

    void EntryStarting(std::size_t number, std::size_t count, const std::string& entry) override;
    void DocumentProgress(const MknmzProgressLine& progress) override;
    void EntryEnded(std::size_t number, EntryOutcome outcome) override;

    QProgressBar* pbrProgress = nullptr;
    QLabel* lblCurrentFile = nullptr;
    QLabel* lblElapsed = nullptr;
    QPushButton* btnStop = nullptr;

    // "0:07", "12:34", "1:02:03".
    static QString ElapsedText(qint64 milliseconds);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ResetStopButton();
    void ShowPending();
    void ShowElapsed();
    void ShowFile();

    RunControl* m_control = nullptr;
    QElapsedTimer m_clock;
    QTimer m_tick;
    bool m_elapsedDue = false;
    std::optional<MknmzProgressLine> m_pending;
    QString m_file;
};
