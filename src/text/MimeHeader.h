#pragma once

#include <string>
#include <string_view>

// RFC 2047 encoded words of the one form Japanese mail uses: "=?ISO-2022-JP?B?...?=". Each is
// replaced by the bytes it encodes (ISO-2022-JP, still to be converted); the marker is found in
// any letter case. Other charsets and the Q encoding are left as they are, and so is the white
// space between adjacent encoded words.
std::string DecodeMimeHeader(std::string_view line);

// Base64 as the header decoding needs it. The output length is fixed from the count of input
// bytes other than CR, LF and "="; bytes a malformed input leaves unwritten are 0. A byte outside
// the alphabet counts as 0.
std::string DecodeBase64(std::string_view text);
