#include "app/HtmlDocPage.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/Paths.h"
#include "process/WidgetSupport.h"

namespace {

QString Native(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string NativeBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

bool HasScheme(const std::string& target) {
    std::size_t i = 0;
    while (i < target.size() && (std::isalnum(static_cast<unsigned char>(target[i])) || target[i] == '+' ||
                                 target[i] == '-' || target[i] == '.')) {
        ++i;
    }
    return i >= 2 && i < target.size() && target[i] == ':';
}

// A local path may end in a "#" part: it stays the page's fragment.
QUrl TargetUrl(const std::string& target, PathStyle style) {
    if (HasScheme(target)) return QUrl(Native(target));
    const std::string file = StripFragment(target, style);
    QUrl url = QUrl::fromLocalFile(Native(file));
    if (file.size() < target.size()) url.setFragment(Native(target.substr(file.size() + 1)));
    return url;
}

// namazu's result page and manual are EUC-JP and declare no charset; the engine guesses the
// code of such a page with the help of its language, which it reads once, when the first
// browser is made.
void PreferJapanese() {
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--lang")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --lang=ja");
}

// A page of the search window hands every main-frame navigation to the HTML page first.
class GuardedPage final : public QWebEnginePage {
public:
    GuardedPage(QWebEngineProfile* profile, HtmlDocPage* owner)
        : QWebEnginePage(profile, owner), m_owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        return !isMainFrame || m_owner->WebBrowser1BeforeNavigate2(url);
    }

private:
    HtmlDocPage* m_owner;
};

}  // namespace

HtmlDocPage::HtmlDocPage(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_openWithShell(OpenWithShell) {
    setObjectName(QStringLiteral("tabHTMLDoc"));
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);

    pnlTitle = Named(new QWidget(this), "pnlTitle");
    auto* row = new QHBoxLayout(pnlTitle);
    row->setContentsMargins(2, 2, 2, 2);
    btnResult = Named(new QPushButton(QStringLiteral("&Result"), pnlTitle), "btnResult");
    btnPreviousW = Named(new QPushButton(QStringLiteral("&<"), pnlTitle), "btnPreviousW");
    btnNextW = Named(new QPushButton(QStringLiteral("&>"), pnlTitle), "btnNextW");
    for (QPushButton* button : {btnResult, btnPreviousW, btnNextW}) button->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* button : {btnPreviousW, btnNextW}) {
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<<<<")) + 8);
    }
    lblTitle = Named(new QLabel(pnlTitle), "lblTitle");
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(btnResult);
    row->addWidget(btnPreviousW);
    row->addWidget(btnNextW);
    row->addWidget(lblTitle, 1);

    m_placeholder = new QWidget(this);
    m_column->addWidget(pnlTitle);
    m_column->addWidget(m_placeholder, 1);

    connect(btnResult, &QPushButton::clicked, this, &HtmlDocPage::btnResultClick);
    connect(btnPreviousW, &QPushButton::clicked, this, &HtmlDocPage::btnPreviousClick);
    connect(btnNextW, &QPushButton::clicked, this, &HtmlDocPage::btnNextClick);
}

HtmlDocPage::~HtmlDocPage() {
    // The page must go before its profile.
    if (m_browser) delete m_browser->page();
}

QWebEngineView* HtmlDocPage::Browser() {
    if (m_browser) return m_browser;
    PreferJapanese();
    // A profile of its own without a storage name keeps nothing on disk.
    auto* profile = new QWebEngineProfile(this);
    profile->settings()->setDefaultTextEncoding(QStringLiteral("EUC-JP"));
    m_browser = Named(new QWebEngineView(this), "WebBrowser1");
    m_browser->setPage(new GuardedPage(profile, this));
    connect(m_browser, &QWebEngineView::loadFinished, this, &HtmlDocPage::WebBrowser1DocumentComplete);
    m_column->replaceWidget(m_placeholder, m_browser);
    delete m_placeholder;
    m_placeholder = nullptr;
    return m_browser;
}

void HtmlDocPage::Activate() {
    for (QWidget* w = this; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())) {
            if (tabs->indexOf(w) >= 0) {
                tabs->setCurrentWidget(w);
                return;
            }
        }
    }
}

bool HtmlDocPage::IsActivePage() const {
    for (const QWidget* w = this; w && w->parentWidget(); w = w->parentWidget()) {
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w->parentWidget()->parentWidget())) {
            if (tabs->indexOf(const_cast<QWidget*>(w)) >= 0 && tabs->currentWidget() != w) return false;
        }
    }
    return true;
}

void HtmlDocPage::Navigate(const QUrl& url) {
    Browser();
    m_programNavigation = url;
    m_programNavigationActive = IsActivePage();
    m_browser->load(url);
}

void HtmlDocPage::ShowExternally(BrowserLauncher launcher, const std::string& target,
                                 const std::string& navigatorUrl) {
    switch (launcher) {
        case BrowserLauncher::Navigator:
            OpenInNetscape(navigatorUrl, m_ctx.settings.WebBrowser.NavigatorPath);
            break;
        case BrowserLauncher::InternetExplorer:
            if (!OpenInInternetExplorer(target)) {
                m_ctx.prompter->Tell(QStringLiteral("ブラウザ (x-www-browser) を起動できませんでした。"),
                                     QStringLiteral("エラー"), MessageIcon::Error);
            }
            break;
        case BrowserLauncher::Shell:
            m_openWithShell(target);
            break;
        case BrowserLauncher::Embedded:
            break;
    }
}

void HtmlDocPage::ShowInBrowser(const std::string& target) {
    const BrowserLauncher launcher = ShowInBrowserLauncher(m_ctx.settings);
    if (launcher != BrowserLauncher::Embedded) {
        ShowExternally(launcher, target,
                       LocalPathToUriPath(target, m_ctx.platform.pathStyle, m_ctx.platform.codePage));
        return;
    }
    Navigate(TargetUrl(target, m_ctx.platform.pathStyle));
    Activate();
}

void HtmlDocPage::ShowHtmlDocument(const std::string& path, const QString& title) {
    SetTitleText(title);
    pnlTitle->repaint();
    const BrowserLauncher launcher = ShowHtmlDocumentLauncher(m_ctx.settings);
    if (launcher != BrowserLauncher::Embedded) {
        ShowExternally(launcher, path, path);
        return;
    }
    Activate();
    m_focusOnLoad = true;
    Navigate(TargetUrl(path, m_ctx.platform.pathStyle));
}

void HtmlDocPage::ShowInEmbeddedBrowser(const std::string& path) {
    m_focusOnLoad = true;
    Navigate(TargetUrl(path, m_ctx.platform.pathStyle));
    Activate();
}

void HtmlDocPage::SetTitleText(const QString& text) {
    lblTitle->setText(text);
}

QString HtmlDocPage::TitleText() const {
    return lblTitle->text();
}

void HtmlDocPage::PageActivated() {
    if (!m_browser || m_browser->url().isEmpty()) return;
    const QWidget* focused = window()->focusWidget();
    if (focused && (focused == m_browser || m_browser->isAncestorOf(focused))) m_browser->setFocus();
}

void HtmlDocPage::WebBrowser1DocumentComplete(bool ok) {
    if (m_focusOnLoad) m_browser->setFocus();
    m_focusOnLoad = false;
    emit documentComplete(m_browser->url(), ok);
}

bool HtmlDocPage::WebBrowser1BeforeNavigate2(const QUrl& url) {
    if (!m_lastRedirect.isEmpty() && url == m_lastRedirect) {
        // Our own rewritten link: followed as it is, so a rewrite never feeds on itself.
        m_lastRedirect.clear();
        return true;
    }
    NavigationRequest request;
    request.htmlPageActive = IsActivePage();
    if (!m_programNavigation.isEmpty()) {
        const auto plain = QUrl::RemoveFragment | QUrl::NormalizePathSegments;
        if (url.adjusted(plain) == m_programNavigation.adjusted(plain))
            request.htmlPageActive = m_programNavigationActive;
        m_programNavigation.clear();
    }
    if (url.isLocalFile()) {
        const std::string local = NativeBytes(url.toLocalFile());
        request.url = "file://" + local;
        const std::string result = m_resultFile ? m_resultFile() : std::string();
        request.isResultFile = IsSameFile(local, result);
    } else {
        request.url = url.toString(QUrl::FullyEncoded).toStdString();
    }

    const NavigationDecision decision =
        DecideNavigation(request, m_ctx.settings, m_ctx.platform, m_ctx.drives);
    switch (decision.action) {
        case NavigationAction::Proceed:
            return true;
        case NavigationAction::OpenWithShell:
            if (!m_openWithShell(decision.target)) emit statusMessage(QString::fromUtf8(kShellOpenFailed));
            return false;
        case NavigationAction::Redirect: {
            const std::string path =
                UriToLocalPath(decision.target, m_ctx.platform.pathStyle, m_ctx.platform.codePage);
            QUrl target = QUrl::fromLocalFile(Native(path));
            if (url.hasQuery()) target.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
            if (url.hasFragment()) target.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
            m_lastRedirect = target;
            // Not from inside the engine's question: load once it has had its answer.
            QTimer::singleShot(0, this, [this, target] { Navigate(target); });
            return false;
        }
    }
    return true;
}

void HtmlDocPage::btnResultClick() {
    const std::string result = m_resultFile ? m_resultFile() : std::string();
    if (m_ctx.settings.Result.DisplayTo == "WebBrowser" && !result.empty() && FileExists(result)) {
        ShowInBrowser(result);
    }
}

void HtmlDocPage::StepHit(int step) {
    if (!m_stepHit || !m_stepHit(step)) m_ctx.prompter->Beep();
}

void HtmlDocPage::btnNextClick() {
    StepHit(1);
}

void HtmlDocPage::btnPreviousClick() {
    StepHit(-1);
}
