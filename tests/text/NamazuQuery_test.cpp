#include "text/NamazuQuery.h"

#include <gtest/gtest.h>

TEST(NamazuQuery, WritesWhatNkfWritesForTheIndexAndRefusesTheRest) {
    struct Row {
        CodePage codePage;
        std::string query;
        std::string eucJp;          // empty when refused
        std::string unconvertible;  // the character that has no form
    };
    const Row rows[] = {
        {CodePage::Utf8, "lighthouse", "lighthouse", ""},
        {CodePage::Utf8, "灯台 and \"x\"", "\xC5\xF4\xC2\xE6 and \"x\"", ""},
        // IBM and NEC extension characters in nkf's rows, not glibc's (which has no form).
        {CodePage::Utf8, "髙橋", "\xFC\xE2\xB6\xB6", ""},
        {CodePage::Utf8, "①abc",
         "\xAD\xA1"
         "abc",
         ""},
        {CodePage::Utf8, "ⅰ ∑ ㈱", "\xFC\xF1 \xAD\xF4 \xAD\xEA", ""},
        // Characters glibc writes differently from nkf.
        {CodePage::Utf8, "～¥", "\xA1\xC1\xA1\xEF", ""},
        // Full-width letters and blanks become ASCII, half-width katakana full-width, with the
        // voicing mark joined.
        {CodePage::Utf8, "ＮＡＭＡＺＵ　検索", "NAMAZU \xB8\xA1\xBA\xF7", ""},
        {CodePage::Utf8, "ｶﾞｲﾄﾞ", "\xA5\xAC\xA5\xA4\xA5\xC9", ""},
        {CodePage::Utf8, "ﾜﾞ", "\xA5\xEF\xA1\xAB", ""},
        // The same from Shift_JIS: ① (87 40) and 髙 in its IBM row (FB FC).
        {CodePage::Cp932, "\x87\x40\xFB\xFC", "\xAD\xA1\xFC\xE2", ""},
        // No form in the index: refused, never sent as "?".
        {CodePage::Utf8, "abc😀def", "", "😀"},
        {CodePage::Utf8, "丂", "", "丂"},  // JIS X 0212 only
        {CodePage::Utf8, "a\xFF", "", "\xEF\xBF\xBD"},
    };
    for (const Row& row : rows) {
        const NamazuQuery q = QueryToNamazuEuc(row.codePage, row.query);
        EXPECT_EQ(q.eucJp, row.eucJp) << row.query;
        EXPECT_EQ(q.unconvertible, row.unconvertible) << row.query;
    }
}
