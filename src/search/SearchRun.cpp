#include "search/SearchRun.h"

#include <unistd.h>

#include <QFile>

#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/QtText.h"

namespace {

// namazu keeps nothing worth finishing: a stopped search that ignores SIGTERM is killed soon.
constexpr std::chrono::seconds kSearchStopGrace(2);
constexpr int kPollMilliseconds = 50;
// namazu writes its References line near the top.
constexpr qint64 kNoticeHeadBytes = 64 * 1024;

QString FileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

SearchRun::SearchRun(AppContext& ctx, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_control(kSearchStopGrace) {
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &SearchRun::TakeWrittenLines);
}

SearchRun::~SearchRun() = default;

void SearchRun::Prepare(const SearchCommand& command) {
    if (m_running) return;
    m_command = command;
    RemoveResultFile();
}

void SearchRun::Start(ResultForm form) {
    if (m_running) return;
    m_closeAsked = false;
    m_read = 0;
    m_pending.clear();
    m_running = true;
    emit runningChanged(true);
    m_control.Reset();
    if (form == ResultForm::List) m_poll.start();
    RunCommand(m_command.runCommandLine, m_command.workDir, RunMode::Hidden, nullptr, *m_ctx.prompter,
               m_ctx.platform.codePage, NamazuEnvironment(), &m_control);
    m_poll.stop();
    m_pending.clear();
    m_running = false;
    emit runningChanged(false);

    SearchOutcome outcome;
    outcome.closeAsked = m_closeAsked;
    if (m_control.StopRequested()) {
        outcome.end = SearchEnd::Stopped;
        RemoveResultFile();  // what namazu wrote before it ended is no result
    } else if (!FileExists(m_command.resultFilePath)) {
        outcome.end = SearchEnd::Failed;
        outcome.reason = QStringLiteral("検索結果のファイルが見つかりません。\n") +
                         ToQString(m_ctx.platform.codePage, m_command.resultFilePath);
    } else {
        outcome.ignored = ReadIgnoredWords();
        QFile file(FileName(m_command.resultFilePath));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray head = file.read(kNoticeHeadBytes);
            outcome.indexLocked =
                NamazuSaysIndexLocked(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
        }
    }
    emit ended(outcome);
    if (outcome.end == SearchEnd::Done && form == ResultForm::List) RemoveResultFile();
}

void SearchRun::Stop() {
    if (m_running) m_control.Stop();
}

void SearchRun::CloseWhenEnded() {
    if (!m_running) return;
    m_closeAsked = true;
    m_control.Stop();
}

void SearchRun::TakeWrittenLines() {
    QFile file(FileName(m_command.resultFilePath));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_read)) return;
    const QByteArray more = file.readAll();
    if (more.isEmpty()) return;
    m_read += more.size();
    m_pending += more;
    // Only lines that have ended for sure: up to the last LF (a CR may still get its LF).
    const qsizetype end = m_pending.lastIndexOf('\n');
    if (end < 0) return;
    const QByteArray lines = m_pending.left(end + 1);
    m_pending.remove(0, end + 1);
    emit linesReady(lines);
}

std::vector<IgnoredWord> SearchRun::ReadIgnoredWords() const {
    QFile file(FileName(m_command.resultFilePath));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(kNoticeHeadBytes);
    return WordsIgnoredByNamazu(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
}

void SearchRun::RemoveResultFile() const {
    if (!m_command.resultFilePath.empty()) ::unlink(m_command.resultFilePath.c_str());
}
