#pragma once

#include <string>
#include <string_view>
#include <vector>

// Command lines are kept as one text in Windows form, the way they are composed and shown.
// These two turn such a text into the argument vector of the child and back, with the
// Microsoft C runtime's rules, so a line reaches the program as it would on Windows.

// Splits a command line into arguments. Blanks and tabs outside double quotes separate
// arguments; double quotes group and are removed; inside quotes "" is a literal quote;
// 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; other backslashes are literal. The program name is split
// by the same rules as the arguments.
std::vector<std::string> SplitCommandLine(std::string_view text);

// The argument in double quotes, written so that SplitCommandLine gives it back whole:
// quotes inside it become \" and backslashes in front of a quote (or of the closing quote)
// are doubled. An ordinary path comes out as "path", exactly as composers write it by hand.
std::string QuoteArgument(std::string_view arg);
