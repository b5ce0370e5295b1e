#include "process/QtOutputView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <utility>

#include "process/FrameClock.h"
#include "text/DisplayText.h"

namespace {

constexpr int kMargin = 2;
// Laid-out lines kept between frames: a few screens.
constexpr std::size_t kLayoutBound = 600;

bool IsAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString Decode(const std::string& bytes) {
    if (IsAscii(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::string utf8 = OutputLineToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool IsWide(char32_t u) {
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
           (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
           (u >= 0xFFE0 && u <= 0xFFE6) || u >= 0x20000;
}

int Columns(const std::string& bytes, int tabColumns) {
    int columns = 0;
    if (IsAscii(bytes)) {
        for (char c : bytes) columns = c == '\t' ? (columns / tabColumns + 1) * tabColumns : columns + 1;
        return columns;
    }
    for (char32_t u : Decode(bytes).toUcs4()) {
        if (u == U'\t') {
            columns = (columns / tabColumns + 1) * tabColumns;
        } else {
            columns += IsWide(u) ? 2 : 1;
        }
    }
    return columns;
}

}  // namespace

QtOutputView::QtOutputView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    // Opaque scroll bars: their frequent repaints stop at them instead of reaching the window.
    verticalScrollBar()->setAutoFillBackground(true);
    horizontalScrollBar()->setAutoFillBackground(true);
    m_charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
    connect(&FrameClock::Instance(), &FrameClock::frame, this, [this] {
        if (std::exchange(m_framePending, false)) RefreshNow();
    });
    UpdateScrollBars();
}

int QtOutputView::LineCount() const {
    return static_cast<int>(m_lines.size());
}

void QtOutputView::AppendLines(const std::vector<std::string>& lines) {
    InsertLines(LineCount(), lines);
}

void QtOutputView::AppendLine(const std::string& line) {
    InsertLine(LineCount(), line);
}

void QtOutputView::InsertLine(int index, const std::string& line) {
    InsertLines(index, {line});
}

void QtOutputView::InsertLines(int index, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    index = std::clamp(index, 0, LineCount());
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, LineWidth(line));
    m_lines.insert(m_lines.begin() + index, lines.begin(), lines.end());
    Inserted(index, static_cast<int>(lines.size()), widest);
}

void QtOutputView::Inserted(int index, int count, int widest) {
    ForgetLayouts(index);
    if (m_anchor.line >= index) m_anchor.line += count;
    if (m_cursor.line >= index) m_cursor.line += count;
    if (m_current >= index) m_current += count;
    m_widest = std::max(m_widest, widest);
    m_scrollBarsStale = true;
    Refresh(false);
}

int QtOutputView::LineWidth(const std::string& line) const {
    return Columns(line, m_tabColumns) * m_charWidth;
}

void QtOutputView::Clear() {
    m_lines.clear();
    ForgetLayouts();
    m_current = -1;
    m_widest = 0;
    m_anchor = m_cursor = {};
    m_scrollBarsStale = m_scrollToCurrent = false;
    UpdateScrollBars();
    viewport()->update();
    emit selectionChanged();
}

void QtOutputView::MakeCurrent(int index) {
    if (m_lines.empty()) return;
    m_current = std::clamp(index, 0, LineCount() - 1);
    m_scrollToCurrent = true;
    Refresh(false);
}

void QtOutputView::ScrollToCurrent() {
    QScrollBar* bar = verticalScrollBar();
    const int first = bar->value();
    if (m_current < first) {
        bar->setValue(m_current);
    } else if (m_current >= first + VisibleLines()) {
        bar->setValue(m_current - VisibleLines() + 1);
    }
}

void QtOutputView::Repaint() {
    Refresh(true);
}

void QtOutputView::Refresh(bool now) {
    if (!isVisible()) {
        ApplyPending();
        return;
    }
    // Output can arrive far faster than a screen shows it: the scroll bars and the lines are
    // brought up to date on the window's frames, with whatever else changed in it; a view that
    // that has been still (no refresh for two frames) shows its first change at once.
    const bool stale = !m_lastRefresh.isValid() || m_lastRefresh.elapsed() >= 2 * FrameClock::kFrameMs;
    if (now && stale) {
        m_framePending = false;
        RefreshNow();
        return;
    }
    m_framePending = true;
    FrameClock::Instance().Request(stale ? 0 : FrameClock::kFrameMs);
}

void QtOutputView::RefreshNow() {
    m_lastRefresh.start();
    ApplyPending();
    // Painted with whatever else changed in the window, in one pass.
    viewport()->update();
}

void QtOutputView::ApplyPending() {
    m_applying = true;
    if (m_scrollBarsStale) UpdateScrollBars();
    if (m_scrollToCurrent) ScrollToCurrent();
    m_scrollBarsStale = m_scrollToCurrent = false;
    m_applying = false;
}

void QtOutputView::scrollContentsBy(int, int) {
    if (!m_applying) viewport()->update();
}

void QtOutputView::SetRunFlag(int flag) {
    if (flag == m_runFlag) return;
    m_runFlag = flag;
    emit runFlagChanged(flag);
}

QString QtOutputView::LineText(int index) const {
    return Decode(Line(index));
}

int QtOutputView::LineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int QtOutputView::VisibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / LineHeight());
}

int QtOutputView::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

void QtOutputView::UpdateScrollBars() {
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, LineCount() - VisibleLines()));
    v->setPageStep(VisibleLines());
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, m_widest + 2 * kMargin - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(m_charWidth);
}

namespace {

void LayOut(QTextLayout& layout, int charWidth, int tabColumns) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabColumns * charWidth);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}

}  // namespace

const QTextLayout& QtOutputView::Layout(int index) const {
    if (const auto it = m_layouts.find(index); it != m_layouts.end()) return *it->second;
    if (m_layouts.size() >= kLayoutBound) m_layouts.clear();
    auto layout = std::make_unique<QTextLayout>(LineText(index), font());
    LayOut(*layout, m_charWidth, m_tabColumns);
    return *m_layouts.emplace(index, std::move(layout)).first->second;
}

void QtOutputView::ForgetLayouts(int from) {
    m_layouts.erase(m_layouts.lower_bound(from), m_layouts.end());
}

void QtOutputView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int first = FirstVisibleLine();
    const int last = std::min(LineCount(), first + VisibleLines() + 1);
    const int x = kMargin - horizontalScrollBar()->value();
    const auto [from, to] = std::minmax(m_anchor, m_cursor);
    const bool selected = from != to;

    QTextCharFormat highlight;
    highlight.setBackground(palette().brush(QPalette::Highlight));
    highlight.setForeground(palette().brush(QPalette::HighlightedText));
    painter.setPen(palette().color(QPalette::Text));

    for (int i = first; i < last; ++i) {
        const QTextLayout& layout = Layout(i);
        const QString text = layout.text();
        QList<QTextLayout::FormatRange> ranges;
        if (selected && i >= from.line && i <= to.line) {
            const int start = i == from.line ? from.column : 0;
            const int end = i == to.line ? to.column : static_cast<int>(text.size());
            if (end > start) ranges.append({start, end - start, highlight});
            // A selected line end shows as one selected blank.
            if (i < to.line) {
                const qreal endX = layout.lineAt(0).naturalTextWidth();
                painter.fillRect(
                    QRectF(x + endX, kMargin + (i - first) * LineHeight(), m_charWidth, LineHeight()),
                    highlight.background());
            }
        }
        layout.draw(&painter, QPointF(x, kMargin + (i - first) * LineHeight()), ranges);
    }
}

void QtOutputView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void QtOutputView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    m_charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
    ForgetLayouts();
    m_widest = 0;
    for (const std::string& line : m_lines) m_widest = std::max(m_widest, LineWidth(line));
    UpdateScrollBars();
    viewport()->update();
}

QtOutputView::Position QtOutputView::PositionAt(const QPoint& point) const {
    if (m_lines.empty()) return {};
    const int line =
        std::clamp(FirstVisibleLine() + (point.y() - kMargin) / LineHeight(), 0, LineCount() - 1);
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    return {line, Layout(line).lineAt(0).xToCursor(x)};
}

void QtOutputView::SetCursor(Position position, bool extend) {
    const bool had = HasSelection();
    m_cursor = position;
    if (!extend) m_anchor = position;
    viewport()->update();
    if (had || HasSelection()) emit selectionChanged();
}

void QtOutputView::SetTabColumns(int columns) {
    m_tabColumns = std::max(1, columns);
    ForgetLayouts();
    m_widest = 0;
    for (const std::string& line : m_lines) m_widest = std::max(m_widest, LineWidth(line));
    UpdateScrollBars();
    viewport()->update();
}

void QtOutputView::SetSelectable(bool selectable) {
    m_selectable = selectable;
    viewport()->setCursor(selectable ? Qt::IBeamCursor : Qt::ArrowCursor);
    if (!selectable && HasSelection()) SetCursor(m_cursor, false);
}

void QtOutputView::mousePressEvent(QMouseEvent* event) {
    if (!m_selectable) return;
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    SetCursor(PositionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void QtOutputView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_selectable || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls.
    if (point.y() < 0) verticalScrollBar()->setValue(FirstVisibleLine() - 1);
    if (point.y() > viewport()->height()) verticalScrollBar()->setValue(FirstVisibleLine() + 1);
    SetCursor(PositionAt(point), true);
}

void QtOutputView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_selectable || event->button() != Qt::LeftButton || m_lines.empty()) return;
    // The word (a run of letters and digits) under the mouse.
    const Position at = PositionAt(event->position().toPoint());
    const QString text = LineText(at.line);
    int start = std::min<int>(at.column, static_cast<int>(text.size()));
    int end = start;
    while (start > 0 && text.at(start - 1).isLetterOrNumber()) --start;
    while (end < text.size() && text.at(end).isLetterOrNumber()) ++end;
    Select(at.line, start, at.line, end);
}

void QtOutputView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        CopySelection();
    } else if (event == QKeySequence::SelectAll) {
        if (m_selectable) SelectAll();
    } else if (event->key() == Qt::Key_Home && (event->modifiers() & Qt::ControlModifier)) {
        verticalScrollBar()->setValue(0);
    } else if (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool QtOutputView::HasSelection() const {
    return m_anchor != m_cursor;
}

QString QtOutputView::SelectedText() const {
    if (!HasSelection()) return {};
    const auto [from, to] = std::minmax(m_anchor, m_cursor);
    QStringList parts;
    for (int i = from.line; i <= to.line && i < LineCount(); ++i) {
        const QString text = LineText(i);
        const int start = i == from.line ? from.column : 0;
        const int end = i == to.line ? to.column : static_cast<int>(text.size());
        parts.append(text.mid(start, std::max(0, end - start)));
    }
    return parts.join(QStringLiteral("\r\n"));
}

void QtOutputView::SelectAll() {
    if (m_lines.empty()) return;
    Select(0, 0, LineCount() - 1, static_cast<int>(LineText(LineCount() - 1).size()));
}

void QtOutputView::Select(int fromLine, int fromColumn, int toLine, int toColumn) {
    m_anchor = {fromLine, fromColumn};
    SetCursor({toLine, toColumn}, true);
}

void QtOutputView::CopySelection() const {
    if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}
