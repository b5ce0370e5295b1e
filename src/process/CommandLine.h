#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

// Command lines are kept as one text in Windows form, the way they are composed and shown.
// These two turn such a text into the argument vector of the child and back, with the
// Microsoft C runtime's rules, so a line reaches the program as it would on Windows.

// Splits a command line into arguments. Blanks and tabs outside double quotes separate
// arguments; double quotes group and are removed; inside quotes "" is a literal quote;
// 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; other backslashes are literal. The program name is split
// by the same rules as the arguments. A character of more than one byte in `codePage` is taken
// whole: the second byte of a CP932 character (表 = 95 5C) is no backslash.
std::vector<std::string> SplitCommandLine(std::string_view text, CodePage codePage);

// The argument in double quotes, written so that SplitCommandLine gives it back whole:
// quotes inside it become \" and backslashes in front of a quote (or of the closing quote)
// are doubled. An ordinary path comes out as "path", exactly as composers write it by hand.
std::string QuoteArgument(std::string_view arg, CodePage codePage);

// The bytes of the character at the 1-based `pos` as the two above read it: CharLength, except
// that a CP932 lead byte before a byte that cannot follow it (a quote, a blank) stands alone.
std::size_t CommandLineCharLength(CodePage codePage, std::string_view text, std::size_t pos);
