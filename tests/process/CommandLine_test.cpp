#include "process/CommandLine.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

using Args = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Args args;
    CodePage codePage = CodePage::Utf8;
};

// Command lines as the search window and the make-index window compose them, and the
// quoting corner cases of the C runtime rules.
const SplitCase kSplitCases[] = {
    // namazu, first-run values
    {R"("C:\namazu\bin\namazu.exe" --sort=score --max=20 --output="C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")",
     {R"(C:\namazu\bin\namazu.exe)", "--sort=score", "--max=20", R"(--output=C:\TEMP\result.txt)", "namazu",
      R"(C:\namazu\var\namazu\index)"}},
    // pnamazu through Perl, options separated from their values
    {R"("C:\Perl\Bin\Perl.exe" "C:\pnamazu\pnamazu.pl" --sort=score --max=20 -o "C:\TEMP\result.txt" "namazu" "C:\namazu\var\namazu\index")",
     {R"(C:\Perl\Bin\Perl.exe)", R"(C:\pnamazu\pnamazu.pl)", "--sort=score", "--max=20", "-o",
      R"(C:\TEMP\result.txt)", "namazu", R"(C:\namazu\var\namazu\index)"}},
    // namazurc, relative index entries, a free option
    {R"("C:\namazu\bin\namazu.exe" --sort=field:subject --ascending --max=100 --config="C:\namazu\etc\namazu\namazurc" --output="C:\TEMP\result.txt" -l "namazu" +a +b "D:\other" "C:\Q\.\local")",
     {R"(C:\namazu\bin\namazu.exe)", "--sort=field:subject", "--ascending", "--max=100",
      R"(--config=C:\namazu\etc\namazu\namazurc)", R"(--output=C:\TEMP\result.txt)", "-l", "namazu", "+a",
      "+b", R"(D:\other)", R"(C:\Q\.\local)"}},
    // Linux form, with a blank and Japanese in paths and query
    {R"("/usr/bin/namazu" --sort=score --max=20 --output="/run/user/1000/quarrow/result.txt" "全文 検索" "/home/user/My Index" "/home/user/索引 2")",
     {"/usr/bin/namazu", "--sort=score", "--max=20", "--output=/run/user/1000/quarrow/result.txt",
      "全文 検索", "/home/user/My Index", "/home/user/索引 2"}},
    // mknmz through Perl, the way a *mknmz entry expands
    {R"("/usr/bin/perl" "/usr/bin/mknmz" --all --allow=".*\.txt" --no-hiragana --verbose --no-delete --output="/home/user/idx" "/home/user/ドキュメント/a b")",
     {"/usr/bin/perl", "/usr/bin/mknmz", "--all", R"(--allow=.*\.txt)", "--no-hiragana", "--verbose",
      "--no-delete", "--output=/home/user/idx", "/home/user/ドキュメント/a b"}},
    {R"("C:\Perl\Bin\Perl.exe" "C:\namazu\bin\mknmz" --help)",
     {R"(C:\Perl\Bin\Perl.exe)", R"(C:\namazu\bin\mknmz)", "--help"}},
    // notepad and the "!" entries: the text after "!" as typed
    {"notepad.exe", {"notepad.exe"}},
    {R"(notepad.exe "C:\My Documents\list.txt")", {"notepad.exe", R"(C:\My Documents\list.txt)"}},
    {R"(xdg-open "/home/user/設定/namazurc")", {"xdg-open", "/home/user/設定/namazurc"}},
    // a doubly quoted index directory splits at its blank, as on Windows
    {R"("namazu" ""C:\My Documents\index"")", {"namazu", R"(C:\My)", R"(Documents\index)"}},
    // blanks and tabs
    {"", {}},
    {"   \t ", {}},
    {"  a\t\tb  ", {"a", "b"}},
    // empty arguments
    {R"(a "" b)", {"a", "", "b"}},
    {R"("")", {""}},
    // quotes in the middle of an argument group with it
    {R"(a"b c"d e)", {"ab cd", "e"}},
    // an unclosed quote runs to the end
    {R"("a b)", {"a b"}},
    // "" inside quotes is a literal quote and stays inside
    {R"("a""b c")", {R"(a"b c)"}},
    {R"("""")", {R"(")"}},
    // outside quotes "" opens and closes
    {R"(a""b)", {"ab"}},
    // backslashes: literal unless before a quote
    {R"(C:\dir\ x)", {R"(C:\dir\)", "x"}},
    {R"(\\server\share)", {R"(\\server\share)"}},
    {R"(a\"b)", {R"(a"b)"}},
    {R"(a\\"b c")", {R"(a\b c)"}},
    {R"(a\\\"b)", {R"(a\"b)"}},
    {R"(a\\\\"b c")", {R"(a\\b c)"}},
    {R"("C:\dir\" x)", {R"(C:\dir" x)"}},
    {R"("C:\dir\\" x)", {R"(C:\dir\)", "x"}},
    // the query with an escaped quote stays one argument
    {R"("namazu" "a \" --output=x" "idx")", {"namazu", R"(a " --output=x)", "idx"}},
    // a stray backslash at the end
    {"a\\", {"a\\"}},
    // CP932: the second byte of 表 (95 5C) is no backslash, of ソ (83 5C) neither
    {"--output=\"C:\\\x95\x5c\" \"C:\\x\"", {"--output=C:\\\x95\x5c", "C:\\x"}, CodePage::Cp932},
    {"\"C:\\\x83\x5c\\\\\" x", {"C:\\\x83\x5c\\", "x"}, CodePage::Cp932},
    {"\x95\x5c\"a b\"", {"\x95\x5c" "a b"}, CodePage::Cp932},
    {"a \x95", {"a", "\x95"}, CodePage::Cp932},
};

TEST(CommandLineTest, SplitsAsTheCRuntime) {
    for (const auto& c : kSplitCases) {
        EXPECT_EQ(SplitCommandLine(c.line, c.codePage), c.args) << c.line;
    }
}

TEST(CommandLineTest, QuoteArgumentWritesPathsAsComposersDo) {
    const std::tuple<std::string, std::string, CodePage> cases[] = {
        {R"(C:\namazu\bin\namazu.exe)", R"("C:\namazu\bin\namazu.exe")", CodePage::Utf8},
        {"/home/user/My Index", R"("/home/user/My Index")", CodePage::Utf8},
        {"", R"("")", CodePage::Utf8},
        {R"(a"b)", R"("a\"b")", CodePage::Utf8},
        {R"(C:\dir\)", R"("C:\dir\\")", CodePage::Utf8},
        {R"(a\"b)", R"("a\\\"b")", CodePage::Utf8},
        {R"(\\server\share)", R"("\\server\share")", CodePage::Utf8},
        {"C:\\\x95\x5c", "\"C:\\\x95\x5c\"", CodePage::Cp932},
        {"\x95\x5c\"", "\"\x95\x5c\\\"\"", CodePage::Cp932},
    };
    for (const auto& [arg, quoted, codePage] : cases) {
        EXPECT_EQ(QuoteArgument(arg, codePage), quoted) << arg;
    }
}

TEST(CommandLineTest, QuoteArgumentRoundTripsEveryArgument) {
    std::mt19937 rng(4711);
    // Bytes that matter to the rules, plus a Japanese character and arbitrary bytes.
    const std::string alphabet[] = {"\\", "\"", " ",  "\t",       "a",
                                    "/",  ":",  "日", "\x81\x7C", "\x95\x5c", std::string(1, '\0')};
    for (int round = 0; round < 20000; ++round) {
        const CodePage cp = round % 2 ? CodePage::Cp932 : CodePage::Utf8;
        std::string arg;
        const int len = static_cast<int>(rng() % 12);
        for (int k = 0; k < len; ++k) {
            if (rng() % 8 == 0)
                arg += static_cast<char>(rng() % 256);
            else
                arg += alphabet[rng() % std::size(alphabet)];
        }
        const Args expected{arg};
        ASSERT_EQ(SplitCommandLine(QuoteArgument(arg, cp), cp), expected) << QuoteArgument(arg, cp);

        // Several quoted arguments in one line come back in order.
        const std::string line =
            "prog " + QuoteArgument(arg, cp) + " " + QuoteArgument(arg + "x", cp) + "\t" + QuoteArgument("", cp);
        const Args several{"prog", arg, arg + "x", ""};
        ASSERT_EQ(SplitCommandLine(line, cp), several) << line;
    }
}

}  // namespace
