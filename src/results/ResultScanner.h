#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Settings;

// One hit of namazu's plain-text result: its title and file name as spans of the result text X
// (the file's lines, each followed by CR LF) and as texts. Offsets are 0-based byte offsets into
// X, ends inclusive. A hit whose file-name line was not found has both file-name offsets 0.
struct HitRecord {
    int32_t TitleStart = 0;
    int32_t TitleEnd = 0;
    std::string Title;
    int32_t UriStart = 0;
    int32_t UriEnd = 0;
    std::string Uri;

    bool operator==(const HitRecord&) const = default;
};

// Byte values of CharKinds.
inline constexpr char kCharTitle = 'T';
inline constexpr char kCharUri = 'U';

// How file-name lines are recognised (the [Result] settings).
struct ResultScanOptions {
    int blankLinesAfterFileName = 2;  // FileNameBlankLineNext
    int blankFromEnd = 2;             // FileNameSpaceFromEnd
};

// The settings texts as numbers: "not a number" and values below 1 take 1 and 2.
ResultScanOptions ResultScanOptionsFrom(const Settings& settings);

// The file's bytes as lines, split at CR LF, LF or a lone CR; a line end at the very end of the
// file does not start another line.
std::vector<std::string_view> SplitResultLines(std::string_view bytes);

struct ResultScan {
    std::vector<std::string_view> lines;  // views into the scanned bytes
    std::vector<int32_t> lineStarts;      // offset of each line in X; empty when X passes 2 GiB
    std::string CharKinds;                // one byte per byte of X: 'T', 'U' or 0
    std::vector<HitRecord> Hits;
    int HitCount = 0;
    bool scanned = false;  // false: empty, too large, or no "1. " line after the first line
};

// Finds the hits in a result file's bytes. The result refers to `bytes`, which must outlive it.
ResultScan ScanResultText(std::string_view bytes, const ResultScanOptions& options);

// 1-based position of the n-th occurrence of the byte `ch` counted from the end of `text`;
// 0 when there are fewer than n.
int NthFromEnd(std::string_view text, char ch, int n);

// The result text as the view shows it, with the map between offsets into X and positions in
// the text. Lines are joined with '\n' (one position per line break, as a text document counts
// its block separators). Each line is decoded by itself: valid UTF-8 stays UTF-8, anything else
// is read as Japanese text, so lines mixing namazu's EUC-JP and UTF-8 file names stay readable.
class ResultTextMap {
public:
    ResultTextMap() = default;
    ResultTextMap(const std::vector<std::string_view>& lines, const std::vector<int32_t>& lineStarts);

    // Adds the lines that follow those the map holds (their starts in X as above), for a result
    // read while namazu still writes it; returns the text they add to Text().
    QString Append(const std::vector<std::string_view>& lines, const std::vector<int32_t>& lineStarts,
                   std::size_t from = 0);

    const QString& Text() const { return m_text; }
    int LineCount() const { return static_cast<int>(m_lines.size()); }

    // The view position of the character that holds byte `offset` of X; the line's end for its
    // CR and LF bytes, the end of the text beyond X.
    int ViewPosition(int32_t offset) const;
    // The view position just after the character that holds byte `offset`.
    int ViewPositionAfter(int32_t offset) const;
    // The offset in X of the first byte of the character at view position `pos`; the line's CR
    // at its end. Positions outside the text are clamped.
    int32_t OffsetAt(int pos) const;

    // Line index by view position / by offset in X.
    int LineOfViewPosition(int pos) const;
    int LineOfOffset(int32_t offset) const;

private:
    struct Line {
        int32_t offset = 0;    // start in X
        int32_t length = 0;    // bytes, without the line end
        int viewStart = 0;     // start in the view
        int viewLength = 0;    // UTF-16 units
        int32_t unitMap = -1;  // into m_unitToByte; -1 when bytes and units match one to one
        int32_t byteMap = -1;  // into m_byteToUnit
    };

    std::vector<Line> m_lines;
    std::vector<int32_t> m_unitToByte;  // per UTF-16 unit: the line byte its character starts at
    std::vector<int32_t> m_byteToUnit;  // per line byte: the unit its character starts at
    QString m_text;
    int32_t m_xSize = 0;
};
