#include "search/QueryWords.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

using K = QueryWordKind;

std::string Describe(const std::vector<QueryWord>& words) {
    static const char* const names[] = {"Word", "Phrase", "Prefix", "Suffix", "Inside", "Regex", "Substring"};
    std::string out;
    for (const QueryWord& w : words) out += std::string(names[static_cast<int>(w.kind)]) + "<" + w.text.toStdString() + "> ";
    return out;
}

// The texts the finder marks, in order.
QStringList Marked(const QString& query, const QString& text) {
    const QueryWordFinder finder(ExtractQueryWords(query));
    QStringList marked;
    for (const TextSpan& span : finder.InRange(text, 0, text.size())) marked.append(text.mid(span.start, span.length));
    return marked;
}

}  // namespace

TEST(QueryWords, ExtractionFollowsNamazusQuerySyntax) {
    struct Row {
        const char* query;
        std::vector<QueryWord> words;
    };
    const Row rows[] = {
        {"namazu", {{K::Word, "namazu"}}},
        {"  Linux   and Netscape ", {{K::Word, "Linux"}, {K::Word, "Netscape"}}},
        {"( Linux or FreeBSD ) and Netscape not Windows",
         {{K::Word, "Linux"}, {K::Word, "FreeBSD"}, {K::Word, "Netscape"}, {K::Word, "Windows"}}},
        {"banana & cherry | apple ! date", {{K::Word, "banana"}, {K::Word, "cherry"}, {K::Word, "apple"}, {K::Word, "date"}}},
        // namazu knows the operators in lower case only, and parentheses only standing alone.
        {"apple AND cherry", {{K::Word, "apple"}, {K::Word, "AND"}, {K::Word, "cherry"}}},
        {"(apple or cherry)", {{K::Word, "(apple"}, {K::Word, "cherry)"}}},
        {"\"GNU Emacs\" {free  software}", {{K::Phrase, "GNU Emacs"}, {K::Phrase, "free software"}}},
        {"\"and\" {or}", {{K::Word, "and"}, {K::Word, "or"}}},
        {"\"unclosed phrase", {{K::Phrase, "unclosed phrase"}}},
        {"apple\" banana\"", {{K::Word, "apple\""}, {K::Word, "banana\""}}},
        {"inter* *net *text*", {{K::Prefix, "inter"}, {K::Suffix, "net"}, {K::Inside, "text"}}},
        {"/pro(gram|blem)s?/ //", {{K::Regex, "pro(gram|blem)s?"}}},
        {"+subject:Linux +subject:\"GNU Emacs\" +from:foo@example.jp",
         {{K::Word, "Linux"}, {K::Phrase, "GNU Emacs"}, {K::Word, "foo@example.jp"}}},
        {"+message-id:<199801240555.OAA18737@foo.example.jp> +title:/^lig/ +uri:and",
         {{K::Word, "<199801240555.OAA18737@foo.example.jp>"}, {K::Regex, "^lig"}, {K::Word, "and"}}},
        // Japanese: the full-width blank separates terms; letters stay as typed.
        {"灯台　港 and 博物館", {{K::Word, "灯台"}, {K::Word, "港"}, {K::Word, "博物館"}}},
        {"ｎａｍａｚｕ namazu ＮＡＭＡＺＵ", {{K::Word, "ｎａｍａｚｕ"}, {K::Word, "namazu"}}},
        {"ﾅﾏｽﾞ 灯台*", {{K::Word, "ﾅﾏｽﾞ"}, {K::Prefix, "灯台"}}},
        {"{灯台 守}", {{K::Phrase, "灯台 守"}}},
        // Repeats, lone marks and terms without any letter are dropped.
        {"Lighthouse lighthouse * ** - ( ) \"\" {}", {{K::Word, "Lighthouse"}}},
        {"", {}},
    };
    for (const Row& row : rows) {
        const auto words = ExtractQueryWords(QString::fromUtf8(row.query));
        EXPECT_EQ(words, row.words) << row.query << " gave " << Describe(words);
    }
}

TEST(QueryWords, FinderMarksWordsAsNamazuMatchesThem) {
    struct Row {
        const char* query;
        const char* text;
        QStringList marked;
    };
    const Row rows[] = {
        // Whole words, without regard to case.
        {"lighthouse", "The Lighthouse keeper; lighthouses; LIGHTHOUSE.", {"Lighthouse", "LIGHTHOUSE"}},
        {"lens", "lens-cap, a lens_cap, the lens", {"lens", "lens"}},
        // A word that ends in a letter still ends at a Japanese letter next to it.
        {"Namazu", "Namazuで検索、namazu2 では", {"Namazu"}},
        // Japanese: anywhere.
        {"灯台", "灯台守は灯台の灯りを見る", {"灯台", "灯台"}},
        {"灯台 灯台守", "灯台守は灯台の", {"灯台守", "灯台"}},
        // Full-width letters stay full-width; their case is still ignored.
        {"ｎａｍａｚｕ", "ＮＡＭＡＺＵ namazu", {"ＮＡＭＡＺＵ"}},
        {"namazu", "ＮＡＭＡＺＵ namazu", {"namazu"}},
        // Wildcards and regular expressions cover the whole word.
        {"light*", "lighthouse, the light, a flashlight", {"lighthouse", "light"}},
        {"*light", "lighthouse, the light, a flashlight", {"light", "flashlight"}},
        {"*ghth*", "lighthouse, the light", {"lighthouse"}},
        {"/ban.n/", "banana bandana cabana", {"banana"}},
        {"/^ban/", "banana bandana cabana", {"banana", "bandana"}},
        {"/ana$/", "banana bandana anagram", {"banana", "bandana"}},
        {"/(unclosed/ /x*/", "x (unclosed", {}},
        // Phrases: their words in order, across blanks, line ends and punctuation.
        {"\"GNU Emacs\"", "GNU Emacs, gnu\nemacs, GNU-Emacs, GNUEmacs", {"GNU Emacs", "gnu\nemacs", "GNU-Emacs"}},
        {"{灯台 守}", "灯台守と灯台 守", {"灯台守", "灯台 守"}},
        // Marks of the query syntax inside a term are plain characters.
        {"c++ +title:a.txt", "c++ and a.txt, not aatxt", {"c++", "a.txt"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Marked(QString::fromUtf8(row.query), QString::fromUtf8(row.text)), row.marked)
            << row.query << " in " << row.text;
    }
}

TEST(QueryWords, StepsForwardAndBackFromAPlace) {
    const QueryWordFinder finder(ExtractQueryWords(u"*house lens"));
    const QString text = QStringLiteral("lens lighthouse x lens");
    //                                   0    5          16 18
    struct Row {
        qsizetype from;
        std::optional<TextSpan> next;
        std::optional<TextSpan> previous;
    };
    const Row rows[] = {
        {0, TextSpan{0, 4}, std::nullopt},
        {1, TextSpan{5, 10}, TextSpan{0, 4}},
        // From inside a word the word itself is passed: never found from its middle.
        {8, TextSpan{18, 4}, TextSpan{5, 10}},
        {18, TextSpan{18, 4}, TextSpan{5, 10}},
        {22, std::nullopt, TextSpan{18, 4}},
        {99, std::nullopt, TextSpan{18, 4}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(finder.Next(text, row.from), row.next) << row.from;
        EXPECT_EQ(finder.Previous(text, row.from), row.previous) << row.from;
    }
    // Far back: the window grows until it finds the word.
    const QString far = QStringLiteral("lens") + QString(100000, u' ');
    EXPECT_EQ(finder.Previous(far, far.size()), (TextSpan{0, 4}));
    EXPECT_TRUE(QueryWordFinder(ExtractQueryWords(u"and or")).IsEmpty());

    // A long text is searched a piece at a time: a word across the seam of two pieces is found
    // whole, and so is one far beyond them.
    QString longText = QString(64 * 1024 - 3, u' ') + QStringLiteral("lighthouse") + QString(300000, u'.') +
                       QStringLiteral(" lens");
    EXPECT_EQ(finder.Next(longText, 0), (TextSpan{64 * 1024 - 3, 10}));
    EXPECT_EQ(finder.Next(longText, 64 * 1024), (TextSpan{longText.size() - 4, 4}));
}

TEST(QueryWords, PatternReadsTheSameInJavaScriptTerms) {
    // The browser gets the pattern with the flags "giu": escapes other than syntax characters
    // are refused there, and \x{...} is unknown.
    const QueryWordFinder finder(ExtractQueryWords(u"a-b 灯台 \"x y\" c.d +title:e/f"));
    EXPECT_FALSE(finder.Pattern().contains(QStringLiteral("\\-")));
    EXPECT_FALSE(finder.Pattern().contains(QStringLiteral("\\x{")));
    EXPECT_TRUE(finder.Pattern().contains(QStringLiteral("c\\.d")));
    EXPECT_TRUE(finder.Pattern().contains(QStringLiteral("e\\/f")));
}
