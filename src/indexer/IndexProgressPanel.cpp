#include "indexer/IndexProgressPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "indexer/CommandList.h"
#include "process/FrameClock.h"
#include "process/WidgetSupport.h"

namespace {

const QString kCountFormat = QStringLiteral("%v / %m");

}  // namespace

IndexProgressPanel::IndexProgressPanel(QWidget* parent) : QWidget(parent) {
    // Opaque: the bar and the labels change while mknmz runs, and their repaints then stop here
    // instead of repainting the page and the tabs beneath.
    setAutoFillBackground(true);
    pbrProgress = Named(new QProgressBar(this), "pbrProgress");
    pbrProgress->setRange(0, 1);
    pbrProgress->setValue(0);
    pbrProgress->setFormat(kCountFormat);
    pbrProgress->setTextVisible(false);  // until there is a count to show
    lblElapsed = Named(new QLabel(this), "lblElapsed");
    lblElapsed->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("経過 00:00:00")));
    lblElapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Fixed in both directions, a label's new text repaints it alone: a label that can grow asks
    // the layouts up to the window to run again, and the tabs around the page repaint whole.
    lblElapsed->setFixedSize(lblElapsed->minimumWidth(), lblElapsed->sizeHint().height());
    btnStop = Named(new QPushButton(this), "btnStop");
    btnStop->setMinimumWidth(btnStop->fontMetrics().horizontalAdvance(QStringLiteral("強制終了")) + 24);
    ResetStopButton();
    btnStop->setEnabled(false);
    btnStop->setAutoDefault(false);
    lblCurrentFile = Named(new QLabel(this), "lblCurrentFile");
    lblCurrentFile->setTextFormat(Qt::PlainText);
    lblCurrentFile->setMinimumWidth(1);
    lblCurrentFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pbrProgress, 0, 0);
    layout->addWidget(lblElapsed, 0, 1);
    layout->addWidget(btnStop, 0, 2);
    // The file name changes with every count shown: the label lies over a row of its height and
    // takes the panel's width at each resize, fixed in between (see lblElapsed).
    layout->addItem(new QSpacerItem(0, lblCurrentFile->sizeHint().height(), QSizePolicy::Minimum, QSizePolicy::Fixed),
                    1, 0, 1, 3);
    layout->setColumnStretch(0, 1);

    // The count and the clock change on the window's frames, painted with the output view's.
    connect(&FrameClock::Instance(), &FrameClock::frame, this, [this] {
        ShowPending();
        if (std::exchange(m_elapsedDue, false)) ShowElapsed();
    });
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        m_elapsedDue = true;
        FrameClock::Instance().Request();
    });
    // The first press asks the command to end (mknmz then writes what it has read); while it
    // does, a second press ends it at once.
    connect(btnStop, &QPushButton::clicked, this, [this] {
        if (!m_control) return;
        if (m_control->StopRequested()) {
            m_control->StopNow();
            btnStop->setEnabled(false);
            return;
        }
        m_control->Stop();
        btnStop->setText(QStringLiteral("強制終了"));
        btnStop->setToolTip(
            QStringLiteral("終了を待たずに止めます (インデックスが書き終わらないことがあります)"));
    });
}

QString IndexProgressPanel::ElapsedText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(0, milliseconds) / 1000;
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QLatin1Char zero('0');
    if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, zero).arg(s, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, zero);
}

void IndexProgressPanel::BatchStarted(RunControl* control) {
    m_control = control;
    ResetStopButton();
    btnStop->setEnabled(control != nullptr);
}

void IndexProgressPanel::BatchEnded() {
    m_control = nullptr;
    ResetStopButton();
    btnStop->setEnabled(false);
    m_tick.stop();
}

void IndexProgressPanel::ResetStopButton() {
    btnStop->setText(QStringLiteral("中止"));
    btnStop->setToolTip(QStringLiteral("実行中のコマンドを終了し、残りのコマンドを実行しません"));
}

void IndexProgressPanel::EntryStarting(std::size_t, std::size_t, const std::string& entry) {
    // Until mknmz says how many documents it found, the bar only says that it works.
    m_pending.reset();
    const bool mknmz = ParseEntry(entry).kind == EntryKind::Mknmz;
    pbrProgress->setTextVisible(false);
    pbrProgress->setFormat(kCountFormat);
    pbrProgress->setRange(0, mknmz ? 0 : 1);
    pbrProgress->setValue(0);
    m_file.clear();
    ShowFile();
    m_clock.start();
    m_elapsedDue = false;
    ShowElapsed();
    m_tick.start();
}

void IndexProgressPanel::DocumentProgress(const MknmzProgressLine& progress) {
    // mknmz says a line per document, far more often than anyone reads a bar: the newest count
    // is shown a few times a second, so painting never competes with the capture.
    m_pending = progress;
    FrameClock::Instance().Request();
}

void IndexProgressPanel::ShowPending() {
    if (!m_pending) return;
    const MknmzProgressLine progress = *std::exchange(m_pending, std::nullopt);
    pbrProgress->setTextVisible(true);
    pbrProgress->setRange(0, progress.total);
    pbrProgress->setValue(std::min(progress.done, progress.total));
    m_file = QString::fromStdString(DisplayPathOfMknmzUri(progress.path));
    ShowFile();
}

void IndexProgressPanel::EntryEnded(std::size_t, EntryOutcome outcome) {
    ShowPending();
    m_tick.stop();
    m_elapsedDue = false;
    ShowElapsed();
    const bool counted = pbrProgress->maximum() > 0 && pbrProgress->isTextVisible();
    if (outcome == EntryOutcome::Done) {
        // A whole entry is done, whether or not it told its documents (--quiet, or no mknmz).
        if (pbrProgress->maximum() == 0) pbrProgress->setRange(0, 1);
        pbrProgress->setValue(pbrProgress->maximum());
        return;
    }
    // Anything else must not look like a finished index: the bar stays where it was and says why.
    const QString why = outcome == EntryOutcome::Failed    ? QStringLiteral("失敗")
                        : outcome == EntryOutcome::Stopped ? QStringLiteral("中止")
                        : outcome == EntryOutcome::Skipped ? QStringLiteral("未実行")
                                                           : QStringLiteral("対象の文書なし");
    if (!counted) {
        pbrProgress->setRange(0, 1);
        pbrProgress->setValue(0);
    }
    pbrProgress->setFormat(counted ? why + QStringLiteral(" (%v / %m)") : why);
    pbrProgress->setTextVisible(true);
}

void IndexProgressPanel::ShowElapsed() {
    lblElapsed->setText(QStringLiteral("経過 ") + ElapsedText(m_clock.isValid() ? m_clock.elapsed() : 0));
}

void IndexProgressPanel::ShowFile() {
    lblCurrentFile->setToolTip(m_file);
    lblCurrentFile->setText(lblCurrentFile->fontMetrics().elidedText(m_file, Qt::ElideMiddle,
                                                                     std::max(1, lblCurrentFile->width())));
}

void IndexProgressPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int height = lblCurrentFile->sizeHint().height();
    lblCurrentFile->setFixedSize(width(), height);
    lblCurrentFile->move(0, this->height() - height);
    ShowFile();
}
