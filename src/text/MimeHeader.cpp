#include "text/MimeHeader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::string_view kMarker = "=?ISO-2022-JP?B?";

constexpr std::array<signed char, 256> MakeBase64Values() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = -1;
    for (int i = 0; i < 26; ++i) {
        values['A' + i] = static_cast<signed char>(i);
        values['a' + i] = static_cast<signed char>(26 + i);
    }
    for (int i = 0; i < 10; ++i) values['0' + i] = static_cast<signed char>(52 + i);
    values['+'] = 62;
    values['/'] = 63;
    return values;
}
constexpr std::array<signed char, 256> kBase64Values = MakeBase64Values();

unsigned Base64Value(char c) {
    const signed char v = kBase64Values[static_cast<unsigned char>(c)];
    return v < 0 ? 0 : static_cast<unsigned>(v);
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The line being decoded, held as a gap at the cursor: `left` is the text before it in order,
// `right` the text after it reversed, so that edits at the cursor cost nothing. Every byte has
// its raw form and the form the marker is searched in (upper case for the line's own letters,
// decoded bytes as they are).
class Line {
public:
    explicit Line(std::string_view text) {
        m_rightRaw.assign(text.rbegin(), text.rend());
        m_rightKey.resize(m_rightRaw.size());
        std::transform(m_rightRaw.begin(), m_rightRaw.end(), m_rightKey.begin(), AsciiUpper);
    }

    // Moves the cursor forward until a marker ends just before it; false at the end of the line.
    bool AdvancePastMarker() {
        while (!m_rightRaw.empty()) {
            MoveRight();
            if (m_leftKey.size() >= kMarker.size() && m_leftKey.back() == kMarker.back() &&
                std::memcmp(m_leftKey.data() + m_leftKey.size() - kMarker.size(), kMarker.data(),
                            kMarker.size()) == 0) {
                return true;
            }
        }
        return false;
    }

    void EraseBeforeCursor(std::size_t count) {
        m_leftRaw.resize(m_leftRaw.size() - count);
        m_leftKey.resize(m_leftKey.size() - count);
    }

    // The raw text from the cursor up to the next "?=", which is taken out with it.
    bool TakeUpToClose(std::string& taken) {
        const std::size_t size = m_rightRaw.size();
        // The part of `right` below m_clean holds no "?=": it was searched before and only its
        // top has changed since.
        for (std::size_t idx = size; idx >= 2 && idx - 1 >= m_clean; --idx) {
            if (m_rightRaw[idx - 1] == '?' && m_rightRaw[idx - 2] == '=') {
                taken.assign(m_rightRaw.rbegin(), m_rightRaw.rbegin() + static_cast<long>(size - idx));
                Pop(size - idx + 2);
                return true;
            }
        }
        m_clean = size;
        return false;
    }

    void InsertAtCursor(std::string_view bytes) {
        m_rightRaw.insert(m_rightRaw.end(), bytes.rbegin(), bytes.rend());
        m_rightKey.insert(m_rightKey.end(), bytes.rbegin(), bytes.rend());
    }

    void MoveCursorBack(std::size_t count) {
        count = std::min(count, m_leftRaw.size());
        for (std::size_t k = 0; k < count; ++k) {
            m_rightRaw.push_back(m_leftRaw.back());
            m_rightKey.push_back(m_leftKey.back());
            m_leftRaw.pop_back();
            m_leftKey.pop_back();
        }
    }

    std::string Text() const {
        std::string text(m_leftRaw.begin(), m_leftRaw.end());
        text.append(m_rightRaw.rbegin(), m_rightRaw.rend());
        return text;
    }

private:
    void MoveRight() {
        m_leftRaw.push_back(m_rightRaw.back());
        m_leftKey.push_back(m_rightKey.back());
        Pop(1);
    }
    void Pop(std::size_t count) {
        m_rightRaw.resize(m_rightRaw.size() - count);
        m_rightKey.resize(m_rightKey.size() - count);
        m_clean = std::min(m_clean, m_rightRaw.size());
    }

    std::vector<char> m_leftRaw, m_leftKey, m_rightRaw, m_rightKey;
    std::size_t m_clean = 0;
};

}  // namespace

std::string DecodeMimeHeader(std::string_view line) {
    // Each pass finds the first marker of the whole line again, so an encoded word may yield
    // another marker. Only the last 15 bytes before an edit can take part in a new match, so the
    // search resumes there instead of at the start; the result is the same, in linear time.
    // Nearly every line has no marker at all; no edit can make one where no "=?" stands.
    if (line.find("=?") == std::string_view::npos) return std::string(line);
    Line text(line);
    std::string encoded;
    while (text.AdvancePastMarker()) {
        text.EraseBeforeCursor(kMarker.size());
        if (text.TakeUpToClose(encoded)) text.InsertAtCursor(DecodeBase64(encoded));
        text.MoveCursorBack(kMarker.size() - 1);
    }
    return text.Text();
}

std::string DecodeBase64(std::string_view text) {
    const auto m = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsLineBreak(c) && c != '='; }));
    const std::size_t length = 3 * (m / 4) + (m % 4 == 0 ? 0 : m % 4 - 1);
    std::string out(length, '\0');
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        // Line breaks are skipped only between groups.
        if (IsLineBreak(text[i])) {
            ++i;
            continue;
        }
        const std::size_t count = std::min<std::size_t>(4, text.size() - i);
        const std::string_view group = text.substr(i, count);
        i += count;
        unsigned x[4] = {0, 0, 0, 0};
        for (std::size_t k = 0; k < count; ++k) x[k] = Base64Value(group[k]);
        const unsigned char bytes[3] = {
            static_cast<unsigned char>((x[0] << 2) | (x[1] >> 4)),
            static_cast<unsigned char>((x[1] << 4) | (x[2] >> 2)),
            static_cast<unsigned char>((x[2] << 6) | x[3]),
        };
        std::size_t produced;
        if (count >= 3 && group[2] == '=')
            produced = 1;
        else if (count == 4 && group[3] == '=')
            produced = 2;
        else
            produced = count - 1;
        produced = std::min(produced, length - written);
        out.replace(written, produced, reinterpret_cast<const char*>(bytes), produced);
        written += produced;
    }
    return out;
}
