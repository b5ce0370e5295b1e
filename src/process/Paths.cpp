#include "process/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Replaces single-byte `from` by `to`, leaving bytes inside multi-byte characters alone.
void ReplaceChars(std::string& text, char from, char to, CodePage codePage) {
    for (std::size_t pos = 1; pos <= text.size();) {
        const std::size_t len = CharLength(codePage, text, pos);
        if (len == 1 && text[pos - 1] == from) text[pos - 1] = to;
        pos += len;
    }
}

// 1-based position of the first single-byte `c`, stepping over multi-byte characters; 0 if none.
std::size_t FindChar(std::string_view text, char c, CodePage codePage) {
    for (std::size_t pos = 1; pos <= text.size();) {
        const std::size_t len = CharLength(codePage, text, pos);
        if (len == 1 && text[pos - 1] == c) return pos;
        pos += len;
    }
    return 0;
}

// True when the last byte of `text` is a character of its own, not the tail of a longer one.
bool LastByteIsSingle(std::string_view text, CodePage codePage) {
    std::size_t pos = 1;
    std::size_t lastLen = 0;
    while (pos <= text.size()) {
        lastLen = CharLength(codePage, text, pos);
        pos += lastLen;
    }
    return lastLen == 1;
}

std::string DriveOfLine(std::string_view line, PathStyle style) {
    if (style == PathStyle::Windows) return std::string(line.substr(0, 2));
    // The mount point may hold blanks; the label part starts with four blanks and "[".
    const std::size_t label = line.find("    [");
    return std::string(line.substr(0, label));
}

// The characters of `text` as byte ranges, so masks compare whole characters.
std::vector<std::string_view> Characters(std::string_view text, CodePage codePage) {
    std::vector<std::string_view> chars;
    for (std::size_t pos = 1; pos <= text.size();) {
        const std::size_t len = CharLength(codePage, text, pos);
        chars.push_back(text.substr(pos - 1, len));
        pos += len;
    }
    return chars;
}

bool MatchChars(const std::vector<std::string_view>& name, const std::vector<std::string_view>& mask) {
    // Greedy match with one backtrack point for the last "*": linear enough for file masks.
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == "*") {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == "?" || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == "*") ++m;
    return m == mask.size();
}

}  // namespace

std::string UriToLocalPath(std::string_view location, PathStyle style, CodePage codePage) {
    for (const std::string_view scheme : {"http://", "ftp://", "gopher://", "telnet://"}) {
        if (StartsWith(location, scheme)) return std::string(location);
    }
    std::string path(location);
    if (StartsWith(path, "file://")) path.erase(0, 7);
    if (style == PathStyle::Posix) {
        if (StartsWith(path, "localhost/")) path.erase(0, 9);
        return path;
    }
    ReplaceChars(path, '/', '\\', codePage);
    ReplaceChars(path, '|', ':', codePage);
    if (!path.empty() && path[0] == '\\') path.erase(0, 1);
    return path;
}

std::string ExpandProgramRelativePath(std::string_view path, std::string_view programFolder, PathStyle style,
                                      CodePage codePage) {
    if (path.empty() || path[0] != '.') return std::string(path);
    return AddTrailingBackslash(programFolder, style, codePage) + std::string(path);
}

std::string ExpandDriveConstant(std::string_view path, const std::vector<std::string>& drives,
                                PathStyle style, CodePage codePage) {
    if (path.empty()) return std::string(path);
    const std::size_t close = FindChar(path, '}', codePage);
    const std::size_t open = FindChar(path, '{', codePage);
    if (close == 0 || open == 0 || open > close) return std::string(path);

    const std::string key = std::string(path.substr(open - 1, close - open + 1)) + " => ";
    for (const std::string& line : drives) {
        if (!StartsWith(line, key)) continue;
        const std::string drive = DriveOfLine(std::string_view(line).substr(key.size()), style);
        if (drive.empty()) break;
        std::string_view rest = path.substr(close);
        // "/" as mount point and "/{hd1}/home" must give "/home", not "//home".
        if (style == PathStyle::Posix && drive.back() == '/' && StartsWith(rest, "/")) rest.remove_prefix(1);
        return drive + std::string(rest);
    }
    return std::string(path);
}

std::string LocalPathToUriPath(std::string_view path, PathStyle style, CodePage codePage) {
    if (style == PathStyle::Posix) return std::string(path);
    std::string uri = "/" + std::string(path);
    const std::size_t colon = uri.find(':');
    if (colon != std::string::npos) {
        // Upper-case the drive part, leaving double-byte characters whole.
        for (std::size_t pos = 1; pos <= colon;) {
            const std::size_t len = CharLength(codePage, uri, pos);
            char& c = uri[pos - 1];
            if (len == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            pos += len;
        }
        ReplaceChars(uri, ':', '|', codePage);
    }
    ReplaceChars(uri, '\\', '/', codePage);
    return uri;
}

std::size_t LastPos(std::string_view text, std::string_view sub) {
    if (sub.size() > text.size()) return 0;
    for (std::size_t pos = text.size() - sub.size() + 1; pos >= 1; --pos) {
        if (text.compare(pos - 1, sub.size(), sub) == 0) return pos;
    }
    return 0;
}

std::string StripFragment(std::string_view path, PathStyle style) {
    const std::size_t hash = LastPos(path, "#");
    const std::size_t sep = LastPos(path, std::string(1, PathSeparator(style)));
    if (hash != 0 && hash >= sep) return std::string(path.substr(0, hash - 1));
    return std::string(path);
}

std::string StripQuotes(std::string_view text) {
    if (!text.empty() && text.front() == '"') text.remove_prefix(1);
    if (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return std::string(text);
}

std::string AddTrailingBackslash(std::string_view path, PathStyle style, CodePage codePage) {
    std::string result(path);
    if (result.empty()) return result;
    const char sep = PathSeparator(style);
    if (result.back() != sep || !LastByteIsSingle(result, codePage)) result += sep;
    return result;
}

bool MatchesFileMask(std::string_view name, std::string_view mask, CodePage codePage) {
    if (mask.empty()) return false;
    const auto maskChars = Characters(mask, codePage);
    if (MatchChars(Characters(name, codePage), maskChars)) return true;
    // Windows treats a name without an extension as ending in ".": "NMZ.*" finds "NMZ".
    if (name.find('.') == std::string_view::npos) {
        const std::string dotted = std::string(name) + ".";
        return MatchChars(Characters(dotted, codePage), maskChars);
    }
    return false;
}

void ListMatchingFiles(const std::string& dir, std::string_view mask, std::vector<std::string>& list,
                       CodePage codePage) {
    // A mask never reaches outside the directory.
    if (mask.find('/') != std::string_view::npos) return;
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* stream = ::fdopendir(dirFd);
    if (!stream) {
        ::close(dirFd);
        return;
    }
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;  // hidden, "." and ".."
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (MatchesFileMask(name, mask, codePage)) found.emplace_back(name);
    }
    ::closedir(stream);
    std::sort(found.begin(), found.end());
    for (const std::string& name : found) list.push_back(dir + name);
}

void DeleteMatchingFiles(std::string_view dir, std::string_view mask, CodePage codePage) {
    // A quoted name loses its quotes; an unbalanced quote must not cost the name its last character.
    std::string folder(dir);
    if (!folder.empty() && folder.front() == '"') folder = StripQuotes(folder);
    // An empty name would otherwise become the root folder.
    if (folder.empty()) return;
    folder = AddTrailingBackslash(folder, PathStyle::Posix, codePage);
    std::vector<std::string> files;
    ListMatchingFiles(folder, mask, files, codePage);
    for (const std::string& file : files) ::unlink(file.c_str());
}
