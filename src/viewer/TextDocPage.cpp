#include "viewer/TextDocPage.h"

#include <QAbstractSlider>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "viewer/FindBar.h"
#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/Launchers.h"
#include "process/Paths.h"
#include "process/WidgetSupport.h"

namespace {

bool IsHtmlExtension(const std::string& ext) {
    std::string lower = ext;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == ".html" || lower == ".htm" || lower == ".shtml";
}

// Lines put into the viewer at once, and per slice afterwards (a few milliseconds each).
constexpr int kFirstSliceLines = 5000;
constexpr int kSliceLines = 5000;

// Position of the `count`-th line break at or after `from`; -1 when the text has fewer.
qsizetype NthLineBreak(const QString& text, qsizetype from, int count) {
    qsizetype pos = from - 1;
    for (int i = 0; i < count; ++i) {
        pos = text.indexOf(u'\n', pos + 1);
        if (pos < 0) return -1;
    }
    return pos;
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Words are marked around the visible lines only, so that a long document costs no more than
// a short one; this much text on either side keeps the marks ready for a small scroll.
constexpr qsizetype kMarkMargin = 4000;

const QColor kWordColour(255, 240, 120);
const QColor kCurrentWordColour(255, 160, 60);

}  // namespace

TextDocPage::TextDocPage(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx),
      m_openWithShell([this](const std::string& path) {
          return OpenWithShell(path, {this, [this] { emit statusMessage(QString::fromUtf8(kShellOpenFailed)); }});
      }) {
    setObjectName(QStringLiteral("tabTextDoc"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pnlSubject = Named(new QWidget(this), "pnlSubject");
    auto* row = new QHBoxLayout(pnlSubject);
    row->setContentsMargins(2, 2, 2, 2);
    btnPrevious = Named(new QPushButton(QStringLiteral("&<"), pnlSubject), "btnPrevious");
    btnNext = Named(new QPushButton(QStringLiteral("&>"), pnlSubject), "btnNext");
    for (QPushButton* button : {btnPrevious, btnNext}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<<<<")) + 8);
    }
    lblSubject = Named(new QLabel(pnlSubject), "lblSubject");
    lblSubject->setTextFormat(Qt::PlainText);
    lblSubject->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(btnPrevious);
    row->addWidget(btnNext);
    row->addWidget(lblSubject, 1);

    edtTextContents = Named(new QPlainTextEdit(this), "edtTextContents");
    edtTextContents->setReadOnly(true);
    edtTextContents->setUndoRedoEnabled(false);
    // Read-only, but with a caret: the paging keys move it with the page.
    edtTextContents->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edtTextContents->installEventFilter(this);

    pnlFind = new FindBar(this);

    column->addWidget(pnlSubject);
    column->addWidget(edtTextContents, 1);
    column->addWidget(pnlFind);

    connect(btnNext, &QPushButton::clicked, this, &TextDocPage::btnNextClick);
    connect(btnPrevious, &QPushButton::clicked, this, &TextDocPage::btnPreviousClick);

    // Keys of their own, none of the viewer's: they work in the viewer and in the find bar.
    const auto shortcut = [this](const QKeySequence& keys, auto handler) {
        auto* item = new QShortcut(keys, this, handler);
        item->setContext(Qt::WidgetWithChildrenShortcut);
    };
    shortcut(QKeySequence(Qt::Key_F3), [this] { StepWord(1); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { StepWord(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        pnlFind->Open();
        FindTextEdited(pnlFind->Text());
    });
    connect(pnlFind, &FindBar::textEdited, this, &TextDocPage::FindTextEdited);
    connect(pnlFind, &FindBar::stepRequested, this, [this](int step) { StepWord(step); });
    connect(pnlFind, &FindBar::closed, this, &TextDocPage::FindBarClosed);
    connect(edtTextContents->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TextDocPage::UpdateWordHighlights);
    edtTextContents->viewport()->installEventFilter(this);
    CreateCodeMenu();
}

void TextDocPage::CreateCodeMenu() {
    mnuDocumentCode = Named(new QMenu(QStringLiteral("文字コード(&K)"), this), "mnuDocumentCode");
    auto* group = new QActionGroup(this);
    const std::tuple<TextCode, const char*, QString> items[] = {
        {TextCode::Auto, "mnuCodeAuto", QStringLiteral("自動(&A)")},
        {TextCode::Utf8, "mnuCodeUtf8", QStringLiteral("&UTF-8")},
        {TextCode::EucJp, "mnuCodeEucJp", QStringLiteral("&EUC-JP")},
        {TextCode::ShiftJis, "mnuCodeShiftJis", QStringLiteral("&Shift_JIS")},
        {TextCode::Iso2022Jp, "mnuCodeIso2022Jp", QStringLiteral("&ISO-2022-JP")},
        {TextCode::Latin1, "mnuCodeLatin1", QStringLiteral("IS&O-8859-1 / Windows-1252")},
    };
    for (const auto& [code, name, caption] : items) {
        QAction* item = Named(mnuDocumentCode->addAction(caption), name);
        item->setCheckable(true);
        item->setData(static_cast<int>(code));
        item->setChecked(code == TextCode::Auto);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, code = code] { ShowInCode(code); });
    }
    connect(mnuDocumentCode, &QMenu::aboutToShow, this, [this] {
        for (QAction* item : mnuDocumentCode->actions()) {
            item->setEnabled(!m_currentDocumentPath.empty());
            item->setChecked(item->data().toInt() == static_cast<int>(m_code));
        }
    });
}

TextDocPage::~TextDocPage() = default;

QString TextDocPage::SubjectText() const {
    return lblSubject->text();
}

void TextDocPage::Activate() {
    for (QWidget* w = this; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())) {
            if (tabs->indexOf(w) >= 0) {
                tabs->setCurrentWidget(w);
                return;
            }
        }
    }
}

void TextDocPage::ShowTextDocument(const std::string& path, const QString& title,
                                   const TextDisplayOptions& options) {
    m_currentDocumentPath = path;
    m_title = title;
    m_options = options;
    m_code = options.code;
    Display();
}

void TextDocPage::ShowInCode(TextCode code) {
    if (m_currentDocumentPath.empty()) return;
    m_code = code;
    Display();
}

void TextDocPage::Display() {
    lblSubject->setText(m_title);
    lblSubject->repaint();

    ++m_loadGeneration;
    m_pending.clear();
    m_pendingPos = 0;
    m_text.clear();
    m_currentWord.reset();
    m_pendingJump.reset();
    UpdatesSuspended suspended(edtTextContents);
    edtTextContents->setExtraSelections({});
    edtTextContents->clear();
    Activate();
    edtTextContents->setFocus();

    // The document is read once; a "#" part of the location names no file.
    const std::string file = StripFragment(m_currentDocumentPath, m_ctx.platform.pathStyle);
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) {
        m_ctx.prompter->Tell(QString::fromStdString(UnreadableFileMessage(file, m_ctx.platform.codePage)),
                             QStringLiteral("エラー"), MessageIcon::Error);
        return;
    }
    TextDisplayOptions options = m_options;
    options.code = m_code;
    TextDocumentView view = PrepareTextDocument(*bytes, options);
    m_text = view.text;
    // A large document shows its beginning at once; the rest follows in slices.
    const int firstLines = kFirstSliceLines + std::max(0, view.bodyLine.value_or(0));
    const qsizetype cut = NthLineBreak(view.text, 0, firstLines);
    if (cut < 0) {
        edtTextContents->setPlainText(view.text);
    } else {
        edtTextContents->setPlainText(view.text.first(cut));
        m_pending = std::move(view.text);
        m_pendingPos = cut;
        QTimer::singleShot(0, this, [this, generation = m_loadGeneration] {
            if (generation == m_loadGeneration) AppendPendingLines();
        });
    }
    if (view.bodyLine) ShowLineAtTop(*view.bodyLine);

    // The view starts at the first word of the query (in a mail, the first in its body).
    qsizetype from = 0;
    if (view.bodyLine && *view.bodyLine > 0) {
        const qsizetype lineBreak = NthLineBreak(m_text, 0, *view.bodyLine);
        from = lineBreak < 0 ? m_text.size() : lineBreak + 1;
    }
    if (const std::optional<TextSpan> first = ActiveFinder().Next(m_text, from)) {
        if (first->end() <= LoadedLength()) {
            GoToWord(*first, true);
        } else {
            m_pendingJump = first;
        }
    }
    UpdateWordHighlights();
    if (LoadingComplete()) emit documentLoaded();
}

void TextDocPage::AppendPendingLines() {
    const qsizetype cut = NthLineBreak(m_pending, m_pendingPos + 1, kSliceLines);
    const qsizetype end = cut < 0 ? m_pending.size() : cut;
    QTextCursor cursor(edtTextContents->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringView(m_pending).mid(m_pendingPos, end - m_pendingPos).toString());
    if (m_pendingJump && m_pendingJump->end() <= LoadedLength()) {
        GoToWord(*m_pendingJump, true);
        m_pendingJump.reset();
    }
    UpdateWordHighlights();
    if (cut < 0) {
        m_pending.clear();
        m_pendingPos = 0;
        emit documentLoaded();
        return;
    }
    m_pendingPos = cut;
    QTimer::singleShot(0, this, [this, generation = m_loadGeneration] {
        if (generation == m_loadGeneration) AppendPendingLines();
    });
}

void TextDocPage::ShowLineAtTop(int line) {
    QTextCursor cursor(edtTextContents->document());
    if (line >= edtTextContents->document()->blockCount()) {
        cursor.movePosition(QTextCursor::End);
    } else {
        cursor.setPosition(edtTextContents->document()->findBlockByNumber(line).position());
    }
    // From the bottom, making the caret visible scrolls it to the top line.
    QScrollBar* bar = edtTextContents->verticalScrollBar();
    bar->setValue(bar->maximum());
    edtTextContents->setTextCursor(cursor);
    edtTextContents->ensureCursorVisible();
}

void TextDocPage::StepHit(int step) {
    if (!m_stepHit || !m_stepHit(step)) m_ctx.prompter->Beep();
}

void TextDocPage::btnNextClick() {
    StepHit(1);
}

void TextDocPage::btnPreviousClick() {
    StepHit(-1);
}

bool TextDocPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtTextContents->viewport()) {
        if (event->type() == QEvent::Resize) UpdateWordHighlights();
        // The reader has started to move about: a late first word no longer moves the view.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel) m_pendingJump.reset();
        return QWidget::eventFilter(watched, event);
    }
    if (watched == edtTextContents && event->type() == QEvent::KeyPress) {
        m_pendingJump.reset();
        const auto* key = static_cast<QKeyEvent*>(event);
        // One Qt key event is both the key going down and the character it types.
        const bool swallowedDown = edtTextContentsKeyDown(key);
        const bool swallowedChar = edtTextContentsKeyPress(key);
        return swallowedDown || swallowedChar;
    }
    return QWidget::eventFilter(watched, event);
}

bool TextDocPage::edtTextContentsKeyDown(const QKeyEvent* event) {
    emit statusMessage(QString::fromUtf8(kTextPageStatus));
    if (event->key() == Qt::Key_Backspace) return true;
    if (!IsEnter(event->key())) return false;
    const std::string ext =
        FileExtension(m_currentDocumentPath, m_ctx.platform.pathStyle, m_ctx.platform.codePage);
    if (event->modifiers().testFlag(Qt::ShiftModifier) && IsHtmlExtension(ext)) {
        emit embeddedBrowserRequested(m_currentDocumentPath);
    }
    return true;
}

bool TextDocPage::edtTextContentsKeyPress(const QKeyEvent* event) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const int key = event->key();
    const QString text = event->text();

    if (IsEnter(key)) {
        if (shift) {
            if (!m_openWithShell(m_currentDocumentPath))
                emit statusMessage(QString::fromUtf8(kShellOpenFailed));
        } else {
            emit resultPageRequested();
        }
        return true;
    }
    if (key == Qt::Key_Escape) return true;
    if (text == QLatin1String("n") || text == QLatin1String("N")) {
        btnNextClick();
        return true;
    }
    if (text == QLatin1String("p") || text == QLatin1String("P")) {
        btnPreviousClick();
        return true;
    }

    if (key == Qt::Key_Space) {
        if (!shift) {
            if (CaretAfterLastLine()) {
                m_ctx.prompter->Beep();
                return true;
            }
            ScrollBy(QAbstractSlider::SliderPageStepAdd);
        }
        CaretToFirstVisibleLine();
        return true;
    }
    if (key == Qt::Key_Backspace) {
        if (edtTextContents->textCursor().position() == 0) {
            m_ctx.prompter->Beep();
            return true;
        }
        ScrollBy(QAbstractSlider::SliderPageStepSub);
        CaretToFirstVisibleLine();
        return true;
    }
    if (text == QLatin1String("j") || text == QLatin1String("J")) {
        ScrollBy(QAbstractSlider::SliderSingleStepAdd);
        CaretToFirstVisibleLine();
        return true;
    }
    if (text == QLatin1String("k") || text == QLatin1String("K")) {
        ScrollBy(QAbstractSlider::SliderSingleStepSub);
        CaretToFirstVisibleLine();
        return true;
    }
    return false;
}

bool TextDocPage::CaretAfterLastLine() const {
    // A final line break ends the last line rather than starting another. The end of a
    // document still being filled in is not its end yet.
    if (!LoadingComplete()) return false;
    const QTextDocument* document = edtTextContents->document();
    const int lines = document->blockCount() - (document->lastBlock().length() <= 1 ? 1 : 0);
    return edtTextContents->textCursor().blockNumber() == lines;
}

void TextDocPage::ScrollBy(int action) {
    edtTextContents->verticalScrollBar()->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

void TextDocPage::CaretToFirstVisibleLine() {
    QTextCursor cursor = edtTextContents->cursorForPosition(QPoint(0, 0));
    cursor.movePosition(QTextCursor::StartOfLine);
    edtTextContents->setTextCursor(cursor);
    edtTextContents->ensureCursorVisible();
}

void TextDocPage::SetQueryWords(const std::vector<QueryWord>& words) {
    m_queryFinder = QueryWordFinder(words);
}

const QueryWordFinder& TextDocPage::ActiveFinder() const {
    return !pnlFind->isHidden() && !m_findFinder.IsEmpty() ? m_findFinder : m_queryFinder;
}

qsizetype TextDocPage::LoadedLength() const {
    return edtTextContents->document()->characterCount() - 1;
}

void TextDocPage::GoToWord(const TextSpan& span, bool toTop) {
    m_currentWord = span;
    QTextCursor cursor(edtTextContents->document());
    cursor.setPosition(static_cast<int>(span.start));
    const QRect shown = edtTextContents->viewport()->rect();
    const QRect at = edtTextContents->cursorRect(cursor);
    const bool inView = shown.contains(at.topLeft()) && shown.contains(at.bottomLeft());
    if (!inView && toTop) {
        // From the bottom, making the caret visible scrolls its line to the top.
        QScrollBar* bar = edtTextContents->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
    edtTextContents->setTextCursor(cursor);
    if (!inView && !toTop) edtTextContents->centerCursor();
    UpdateWordHighlights();
}

bool TextDocPage::StepWord(int step) {
    const QueryWordFinder& finder = ActiveFinder();
    const qsizetype caret = edtTextContents->textCursor().position();
    std::optional<TextSpan> found;
    if (step > 0) {
        // From the word the view stands on, the next one; from anywhere else, the first after it.
        found = finder.Next(m_text, m_currentWord && m_currentWord->start == caret ? caret + 1 : caret);
    } else {
        found = finder.Previous(m_text, caret);
    }
    if (!found || found->end() > LoadedLength()) {
        if (!pnlFind->isHidden()) pnlFind->SetFound(false);
        m_ctx.prompter->Beep();
        return false;
    }
    pnlFind->SetFound(true);
    GoToWord(*found, false);
    return true;
}

void TextDocPage::FindTextEdited(const QString& text) {
    m_findFinder = text.isEmpty() ? QueryWordFinder()
                                  : QueryWordFinder({{QueryWordKind::Substring, text}});
    // As the text grows, the occurrence found so far is looked at again first.
    const qsizetype from = m_currentWord ? m_currentWord->start : edtTextContents->textCursor().position();
    const std::optional<TextSpan> found = ActiveFinder().Next(m_text, from);
    pnlFind->SetFound(text.isEmpty() || (found && found->end() <= LoadedLength()));
    if (found && found->end() <= LoadedLength()) {
        GoToWord(*found, false);
    } else {
        UpdateWordHighlights();
    }
}

void TextDocPage::FindBarClosed() {
    m_findFinder = QueryWordFinder();
    m_currentWord.reset();
    edtTextContents->setFocus();
    UpdateWordHighlights();
}

void TextDocPage::UpdateWordHighlights() {
    QList<QTextEdit::ExtraSelection> marks;
    const QueryWordFinder& finder = ActiveFinder();
    if (!finder.IsEmpty() && !m_text.isEmpty()) {
        const QRect shown = edtTextContents->viewport()->rect();
        const qsizetype first = edtTextContents->cursorForPosition(shown.topLeft()).position();
        const qsizetype last = edtTextContents->cursorForPosition(shown.bottomRight()).position();
        const qsizetype loaded = LoadedLength();
        for (const TextSpan& span :
             finder.InRange(m_text, std::max<qsizetype>(0, first - kMarkMargin), std::min(loaded, last + kMarkMargin))) {
            if (span.end() > loaded) break;
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(edtTextContents->document());
            mark.cursor.setPosition(static_cast<int>(span.start));
            mark.cursor.setPosition(static_cast<int>(span.end()), QTextCursor::KeepAnchor);
            mark.format.setBackground(m_currentWord == span ? kCurrentWordColour : kWordColour);
            marks.append(mark);
        }
    }
    edtTextContents->setExtraSelections(marks);
}
