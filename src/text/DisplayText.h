#pragma once

#include <string>
#include <string_view>

// A document's bytes as UTF-8 for the text viewer, lines separated by "\n".
// With `decodeHeader`, the lines before the first empty line go through DecodeMimeHeader first.
// A document in UTF-8 stays UTF-8 (ISO-2022-JP runs that header decoding put into it are
// converted too when `convertCode` is set); any other goes through ConvertJapaneseCode(text,
// jcSjis) when `convertCode` is set and is then read as CP932. Bytes that cannot be decoded
// become U+FFFD; nothing else is lost.
std::string DocumentToUtf8(std::string_view bytes, bool decodeHeader, bool convertCode = true);

// The code a document is shown in when the reader chose one instead of the detection rules.
enum class TextCode { Auto, Utf8, EucJp, ShiftJis, Iso2022Jp, Latin1 };

// A document's bytes as UTF-8, lines separated by "\n", read as `code` (Latin1 reads as
// Windows-1252, its superset); Auto is DocumentToUtf8 with conversion on. Japanese codes read
// as the detection rules read them (NEC and IBM extension characters included). With
// `decodeHeader` the leading lines go through DecodeMimeHeader first. Undecodable bytes become
// U+FFFD.
std::string DocumentInCodeToUtf8(std::string_view bytes, TextCode code, bool decodeHeader);

// One line of a child program's output as UTF-8. mknmz and namazu write EUC-JP messages with
// file names in the file system's UTF-8, often on the same line. A line that is valid UTF-8
// stays; a line whose runs of non-ASCII bytes are each EUC-JP or UTF-8 is read run by run (a run
// of UTF-8 characters beyond U+07FF is taken as UTF-8 first: such a run is rarely EUC-JP, and a
// single EUC-JP kanji often looks like a two-byte UTF-8 character); any other line goes through
// the Japanese code detection. Undecodable bytes become U+FFFD.
std::string OutputLineToUtf8(std::string_view line);
