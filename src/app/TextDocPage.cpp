#include "app/TextDocPage.h"

#include <QAbstractSlider>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

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

}  // namespace

TextDocPage::TextDocPage(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_openWithShell(OpenWithShell) {
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

    column->addWidget(pnlSubject);
    column->addWidget(edtTextContents, 1);

    connect(btnNext, &QPushButton::clicked, this, &TextDocPage::btnNextClick);
    connect(btnPrevious, &QPushButton::clicked, this, &TextDocPage::btnPreviousClick);
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
    lblSubject->setText(title);
    lblSubject->repaint();

    ++m_loadGeneration;
    m_pending.clear();
    m_pendingPos = 0;
    UpdatesSuspended suspended(edtTextContents);
    edtTextContents->clear();
    Activate();
    edtTextContents->setFocus();

    // The document is read once; a "#" part of the location names no file.
    const std::string file = StripFragment(path, m_ctx.platform.pathStyle);
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) {
        m_ctx.prompter->Tell(QString::fromStdString(UnreadableFileMessage(file, m_ctx.platform.codePage)),
                             QStringLiteral("エラー"), MessageIcon::Error);
        return;
    }
    TextDocumentView view = PrepareTextDocument(*bytes, options);
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
    if (LoadingComplete()) emit documentLoaded();
}

void TextDocPage::AppendPendingLines() {
    const qsizetype cut = NthLineBreak(m_pending, m_pendingPos + 1, kSliceLines);
    const qsizetype end = cut < 0 ? m_pending.size() : cut;
    QTextCursor cursor(edtTextContents->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringView(m_pending).mid(m_pendingPos, end - m_pendingPos).toString());
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
    if (watched == edtTextContents && event->type() == QEvent::KeyPress) {
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
