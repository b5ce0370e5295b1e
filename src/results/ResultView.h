#pragma once

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextLayout>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "results/ResultScanner.h"

struct AppContext;

// The result list (objectName "edtResult"): namazu's plain-text result shown as it was written,
// with each hit's title and file name found, optionally coloured, and live for mouse and keys.
// Offsets are byte offsets into the result text X (lines each followed by CR LF). The result is
// held as its bytes and its lines; a line is decoded and laid out only when it is drawn or
// measured, and only a bounded number of them is kept, so the cost of a screen does not grow
// with the length of the list.
class ResultView final : public QAbstractScrollArea {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultView)

public:
    // Opens a local path or URL with the associated application; false when that failed.
    using ExternalOpener = std::function<bool(const std::string& path)>;

    explicit ResultView(AppContext& ctx, QWidget* parent = nullptr);
    ~ResultView() override;

    // Loads namazu's result file and finds its hits. `coloring` is true when mnuColored is not
    // checked. False when the file is empty, unreadable or holds no hit list.
    bool LoadResultList(const std::string& path, bool coloring);
    // The same in steps, while namazu writes the file: BeginLoad, then LoadMore as often as
    // wished (or TakeLines with the lines another reader took from the file's end), then
    // FinishLoad, which is LoadResultList. AbandonLoad forgets the load.
    void BeginLoad(const std::string& path);
    void LoadMore();
    void TakeLines(std::string_view lines);
    bool FinishLoad(bool coloring);
    void AbandonLoad();
    // Empties the view and the hits (a list search starts).
    void Clear();
    // Shows a text of the program's own (a message in place of a result), without hits.
    void setPlainText(const QString& text);

    void GoToNextHit(int32_t offset);
    void GoToPreviousHit(int32_t offset);
    void OpenHitAt(int32_t offset, bool internal);

    const std::vector<HitRecord>& Hits() const { return m_hits; }
    int HitCount() const { return m_hitCount; }
    const std::string& CharKinds() const { return m_charKinds; }
    int CurrentHit() const { return m_currentHit; }
    void SetCurrentHit(int index) { m_currentHit = index; }
    const std::string& CurrentDocumentPath() const { return m_currentDocumentPath; }
    int32_t LastMousePos() const { return m_lastMousePos; }

    // Offset of the caret (start of the selection) in X.
    int32_t CaretOffset() const;
    // Puts the caret on the character that holds `offset`, without a selection, and shows it.
    void SetCaretOffset(int32_t offset);
    bool HasSelection() const { return m_anchor != m_caret; }
    QString SelectedText() const;
    void selectAll();
    void copy() const;
    bool isReadOnly() const { return true; }

    // The whole text as shown, lines joined with '\n', and the map between offsets in X and
    // positions in it. These decode every line: for tests and small lists, not for drawing.
    QString toPlainText() const;
    int ViewPositionOf(int32_t offset) const;
    int32_t OffsetAtViewPosition(int pos) const;

    // Index of the hit whose title or file name holds the offset; -1 for none.
    int HitIndexAt(int32_t offset) const;
    // Offset of the character under a point of the viewport.
    int32_t OffsetAtPoint(const QPoint& point) const;
    // The box of the character that holds `offset`, in viewport coordinates.
    QRect CharRect(int32_t offset) const;
    // How the character that holds `offset` is drawn (colour, weight, underline).
    QTextCharFormat FormatAt(int32_t offset) const;
    bool HandCursorShown() const { return m_handShown; }

    void SetExternalOpener(ExternalOpener opener) { m_openExternal = std::move(opener); }

signals:
    // Open hit `index` with the document display.
    void openHitRequested(int index);
    // The window refreshes the status text of its active page.
    void pageChangeRequested();
    // Esc: the window moves the focus to the query box.
    void escapePressed();
    void statusMessage(const QString& text);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One line of the result: where it starts in X and in the held bytes, and its length.
    struct LineSpan {
        int32_t x = 0;
        int32_t at = 0;
        int32_t length = 0;
    };
    // A line decoded and laid out for drawing.
    struct ShownLine {
        ResultTextMap map;  // of this line alone: its text and its offsets
        QTextLayout layout;
    };

    // True when the key was swallowed.
    bool edtResultKeyPress(QKeyEvent* event);
    bool MoveCaretByKey(QKeyEvent* event);
    void edtResultMouseMove(const QPoint& point);
    void edtResultMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, bool hadSelection);

    void ResetHits();
    void HoldLines(std::string&& bytes, const std::vector<std::string_view>& lines,
                   const std::vector<int32_t>& starts);
    void PutCaret(int32_t offset);
    void MoveCaret(int32_t offset, bool keepAnchor);
    void EnsureCaretVisible();
    void SetHandCursor(bool hand);
    std::string HitLocalPath(const std::string& uri) const;

    int LineCount() const { return static_cast<int>(m_lines.size()); }
    int LineOfOffset(int32_t offset) const;
    int32_t LineEnd(int line) const { return m_lines[line].x + m_lines[line].length; }
    std::string_view LineBytes(int line) const;
    ResultTextMap LineMap(int line) const;
    const ShownLine& Shown(int line) const;
    // Position in the line's text of the character that holds `offset` / offset of a position.
    int UnitOf(const ShownLine& shown, int line, int32_t offset) const;
    int32_t OffsetOfUnit(const ShownLine& shown, int line, int unit) const;
    // Line and offset nearest to a point of the viewport; `onCharacter` as the mouse reads it,
    // else the gap between characters nearest to it, as the caret goes.
    int LineAtY(int y) const;
    int32_t OffsetAt(const QPoint& point, bool onCharacter) const;
    int LineTop(int line) const { return line * m_lineHeight + kMargin - verticalScrollBar()->value(); }
    int VisibleLines() const;
    void UpdateMetrics();
    void UpdateScrollBars();
    void ForgetShown();

    static constexpr int kMargin = 4;

    AppContext& m_ctx;
    std::string m_bytes;  // the result file as it was read
    std::vector<LineSpan> m_lines;
    bool m_colouring = false;
    // Decoded lines, kept up to a bound; every one is made again when needed.
    mutable std::unordered_map<int, std::unique_ptr<ShownLine>> m_shown;
    mutable std::unique_ptr<ResultTextMap> m_whole;  // the whole text's map, only when asked for
    mutable int m_widest = 0;                        // the widest line laid out so far, in pixels
    int m_lineHeight = 16;
    int m_ascent = 12;  // of every line's baseline below its top
    QTextCharFormat m_titleFormat;
    QTextCharFormat m_uriFormat;

    // The load under way.
    std::string m_loadPath;
    bool m_loading = false;

    std::vector<HitRecord> m_hits;
    int m_hitCount = 0;
    std::string m_charKinds;
    int m_currentHit = 0;
    std::string m_currentDocumentPath;
    int32_t m_caret = 0;
    int32_t m_anchor = 0;
    int m_goalX = -1;  // where Up and Down keep the caret, in pixels
    bool m_dragging = false;
    int32_t m_lastMousePos = 0;
    bool m_handShown = false;
    ExternalOpener m_openExternal;
};
