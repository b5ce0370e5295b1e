#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// The words of a namazu query, and where they stand in a shown document. No widgets here.

enum class QueryWordKind {
    Word,       // a term: a whole word where it ends in a letter or digit, any substring in Japanese
    Phrase,     // "..." or {...}: its words in order, separated by blanks or punctuation
    Prefix,     // inter*
    Suffix,     // *net
    Inside,     // *text*
    Regex,      // /.../, as namazu applies it to each word
    Substring,  // any occurrence at all (what the find bar looks for)
};

struct QueryWord {
    QueryWordKind kind = QueryWordKind::Word;
    QString text;  // the term without its marks; a phrase's words joined by single blanks
    friend bool operator==(const QueryWord&, const QueryWord&) = default;
};

// The terms of a query as namazu reads it: blanks (also the full-width one) separate terms;
// "..." and {...} group a phrase; a field prefix such as +title: is dropped and its value kept;
// the operators and, or, not, &, |, ! and the parentheses (namazu knows them only in lower
// case and standing alone) are dropped. Letters are kept as typed, half- and full-width alike.
// A term without any letter or digit is dropped, and so is a repeated one.
std::vector<QueryWord> ExtractQueryWords(QStringView query);

struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Finds the words in a text without regard to letter case. A span covers the whole word for the
// wildcard and regex kinds. Positions are UTF-16 positions of the text, which are also the
// positions of a plain-text view holding it.
class QueryWordFinder {
public:
    QueryWordFinder() = default;
    explicit QueryWordFinder(const std::vector<QueryWord>& words);

    bool IsEmpty() const { return m_pattern.isEmpty(); }
    // One regular expression for all words, written so that both PCRE and a browser's
    // JavaScript (flags "giu") read it alike.
    const QString& Pattern() const { return m_pattern; }

    // The first occurrence that starts at or after `from`.
    std::optional<TextSpan> Next(QStringView text, qsizetype from) const;
    // The last occurrence that starts before `before`.
    std::optional<TextSpan> Previous(QStringView text, qsizetype before) const;
    // Every occurrence that overlaps [from, to).
    std::vector<TextSpan> InRange(QStringView text, qsizetype from, qsizetype to) const;

private:
    // Text looked at by one match, and how far past it a match may run.
    static constexpr qsizetype kChunk = 64 * 1024;
    static constexpr qsizetype kTail = 4096;

    qsizetype WordStartBefore(QStringView text, qsizetype pos) const;
    std::optional<TextSpan> MatchIn(QStringView text, qsizetype pos, qsizetype windowEnd) const;

    QString m_pattern;
    QRegularExpression m_regex;
};
