#include "process/FrameClock.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

FrameClock::FrameClock(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::Tick);
}

FrameClock& FrameClock::Instance() {
    static QPointer<FrameClock> clock;
    if (!clock) clock = new FrameClock(QCoreApplication::instance());
    return *clock;
}

void FrameClock::Request(int withinMs) {
    const qint64 sinceLast = m_last.isValid() ? m_last.elapsed() : kFrameMs;
    const int wait = static_cast<int>(std::clamp<qint64>(kFrameMs - sinceLast, 0, std::clamp(withinMs, 0, kFrameMs)));
    if (!m_timer.isActive() || m_timer.remainingTime() > wait) m_timer.start(wait);
}

void FrameClock::Tick() {
    m_last.start();
    emit frame();
}
