#include "update/IndexAutoUpdate.h"

#include <QMouseEvent>
#include <algorithm>

#include "config/Settings.h"
#include "update/IndexUpdate.h"
#include "process/AppContext.h"
#include "process/QtText.h"
#include "process/TfrmWindow.h"
#include "text/CodePage.h"

namespace {

constexpr int kTooltipLines = 12;

}  // namespace

// The status bar's label, which opens the console when clicked.
class IndexAutoUpdate::Label final : public QLabel {
public:
    explicit Label(IndexAutoUpdate& owner) : m_owner(owner) {
        setObjectName(QStringLiteral("lblAutoUpdate"));
        setTextFormat(Qt::PlainText);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && !m_owner.m_updater.Log().empty()) m_owner.OpenConsole();
        QLabel::mousePressEvent(event);
    }

private:
    IndexAutoUpdate& m_owner;
};

IndexAutoUpdate::IndexAutoUpdate(AppContext& ctx, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_updater(ctx.settings, ctx.platform) {
    m_label = new Label(*this);
    m_enabled = ctx.settings.Index.Watch != "0";
    const int delay = ParseCount(ctx.settings.Index.WatchDelaySeconds, 30);
    m_watcher.SetDelay(std::chrono::seconds(delay > 0 ? delay : 30));
    m_placeSettled.setSingleShot(true);
    m_placeSettled.setInterval(1000);  // not a new watch for every key typed into the place
    connect(&m_placeSettled, &QTimer::timeout, this, &IndexAutoUpdate::Rewatch);
    connect(&m_watcher, &IndexWatcher::updateDue, this,
            [this](const QByteArray& index) { m_updater.Enqueue(index.toStdString()); });
    connect(&m_updater, &BackgroundUpdate::started, this, [this](const QByteArray& index) {
        m_label->setText(QStringLiteral("インデックスを更新しています…"));
        m_label->setToolTip(ToQString(m_ctx.platform.codePage, index.toStdString()));
    });
    connect(&m_updater, &BackgroundUpdate::progress, this, [this](int done, int total) {
        m_label->setText(QStringLiteral("インデックスを更新しています… (%1 / %2)").arg(done).arg(total));
    });
    connect(&m_updater, &BackgroundUpdate::finished, this, [this](const QByteArray& index, bool ok, int added) {
        const QString folder = ToQString(m_ctx.platform.codePage, index.toStdString());
        if (ok) {
            m_label->setText(QStringLiteral("インデックスを更新しました (%1 件追加)").arg(added));
            m_label->setToolTip(folder);
            return;
        }
        QStringList tip{folder};
        for (const std::string& line : m_updater.LastLinesUtf8(kTooltipLines)) tip.append(QString::fromStdString(line));
        tip.append(QStringLiteral("クリックすると mknmz の出力を表示します。"));
        m_label->setText(m_updater.Stopped() ? QStringLiteral("インデックスの更新を中止しました")
                                             : QStringLiteral("インデックスの更新に失敗しました"));
        m_label->setToolTip(tip.join(u'\n'));
    });
    connect(&m_updater, &BackgroundUpdate::idle, this, &IndexAutoUpdate::idle);
}

IndexAutoUpdate::~IndexAutoUpdate() {
    if (m_console) m_console->close();
    if (!m_label->parent()) delete m_label;
}

std::vector<std::string> IndexAutoUpdate::FoldersOf(const std::string& placeText) const {
    std::vector<std::string> folders;
    for (const IndexToUpdate& index : IndexesToUpdate(placeText, m_ctx.platform, m_ctx.drives)) {
        if (index.refusal == UpdateRefusal::None) folders.push_back(index.folder);
    }
    return folders;
}

void IndexAutoUpdate::SetPlace(const std::string& placeText) {
    if (placeText == m_place && m_placeSettled.isActive()) return;
    m_place = placeText;
    m_watcher.Stop();  // the old place's watches end at once
    m_placeSettled.start();
}

void IndexAutoUpdate::SetEnabled(bool on) {
    m_enabled = on;
    m_ctx.settings.Index.Watch = std::string(on ? "1" : "0");
    Rewatch();
}

void IndexAutoUpdate::Rewatch() {
    m_watcher.Watch(m_enabled ? FoldersOf(m_place) : std::vector<std::string>{});
    ShowWatchState();
}

void IndexAutoUpdate::ShowWatchState() {
    if (m_updater.Running()) return;
    if (!m_enabled || m_watcher.Indexes().empty()) {
        m_label->clear();
        m_label->setToolTip(QString());
        return;
    }
    QStringList tip;
    bool partial = false;
    for (const IndexWatcher::IndexState& state : m_watcher.Indexes()) {
        const QString index = ToQString(m_ctx.platform.codePage, state.index);
        if (state.noSources) {
            tip.append(index + QStringLiteral(": NMZ.status に文書のフォルダがないため監視していません"));
        } else if (state.partial) {
            partial = true;
            tip.append(index + QStringLiteral(": フォルダが多すぎるため、上の 2 階層だけを監視しています "
                                              "(監視の上限 %1 個: max_user_watches の 4 分の 1)")
                                   .arg(IndexWatcher::DefaultWatchLimit()));
        } else {
            tip.append(index + QStringLiteral(": %1 個のフォルダを監視しています").arg(state.watches));
        }
    }
    if (!m_watcher.Available()) tip = QStringList{QStringLiteral("inotify を使えないため監視していません")};
    m_label->setText(partial ? QStringLiteral("自動更新 (一部のみ監視)") : QStringLiteral("自動更新"));
    m_label->setToolTip(tip.join(u'\n'));
}

bool IndexAutoUpdate::Updating(const std::string& placeText) const {
    if (!m_updater.Running()) return false;
    const std::vector<std::string> folders = FoldersOf(placeText);
    return std::find(folders.begin(), folders.end(), m_updater.Current()) != folders.end();
}

void IndexAutoUpdate::Stop() {
    m_updater.Stop();
}

void IndexAutoUpdate::WhenUpdateEnds(QObject* context, std::function<void()> action) {
    if (!m_updater.Running()) {
        QTimer::singleShot(0, context, std::move(action));
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&m_updater, &BackgroundUpdate::finished, context, [connection, context, action] {
        QObject::disconnect(*connection);
        // Queued: the update's own wait has to end first.
        QTimer::singleShot(0, context, action);
    });
}

void IndexAutoUpdate::OpenConsole() {
    if (!m_console) {
        m_console = new TfrmWindow();
        m_console->setObjectName(QStringLiteral("frmAutoUpdateLog"));
        m_console->setWindowTitle(QStringLiteral("インデックスの自動更新"));
        m_console->resize(640, 360);
    }
    m_console->edt->Clear();
    m_console->edt->AppendLines(m_updater.Log());
    m_console->edt->MakeCurrent(m_console->edt->LineCount() - 1);
    m_console->show();
    m_console->raise();
}
