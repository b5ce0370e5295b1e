#pragma once

#include <QTextEdit>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/ResultScanner.h"

struct AppContext;

// The result list (objectName "edtResult"): namazu's plain-text result shown as it was written,
// with each hit's title and file name found, optionally coloured, and live for mouse and keys.
// Offsets are byte offsets into the result text X (lines each followed by CR LF); the view maps
// them to its own positions.
class ResultView final : public QTextEdit {
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
    // wished (each takes the lines finished so far into a document that is not shown yet), then
    // FinishLoad, which is LoadResultList for what is left; so little is left when namazu ends.
    // TakeLines does what LoadMore does for lines another reader took from the file's end (the
    // file's bytes in order, each call ending with an LF); a load uses one of the two.
    // AbandonLoad drops what was taken.
    void BeginLoad(const std::string& path);
    void LoadMore();
    void TakeLines(std::string_view lines);
    bool FinishLoad(bool coloring);
    void AbandonLoad();
    // Empties the view and the hits (a list search starts).
    void Clear();

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
    // Offset in X <-> position in the view's document.
    int ViewPositionOf(int32_t offset) const { return m_map.ViewPosition(offset); }
    int32_t OffsetAtViewPosition(int pos) const { return m_map.OffsetAt(pos); }
    // Index of the hit whose title or file name holds the offset; -1 for none.
    int HitIndexAt(int32_t offset) const;
    // Offset of the character under a point of the viewport.
    int32_t OffsetAtPoint(const QPoint& point) const;
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
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // True when the key was swallowed.
    bool edtResultKeyPress(QKeyEvent* event);
    void edtResultMouseMove(const QPoint& point);
    void edtResultMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, bool hadSelection);

    void ResetHits();
    void ColourSpans(QTextDocument* document, const std::vector<HitRecord>& hits);
    bool ReadMore(std::string& into) const;
    void TakeFinishedLines();
    void PutCaret(int32_t offset);
    void SetHandCursor(bool hand);
    std::string HitLocalPath(const std::string& uri) const;

    AppContext& m_ctx;
    ResultTextMap m_map;
    // The load under way: the file, the bytes read so far, how many of them went into the map
    // and `m_loading` (the document being built, swapped in at the end).
    std::string m_loadPath;
    std::string m_loadBytes;
    std::size_t m_loadTaken = 0;
    int64_t m_loadX = 0;  // where the lines after those taken start in X
    ResultTextMap m_loadMap;
    QTextDocument* m_loading = nullptr;
    QTextDocument* m_shownLoad = nullptr;  // the document of the last load, while shown
    std::vector<HitRecord> m_hits;
    int m_hitCount = 0;
    std::string m_charKinds;
    int m_currentHit = 0;
    std::string m_currentDocumentPath;
    int32_t m_lastMousePos = 0;
    bool m_handShown = false;
    mutable int m_mouseBlock = -1;  // block under the last mouse movement, where the next search starts
    ExternalOpener m_openExternal;
};
