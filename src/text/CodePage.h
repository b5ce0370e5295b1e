#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The code page the program holds its texts in: stored files, command lines, paths, queries.
// Every "step over a double-byte character" rule steps over one whole character of it.
enum class CodePage { Cp932, Utf8 };

// Number of bytes of the character that starts at the 1-based byte position `pos` of `text`:
// 1 for ASCII, a stray or truncated byte, or a position outside the text; 2 for a CP932 lead
// byte followed by any byte; 2 to 4 for a well-formed UTF-8 sequence.
std::size_t CharLength(CodePage codePage, std::string_view text, std::size_t pos);

// True when the byte at 1-based `pos` starts a character of more than one byte.
bool IsLeadByte(CodePage codePage, std::string_view text, std::size_t pos);

// The code page of the running system's locale: CP932 where the locale's codeset is
// Shift_JIS, UTF-8 otherwise.
CodePage ProgramCodePageFromLocale();

bool IsValidUtf8(std::string_view bytes);

// Converts between iconv encodings ("CP932", "EUC-JP", "UTF-8", ...). Bytes that cannot be
// decoded become U+FFFD (or '?' when the target cannot hold it); the text goes on after them.
std::string ConvertEncoding(std::string_view bytes, const char* from, const char* to);

// Program code page <-> UTF-8, for the window boundary.
std::string ProgramToUtf8(CodePage codePage, std::string_view text);
std::string Utf8ToProgram(CodePage codePage, std::string_view utf8);

// A file's text in the program code page: files brought from Windows (not valid UTF-8) are
// read as CP932 when the program runs in UTF-8.
std::string FileTextToProgram(CodePage codePage, std::string_view fileBytes);
