#include "results/ResultView.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QTextDocument>
#include <limits>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>

#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/Launchers.h"
#include "process/Paths.h"
#include "process/QtText.h"
#include "process/WidgetSupport.h"

ResultView::ResultView(AppContext& ctx, QWidget* parent)
    : QTextEdit(parent), m_ctx(ctx), m_openExternal(OpenWithShell) {
    setObjectName(QStringLiteral("edtResult"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    // Read-only, but the caret stays: N, P and Enter work from it.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    viewport()->setMouseTracking(true);
}

ResultView::~ResultView() = default;

void ResultView::ResetHits() {
    m_mouseBlock = -1;
    m_hits.clear();
    m_hitCount = 0;
    m_charKinds.clear();
    m_map = ResultTextMap();
    SetHandCursor(false);
}

void ResultView::Clear() {
    ResetHits();
    clear();
}

bool ResultView::LoadResultList(const std::string& path, bool coloring) {
    BeginLoad(path);
    return FinishLoad(coloring);
}

void ResultView::BeginLoad(const std::string& path) {
    AbandonLoad();
    m_loadPath = path;
    m_loading = new QTextDocument(this);
    m_loading->setUndoRedoEnabled(false);
    m_loading->setDefaultFont(font());
}

void ResultView::AbandonLoad() {
    delete m_loading;
    m_loading = nullptr;
    m_loadBytes.clear();
    m_loadTaken = 0;
    m_loadX = 0;
    m_loadMap = ResultTextMap();
}

bool ResultView::ReadMore(std::string& into) const {
    QFile file(QFile::decodeName(QByteArray::fromStdString(m_loadPath)));
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (!file.seek(static_cast<qint64>(into.size()))) return true;
    const QByteArray more = file.readAll();
    into.append(more.constData(), static_cast<std::size_t>(more.size()));
    return true;
}

void ResultView::LoadMore() {
    if (!m_loading || !ReadMore(m_loadBytes)) return;
    TakeFinishedLines();
}

void ResultView::TakeLines(std::string_view lines) {
    if (!m_loading) return;
    m_loadBytes.append(lines);
    TakeFinishedLines();
}

void ResultView::TakeFinishedLines() {
    // Only lines that have ended for sure: up to the last LF (a CR may still get its LF). Each
    // call takes only what came since the last one.
    const std::size_t end = m_loadBytes.rfind('\n');
    if (end == std::string::npos || end + 1 <= m_loadTaken) return;
    const std::string_view finished(m_loadBytes.data() + m_loadTaken, end + 1 - m_loadTaken);
    const std::vector<std::string_view> lines = SplitResultLines(finished);
    std::vector<int32_t> starts;
    starts.reserve(lines.size());
    int64_t x = m_loadX;
    for (std::string_view line : lines) {
        if (x > std::numeric_limits<int32_t>::max()) return;  // FinishLoad refuses it
        starts.push_back(static_cast<int32_t>(x));
        x += static_cast<int64_t>(line.size()) + 2;
    }
    const QString added = m_loadMap.Append(lines, starts);
    QTextCursor cursor(m_loading);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    m_loadTaken = end + 1;
    m_loadX = x;
}

bool ResultView::FinishLoad(bool coloring) {
    UpdatesSuspended suspended(this);
    ResetHits();
    const QString shownPath = ToQString(m_ctx.platform.codePage, m_loadPath);
    // Read whole again: what was taken early must be where the file begins now.
    const std::optional<std::string> whole = m_loading ? ReadWholeFile(m_loadPath) : std::nullopt;
    if (!whole || whole->empty()) {
        AbandonLoad();
        clear();
        m_ctx.prompter->Tell((whole ? QStringLiteral("検索結果のファイルのサイズが 0 バイトです。\n")
                                    : QStringLiteral("検索結果のファイルを読み込めませんでした。\n")) +
                                 shownPath,
                             QStringLiteral("エラー"), MessageIcon::Warning);
        return false;
    }
    const std::string& bytes = *whole;
    if (bytes.compare(0, m_loadTaken, m_loadBytes, 0, m_loadTaken) != 0) {
        m_loading->clear();
        m_loadMap = ResultTextMap();
    }
    m_loadBytes.clear();
    ResultScan scan = ScanResultText(bytes, ResultScanOptionsFrom(m_ctx.settings));
    if (scan.lineStarts.size() != scan.lines.size()) {  // beyond the 32-bit offsets
        AbandonLoad();
        clear();
        m_ctx.prompter->Tell(QStringLiteral("検索結果のファイルを読み込めませんでした。\n") + shownPath,
                             QStringLiteral("エラー"), MessageIcon::Warning);
        return false;
    }
    const QString rest =
        m_loadMap.Append(scan.lines, scan.lineStarts, static_cast<std::size_t>(m_loadMap.LineCount()));
    QTextCursor cursor(m_loading);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(rest);
    m_map = std::exchange(m_loadMap, ResultTextMap());
    m_charKinds = std::move(scan.CharKinds);
    m_hits = std::move(scan.Hits);
    m_hitCount = scan.HitCount;
    // Coloured before it is shown: no layout follows each change.
    if (coloring) ColourSpans(m_loading, m_hits);
    // The list it replaces goes with its document (the editor deletes only one it made itself).
    QTextDocument* replaced = document();
    setDocument(std::exchange(m_loading, nullptr));
    if (replaced == m_shownLoad) delete replaced;
    m_shownLoad = document();
    m_loadTaken = 0;
    m_loadX = 0;
    PutCaret(0);
    return scan.scanned;
}

void ResultView::ColourSpans(QTextDocument* target, const std::vector<HitRecord>& hits) {
    if (hits.empty()) return;
    QTextCharFormat title;
    title.setForeground(QColor(0, 0, 255));
    title.setFontWeight(QFont::Bold);
    title.setFontUnderline(true);
    QTextCharFormat uri;
    uri.setForeground(QColor(0, 128, 128));

    QTextCursor cursor(target);
    cursor.beginEditBlock();
    auto paint = [&](int32_t start, int32_t end, const QTextCharFormat& format) {
        if (end < start) return;
        cursor.setPosition(m_map.ViewPosition(start));
        cursor.setPosition(m_map.ViewPositionAfter(end), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    };
    for (const HitRecord& hit : hits) {
        paint(hit.TitleStart, hit.TitleEnd, title);
        if (!hit.Uri.empty()) paint(hit.UriStart, hit.UriEnd, uri);
    }
    cursor.endEditBlock();
}

void ResultView::PutCaret(int32_t offset) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(m_map.ViewPosition(offset));
    setTextCursor(cursor);
}

int32_t ResultView::CaretOffset() const {
    return m_map.OffsetAt(textCursor().selectionStart());
}

void ResultView::GoToNextHit(int32_t offset) {
    const auto it =
        std::find_if(m_hits.begin(), m_hits.end(), [&](const HitRecord& h) { return h.UriStart > offset; });
    if (it == m_hits.end()) return;
    auto target = it;
    if (offset >= it->TitleStart && std::next(it) != m_hits.end()) ++target;
    // Only the last hit can lack its file name; the caret then goes to its title.
    PutCaret(target->Uri.empty() ? target->TitleStart : target->UriStart);
    ensureCursorVisible();
}

void ResultView::GoToPreviousHit(int32_t offset) {
    const auto it = std::find_if(m_hits.rbegin(), m_hits.rend(),
                                 [&](const HitRecord& h) { return h.TitleStart < offset; });
    if (it == m_hits.rend()) return;
    auto target = it;
    if (offset <= it->UriEnd && std::next(it) != m_hits.rend()) ++target;
    PutCaret(target->TitleStart);
    ensureCursorVisible();
}

std::string ResultView::HitLocalPath(const std::string& uri) const {
    const PathStyle style = m_ctx.platform.pathStyle;
    const CodePage codePage = m_ctx.platform.codePage;
    return ExpandDriveConstant(ExpandProgramRelativePath(UriToLocalPath(uri, style, codePage),
                                                         m_ctx.platform.programFolder, style, codePage),
                               m_ctx.drives, style, codePage);
}

void ResultView::OpenHitAt(int32_t offset, bool internal) {
    if (m_hitCount == 0) return;
    // A hit whose file-name line was not found cannot be opened.
    const auto it = std::find_if(m_hits.begin(), m_hits.end(),
                                 [&](const HitRecord& h) { return !h.Uri.empty() && offset <= h.UriEnd; });
    if (it == m_hits.end()) return;
    m_currentHit = static_cast<int>(it - m_hits.begin());
    m_currentDocumentPath = HitLocalPath(it->Uri);
    bool failed = false;
    if (internal) {
        emit openHitRequested(m_currentHit);
    } else {
        failed = !m_openExternal(m_currentDocumentPath);
    }
    emit pageChangeRequested();
    if (failed) emit statusMessage(QStringLiteral("関連付けされたアプリケーションの起動に失敗しました。"));
}

int ResultView::HitIndexAt(int32_t offset) const {
    for (std::size_t i = 0; i < m_hits.size(); ++i) {
        const HitRecord& h = m_hits[i];
        if ((offset >= h.TitleStart && offset <= h.TitleEnd) ||
            (!h.Uri.empty() && offset >= h.UriStart && offset <= h.UriEnd)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ResultView::edtResultKeyPress(QKeyEvent* event) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OpenHitAt(CaretOffset(), !shift);
            return true;
        case Qt::Key_N:
            GoToNextHit(CaretOffset());
            return true;
        case Qt::Key_P:
            GoToPreviousHit(CaretOffset());
            return true;
        case Qt::Key_Escape:
            emit escapePressed();
            return false;
        default:
            return false;
    }
}

void ResultView::keyPressEvent(QKeyEvent* event) {
    // N and P only as plain letters; with Ctrl or Alt they are shortcuts of the window.
    const bool letter = event->key() == Qt::Key_N || event->key() == Qt::Key_P;
    if (letter && (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    if (edtResultKeyPress(event)) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

int32_t ResultView::OffsetAtPoint(const QPoint& point) const {
    // The text document's own hit test walks every block from the first. The mouse mostly
    // moves a few pixels, so the search starts at the block of the last movement and steps to
    // its neighbours; after a jump it halves the range of blocks.
    QTextDocument* doc = document();
    const QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const QPointF at(point.x() + horizontalScrollBar()->value(), point.y() + verticalScrollBar()->value());
    const int last = doc->blockCount() - 1;
    auto top = [&](int number) { return layout->blockBoundingRect(doc->findBlockByNumber(number)).top(); };
    // The last block whose top is at or above the point.
    int found = -1;
    if (m_mouseBlock >= 0 && m_mouseBlock <= last) {
        int number = m_mouseBlock;
        for (int step = 0; step < 8 && found < 0; ++step) {
            if (top(number) > at.y()) {
                if (number == 0)
                    found = 0;
                else
                    --number;
            } else if (number == last || top(number + 1) > at.y()) {
                found = number;
            } else {
                ++number;
            }
        }
    }
    if (found < 0) {
        int low = 0;
        int high = last;
        while (low < high) {
            const int mid = low + (high - low + 1) / 2;
            if (top(mid) <= at.y()) {
                low = mid;
            } else {
                high = mid - 1;
            }
        }
        found = low;
    }
    m_mouseBlock = found;
    const QTextBlock block = doc->findBlockByNumber(found);
    const QTextLayout* text = block.layout();
    const QPointF origin = layout->blockBoundingRect(block).topLeft() - text->boundingRect().topLeft();
    const QPointF local = at - origin;
    int inBlock = 0;
    for (int i = 0; i < text->lineCount(); ++i) {
        const QTextLine line = text->lineAt(i);
        if (i + 1 == text->lineCount() || local.y() < line.rect().bottom()) {
            inBlock = line.xToCursor(local.x(), QTextLine::CursorOnCharacter);
            break;
        }
    }
    return m_map.OffsetAt(block.position() + inBlock);
}

void ResultView::edtResultMouseMove(const QPoint& point) {
    if (m_charKinds.size() < 2) return;
    m_lastMousePos = OffsetAtPoint(point);
    const bool inside = m_lastMousePos >= 0 && static_cast<std::size_t>(m_lastMousePos) < m_charKinds.size();
    SetHandCursor(inside && m_charKinds[static_cast<std::size_t>(m_lastMousePos)] != '\0');
}

void ResultView::SetHandCursor(bool hand) {
    if (hand == m_handShown) return;
    m_handShown = hand;
    viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void ResultView::mouseMoveEvent(QMouseEvent* event) {
    // Without a button held the text control only looks for links and list markers under the
    // mouse, block by block through the whole text; this view has neither.
    if (event->buttons() != Qt::NoButton) QTextEdit::mouseMoveEvent(event);
    edtResultMouseMove(event->position().toPoint());
}

void ResultView::edtResultMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                    bool hadSelection) {
    if (!m_handShown || button != Qt::LeftButton || hadSelection) return;
    OpenHitAt(m_lastMousePos, !modifiers.testFlag(Qt::ShiftModifier));
}

void ResultView::mousePressEvent(QMouseEvent* event) {
    // Taken before the press moves the caret and drops the selection.
    const bool hadSelection = textCursor().hasSelection();
    QTextEdit::mousePressEvent(event);
    edtResultMouseDown(event->button(), event->modifiers(), hadSelection);
}
