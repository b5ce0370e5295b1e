#include "results/ResultView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <limits>

#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/Launchers.h"
#include "process/Paths.h"
#include "process/QtText.h"
#include "results/FileNameTitles.h"

namespace {

// Decoded lines kept for drawing: several screens, few enough that their size does not count.
constexpr std::size_t kShownBound = 2000;
// A line laid out without wrapping is as wide as its text; this only has to exceed it.
constexpr qreal kUnboundedWidth = 1e7;

// Where the spans of hits that may touch [from, to] of X begin: titles and file names lie in
// document order, so the first hit whose last span ends at or after `from`.
std::vector<HitRecord>::const_iterator FirstHitFrom(const std::vector<HitRecord>& hits, int32_t from) {
    return std::partition_point(hits.begin(), hits.end(), [from](const HitRecord& h) {
        return (h.Uri.empty() ? h.TitleEnd : h.UriEnd) < from;
    });
}

}  // namespace

ResultView::ResultView(AppContext& ctx, QWidget* parent)
    : QAbstractScrollArea(parent), m_ctx(ctx),
      m_openExternal([this](const std::string& path) {
          // The opener's verdict comes when it ends; said the same way as a failure to start.
          return OpenWithShell(path, {this, [this] {
                                   emit statusMessage(QStringLiteral("関連付けされたアプリケーションの起動に失敗しました。"));
                               }});
      }) {
    setObjectName(QStringLiteral("edtResult"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    m_titleFormat.setForeground(QColor(0, 0, 255));
    m_titleFormat.setFontWeight(QFont::Bold);
    m_titleFormat.setFontUnderline(true);
    m_uriFormat.setForeground(QColor(0, 128, 128));
    UpdateMetrics();
}

ResultView::~ResultView() = default;

void ResultView::ResetHits() {
    // Released, not only emptied: a list of 100,000 hits holds tens of megabytes.
    std::vector<HitRecord>().swap(m_hits);
    m_hitCount = 0;
    std::string().swap(m_charKinds);
    m_colouring = false;
    SetHandCursor(false);
}

void ResultView::HoldLines(std::string&& bytes, const std::vector<std::string_view>& lines,
                           const std::vector<int32_t>& starts) {
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_lines.reserve(lines.size());
    // The views point into `bytes`, whose buffer may move with it when short: offsets first.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        m_lines.push_back({starts[i], static_cast<int32_t>(lines[i].data() - bytes.data()),
                           static_cast<int32_t>(lines[i].size())});
    }
    m_bytes = std::move(bytes);
    ForgetShown();
    m_widest = 0;
    // The horizontal range starts from the line with the most bytes; lines drawn later widen it.
    const auto longest =
        std::max_element(m_lines.begin(), m_lines.end(),
                         [](const LineSpan& a, const LineSpan& b) { return a.length < b.length; });
    if (longest != m_lines.end()) Shown(static_cast<int>(longest - m_lines.begin()));
    m_caret = m_anchor = 0;
    m_goalX = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

void ResultView::ForgetShown() {
    m_shown.clear();
    m_whole.reset();
}

void ResultView::Clear() {
    ResetHits();
    HoldLines({}, {}, {});
}

void ResultView::setPlainText(const QString& text) {
    ResetHits();
    const QByteArray utf8 = text.toUtf8();
    std::string bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    const std::vector<std::string_view> lines = SplitResultLines(bytes);
    std::vector<int32_t> starts;
    int64_t x = 0;
    for (std::string_view line : lines) {
        starts.push_back(static_cast<int32_t>(std::min<int64_t>(x, std::numeric_limits<int32_t>::max())));
        x += static_cast<int64_t>(line.size()) + 2;
    }
    HoldLines(std::move(bytes), lines, starts);
}

bool ResultView::LoadResultList(const std::string& path, bool coloring) {
    BeginLoad(path);
    return FinishLoad(coloring);
}

void ResultView::BeginLoad(const std::string& path) {
    AbandonLoad();
    m_loadPath = path;
    m_loading = true;
}

void ResultView::AbandonLoad() {
    m_loading = false;
}

void ResultView::LoadMore() {
    // Nothing is taken early: the finished file is read and its lines found in less time than
    // a screen takes, and what namazu writes meanwhile could still change.
}

void ResultView::TakeLines(std::string_view) {
    // As LoadMore: the file read whole at the end is what is shown.
}

bool ResultView::FinishLoad(bool coloring) {
    ResetHits();
    const QString shownPath = ToQString(m_ctx.platform.codePage, m_loadPath);
    std::optional<std::string> whole = m_loading ? ReadWholeFile(m_loadPath) : std::nullopt;
    AbandonLoad();
    if (!whole || whole->empty()) {
        Clear();
        m_ctx.prompter->Tell((whole ? QStringLiteral("検索結果のファイルのサイズが 0 バイトです。\n")
                                    : QStringLiteral("検索結果のファイルを読み込めませんでした。\n")) +
                                 shownPath,
                             QStringLiteral("エラー"), MessageIcon::Warning);
        return false;
    }
    std::string bytes = std::move(*whole);
    ResultScan scan = ScanResultText(bytes, ResultScanOptionsFrom(m_ctx.settings));
    if (std::optional<std::string> fixed =
            WithFileNameTitles(bytes, scan, m_ctx.platform.pathStyle, m_ctx.platform.codePage)) {
        bytes = std::move(*fixed);
        scan = ScanResultText(bytes, ResultScanOptionsFrom(m_ctx.settings));
    }
    if (scan.lineStarts.size() != scan.lines.size()) {  // beyond the 32-bit offsets
        Clear();
        m_ctx.prompter->Tell(QStringLiteral("検索結果のファイルを読み込めませんでした。\n") + shownPath,
                             QStringLiteral("エラー"), MessageIcon::Warning);
        return false;
    }
    m_charKinds = std::move(scan.CharKinds);
    m_hits = std::move(scan.Hits);
    m_hitCount = scan.HitCount;
    m_colouring = coloring;
    HoldLines(std::move(bytes), scan.lines, scan.lineStarts);
    return scan.scanned;
}

// ---- lines ----

int ResultView::LineOfOffset(int32_t offset) const {
    const auto it = std::upper_bound(m_lines.begin(), m_lines.end(), offset,
                                     [](int32_t value, const LineSpan& line) { return value < line.x; });
    return it == m_lines.begin() ? 0 : static_cast<int>(it - m_lines.begin()) - 1;
}

std::string_view ResultView::LineBytes(int line) const {
    const LineSpan& span = m_lines[static_cast<std::size_t>(line)];
    return std::string_view(m_bytes).substr(static_cast<std::size_t>(span.at),
                                            static_cast<std::size_t>(span.length));
}

ResultTextMap ResultView::LineMap(int line) const {
    return ResultTextMap({LineBytes(line)}, {m_lines[static_cast<std::size_t>(line)].x});
}

const ResultView::ShownLine& ResultView::Shown(int line) const {
    if (const auto it = m_shown.find(line); it != m_shown.end()) return *it->second;
    if (m_shown.size() >= kShownBound) m_shown.clear();
    auto shown = std::make_unique<ShownLine>();
    shown->map = LineMap(line);
    QTextLayout& layout = shown->layout;
    layout.setText(shown->map.Text());
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    if (m_colouring) {
        const int32_t from = m_lines[static_cast<std::size_t>(line)].x;
        const int32_t to = LineEnd(line);
        QList<QTextLayout::FormatRange> ranges;
        auto add = [&](int32_t start, int32_t end, const QTextCharFormat& format) {
            if (end < start || start < from || start >= to) return;
            const int a = shown->map.ViewPosition(start);
            ranges.append({a, shown->map.ViewPositionAfter(std::min(end, to - 1)) - a, format});
        };
        for (auto it = FirstHitFrom(m_hits, from); it != m_hits.end() && it->TitleStart <= to; ++it) {
            add(it->TitleStart, it->TitleEnd, m_titleFormat);
            if (!it->Uri.empty()) add(it->UriStart, it->UriEnd, m_uriFormat);
        }
        layout.setFormats(ranges);
    }
    layout.beginLayout();
    QTextLine text = layout.createLine();
    if (text.isValid()) {
        text.setLineWidth(kUnboundedWidth);
        text.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    if (text.isValid()) m_widest = std::max(m_widest, static_cast<int>(std::ceil(text.naturalTextWidth())));
    return *m_shown.emplace(line, std::move(shown)).first->second;
}

int ResultView::UnitOf(const ShownLine& shown, int line, int32_t offset) const {
    return shown.map.ViewPosition(
        std::clamp(offset, m_lines[static_cast<std::size_t>(line)].x, LineEnd(line)));
}

int32_t ResultView::OffsetOfUnit(const ShownLine& shown, int line, int unit) const {
    if (unit >= shown.map.Text().size()) return LineEnd(line);
    return shown.map.OffsetAt(std::max(unit, 0));
}

void ResultView::UpdateMetrics() {
    // Japanese text falls back to other fonts, often taller: every line gets room for both.
    QTextLayout probe(QStringLiteral("Ag漢字あ"), font());
    probe.beginLayout();
    QTextLine line = probe.createLine();
    probe.endLayout();
    const QFontMetrics metrics(font());
    m_ascent = std::max(metrics.ascent(), static_cast<int>(std::ceil(line.ascent())));
    const int descent = std::max(metrics.descent(), static_cast<int>(std::ceil(line.descent())));
    m_lineHeight = std::max(metrics.lineSpacing(), m_ascent + descent + 1);
}

int ResultView::VisibleLines() const {
    return std::max(1, viewport()->height() / m_lineHeight);
}

void ResultView::UpdateScrollBars() {
    const int height = static_cast<int>(std::min<int64_t>(
        static_cast<int64_t>(LineCount()) * m_lineHeight + 2 * kMargin, std::numeric_limits<int>::max()));
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, height - viewport()->height()));
    vertical->setPageStep(viewport()->height());
    vertical->setSingleStep(m_lineHeight);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_widest + 2 * kMargin + 1 - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

int ResultView::LineAtY(int y) const {
    if (m_lines.empty()) return 0;
    const int64_t inText = static_cast<int64_t>(y) + verticalScrollBar()->value() - kMargin;
    return static_cast<int>(std::clamp<int64_t>(inText < 0 ? 0 : inText / m_lineHeight, 0, LineCount() - 1));
}

int32_t ResultView::OffsetAt(const QPoint& point, bool onCharacter) const {
    if (m_lines.empty()) return 0;
    const int line = LineAtY(point.y());
    const ShownLine& shown = Shown(line);
    const QTextLine text = shown.layout.lineAt(0);
    if (!text.isValid()) return m_lines[static_cast<std::size_t>(line)].x;
    const qreal x = point.x() + horizontalScrollBar()->value() - kMargin;
    const int unit =
        text.xToCursor(x, onCharacter ? QTextLine::CursorOnCharacter : QTextLine::CursorBetweenCharacters);
    return OffsetOfUnit(shown, line, unit);
}

int32_t ResultView::OffsetAtPoint(const QPoint& point) const {
    return OffsetAt(point, true);
}

QRect ResultView::CharRect(int32_t offset) const {
    if (m_lines.empty()) return QRect(kMargin, kMargin - verticalScrollBar()->value(), 1, m_lineHeight);
    const int line = LineOfOffset(offset);
    const ShownLine& shown = Shown(line);
    const QTextLine text = shown.layout.lineAt(0);
    const int unit = UnitOf(shown, line, offset);
    const qreal left = text.isValid() ? text.cursorToX(unit) : 0;
    qreal right = left + 1;
    if (text.isValid() && unit < shown.map.Text().size())
        right = text.cursorToX(shown.layout.nextCursorPosition(unit));
    const int x = kMargin - horizontalScrollBar()->value();
    return QRect(QPoint(x + static_cast<int>(left), LineTop(line)),
                 QPoint(x + static_cast<int>(std::ceil(right)) - 1, LineTop(line) + m_lineHeight - 1));
}

QTextCharFormat ResultView::FormatAt(int32_t offset) const {
    if (m_lines.empty()) return {};
    const int line = LineOfOffset(offset);
    const ShownLine& shown = Shown(line);
    const int unit = UnitOf(shown, line, offset);
    for (const QTextLayout::FormatRange& range : shown.layout.formats()) {
        if (unit >= range.start && unit < range.start + range.length) return range.format;
    }
    return {};
}

// ---- the whole text, for tests and small lists ----

QString ResultView::toPlainText() const {
    if (m_lines.empty()) return {};
    if (!m_whole) {
        std::vector<std::string_view> lines;
        std::vector<int32_t> starts;
        for (int i = 0; i < LineCount(); ++i) {
            lines.push_back(LineBytes(i));
            starts.push_back(m_lines[static_cast<std::size_t>(i)].x);
        }
        m_whole = std::make_unique<ResultTextMap>(lines, starts);
    }
    return m_whole->Text();
}

int ResultView::ViewPositionOf(int32_t offset) const {
    toPlainText();
    return m_whole ? m_whole->ViewPosition(offset) : 0;
}

int32_t ResultView::OffsetAtViewPosition(int pos) const {
    toPlainText();
    return m_whole ? m_whole->OffsetAt(pos) : 0;
}

// ---- caret and selection ----

int32_t ResultView::CaretOffset() const {
    return std::min(m_caret, m_anchor);
}

void ResultView::MoveCaret(int32_t offset, bool keepAnchor) {
    m_caret = offset;
    if (!keepAnchor) m_anchor = offset;
    EnsureCaretVisible();
    viewport()->update();
}

void ResultView::PutCaret(int32_t offset) {
    if (m_lines.empty()) {
        m_caret = m_anchor = 0;
        return;
    }
    // The start of the character that holds the offset, as a text cursor would stand.
    const int line = LineOfOffset(offset);
    const ShownLine& shown = Shown(line);
    MoveCaret(OffsetOfUnit(shown, line, UnitOf(shown, line, offset)), false);
    m_goalX = -1;
}

void ResultView::SetCaretOffset(int32_t offset) {
    PutCaret(offset);
}

void ResultView::EnsureCaretVisible() {
    if (m_lines.empty()) return;
    const QRect box = CharRect(m_caret);
    QScrollBar* vertical = verticalScrollBar();
    if (box.top() < 0) {
        vertical->setValue(vertical->value() + box.top() - kMargin);
    } else if (box.bottom() >= viewport()->height()) {
        vertical->setValue(vertical->value() + box.bottom() + 1 + kMargin - viewport()->height());
    }
    QScrollBar* horizontal = horizontalScrollBar();
    if (box.left() < 0) {
        horizontal->setValue(horizontal->value() + box.left() - kMargin);
    } else if (box.left() >= viewport()->width()) {
        horizontal->setValue(horizontal->value() + box.left() + 4 * kMargin - viewport()->width());
    }
}

QString ResultView::SelectedText() const {
    if (!HasSelection()) return {};
    const int32_t from = std::min(m_caret, m_anchor);
    const int32_t to = std::max(m_caret, m_anchor);
    const int first = LineOfOffset(from);
    const int last = LineOfOffset(to);
    QString text;
    for (int line = first; line <= last; ++line) {
        const ResultTextMap map = LineMap(line);
        const int a =
            line == first ? map.ViewPosition(std::max(from, m_lines[static_cast<std::size_t>(line)].x)) : 0;
        const int b = line == last ? map.ViewPosition(std::min(to, LineEnd(line)))
                                   : static_cast<int>(map.Text().size());
        text += map.Text().mid(a, b - a);
        if (line != last) text += QLatin1Char('\n');
    }
    return text;
}

void ResultView::selectAll() {
    if (m_lines.empty()) return;
    m_anchor = 0;
    m_caret = LineEnd(LineCount() - 1);
    viewport()->update();
}

void ResultView::copy() const {
    if (HasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

// ---- hits ----

void ResultView::GoToNextHit(int32_t offset) {
    const auto it =
        std::find_if(m_hits.begin(), m_hits.end(), [&](const HitRecord& h) { return h.UriStart > offset; });
    if (it == m_hits.end()) return;
    auto target = it;
    if (offset >= it->TitleStart && std::next(it) != m_hits.end()) ++target;
    // Only the last hit can lack its file name; the caret then goes to its title.
    PutCaret(target->Uri.empty() ? target->TitleStart : target->UriStart);
}

void ResultView::GoToPreviousHit(int32_t offset) {
    const auto it = std::find_if(m_hits.rbegin(), m_hits.rend(),
                                 [&](const HitRecord& h) { return h.TitleStart < offset; });
    if (it == m_hits.rend()) return;
    auto target = it;
    if (offset <= it->UriEnd && std::next(it) != m_hits.rend()) ++target;
    PutCaret(target->TitleStart);
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
    const auto it = FirstHitFrom(m_hits, offset);
    if (it == m_hits.end()) return -1;
    const HitRecord& h = *it;
    if ((offset >= h.TitleStart && offset <= h.TitleEnd) ||
        (!h.Uri.empty() && offset >= h.UriStart && offset <= h.UriEnd)) {
        return static_cast<int>(it - m_hits.begin());
    }
    return -1;
}

// ---- keys ----

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

bool ResultView::MoveCaretByKey(QKeyEvent* event) {
    if (m_lines.empty()) return false;
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    const int line = LineOfOffset(m_caret);
    const int last = LineCount() - 1;
    int32_t target = m_caret;
    auto lineStart = [this](int n) { return m_lines[static_cast<std::size_t>(n)].x; };
    // Up, Down and the page keys keep the caret's x from line to line.
    auto verticalMove = [&](int lines) {
        if (m_goalX < 0) m_goalX = CharRect(m_caret).left() + horizontalScrollBar()->value() - kMargin;
        const int to = std::clamp(line + lines, 0, last);
        const ShownLine& shown = Shown(to);
        const QTextLine text = shown.layout.lineAt(0);
        target = text.isValid() ? OffsetOfUnit(shown, to, text.xToCursor(m_goalX)) : lineStart(to);
    };
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const bool right = event->key() == Qt::Key_Right;
            const ShownLine& shown = Shown(line);
            const int unit = UnitOf(shown, line, m_caret);
            const auto mode = control ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
            if (right && unit >= shown.map.Text().size()) {
                if (line < last) target = lineStart(line + 1);
            } else if (!right && unit == 0) {
                if (line > 0) target = LineEnd(line - 1);
            } else {
                target = OffsetOfUnit(shown, line,
                                      right ? shown.layout.nextCursorPosition(unit, mode)
                                            : shown.layout.previousCursorPosition(unit, mode));
            }
            m_goalX = -1;
            break;
        }
        case Qt::Key_Up:
        case Qt::Key_Down:
            verticalMove(event->key() == Qt::Key_Up ? -1 : 1);
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            const int page = event->key() == Qt::Key_PageUp ? -VisibleLines() : VisibleLines();
            QScrollBar* vertical = verticalScrollBar();
            vertical->setValue(vertical->value() + page * m_lineHeight);
            verticalMove(page);
            break;
        }
        case Qt::Key_Home:
            target = control ? 0 : lineStart(line);
            m_goalX = -1;
            break;
        case Qt::Key_End:
            target = control ? LineEnd(last) : LineEnd(line);
            m_goalX = -1;
            break;
        default:
            return false;
    }
    MoveCaret(target, shift);
    return true;
}

bool ResultView::event(QEvent* event) {
    // Copy and select-all belong to the list while it has the focus, as in a text field.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void ResultView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    // N and P only as plain letters; with Ctrl or Alt they are shortcuts of the window.
    const bool letter = event->key() == Qt::Key_N || event->key() == Qt::Key_P;
    if (letter && (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        event->ignore();
        return;
    }
    if (edtResultKeyPress(event) || MoveCaretByKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

// ---- mouse ----

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
    const QPoint at = event->position().toPoint();
    if (m_dragging && event->buttons().testFlag(Qt::LeftButton)) {
        // Dragging past the edge scrolls, a line per movement.
        QScrollBar* vertical = verticalScrollBar();
        if (at.y() < 0) vertical->setValue(vertical->value() - m_lineHeight);
        if (at.y() >= viewport()->height()) vertical->setValue(vertical->value() + m_lineHeight);
        MoveCaret(OffsetAt(at, false), true);
    }
    edtResultMouseMove(at);
}

void ResultView::edtResultMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                    bool hadSelection) {
    if (!m_handShown || button != Qt::LeftButton || hadSelection) return;
    OpenHitAt(m_lastMousePos, !modifiers.testFlag(Qt::ShiftModifier));
}

void ResultView::mousePressEvent(QMouseEvent* event) {
    // Taken before the press moves the caret and drops the selection.
    const bool hadSelection = HasSelection();
    if (event->button() == Qt::LeftButton && !m_lines.empty()) {
        m_dragging = true;
        m_goalX = -1;
        MoveCaret(OffsetAt(event->position().toPoint(), false),
                  event->modifiers().testFlag(Qt::ShiftModifier));
    }
    edtResultMouseDown(event->button(), event->modifiers(), hadSelection);
}

void ResultView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_dragging = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (HasSelection() && clipboard->supportsSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_lines.empty()) return;
    // The word under the mouse is selected.
    const QPoint at = event->position().toPoint();
    const int line = LineAtY(at.y());
    const ShownLine& shown = Shown(line);
    const QString& text = shown.map.Text();
    const int unit = UnitOf(shown, line, OffsetAt(at, true));
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(unit);
    const int start = words.isAtBoundary() ? unit : std::max<qsizetype>(words.toPreviousBoundary(), 0);
    words.setPosition(unit);
    const qsizetype next = words.toNextBoundary();
    const int end = next < 0 ? static_cast<int>(text.size()) : static_cast<int>(next);
    m_anchor = OffsetOfUnit(shown, line, start);
    m_caret = OffsetOfUnit(shown, line, end);
    m_dragging = false;
    viewport()->update();
}

void ResultView::contextMenuEvent(QContextMenuEvent* event) {
    // The window gives the list its own popup; this one serves the list on its own.
    QMenu menu(this);
    QAction* copyItem = menu.addAction(QStringLiteral("コピー(&C)"), this, &ResultView::copy);
    copyItem->setEnabled(HasSelection());
    menu.addAction(QStringLiteral("すべて選択(&A)"), this, &ResultView::selectAll);
    menu.exec(event->globalPos());
}

// ---- drawing ----

void ResultView::paintEvent(QPaintEvent* event) {
    if (m_lines.empty()) return;
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = LineAtY(area.top());
    const int last = LineAtY(area.bottom());
    const int32_t selectionFrom = std::min(m_caret, m_anchor);
    const int32_t selectionTo = std::max(m_caret, m_anchor);
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const int widest = m_widest;
    const qreal x = kMargin - horizontalScrollBar()->value();
    for (int line = first; line <= last; ++line) {
        const ShownLine& shown = Shown(line);
        const QTextLine text = shown.layout.lineAt(0);
        const QPointF origin(x, LineTop(line) + m_ascent - (text.isValid() ? text.ascent() : 0));
        QList<QTextLayout::FormatRange> selections;
        const int32_t lineFrom = m_lines[static_cast<std::size_t>(line)].x;
        if (selectionFrom != selectionTo && selectionFrom <= LineEnd(line) && selectionTo >= lineFrom) {
            const int a = UnitOf(shown, line, selectionFrom);
            const int b = UnitOf(shown, line, selectionTo);
            // A selection that runs on past the line's end shows its line break as a blank.
            if (selectionTo > LineEnd(line)) {
                const qreal end = text.isValid() ? text.naturalTextWidth() : 0;
                painter.fillRect(QRectF(origin.x() + end, LineTop(line),
                                        painter.fontMetrics().averageCharWidth(), m_lineHeight),
                                 selected.background());
            }
            if (b > a) selections.append({a, b - a, selected});
        }
        shown.layout.draw(&painter, origin, selections);
        if (m_caret >= lineFrom && m_caret <= LineEnd(line) && hasFocus()) {
            shown.layout.drawCursor(&painter, origin, UnitOf(shown, line, m_caret));
        }
    }
    if (m_widest != widest) UpdateScrollBars();
}

void ResultView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void ResultView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateMetrics();
        m_shown.clear();
        m_widest = 0;
        UpdateScrollBars();
        viewport()->update();
    }
}

void ResultView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ResultView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
