#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/PlatformProfile.h"
#include "results/ResultScanner.h"

// mknmz makes a document without a title of its own (a text file, an HTML page without
// <title>) take its file name as the title, passed through its own code conversion. A name in
// UTF-8 or Shift_JIS comes out cut by a byte when its byte count is odd ("灯台の歴史.tx"),
// with bytes that EUC-JP reads as a full-width character turned into ASCII ("メモ" gets a "<",
// "引っ越し" an "h") or as bytes no longer read in the title's code. The list shows the file name instead.

// Whether `title` (namazu's title of a hit, without its "N. ") is the file name `fileName`
// (the last segment of the hit's path, as bytes) cut or garbled that way. A title that reads as
// the file name already, a title of an ASCII file name and any other title are not.
bool IsMangledFileNameTitle(std::string_view title, std::string_view fileName);

// A file name's bytes as UTF-8: UTF-8 when valid, else read in the Japanese code the detection
// finds (Shift_JIS, else EUC-JP).
std::string FileNameToUtf8(std::string_view fileName);

// `bytes` (the result text the scan was made of) with each hit title that IsMangledFileNameTitle
// replaced by the file name, in EUC-JP like namazu's other titles (UTF-8 where EUC-JP cannot hold
// it). Nothing when no title needed it. Scan the text it returns again.
std::optional<std::string> WithFileNameTitles(std::string_view bytes, const ResultScan& scan, PathStyle style,
                                              CodePage codePage);
