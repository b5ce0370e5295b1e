#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>
#include <QTextLayout>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "process/OutputView.h"

// The read-only line view that captured output goes into: fixed pitch, no wrap, both scroll
// bars, tab stops every 8 columns (or as set), selection without a caret. Lines are kept as the child's
// bytes and decoded only when shown (OutputLineToUtf8: UTF-8, EUC-JP, or both on one line), so
// a million lines cost a million small strings and nothing more. The run flag
// starts at 0, as a fresh console window's does; a window that owns the view sets it to 1.
class QtOutputView final : public QAbstractScrollArea, public OutputView {
    Q_OBJECT

public:
    explicit QtOutputView(QWidget* parent = nullptr);

    int LineCount() const override;
    void AppendLines(const std::vector<std::string>& lines) override;
    void AppendLine(const std::string& line) override;
    void InsertLine(int index, const std::string& line) override;
    void InsertLines(int index, const std::vector<std::string>& lines) override;
    void MakeCurrent(int index) override;
    void Repaint() override;
    int RunFlag() const override { return m_runFlag; }
    void SetRunFlag(int flag) override;

    const std::string& Line(int index) const { return m_lines.at(static_cast<std::size_t>(index)); }
    QString LineText(int index) const;
    int CurrentLine() const { return m_current; }
    void Clear();

    // Tab stops every `columns` columns (8 at the start).
    void SetTabColumns(int columns);
    // Whether the user can select text; switching it off drops the selection.
    void SetSelectable(bool selectable);
    bool Selectable() const { return m_selectable; }

    bool HasSelection() const;
    // The selected text, its lines joined with CR LF.
    QString SelectedText() const;
    void SelectAll();
    void Select(int fromLine, int fromColumn, int toLine, int toColumn);
    void CopySelection() const;
    int FirstVisibleLine() const;

signals:
    void runFlagChanged(int flag);
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Position {
        int line = 0;
        int column = 0;  // UTF-16 index in the decoded line
        auto operator<=>(const Position&) const = default;
    };

    void Inserted(int index, int count, int widest);
    int LineWidth(const std::string& line) const;
    void UpdateScrollBars();
    void Refresh(bool now);
    void RefreshNow();
    void ApplyPending();
    void ScrollToCurrent();
    // Line `index` decoded and laid out; kept, up to a bound, for the frames that follow.
    const QTextLayout& Layout(int index) const;
    void ForgetLayouts(int from = 0);
    int LineHeight() const;
    int VisibleLines() const;
    Position PositionAt(const QPoint& point) const;
    void SetCursor(Position position, bool extend);

    // A deque: a capture of millions of lines grows it without moving the lines already held.
    std::deque<std::string> m_lines;
    mutable std::map<int, std::unique_ptr<QTextLayout>> m_layouts;
    int m_runFlag = 0;
    int m_current = -1;
    int m_widest = 0;  // pixels
    int m_charWidth = 1;
    Position m_anchor;
    Position m_cursor;
    QElapsedTimer m_lastRefresh;
    bool m_framePending = false;
    bool m_scrollBarsStale = false;
    bool m_scrollToCurrent = false;
    bool m_applying = false;
    int m_tabColumns = 8;
    bool m_selectable = true;
};
