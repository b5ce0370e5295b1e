#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "text/CodePage.h"

// Turning namazu's hit locations and index directories into paths that open, and back.
// Byte strings in the program code page; positions are 1-based. Every scan that could mistake
// the second byte of a double-byte character for "\", "|", "{" or "}" steps over whole
// characters with CharLength. Windows style writes C:\dir and /C|/dir; the Posix style keeps
// "/" paths as they are.

// A hit's location as a local path: network URLs (http, ftp, gopher, telnet) unchanged;
// "file://" removed. Windows: "/" -> "\", "|" -> ":", one leading "\" dropped
// (/C|/docs/a.txt -> C:\docs\a.txt). Posix: the path keeps its "/"; "file://localhost/x" -> "/x".
std::string UriToLocalPath(std::string_view location, PathStyle style, CodePage codePage);

// A path that begins with "." placed under the program's folder (.\idx -> C:\Q\.\idx);
// any other path unchanged.
std::string ExpandProgramRelativePath(std::string_view path, std::string_view programFolder, PathStyle style,
                                      CodePage codePage);

// Replaces a drive constant such as {cdrom1}, and everything before its "}", by the drive the
// drive-constant list gives it: Windows the two characters after " => " ({cdrom1}\a -> E:\a),
// Posix the mount point ({cdrom1}/a -> /media/cdrom0/a). Unknown constants leave the path as it is.
std::string ExpandDriveConstant(std::string_view path, const std::vector<std::string>& drives,
                                PathStyle style, CodePage codePage);

// A local path in the form a browser expects: Windows c:\docs\a.html -> /C|/docs/a.html;
// Posix the path itself.
std::string LocalPathToUriPath(std::string_view path, PathStyle style, CodePage codePage);

// 1-based position of the last occurrence of `sub` in `text`, byte by byte; 0 when absent.
std::size_t LastPos(std::string_view text, std::string_view sub);

// The path without a "#" part that follows its last separator (C:\a.html#p2 -> C:\a.html).
std::string StripFragment(std::string_view path, PathStyle style);

// Removes one leading and one trailing double quote, each side on its own.
std::string StripQuotes(std::string_view text);

// The path with the separator of the style at its end; an empty path stays empty.
std::string AddTrailingBackslash(std::string_view path, PathStyle style, CodePage codePage);

// True when `name` matches the file mask: "*" any run of characters, "?" one character,
// letters as written; as on Windows "*.*" and "NMZ.*" also match names without a dot.
bool MatchesFileMask(std::string_view name, std::string_view mask, CodePage codePage);

// Appends dir + name for every ordinary file of `dir` (which ends with its separator) that
// matches `mask`, sorted by name. Hidden files, directories, links and special files are left
// out; a missing directory adds nothing.
void ListMatchingFiles(const std::string& dir, std::string_view mask, std::vector<std::string>& list,
                       CodePage codePage);

// Deletes the files ListMatchingFiles finds in `dir` (which may be enclosed in double quotes
// and may lack its trailing "/"). Files that cannot be deleted are skipped; an empty directory
// name deletes nothing.
void DeleteMatchingFiles(std::string_view dir, std::string_view mask, CodePage codePage);
