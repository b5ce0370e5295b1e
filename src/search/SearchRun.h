#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "process/RunCommand.h"
#include "search/SearchCommand.h"
#include "search/SearchNotices.h"

struct AppContext;

// How a search run ended.
enum class SearchEnd {
    Done,     // namazu ended and left its result file
    Stopped,  // Stop() or CloseWhenEnded() was asked for; what namazu wrote is removed
    Failed,   // no result file: namazu could not start (told already) or wrote none
};

struct SearchOutcome {
    SearchEnd end = SearchEnd::Done;
    QString reason;                    // Failed: what to tell the user
    std::vector<IgnoredWord> ignored;  // Done: the words namazu's References line marks as ignored
    bool closeAsked = false;           // CloseWhenEnded() was called during the run
    bool indexLocked = false;          // Done: namazu found an index locked (NamazuSaysIndexLocked)
};

// What namazu's result becomes: a list read while namazu writes it (its file removed once
// `ended` has been handled), or an HTML page that a browser shows later (its file kept).
enum class ResultForm { List, Html };

// One namazu search at a time, with no window: the run, its stop, the result file and its
// reading while namazu writes it. Start() returns when namazu has ended; user input is handled
// meanwhile (that is how a stop arrives), so the caller disables what could start a second run
// while `runningChanged(true)` holds.
class SearchRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchRun)

public:
    explicit SearchRun(AppContext& ctx, QObject* parent = nullptr);
    ~SearchRun() override;

    // Takes the command of the next search; a result file left at its path by an earlier one goes.
    void Prepare(const SearchCommand& command);
    // Runs the prepared command. With ResultForm::List, `linesReady` brings the result's finished
    // lines every 50 ms while namazu writes them; then `ended` tells the outcome.
    void Start(ResultForm form);
    // Ends namazu: SIGTERM, then SIGKILL after a short grace. Nothing when no search runs.
    void Stop();
    // Stops the run as Stop() does and marks the outcome, so that the window closes after it.
    void CloseWhenEnded();

    bool Running() const { return m_running; }
    // The file namazu writes for the prepared or last search.
    const std::string& ResultFilePath() const { return m_command.resultFilePath; }

signals:
    void runningChanged(bool running);
    // Whole lines (each ending in LF) that namazu has added to the result file since the last
    // signal, as bytes.
    void linesReady(const QByteArray& lines);
    void ended(const SearchOutcome& outcome);

private:
    void TakeWrittenLines();
    std::vector<IgnoredWord> ReadIgnoredWords() const;
    void RemoveResultFile() const;

    AppContext& m_ctx;
    RunControl m_control;
    QTimer m_poll;
    SearchCommand m_command;
    qint64 m_read = 0;     // bytes of the result file read so far
    QByteArray m_pending;  // read, but not yet ended by an LF
    bool m_running = false;
    bool m_closeAsked = false;
};
