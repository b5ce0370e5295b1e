#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "viewer/DocumentDisplay.h"
#include "search/QueryWords.h"

class FindBar;
class QKeyEvent;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
struct AppContext;

// The text page of the search window (objectName "tabTextDoc"): the subject panel with the
// previous/next buttons and the viewer edtTextContents with its paging keys. The window owns
// the hits; the page asks it to step through them and tells it what the keys want.
class TextDocPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextDocPage)

public:
    // Opens hit CurrentHit + step; false when there is no such hit (the page then beeps).
    using HitStepper = std::function<bool(int step)>;
    // Opens a local path with its associated application; false when that failed.
    using ShellOpener = std::function<bool(const std::string& path)>;

    explicit TextDocPage(AppContext& ctx, QWidget* parent = nullptr);
    ~TextDocPage() override;

    // Shows a document: `path` is the hit's local path (it may end in a "#" part), `title` goes
    // on the subject panel. Makes this page the active page of its tab widget.
    void ShowTextDocument(const std::string& path, const QString& title, const TextDisplayOptions& options);

    const std::string& CurrentDocumentPath() const { return m_currentDocumentPath; }
    // False while the lines of a large document are still being added to the viewer.
    bool LoadingComplete() const { return m_pending.isEmpty(); }
    QString SubjectText() const;

    void btnNextClick();
    void btnPreviousClick();

    // The words of the last search: each document shown marks them and starts at the first.
    void SetQueryWords(const std::vector<QueryWord>& words);
    // F3 (+1) and Shift+F3 (-1): the next or previous occurrence from the caret, of the find
    // bar's text while it has one. False (and a beep) when there is none.
    bool StepWord(int step);
    // The occurrence the view stands on.
    std::optional<TextSpan> CurrentWord() const { return m_currentWord; }

    // Shows the open document again read as `code`, until the next document is shown.
    void ShowInCode(TextCode code);
    TextCode DocumentCode() const { return m_code; }

    void SetHitStepper(HitStepper stepper) { m_stepHit = std::move(stepper); }
    void SetShellOpener(ShellOpener opener) { m_openWithShell = std::move(opener); }

    QWidget* pnlSubject = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnNext = nullptr;
    QPlainTextEdit* edtTextContents = nullptr;
    FindBar* pnlFind = nullptr;
    // "文字コード(&K)": the code the open document is read in.
    QMenu* mnuDocumentCode = nullptr;

signals:
    void statusMessage(const QString& text);
    // Every line of the document is in the viewer.
    void documentLoaded();
    // Enter: the result list becomes the active page (the window runs pgeChange).
    void resultPageRequested();
    // Shift+Enter on an HTML document: show it in the embedded browser.
    void embeddedBrowserRequested(const std::string& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Both return true when the key is swallowed.
    bool edtTextContentsKeyDown(const QKeyEvent* event);
    bool edtTextContentsKeyPress(const QKeyEvent* event);
    void StepHit(int step);
    bool CaretAfterLastLine() const;
    void ScrollBy(int action);
    void CaretToFirstVisibleLine();
    void ShowLineAtTop(int line);
    void AppendPendingLines();
    void Activate();
    void Display();
    void CreateCodeMenu();
    const QueryWordFinder& ActiveFinder() const;
    qsizetype LoadedLength() const;
    void GoToWord(const TextSpan& span, bool toTop);
    void UpdateWordHighlights();
    void FindTextEdited(const QString& text);
    void FindBarClosed();

    AppContext& m_ctx;
    QLabel* lblSubject = nullptr;
    std::string m_currentDocumentPath;
    QString m_title;
    TextDisplayOptions m_options;
    TextCode m_code = TextCode::Auto;
    HitStepper m_stepHit;
    ShellOpener m_openWithShell;
    // The rest of a large document, added a slice at a time while the window stays responsive.
    QString m_pending;
    qsizetype m_pendingPos = 0;
    int m_loadGeneration = 0;
    // The whole text of the document, also the part still pending; positions in it are
    // positions in the viewer.
    QString m_text;
    QueryWordFinder m_queryFinder;
    QueryWordFinder m_findFinder;
    std::optional<TextSpan> m_currentWord;
    // The first word lies in a part still pending: the view goes there when it arrives.
    std::optional<TextSpan> m_pendingJump;
};
