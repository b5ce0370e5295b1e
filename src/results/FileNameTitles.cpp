#include "results/FileNameTitles.h"

#include <iconv.h>
#include <algorithm>
#include <cctype>

#include "process/Paths.h"
#include "text/CodePage.h"
#include "text/Jconvert.h"

namespace {

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// `bytes` converted, or nothing when any of it does not convert.
std::optional<std::string> ConvertStrictly(std::string_view bytes, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && inLeft == 0 &&
                    iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

// Bytes at `j` that EUC-JP reads as a full-width sign, digit or letter (rows 1 and 3), which
// mknmz turns into its ASCII form.
bool IsFullWidthAsciiPair(std::string_view name, std::size_t j) {
    if (j + 1 >= name.size()) return false;
    const auto lead = static_cast<unsigned char>(name[j]);
    return (lead == 0xA1 || lead == 0xA3) && static_cast<unsigned char>(name[j + 1]) >= 0xA1;
}

// Walks the title along the file name: equal bytes, or a full-width pair of the name that
// became one ASCII character in the title. The title may end one byte before the name does.
bool FollowsFileName(std::string_view title, std::string_view name) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < title.size() && j < name.size()) {
        if (title[i] == name[j]) {
            ++i;
            ++j;
        } else if (std::isprint(static_cast<unsigned char>(title[i])) && IsFullWidthAsciiPair(name, j)) {
            ++i;
            j += 2;
        } else {
            return false;
        }
    }
    return i == title.size() && name.size() - j <= 1;
}

// The hit's title without its "N. ".
std::size_t NumberLength(std::string_view title) {
    const std::size_t dot = title.find(". ");
    return dot == std::string_view::npos ? 0 : dot + 2;
}

}  // namespace

std::string FileNameToUtf8(std::string_view fileName) {
    if (IsValidUtf8(fileName)) return std::string(fileName);
    return ConvertEncoding(fileName, DetectJapaneseCode(fileName) == jcSjis ? "CP932" : "EUC-JP", "UTF-8");
}

bool IsMangledFileNameTitle(std::string_view title, std::string_view fileName) {
    if (title.empty() || IsAscii(fileName) || !FollowsFileName(title, fileName)) return false;
    // Titles are read as EUC-JP: one that reads as the name already stays as it is.
    const std::optional<std::string> read = ConvertStrictly(title, "EUC-JP", "UTF-8");
    return !read || *read != FileNameToUtf8(fileName);
}

std::optional<std::string> WithFileNameTitles(std::string_view bytes, const ResultScan& scan, PathStyle style,
                                              CodePage codePage) {
    if (scan.lineStarts.size() != scan.lines.size()) return std::nullopt;
    std::string fixed;
    std::size_t copied = 0;
    for (const HitRecord& hit : scan.Hits) {
        if (hit.Uri.empty()) continue;
        const std::string path = UriToLocalPath(hit.Uri, style, codePage);
        const std::size_t cut = path.find_last_of(style == PathStyle::Windows ? "\\/" : "/");
        const std::string_view name = std::string_view(path).substr(cut == std::string::npos ? 0 : cut + 1);
        const std::size_t number = NumberLength(hit.Title);
        const std::string_view title = std::string_view(hit.Title).substr(number);
        if (!IsMangledFileNameTitle(title, name)) continue;
        const std::string utf8 = FileNameToUtf8(name);
        const std::optional<std::string> euc = ConvertStrictly(utf8, "UTF-8", "EUC-JP");
        // Offsets are into X (CR LF after every line); the line's view says where it is in `bytes`.
        const auto line = std::upper_bound(scan.lineStarts.begin(), scan.lineStarts.end(), hit.TitleStart) -
                          1 - scan.lineStarts.begin();
        const auto start =
            static_cast<std::size_t>(scan.lines[static_cast<std::size_t>(line)].data() - bytes.data()) +
            static_cast<std::size_t>(hit.TitleStart - scan.lineStarts[static_cast<std::size_t>(line)]) +
            number;
        fixed.append(bytes.substr(copied, start - copied));
        fixed.append(euc ? *euc : utf8);
        copied = start + title.size();
    }
    if (copied == 0) return std::nullopt;
    fixed.append(bytes.substr(copied));
    return fixed;
}
