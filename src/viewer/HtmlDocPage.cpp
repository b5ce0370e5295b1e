#include "viewer/HtmlDocPage.h"

#include <QFile>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QShortcut>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "viewer/FindBar.h"
#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/Paths.h"
#include "process/QtText.h"
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

// Marks every match of the pattern (flags "giu") in the page's text with <mark>, after taking
// away the marks of an earlier call; returns their number, -1 when the pattern is refused.
const char* const kMarkWordsScript = R"JS(
(function (pattern) {
  for (const mark of window.__quarrowWords || []) {
    const parent = mark.parentNode;
    if (!parent) continue;
    parent.replaceChild(document.createTextNode(mark.textContent), mark);
    parent.normalize();
  }
  window.__quarrowWords = [];
  window.__quarrowCurrent = -1;
  if (!pattern || !document.body) return 0;
  let re;
  try { re = new RegExp(pattern, 'giu'); } catch (e) { return -1; }
  if (!document.getElementById('quarrow-word-style')) {
    const style = document.createElement('style');
    style.id = 'quarrow-word-style';
    style.textContent = 'mark.quarrow-word{background:#fff078;color:inherit}' +
                        'mark.quarrow-word.quarrow-current{background:#ffa03c}';
    (document.head || document.documentElement).appendChild(style);
  }
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
    acceptNode(node) {
      const name = node.parentNode.nodeName;
      return name === 'SCRIPT' || name === 'STYLE' || name === 'TEXTAREA' || name === 'NOSCRIPT'
          ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT;
    }
  });
  const nodes = [];
  while (walker.nextNode()) nodes.push(walker.currentNode);
  const marks = [];
  for (const node of nodes) {
    const text = node.nodeValue;
    re.lastIndex = 0;
    let match, last = 0, pieces = null;
    while ((match = re.exec(text)) !== null) {
      if (match[0].length === 0) { re.lastIndex++; continue; }
      pieces = pieces || document.createDocumentFragment();
      pieces.appendChild(document.createTextNode(text.slice(last, match.index)));
      const mark = document.createElement('mark');
      mark.className = 'quarrow-word';
      mark.textContent = match[0];
      pieces.appendChild(mark);
      marks.push(mark);
      last = match.index + match[0].length;
    }
    if (!pieces) continue;
    pieces.appendChild(document.createTextNode(text.slice(last)));
    node.parentNode.replaceChild(pieces, node);
  }
  window.__quarrowWords = marks;
  return marks.length;
})
)JS";

// Makes the next or previous mark the current one and scrolls it into view if it is not in
// view; returns its index, -1 when there is none that way.
const char* const kStepWordScript = R"JS(
(function (step) {
  const marks = window.__quarrowWords || [];
  const current = window.__quarrowCurrent === undefined ? -1 : window.__quarrowCurrent;
  const next = current + step;
  if (next < 0 || next >= marks.length) return -1;
  if (current >= 0 && marks[current]) marks[current].classList.remove('quarrow-current');
  window.__quarrowCurrent = next;
  const mark = marks[next];
  mark.classList.add('quarrow-current');
  const box = mark.getBoundingClientRect();
  if (box.top < 0 || box.bottom > window.innerHeight || box.left < 0 || box.right > window.innerWidth)
    mark.scrollIntoView({block: 'center', inline: 'nearest'});
  return next;
})
)JS";

// A JavaScript string literal of `text`.
QString JsString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
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
    : QWidget(parent), m_ctx(ctx),
      m_openWithShell([this](const std::string& target) {
          return OpenWithShell(target, {this, [this] { emit statusMessage(QString::fromUtf8(kShellOpenFailed)); }});
      }) {
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
    pnlFind = new FindBar(this);
    m_column->addWidget(pnlTitle);
    m_column->addWidget(m_placeholder, 1);
    m_column->addWidget(pnlFind);

    // Keys of their own, none of the page's: they work in the browser and in the find bar.
    const auto shortcut = [this](const QKeySequence& keys, auto handler) {
        auto* item = new QShortcut(keys, this, handler);
        item->setContext(Qt::WidgetWithChildrenShortcut);
    };
    shortcut(QKeySequence(Qt::Key_F3), [this] { StepWord(1); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { StepWord(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        if (!m_browser) return;
        pnlFind->Open();
        if (!pnlFind->Text().isEmpty()) FindTextEdited(pnlFind->Text());
    });
    connect(pnlFind, &FindBar::textEdited, this, &HtmlDocPage::FindTextEdited);
    connect(pnlFind, &FindBar::stepRequested, this, &HtmlDocPage::StepWord);
    connect(pnlFind, &FindBar::closed, this, [this] {
        MarkWords(m_markWords ? m_queryFinder.Pattern() : QString());
        if (m_browser) m_browser->setFocus();
    });

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
        case BrowserLauncher::Navigator: {
            // A browser that ends with an error at once did not show the page either.
            const QString program = ToQString(m_ctx.platform.codePage, m_ctx.settings.WebBrowser.NavigatorPath);
            auto failed = [this, program] {
                m_ctx.prompter->Tell(QStringLiteral("ブラウザ (") + program + QStringLiteral(") の起動に失敗しました。"),
                                     QStringLiteral("エラー"), MessageIcon::Error);
            };
            if (!OpenInNetscape(navigatorUrl, m_ctx.settings.WebBrowser.NavigatorPath, {this, failed})) failed();
            break;
        }
        case BrowserLauncher::InternetExplorer: {
            auto failed = [this] {
                m_ctx.prompter->Tell(QStringLiteral("ブラウザ (x-www-browser) を起動できませんでした。"),
                                     QStringLiteral("エラー"), MessageIcon::Error);
            };
            if (!OpenInInternetExplorer(target, {this, failed})) failed();
            break;
        }
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
    m_markWords = false;
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
    m_markWords = true;
    Navigate(TargetUrl(path, m_ctx.platform.pathStyle));
}

void HtmlDocPage::ShowInEmbeddedBrowser(const std::string& path) {
    m_focusOnLoad = true;
    m_markWords = true;
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
    if (!ok) return;
    const QString findText = pnlFind->Text();
    if (!findText.isEmpty()) {
        FindTextEdited(findText);
    } else if (m_markWords && !m_queryFinder.IsEmpty()) {
        MarkWords(m_queryFinder.Pattern());
    }
}

void HtmlDocPage::SetQueryWords(const std::vector<QueryWord>& words) {
    m_queryFinder = QueryWordFinder(words);
}

void HtmlDocPage::MarkWords(const QString& pattern) {
    if (!m_browser) return;
    // The marks belong to the page they were made in; a page loaded meanwhile has none.
    const QUrl url = m_browser->url();
    m_browser->page()->runJavaScript(
        QString::fromUtf8(kMarkWordsScript) + u'(' + JsString(pattern) + u')', [this, url](const QVariant& count) {
            if (!m_browser || m_browser->url() != url) return;
            const int marked = count.isValid() ? count.toInt() : -1;
            if (marked > 0) StepWord(1);
            if (!pnlFind->Text().isEmpty()) pnlFind->SetFound(marked > 0);
            emit wordsMarked(marked);
        });
}

void HtmlDocPage::FindTextEdited(const QString& text) {
    if (text.isEmpty()) {
        pnlFind->SetFound(true);
        MarkWords(m_markWords ? m_queryFinder.Pattern() : QString());
        return;
    }
    MarkWords(QueryWordFinder({{QueryWordKind::Substring, text}}).Pattern());
}

void HtmlDocPage::StepWord(int step) {
    if (!m_browser) {
        m_ctx.prompter->Beep();
        return;
    }
    m_browser->page()->runJavaScript(QString::fromUtf8(kStepWordScript) + u'(' + QString::number(step) + u')',
                                     [this](const QVariant& index) {
                                         const int at = index.isValid() ? index.toInt() : -1;
                                         if (at < 0) m_ctx.prompter->Beep();
                                         emit wordStepped(at);
                                     });
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
