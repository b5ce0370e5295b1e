#pragma once

#include <string>
#include <string_view>
#include <vector>

// The directory dialog's memo: one index directory per line, typed by the user or added and
// removed by the boxes of the folder tree. Texts are in the program code page.

// The memo's text as lines; a line break at the very end starts no further line.
std::vector<std::string> MemoLines(std::string_view text);
std::string MemoText(const std::vector<std::string>& lines);

// The search place the memo stands for: blank lines dropped, a line holding a blank enclosed in
// double quotes (a line already enclosed in them is taken as it stands), the pieces joined by
// single blanks.
std::string DirectoryMemoPlace(const std::vector<std::string>& lines);
