#include "indexer/FolderLines.h"

#include <QString>

#include "process/QtText.h"

namespace {

bool SameFolder(std::string_view a, std::string_view b, CodePage codePage) {
    if (a == b) return true;
    // Decoded first, so the second byte of a CP932 character is never folded as a letter.
    return ToQString(codePage, a).compare(ToQString(codePage, b), Qt::CaseInsensitive) == 0;
}

}  // namespace

int FindFolderLine(const std::vector<std::string>& lines, std::string_view path, CodePage codePage) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (SameFolder(lines[i], path, codePage)) return static_cast<int>(i);
    }
    return -1;
}

bool ApplyFolderCheck(std::vector<std::string>& lines, std::string_view path, bool checked,
                      CodePage codePage) {
    if (path.empty()) return false;
    const int found = FindFolderLine(lines, path, codePage);
    if (checked) {
        if (found >= 0) return false;
        if (!lines.empty() && lines.back().empty()) {
            lines.back() = std::string(path);
        } else {
            lines.emplace_back(path);
        }
        return true;
    }
    if (found < 0) return false;
    lines.erase(lines.begin() + found);
    return true;
}
