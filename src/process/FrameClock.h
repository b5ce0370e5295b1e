#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// One clock for every part of a window that changes while a command runs (the output view, the
// progress bar, the labels): each asks for a frame and does its work on the same tick, so what
// changed is painted in one pass instead of one pass per part.
class FrameClock final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameClock)

public:
    // Four frames a second: enough to follow a run, and cheap next to what the child costs.
    static constexpr int kFrameMs = 250;

    // The application's clock (created on first use, owned by the application).
    static FrameClock& Instance();

    // A frame within kFrameMs of the last one, or sooner: within `withinMs` (a part that has not
    // changed for a frame shows its first change at once, as a part with a clock of its own would).
    void Request(int withinMs = kFrameMs);

signals:
    void frame();

private:
    explicit FrameClock(QObject* parent);
    void Tick();

    QTimer m_timer;
    QElapsedTimer m_last;
};
