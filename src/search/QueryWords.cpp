#include "search/QueryWords.h"

#include <algorithm>

namespace {

// Letters of the words that namazu separates at blanks and punctuation: ASCII and the Latin
// letters around it. Japanese has no such boundaries; a Japanese word is found anywhere.
const QString kWordClass = QStringLiteral("[0-9A-Za-z_\u00C0-\u024F]");
// Between the words of a phrase: what namazu skips when it splits a text into words.
const QString kWordGap = QStringLiteral("[\\s\\p{P}\\p{S}]+");
const QString kJapaneseGap = QStringLiteral("\\s*");

bool IsWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_' ||
           (u >= 0x00C0 && u <= 0x024F);
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000';
}

bool HasLetterOrDigit(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

bool IsOperator(QStringView token) {
    for (const char16_t* op : {u"and", u"or", u"not", u"&", u"|", u"!", u"(", u")"}) {
        if (token == QStringView(op)) return true;
    }
    return false;
}

// Escapes only the characters that are syntax in both PCRE and JavaScript's unicode mode,
// which refuses escapes of anything else.
QString Escaped(QStringView text) {
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        if (QStringView(u"\\^$.*+?()[]{}|/").contains(c)) out += u'\\';
        out += c;
    }
    return out;
}

void Add(std::vector<QueryWord>& words, QueryWordKind kind, QStringView text) {
    if (!HasLetterOrDigit(text)) return;
    const bool known = std::any_of(words.begin(), words.end(), [&](const QueryWord& w) {
        return w.kind == kind && QStringView(w.text).compare(text, Qt::CaseInsensitive) == 0;
    });
    if (!known) words.push_back({kind, text.toString()});
}

void AddTerm(std::vector<QueryWord>& words, QStringView token) {
    if (token.size() >= 3 && token.startsWith(u'/') && token.endsWith(u'/')) {
        const QStringView body = token.mid(1, token.size() - 2);
        if (!body.isEmpty()) words.push_back({QueryWordKind::Regex, body.toString()});
        return;
    }
    const bool leading = token.startsWith(u'*');
    const bool trailing = token.size() > 1 && token.endsWith(u'*');
    const QStringView text = token.mid(leading ? 1 : 0, token.size() - (leading ? 1 : 0) - (trailing ? 1 : 0));
    const QueryWordKind kind = leading && trailing ? QueryWordKind::Inside
                               : leading           ? QueryWordKind::Suffix
                               : trailing          ? QueryWordKind::Prefix
                                                   : QueryWordKind::Word;
    Add(words, kind, text);
}

void AddPhrase(std::vector<QueryWord>& words, QStringView inner) {
    QStringList parts;
    qsizetype i = 0;
    while (i < inner.size()) {
        while (i < inner.size() && IsBlank(inner[i])) ++i;
        const qsizetype start = i;
        while (i < inner.size() && !IsBlank(inner[i])) ++i;
        const QStringView part = inner.mid(start, i - start);
        if (HasLetterOrDigit(part)) parts.append(part.toString());
    }
    if (parts.size() == 1) Add(words, QueryWordKind::Word, parts.front());
    if (parts.size() > 1) Add(words, QueryWordKind::Phrase, parts.join(u' '));
}

// A field prefix such as "+title:" or "+message-id:": its length, 0 when there is none.
qsizetype FieldPrefixLength(QStringView token) {
    if (!token.startsWith(u'+')) return 0;
    qsizetype i = 1;
    while (i < token.size() && (IsWordChar(token[i]) || token[i] == u'-') && token[i].unicode() < 0x80) ++i;
    return i > 1 && i < token.size() && token[i] == u':' ? i + 1 : 0;
}

QString Lookbehind(QChar first) {
    return IsWordChar(first) ? QStringLiteral("(?<!") + kWordClass + u')' : QString();
}

QString Lookahead(QChar last) {
    return IsWordChar(last) ? QStringLiteral("(?!") + kWordClass + u')' : QString();
}

// A regex term as namazu applies it to whole words: ^ and $ stand for the word's edges, and a
// match covers the word it falls in. Empty when PCRE refuses it or it matches nothing at all.
QString RegexWordPattern(const QString& body) {
    const QRegularExpression check(body);
    if (!check.isValid() || check.match(QString()).hasMatch()) return {};
    QString inner = body;
    QString lead;
    QString trail;
    if (inner.startsWith(u'^')) {
        inner.remove(0, 1);
        lead = QStringLiteral("(?<!") + kWordClass + u')';
    }
    if (inner.endsWith(u'$') && !inner.endsWith(QStringLiteral("\\$"))) {
        inner.chop(1);
        trail = QStringLiteral("(?!") + kWordClass + u')';
    }
    return kWordClass + u'*' + lead + QStringLiteral("(?:") + inner + u')' + trail + kWordClass + u'*';
}

QString WordPattern(const QueryWord& word) {
    const QString& t = word.text;
    if (word.kind == QueryWordKind::Regex) return RegexWordPattern(t);
    if (t.isEmpty()) return {};
    const QString more = kWordClass + u'*';
    const QChar first = t.front();
    const QChar last = t.back();
    switch (word.kind) {
        case QueryWordKind::Word:
            return Lookbehind(first) + Escaped(t) + Lookahead(last);
        case QueryWordKind::Prefix:
            return Lookbehind(first) + Escaped(t) + (IsWordChar(last) ? more : QString());
        case QueryWordKind::Suffix:
            return (IsWordChar(first) ? more : QString()) + Escaped(t) + Lookahead(last);
        case QueryWordKind::Inside:
            return (IsWordChar(first) ? more : QString()) + Escaped(t) + (IsWordChar(last) ? more : QString());
        case QueryWordKind::Substring:
            return Escaped(t);
        case QueryWordKind::Phrase: {
            const QStringList parts = t.split(u' ', Qt::SkipEmptyParts);
            QString pattern = Lookbehind(first);
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0) {
                    const bool between = IsWordChar(parts[i - 1].back()) && IsWordChar(parts[i].front());
                    pattern += between ? kWordGap : kJapaneseGap;
                }
                pattern += Escaped(parts[i]);
            }
            return pattern + Lookahead(last);
        }
        case QueryWordKind::Regex:
            break;
    }
    return {};
}

}  // namespace

std::vector<QueryWord> ExtractQueryWords(QStringView query) {
    std::vector<QueryWord> words;
    qsizetype i = 0;
    const qsizetype n = query.size();
    while (i < n) {
        while (i < n && IsBlank(query[i])) ++i;
        if (i == n) break;
        qsizetype end = i;
        while (end < n && !IsBlank(query[end])) ++end;
        const qsizetype field = FieldPrefixLength(query.mid(i, end - i));
        i += field;
        if (i < n && (query[i] == u'"' || query[i] == u'{')) {
            const QChar close = query[i] == u'"' ? u'"' : u'}';
            qsizetype closing = query.indexOf(close, i + 1);
            if (closing < 0) closing = n;
            AddPhrase(words, query.mid(i + 1, closing - i - 1));
            i = std::min(n, closing + 1);
            continue;
        }
        const QStringView token = query.mid(i, end - i);
        if (field > 0 || !IsOperator(token)) AddTerm(words, token);
        i = end;
    }
    return words;
}

QueryWordFinder::QueryWordFinder(const std::vector<QueryWord>& words) {
    std::vector<QueryWord> ordered = words;
    // Where two words start at the same place, the longer one is the one to show.
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QueryWord& a, const QueryWord& b) { return a.text.size() > b.text.size(); });
    QStringList alternatives;
    for (const QueryWord& word : ordered) {
        const QString pattern = WordPattern(word);
        if (!pattern.isEmpty()) alternatives.append(QStringLiteral("(?:") + pattern + u')');
    }
    m_pattern = alternatives.join(u'|');
    if (m_pattern.isEmpty()) return;
    m_regex.setPattern(m_pattern);
    m_regex.setPatternOptions(QRegularExpression::CaseInsensitiveOption |
                              QRegularExpression::UseUnicodePropertiesOption);
    if (!m_regex.isValid()) m_pattern.clear();
}

qsizetype QueryWordFinder::WordStartBefore(QStringView text, qsizetype pos) const {
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    while (pos > 0 && IsWordChar(text[pos - 1])) --pos;
    return pos;
}

std::optional<TextSpan> QueryWordFinder::MatchIn(QStringView text, qsizetype pos, qsizetype windowEnd) const {
    // The matcher checks its whole subject before it starts: it is given a window, with the
    // character before `pos` for the word-edge tests, not a whole long document.
    const qsizetype base = std::max<qsizetype>(0, pos - 1);
    const QRegularExpressionMatch m = m_regex.match(text.mid(base, windowEnd - base), pos - base);
    if (!m.hasMatch()) return std::nullopt;
    return TextSpan{base + m.capturedStart(), m.capturedLength()};
}

std::optional<TextSpan> QueryWordFinder::Next(QStringView text, qsizetype from) const {
    if (IsEmpty() || from > text.size()) return std::nullopt;
    // From the start of the word `from` falls in, so that a word is never found from its middle.
    qsizetype pos = WordStartBefore(text, from);
    while (pos <= text.size()) {
        const qsizetype chunkEnd = std::min(text.size(), pos + kChunk);
        const std::optional<TextSpan> found = MatchIn(text, pos, std::min(text.size(), chunkEnd + kTail));
        if (!found || found->start >= chunkEnd) {
            if (chunkEnd == text.size()) return std::nullopt;
            const qsizetype next = WordStartBefore(text, chunkEnd);
            pos = next > pos ? next : chunkEnd;
            continue;
        }
        if (found->start >= from && found->length > 0) return found;
        pos = std::max(found->end(), found->start + 1);
    }
    return std::nullopt;
}

std::vector<TextSpan> QueryWordFinder::InRange(QStringView text, qsizetype from, qsizetype to) const {
    std::vector<TextSpan> spans;
    if (IsEmpty()) return spans;
    to = std::min(to, text.size());
    const qsizetype windowEnd = std::min(text.size(), to + kTail);
    qsizetype pos = WordStartBefore(text, from);
    while (pos < to) {
        const std::optional<TextSpan> found = MatchIn(text, pos, windowEnd);
        if (!found || found->start >= to) break;
        if (found->length > 0 && found->end() > from) spans.push_back(*found);
        pos = std::max(found->end(), found->start + 1);
    }
    return spans;
}

std::optional<TextSpan> QueryWordFinder::Previous(QStringView text, qsizetype before) const {
    if (IsEmpty()) return std::nullopt;
    before = std::min(before, text.size());
    // Backwards in growing windows: the last occurrence is mostly near.
    for (qsizetype window = 4096;; window *= 4) {
        const qsizetype from = std::max<qsizetype>(0, before - window);
        std::optional<TextSpan> last;
        for (const TextSpan& span : InRange(text, from, before)) {
            if (span.start < before) last = span;
        }
        if (last || from == 0) return last;
    }
}
