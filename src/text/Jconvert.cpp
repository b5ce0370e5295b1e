#include "text/Jconvert.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using Byte = unsigned char;

constexpr Byte kEsc = 0x1B;
constexpr Byte kVoicedMark = 0xDE;
constexpr Byte kSemiVoicedMark = 0xDF;

// Only so many leading bytes are checked for binary content before the real scan.
constexpr std::size_t kBinaryPrescanLength = 512;

constexpr bool InRange(Byte b, Byte low, Byte high) {
    return b >= low && b <= high;
}
constexpr bool IsBinaryByte(Byte b) {
    return b <= 0x07 || b == 0xFF;
}
constexpr bool IsHalfKana(Byte b) {
    return InRange(b, 0xA1, 0xDF);
}

// Cells of the full-width forms of the half-width katakana 0xA1-0xDF.
constexpr std::array<Byte, 63> kHalfKanaTable = {
    0x23, 0x56, 0x57, 0x22, 0x26,                                            // A1-A5 。「」、・
    0x72,                                                                    // A6 ヲ
    0x21, 0x23, 0x25, 0x27, 0x29,                                            // A7-AB ァィゥェォ
    0x63, 0x65, 0x67,                                                        // AC-AE ャュョ
    0x43,                                                                    // AF ッ
    0x3C,                                                                    // B0 ー
    0x22, 0x24, 0x26, 0x28, 0x2A,                                            // B1-B5 アイウエオ
    0x2B, 0x2D, 0x2F, 0x31, 0x33, 0x35, 0x37, 0x39, 0x3B, 0x3D, 0x3F, 0x41,  // B6-C1 カ..チ
    0x44, 0x46, 0x48,                                                        // C2-C4 ツテト
    0x4A, 0x4B, 0x4C, 0x4D, 0x4E,                                            // C5-C9 ナニヌネノ
    0x4F, 0x52, 0x55, 0x58, 0x5B,                                            // CA-CE ハヒフヘホ
    0x5E, 0x5F, 0x60, 0x61, 0x62,                                            // CF-D3 マミムメモ
    0x64, 0x66, 0x68,                                                        // D4-D6 ヤユヨ
    0x69, 0x6A, 0x6B, 0x6C, 0x6D,                                            // D7-DB ラリルレロ
    0x6F, 0x73,                                                              // DC-DD ワン
    0x2B, 0x2C,                                                              // DE-DF ゛゜
};

constexpr Byte HalfKanaRow(Byte kana) {
    return InRange(kana, 0xA1, 0xA5) || kana == 0xB0 || kana == 0xDE || kana == 0xDF ? 0x21 : 0x25;
}

// `mark` is 0 when there is none to look at.
BytePair WidenHalfKana(Byte kana, Byte mark, bool& markConsumed) {
    markConsumed = false;
    if (!IsHalfKana(kana)) return {0x22, 0x2E};
    BytePair pair{HalfKanaRow(kana), kHalfKanaTable[kana - 0xA1]};
    if (mark == kVoicedMark) {
        if (kana == 0xB3) {
            pair.second = 0x74;
            markConsumed = true;
        } else if (InRange(kana, 0xB6, 0xC4) || InRange(kana, 0xCA, 0xCE)) {
            pair.second += 1;
            markConsumed = true;
        }
    } else if (mark == kSemiVoicedMark && InRange(kana, 0xCA, 0xCE)) {
        pair.second += 2;
        markConsumed = true;
    }
    return pair;
}

// Input bytes with the rule that a byte past the end reads as 0.
class Input {
public:
    explicit Input(std::string_view text)
        : m_data(reinterpret_cast<const Byte*>(text.data())), m_size(text.size()) {}
    std::size_t size() const { return m_size; }
    Byte operator[](std::size_t i) const { return i < m_size ? m_data[i] : 0; }
    const Byte* data() const { return m_data; }

private:
    const Byte* m_data;
    std::size_t m_size;
};

// Output written through a pointer into a string that grows in large steps: the conversions
// run over whole documents, and per-byte push_back costs too much there.
class Output {
public:
    explicit Output(std::size_t capacity) : m_text(capacity, '\0'), m_next(Begin()) {}
    void Put(Byte b) {
        Reserve(1);
        *m_next++ = b;
    }
    void Put(BytePair pair) {
        Reserve(2);
        m_next[0] = pair.first;
        m_next[1] = pair.second;
        m_next += 2;
    }
    void Put(const Byte* bytes, std::size_t count) {
        Reserve(count);
        std::memcpy(m_next, bytes, count);
        m_next += count;
    }
    std::string Take() && {
        m_text.resize(static_cast<std::size_t>(m_next - Begin()));
        return std::move(m_text);
    }

private:
    Byte* Begin() { return reinterpret_cast<Byte*>(m_text.data()); }
    void Reserve(std::size_t count) {
        const auto used = static_cast<std::size_t>(m_next - Begin());
        if (m_text.size() - used >= count) return;
        m_text.resize(std::max(m_text.size() * 2, used + count));
        m_next = Begin() + used;
    }

    std::string m_text;
    Byte* m_next;
};

constexpr Byte kToDoubleByte[] = {kEsc, '$', 'B'};
// Double-byte mode is left for JIS X 0201 Roman, not ASCII.
constexpr Byte kToSingleByte[] = {kEsc, '(', 'J'};

// The shared shape of the conversions to JIS: line breaks and 7-bit bytes leave double-byte
// mode, other bytes enter it and are converted by `convertDoubleByte`, which returns the index
// after the bytes it consumed.
template <typename ConvertDoubleByte>
std::string ConvertToJis(std::string_view text, ConvertDoubleByte convertDoubleByte) {
    const Input in(text);
    Output out(text.size() + text.size() / 4 + 16);
    bool doubleByte = false;
    std::size_t i = 0;
    while (i < in.size()) {
        const Byte b = in[i];
        if (b < 0x80) {
            if (doubleByte) {
                out.Put(kToSingleByte, sizeof kToSingleByte);
                doubleByte = false;
            }
            out.Put(b);
            ++i;
            continue;
        }
        if (!doubleByte) {
            out.Put(kToDoubleByte, sizeof kToDoubleByte);
            doubleByte = true;
        }
        i = convertDoubleByte(in, i, out);
    }
    return std::move(out).Take();
}

// The escape-sequence handling shared by the conversions from JIS: every sequence counts as three
// bytes, its second byte choosing the mode. Returns false when the text ends inside it.
bool TakeEscape(const Input& in, std::size_t& i, bool& doubleByte) {
    if (in.size() - i < 3) return false;
    const Byte kind = in[i + 1];
    if (kind == '$')
        doubleByte = true;
    else if (kind == '(')
        doubleByte = false;
    i += 3;
    return true;
}

}  // namespace

JapaneseCode DetectJapaneseCode(std::string_view text) {
    const Input in(text);
    const std::size_t length = in.size();
    // 1-based positions as the rules are written; a position past the end reads as 0.
    auto at = [&in](std::size_t pos) -> Byte { return in[pos - 1]; };

    const std::size_t prescanEnd = std::min(kBinaryPrescanLength, length == 0 ? 0 : length - 1);
    for (std::size_t p = 1; p <= prescanEnd; ++p) {
        if (IsBinaryByte(at(p))) return jcBinary;
    }

    int result = jcAscii;
    std::size_t p = 1;
    while ((result == jcAscii || result == jcEucOrSjis) && p < length) {
        // Most bytes of most texts are 7-bit and decide nothing.
        for (const Byte* d = in.data(); p < length; ++p) {
            const Byte c = d[p - 1];
            if (c < 0x08 || c > 0x7F || c == kEsc) break;
        }
        if (p >= length) break;
        const Byte b = at(p);
        const Byte next = at(p + 1);
        if (b == kEsc) {
            if (next == '$') {
                const Byte set = at(p + 2);
                if (set == 0x42)
                    result = jcNewJis;
                else if (set == 0x40)
                    result = jcOldJis;
                p += 3;
            } else {
                p += 2;
            }
        } else if (IsBinaryByte(b)) {
            result = jcBinary;
            ++p;
        } else if (b <= 0x7F) {
            ++p;
        } else if (InRange(b, 0x81, 0x8D) || InRange(b, 0x8F, 0x9F)) {
            result = jcSjis;
            ++p;
        } else if (b == 0x8E) {
            if (InRange(next, 0x40, 0x7E) || InRange(next, 0x80, 0xA0) || InRange(next, 0xE0, 0xFC)) {
                result = jcSjis;
            } else if (InRange(next, 0xA1, 0xDF)) {
                result = jcEucOrSjis;
            }
            p += 2;
        } else if (InRange(b, 0xA1, 0xDF)) {
            if (InRange(next, 0xE0, 0xEF)) {
                // A run of high bytes decides once it holds a byte that only one code allows;
                // the byte that ends the run is skipped.
                result = jcEucOrSjis;
                std::size_t q = p + 1;
                while (at(q) >= 0x40 && q <= length && result == jcEucOrSjis) {
                    const Byte r = at(q);
                    if (InRange(r, 0x81, 0x8D) || InRange(r, 0x8F, 0x9C))
                        result = jcSjis;
                    else if (InRange(r, 0xFD, 0xFE))
                        result = jcEuc;
                    ++q;
                }
                p = q + 1;
                continue;
            }
            if (InRange(next, 0xF0, 0xFE))
                result = jcEuc;
            else if (InRange(next, 0xA1, 0xDF))
                result = jcEucOrSjis;
            else if (next <= 0x9F)
                result = jcSjis;
            p += 2;
        } else if (InRange(b, 0xF0, 0xFE)) {
            result = jcEuc;
            ++p;
        } else if (InRange(b, 0xE0, 0xEF)) {
            if (InRange(next, 0x40, 0x7E) || InRange(next, 0x80, 0xA0))
                result = jcSjis;
            else if (InRange(next, 0xFD, 0xFE))
                result = jcEuc;
            else if (InRange(next, 0xA1, 0xFC))
                result = jcEucOrSjis;
            p += 2;
        } else {
            ++p;  // 0x80, 0xA0
        }
    }
    return static_cast<JapaneseCode>(result);
}

std::string ConvertJapaneseCode(std::string_view text, int target) {
    const JapaneseCode code = DetectJapaneseCode(text);
    const bool jis = code == jcNewJis || code == jcOldJis;
    switch (target) {
        case jcNewJis:
            if (code == jcEuc) return EucToJis(text);
            if (code == jcSjis) return SjisToJis(text);
            break;
        case jcEuc:
            if (jis) return JisToEuc(text);
            if (code == jcSjis) return SjisToEuc(text);
            break;
        case jcSjis:
            if (jis) return JisToSjis(text);
            if (code == jcEuc) return EucToSjis(text);
            break;
        default:
            break;
    }
    return std::string(text);
}

BytePair JisPairToSjis(unsigned char j1, unsigned char j2) {
    const Byte half = static_cast<Byte>(static_cast<Byte>(j1 + 1) >> 1);
    const Byte s1 = static_cast<Byte>(half + (j1 < 0x5F ? 0x70 : 0xB0));
    Byte s2;
    if (j1 & 1)
        s2 = static_cast<Byte>(j2 + (j2 <= 0x5F ? 0x1F : 0x20));
    else
        s2 = static_cast<Byte>(j2 + 0x7E);
    return {s1, s2};
}

BytePair SjisPairToJis(unsigned char s1, unsigned char s2) {
    Byte j1 = static_cast<Byte>(2 * static_cast<Byte>(s1 - (s1 < 0xA0 ? 0x70 : 0xB0)));
    Byte j2;
    if (s2 < 0x9F) {
        j1 = static_cast<Byte>(j1 - 1);
        j2 = static_cast<Byte>(s2 - (s2 <= 0x7F ? 0x1F : 0x20));
    } else {
        j2 = static_cast<Byte>(s2 - 0x7E);
    }
    return {j1, j2};
}

HalfKanaWidening SjisHalfKanaToJis(std::string_view text, std::size_t position) {
    const Input in(text);
    const std::size_t i = position - 1;
    const Byte mark = i + 1 < in.size() ? in[i + 1] : 0;
    bool merged = false;
    const BytePair pair = WidenHalfKana(in[i], mark, merged);
    return {pair, position + (merged ? 2 : 1)};
}

HalfKanaWidening EucHalfKanaToJis(std::string_view text, std::size_t position) {
    const Input in(text);
    const std::size_t i = position - 1;
    const Byte mark = i + 3 < in.size() && in[i + 2] == 0x8E ? in[i + 3] : 0;
    bool merged = false;
    const BytePair pair = WidenHalfKana(in[i + 1], mark, merged);
    return {pair, position + (merged ? 4 : 2)};
}

// The two conversions the viewer runs on whole documents write through raw pointers into an
// output sized for the worst case: escapes only shrink the text, and a pair cut off by the end
// (or a trailing 0x8E) adds at most one byte.
std::string JisToSjis(std::string_view text) {
    std::string out(text.size() + 1, '\0');
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    Byte* o = reinterpret_cast<Byte*>(out.data());
    bool doubleByte = false;
    while (p < end) {
        if (*p == kEsc) {
            if (end - p < 3) break;
            if (p[1] == '$')
                doubleByte = true;
            else if (p[1] == '(')
                doubleByte = false;
            p += 3;
        } else if (doubleByte) {
            while (end - p >= 2 && *p != kEsc) {
                const BytePair s = JisPairToSjis(p[0], p[1]);
                o[0] = s.first;
                o[1] = s.second;
                o += 2;
                p += 2;
            }
            if (end - p == 1 && *p != kEsc) {
                const BytePair s = JisPairToSjis(*p, 0);
                o[0] = s.first;
                o[1] = s.second;
                o += 2;
                ++p;
            }
        } else {
            const void* esc = std::memchr(p, kEsc, static_cast<std::size_t>(end - p));
            const Byte* stop = esc ? static_cast<const Byte*>(esc) : end;
            std::memcpy(o, p, static_cast<std::size_t>(stop - p));
            o += stop - p;
            p = stop;
        }
    }
    out.resize(static_cast<std::size_t>(o - reinterpret_cast<Byte*>(out.data())));
    return out;
}

std::string EucToSjis(std::string_view text) {
    std::string out(text.size() + 1, '\0');
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    Byte* o = reinterpret_cast<Byte*>(out.data());
    while (p < end) {
        const Byte b = *p;
        if (b <= 0x80 || b == 0xFF) {
            *o++ = b;
            ++p;
            continue;
        }
        const Byte next = end - p >= 2 ? p[1] : 0;
        if (b == 0x8E) {
            *o++ = next;
        } else {
            const BytePair s = JisPairToSjis(b & 0x7F, next & 0x7F);
            o[0] = s.first;
            o[1] = s.second;
            o += 2;
        }
        p += 2;
    }
    out.resize(static_cast<std::size_t>(o - reinterpret_cast<Byte*>(out.data())));
    return out;
}

std::string JisToEuc(std::string_view text) {
    const Input in(text);
    const std::size_t n = in.size();
    Output out(n);
    bool doubleByte = false;
    std::size_t i = 0;
    while (i < n) {
        const Byte b = in[i];
        if (b == kEsc) {
            if (!TakeEscape(in, i, doubleByte)) break;
            continue;
        }
        out.Put(doubleByte && InRange(b, 0x21, 0x7E) ? static_cast<Byte>(b | 0x80) : b);
        ++i;
    }
    return std::move(out).Take();
}

std::string SjisToEuc(std::string_view text) {
    const Input in(text);
    const std::size_t n = in.size();
    Output out(n + 1);
    std::size_t i = 0;
    while (i < n) {
        const Byte b = in[i];
        if (b < 0x80) {
            out.Put(b);
            ++i;
        } else if (IsHalfKana(b)) {
            out.Put(BytePair{0x8E, b});
            ++i;
        } else {
            const BytePair j = SjisPairToJis(b, in[i + 1]);
            out.Put(BytePair{static_cast<Byte>(j.first | 0x80), static_cast<Byte>(j.second | 0x80)});
            i += 2;
        }
    }
    return std::move(out).Take();
}

std::string EucToJis(std::string_view text) {
    return ConvertToJis(text, [text](const Input& in, std::size_t i, Output& out) {
        if (in[i] == 0x8E && i + 1 < in.size() && IsHalfKana(in[i + 1])) {
            const HalfKanaWidening wide = EucHalfKanaToJis(text, i + 1);
            out.Put(wide.pair);
            return wide.position - 1;
        }
        out.Put(BytePair{static_cast<Byte>(in[i] & 0x7F), static_cast<Byte>(in[i + 1] & 0x7F)});
        return i + 2;
    });
}

std::string SjisToJis(std::string_view text) {
    return ConvertToJis(text, [text](const Input& in, std::size_t i, Output& out) {
        if (IsHalfKana(in[i])) {
            const HalfKanaWidening wide = SjisHalfKanaToJis(text, i + 1);
            out.Put(wide.pair);
            return wide.position - 1;
        }
        out.Put(SjisPairToJis(in[i], in[i + 1]));
        return i + 2;
    });
}
