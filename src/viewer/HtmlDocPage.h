#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

#include "viewer/DocumentDisplay.h"
#include "search/QueryWords.h"
#include "process/Launchers.h"

class FindBar;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWebEngineView;
struct AppContext;

// The HTML page of the search window (objectName "tabHTMLDoc"): the title panel with its
// buttons and the embedded browser WebBrowser1, which is made on first use so that start-up
// does not pay for the web engine. Shows pages by the [WebBrowser] settings, in the embedded
// browser or an outside one, and watches the links the user follows.
class HtmlDocPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlDocPage)

public:
    using HitStepper = std::function<bool(int step)>;
    using ShellOpener = std::function<bool(const std::string& target)>;
    using ResultFileSource = std::function<std::string()>;

    explicit HtmlDocPage(AppContext& ctx, QWidget* parent = nullptr);
    ~HtmlDocPage() override;

    // A local HTML file or a URL, shown as the settings say: in the embedded browser (this page
    // then becomes the active page) or an outside browser.
    void ShowInBrowser(const std::string& target);
    // ShowHtmlDocument: an HTML hit, with `title` on the title panel.
    void ShowHtmlDocument(const std::string& path, const QString& title);
    // Shift+Enter in the text viewer: the document in the embedded browser, with the focus.
    void ShowInEmbeddedBrowser(const std::string& path);

    // The focus-on-load flag: the next page that finishes loading gets the keyboard focus.
    void SetFocusOnLoad(bool on) { m_focusOnLoad = on; }
    bool FocusOnLoad() const { return m_focusOnLoad; }
    void SetTitleText(const QString& text);
    QString TitleText() const;

    // pgeChange for this page: the loaded page gets the focus back if the browser had it.
    void PageActivated();

    void btnResultClick();
    void btnNextClick();
    void btnPreviousClick();

    // The words of the last search: a document shown here marks them and starts at the first.
    void SetQueryWords(const std::vector<QueryWord>& words);
    // F3 (+1) and Shift+F3 (-1): the next or previous marked word; a beep when there is none.
    void StepWord(int step);

    void SetHitStepper(HitStepper stepper) { m_stepHit = std::move(stepper); }
    void SetShellOpener(ShellOpener opener) { m_openWithShell = std::move(opener); }
    // Where the window's current ResultFilePath is read from.
    void SetResultFileSource(ResultFileSource source) { m_resultFile = std::move(source); }

    // The embedded browser, or null while nothing was shown in it.
    QWebEngineView* WebBrowser1() const { return m_browser; }

    // WebBrowser1BeforeNavigate2, called by the browser's page for every main-frame navigation.
    // False cancels it.
    bool WebBrowser1BeforeNavigate2(const QUrl& url);

    QWidget* pnlTitle = nullptr;
    QPushButton* btnResult = nullptr;
    QPushButton* btnPreviousW = nullptr;
    QPushButton* btnNextW = nullptr;
    FindBar* pnlFind = nullptr;

signals:
    void statusMessage(const QString& text);
    // A page finished loading in the embedded browser.
    void documentComplete(const QUrl& url, bool ok);
    // The words were marked in the page shown (-1: the browser refused the pattern).
    void wordsMarked(int count);
    // A step of F3 or Shift+F3 ended on the word `index` of the page (-1: there was none).
    void wordStepped(int index);

private:
    QWebEngineView* Browser();
    void Navigate(const QUrl& url);
    void Activate();
    bool IsActivePage() const;
    void WebBrowser1DocumentComplete(bool ok);
    void StepHit(int step);
    void ShowExternally(BrowserLauncher launcher, const std::string& target, const std::string& navigatorUrl);
    void MarkWords(const QString& pattern);
    void FindTextEdited(const QString& text);

    AppContext& m_ctx;
    QLabel* lblTitle = nullptr;
    QVBoxLayout* m_column = nullptr;
    QWidget* m_placeholder = nullptr;
    QWebEngineView* m_browser = nullptr;
    bool m_focusOnLoad = false;
    // The navigation the program itself started, with whether this page was active then: the
    // engine asks about it only later, when the page may have become active meanwhile.
    QUrl m_programNavigation;
    bool m_programNavigationActive = false;
    QUrl m_lastRedirect;
    HitStepper m_stepHit;
    ShellOpener m_openWithShell;
    ResultFileSource m_resultFile;
    QueryWordFinder m_queryFinder;
    // The page shown is a document (not a result page or help): the words are marked in it.
    bool m_markWords = false;
};
