#include "update/BackgroundUpdate.h"

#include <QTimer>
#include <algorithm>

#include "indexer/CommandListRunner.h"
#include "update/IndexLock.h"
#include "update/IndexUpdate.h"
#include "process/Prompter.h"
#include "text/DisplayText.h"

namespace {

constexpr std::size_t kLogLines = 5000;

// Nobody is asked during a background run: what the runner would show in a box joins the log.
class LogPrompter final : public Prompter {
public:
    explicit LogPrompter(std::vector<std::string>& log) : m_log(log) {}
    MessageResult Message(const QString& text, const QString&, MessageIcon, MessageButtons buttons) override {
        for (const QString& line : text.split(u'\n')) m_log.push_back(line.toStdString());
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::No;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}

private:
    std::vector<std::string>& m_log;
};

}  // namespace

// Keeps the lines of the run, at most kLogLines of them (the oldest go first).
class BackgroundUpdate::LogView final : public OutputView {
public:
    explicit LogView(std::vector<std::string>& lines) : m_lines(lines) {}
    int LineCount() const override { return static_cast<int>(m_lines.size()); }
    void AppendLines(const std::vector<std::string>& lines) override {
        m_lines.insert(m_lines.end(), lines.begin(), lines.end());
        Trim();
    }
    void AppendLine(const std::string& line) override { AppendLines({line}); }
    void InsertLine(int index, const std::string& line) override { InsertLines(index, {line}); }
    void InsertLines(int index, const std::vector<std::string>& lines) override {
        const auto at = m_lines.begin() + std::clamp(index, 0, LineCount());
        m_lines.insert(at, lines.begin(), lines.end());
        Trim();
    }
    void MakeCurrent(int) override {}
    void Repaint() override {}
    int RunFlag() const override { return m_runFlag; }
    void SetRunFlag(int flag) override { m_runFlag = flag; }

private:
    void Trim() {
        if (m_lines.size() > kLogLines)
            m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<long>(m_lines.size() - kLogLines));
    }
    std::vector<std::string>& m_lines;
    int m_runFlag = 1;
};

class BackgroundUpdate::Sink final : public RunProgressSink {
public:
    explicit Sink(BackgroundUpdate& owner) : m_owner(owner) {}
    void EntryStarting(std::size_t, std::size_t, const std::string&) override {}
    void DocumentProgress(const MknmzProgressLine& line) override {
        read = std::max(read, line.done);
        emit m_owner.progress(line.done, line.total);
    }
    void EntryEnded(std::size_t, EntryOutcome outcome) override { this->outcome = outcome; }

    int read = 0;
    EntryOutcome outcome = EntryOutcome::Failed;

private:
    BackgroundUpdate& m_owner;
};

BackgroundUpdate::BackgroundUpdate(const Settings& settings, const PlatformProfile& platform, QObject* parent)
    : QObject(parent), m_settings(settings), m_platform(platform), m_control(std::chrono::seconds(30)) {}

BackgroundUpdate::~BackgroundUpdate() = default;

void BackgroundUpdate::Enqueue(const std::string& indexFolder) {
    if (indexFolder == m_current && m_running) {
        // Changed again while it updates: once more afterwards, for what mknmz may have missed.
        if (std::find(m_queue.begin(), m_queue.end(), indexFolder) == m_queue.end()) m_queue.push_back(indexFolder);
        return;
    }
    if (std::find(m_queue.begin(), m_queue.end(), indexFolder) == m_queue.end()) m_queue.push_back(indexFolder);
    // Not from inside the caller's slot: the run waits in an event loop of its own.
    if (!m_running) QTimer::singleShot(0, this, &BackgroundUpdate::RunNext);
}

void BackgroundUpdate::Stop() {
    m_queue.clear();
    if (m_running) {
        m_stopped = true;
        m_control.Stop();
    }
}

std::vector<std::string> BackgroundUpdate::LastLinesUtf8(std::size_t count) const {
    std::vector<std::string> lines;
    for (auto line = m_log.rbegin(); line != m_log.rend() && lines.size() < count; ++line) {
        const std::string text = OutputLineToUtf8(*line);
        if (text.find_first_not_of(" \t\r") != std::string::npos) lines.insert(lines.begin(), text);
    }
    return lines;
}

void BackgroundUpdate::RunNext() {
    if (m_running) return;
    if (m_queue.empty()) {
        emit idle();
        return;
    }
    const std::string index = m_queue.front();
    m_queue.pop_front();
    IndexLock lock;
    if (!lock.Acquire(index, IndexLock::Wait::No)) {
        // Another process updates it (the search window's 更新, a timer's quarrow --update).
        QTimer::singleShot(m_retryDelay, this, [this, index] { Enqueue(index); });
        QTimer::singleShot(0, this, &BackgroundUpdate::RunNext);
        return;
    }
    m_running = true;
    m_stopped = false;
    m_current = index;
    m_log.clear();
    emit started(QByteArray::fromStdString(index));
    LogView view(m_log);
    LogPrompter prompter(m_log);
    Sink sink(*this);
    m_control.Reset();
    EntryRunOptions options;
    options.mode = RunMode::Capture;
    options.view = &view;
    options.sink = &sink;
    options.control = &m_control;
    const BatchResult result =
        RunCommandEntries({UpdateEntry(index, m_platform.codePage)}, m_run, m_settings, m_platform, prompter, options);
    const bool ok = !result.stopped && result.finished == 1 && result.failed.empty();
    if (ok) MarkIndexUpdated(index);
    lock.Release();
    m_running = false;
    m_current.clear();
    emit finished(QByteArray::fromStdString(index), ok, sink.outcome == EntryOutcome::NoDocuments ? 0 : sink.read);
    QTimer::singleShot(0, this, &BackgroundUpdate::RunNext);
}
