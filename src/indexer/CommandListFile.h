#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "indexer/CommandList.h"
#include "process/Prompter.h"
#include "text/CodePage.h"

// Command-list files: the header line, then one entry per line, CR LF after every line.
// Written in the program code page; on reading any line end counts, and a line that is not
// valid UTF-8 (from a list brought from Windows) is read as CP932 when the program runs in UTF-8.

extern const char kCommandListHeader[];  // "This is a 'Quarrow for Namazu' Command Line List File."

std::string CommandListFileText(const std::vector<std::string>& entries);

// The entries of a list file's text (lines 2 to the end, unchanged, empty ones included), or
// nothing when the text has fewer than two lines or its first line is not exactly the header.
// A UTF-8 byte-order mark before the header is read past.
std::optional<std::vector<std::string>> ParseCommandListFile(std::string_view bytes, CodePage codePage);

// Atomic: on failure the previous file is left as it was.
bool WriteCommandListFile(const std::string& path, const std::vector<std::string>& entries);
std::optional<std::vector<std::string>> ReadCommandListFile(const std::string& path, CodePage codePage);

// btnSaveCmdListClick: trims the list in place; an empty list ends here; otherwise asks for a
// file (dlgSave) and writes it; a read-only file is replaced only after asking (No is the
// default). A failed write is told. True when a file was written.
bool SaveCommandList(CommandListState& list, CodePage codePage, Prompter& prompter);

// btnLoadCmdListClick: asks for a file (dlgOpen); a good list file replaces the whole list
// (nothing selected), anything else shows "ファイルが不正です。" and leaves it. True when loaded;
// the window then recomputes the button enabling.
bool LoadCommandList(CommandListState& list, CodePage codePage, Prompter& prompter);
