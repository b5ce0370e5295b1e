#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

// The lines of a directory text (the make-index window's target directories, the directory
// dialog's memo) kept in step with the check boxes of a folder tree. Lines are bytes in the
// program code page; paths are compared with letter case ignored, whole characters at a time.

// Index of the first line equal to `path` with letter case ignored; -1 when there is none.
int FindFolderLine(const std::vector<std::string>& lines, std::string_view path, CodePage codePage);

// A folder's check box was ticked (`checked`) or cleared. Ticked and not listed: `path` becomes
// a new line (it fills an empty last line, so a text that ends with a line break gets no blank
// line). Cleared and listed: the first matching line is removed. Returns whether `lines` changed.
bool ApplyFolderCheck(std::vector<std::string>& lines, std::string_view path, bool checked,
                      CodePage codePage);
