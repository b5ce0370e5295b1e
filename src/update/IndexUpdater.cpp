#include "update/IndexUpdater.h"

#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "update/IndexLock.h"
#include "update/IndexUpdate.h"
#include "indexer/CommandListRunner.h"
#include "indexer/IndexProgressPanel.h"
#include "process/AppContext.h"
#include "process/QtText.h"
#include "process/TfrmWindow.h"
#include "process/WidgetSupport.h"
#include "text/CodePage.h"

namespace {

const QString kErrorCaption = QStringLiteral("エラー");

QString Lines(const std::vector<std::string>& linesUtf8) {
    QStringList lines;
    for (const std::string& line : linesUtf8) lines.append(QString::fromStdString(line));
    return lines.join(u'\n');
}

}  // namespace

// Tells the panel, and which index is being updated.
class IndexUpdater::Sink final : public RunProgressSink {
public:
    Sink(IndexUpdater& updater, const std::vector<QString>& folders) : m_updater(updater), m_folders(folders) {}

    void EntryStarting(std::size_t number, std::size_t count, const std::string& entry) override {
        if (m_updater.m_state) {
            m_updater.m_state->setText(QStringLiteral("更新中 (%1 / %2): %3")
                                           .arg(number)
                                           .arg(count)
                                           .arg(m_folders[number - 1]));
        }
        if (m_updater.m_panel) m_updater.m_panel->EntryStarting(number, count, entry);
    }
    void DocumentProgress(const MknmzProgressLine& progress) override {
        if (m_updater.m_panel) m_updater.m_panel->DocumentProgress(progress);
    }
    void EntryEnded(std::size_t number, EntryOutcome outcome) override {
        if (m_updater.m_panel) m_updater.m_panel->EntryEnded(number, outcome);
    }

private:
    IndexUpdater& m_updater;
    const std::vector<QString>& m_folders;
};

IndexUpdater::IndexUpdater(AppContext& ctx, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_control(std::chrono::seconds(30)) {}

IndexUpdater::~IndexUpdater() {
    CloseConsole();
}

TfrmWindow* IndexUpdater::Console() const {
    return m_console;
}

void IndexUpdater::CloseConsole() {
    if (m_console && !m_running) m_console->close();
}

void IndexUpdater::OpenConsole() {
    // Over the search window, as its own window that goes with it; Escape closes it once the
    // update has ended, and the search window has the keys again.
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!m_console) {
        m_console = new TfrmWindow(owner);
        m_console->setObjectName(QStringLiteral("frmUpdateIndex"));
        m_console->setWindowTitle(QStringLiteral("インデックスの更新"));
        auto* top = new QWidget;
        auto* column = new QVBoxLayout(top);
        column->setContentsMargins(6, 6, 6, 6);
        m_state = Named(new QLabel(top), "lblUpdateState");
        m_state->setTextFormat(Qt::PlainText);
        m_state->setMinimumWidth(1);
        m_state->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        m_panel = Named(new IndexProgressPanel(top), "pnlRunProgress");
        column->addWidget(m_state);
        column->addWidget(m_panel);
        m_console->AddPanel(top);
        m_console->resize(640, 360);
        if (owner) m_console->move(owner->frameGeometry().center() - m_console->rect().center());
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_console);
        connect(escape, &QShortcut::activated, m_console, [this] {
            if (!m_running) m_console->close();
        });
        if (owner) {
            connect(m_console, &QObject::destroyed, owner, [owner] {
                owner->raise();
                owner->activateWindow();
            });
        }
    } else {
        m_console->edt->Clear();
    }
    m_console->show();
    m_console->raise();
}

void IndexUpdater::Note(const std::string& lineUtf8) {
    if (!m_console) return;
    m_console->edt->AppendLine(FromQString(m_ctx.platform.codePage, QString::fromStdString(lineUtf8)));
    m_console->edt->MakeCurrent(m_console->edt->LineCount() - 1);
    m_console->edt->Repaint();
}

QString IndexUpdater::Update(const std::string& placeText) {
    if (m_running) return {};
    Prompter& prompter = *m_ctx.prompter;
    const std::vector<IndexToUpdate> indexes = IndexesToUpdate(placeText, m_ctx.platform, m_ctx.drives);
    if (indexes.empty()) {
        prompter.Tell(QStringLiteral("検索場所を指定してください。"), kErrorCaption, MessageIcon::Error);
        return {};
    }
    std::vector<std::string> refused;
    std::vector<std::string> folders;
    // Held until the update has ended: the background update and quarrow --update keep off.
    std::vector<IndexLock> locks;
    for (const IndexToUpdate& index : indexes) {
        IndexLock lock;
        if (index.refusal == UpdateRefusal::None && !lock.Acquire(index.folder, IndexLock::Wait::No)) {
            refused.push_back(ProgramToUtf8(m_ctx.platform.codePage, index.folder) + ": 他のプロセスが更新しています");
        } else if (index.refusal == UpdateRefusal::None) {
            locks.push_back(std::move(lock));
            folders.push_back(index.folder);
        } else {
            refused.push_back(RefusalLine(index, m_ctx.platform.codePage));
        }
    }
    if (folders.empty()) {
        prompter.Tell(QStringLiteral("更新できるインデックスがありません。\n\n") + Lines(refused), kErrorCaption,
                      MessageIcon::Error);
        return {};
    }
    // Only what cannot be done is asked about: the update itself is harmless and can be stopped.
    if (!refused.empty() &&
        !prompter.Ask(QStringLiteral("次のインデックスは更新できません。\n\n") + Lines(refused) +
                          QStringLiteral("\n\n残りの %1 個のインデックスを更新しますか？").arg(folders.size()),
                      QStringLiteral("確認"))) {
        return {};
    }

    std::vector<std::string> entries;
    std::vector<QString> shown;
    for (const std::string& folder : folders) {
        entries.push_back(UpdateEntry(folder, m_ctx.platform.codePage));
        shown.push_back(ToQString(m_ctx.platform.codePage, folder));
    }
    OpenConsole();
    m_running = true;
    emit runningChanged(true);
    Sink sink(*this, shown);
    m_control.Reset();
    m_panel->BatchStarted(&m_control);
    EntryRunOptions options;
    options.mode = RunMode::Capture;  // the output is what the console is for
    options.view = m_console->edt;
    options.sink = &sink;
    options.control = &m_control;
    const BatchResult result =
        RunCommandEntries(entries, m_run, m_ctx.settings, m_ctx.platform, prompter, options);
    if (m_panel) m_panel->BatchEnded();

    std::vector<std::string> failed;
    for (std::size_t number = 1; number <= result.finished; ++number) {
        const std::string& folder = folders[number - 1];
        if (std::find(result.failed.begin(), result.failed.end(), number) != result.failed.end()) {
            failed.push_back(ProgramToUtf8(m_ctx.platform.codePage, folder));
        } else {
            MarkIndexUpdated(folder);
        }
    }
    QString state;
    if (result.stopped) {
        for (const std::string& line :
             StopNote(m_control.Killed(), result.remaining, "個のインデックスは更新していません")) {
            Note(line);
        }
        state = QStringLiteral("インデックスの更新を中止しました。");
    } else if (!failed.empty()) {
        state = QStringLiteral("%1 個のインデックスの更新に失敗しました。").arg(failed.size());
    } else {
        state = QStringLiteral("インデックスを更新しました (%1 個)。").arg(folders.size());
    }
    if (m_state) m_state->setText(state);
    m_running = false;
    emit runningChanged(false);
    if (!failed.empty()) {
        prompter.Tell(QStringLiteral("次のインデックスの更新に失敗しました。\n\n") + Lines(failed) +
                          QStringLiteral("\n\nmknmz の出力は「インデックスの更新」の画面にあります。"),
                      kErrorCaption, MessageIcon::Error);
    }
    return state;
}
